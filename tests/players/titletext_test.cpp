// Window titles of the players, real and malformed, split into song and artist.
#include "players/titletext.h"
#include "players/utftext.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

// A parse result as one comparable text: "title|artist", or "-" for a refused title.
using Parser = bool (*) (std::u16string_view, SongText&);

std::string parsed (Parser parse, const char16_t* text)
{
	SongText out {u"unchanged", u"unchanged"};
	if (!parse (text, out))
		return out.title == u"unchanged" && out.artist == u"unchanged" ? "-" : "- (changed out)";
	return toUtf8 (out.title) + "|" + toUtf8 (out.artist);
}

TEST (TrimSpace, RemovesWhatWindowsCountsAsSpaceAtBothEnds)
{
	const char16_t spaces[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0xA0,   0x1680,
	                           0x2000, 0x2005, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
	for (char16_t s : spaces)
	{
		const std::u16string text = std::u16string (1, s) + u"晴 天" + std::u16string (2, s);
		EXPECT_EQ (u"晴 天", trimSpace (text)) << "U+" << std::hex << int (s);
	}
	// Invisible but not space to Windows: they stay.
	const char16_t kept[] = {0x0085, 0x180E, 0x200B, 0xFEFF, 0x00};
	for (char16_t k : kept)
	{
		const std::u16string text = std::u16string (1, k) + u"晴天";
		EXPECT_EQ (text, trimSpace (text)) << "U+" << std::hex << int (k);
	}
	EXPECT_EQ (u"", trimSpace (u" \t\u3000 "));
	EXPECT_EQ (u"", trimSpace (u""));
}

TEST (ParseKugouTitle, ArtistSongThenPlayerName)
{
	struct Case
	{
		const char16_t* text;
		const char* expected;
	} cases[] = {
	    {u"周杰伦 - 晴天 - 酷狗音乐", "晴天|周杰伦"},
	    {u"\u3000周杰伦 - 晴天 - 酷狗音乐 \r\n", "晴天|周杰伦"},
	    {u"Taylor Swift - Love Story - 酷狗音乐", "Love Story|Taylor Swift"},
	    // The song itself holds a separator: split at the first, the version stays in the title.
	    {u"陈奕迅 - 十年 - Live版 - 酷狗音乐", "十年 - Live版|陈奕迅"},
	    {u"周杰伦、费玉清 - 千里之外 - 酷狗音乐", "千里之外|周杰伦、费玉清"},
	    {u"a - b - 酷狗音乐", "b|a"},
	    {u"酷狗音乐", "-"},
	    {u" - 酷狗音乐", "-"},
	    {u"周杰伦 - 晴天", "-"},
	    {u"周杰伦 - 晴天 - 酷狗音乐 - 歌词", "-"},
	    {u"周杰伦 - 晴天 -酷狗音乐", "-"},
	    {u"周杰伦-晴天 - 酷狗音乐", "-"},
	    {u"歌词 - 晴天 - 酷狗音乐", "-"},
	    {u"周杰伦 - 设置 - 酷狗音乐", "-"},
	    {u"搜索 周杰伦 - 晴天 - 酷狗音乐", "-"},
	    {u"周杰伦 - 桌面歌词 - 酷狗音乐", "-"},
	    {u"周杰伦 - \u3000 - 酷狗音乐", "-"},
	    {u"\u3000 - 晴天 - 酷狗音乐", "-"},
	    {u"", "-"},
	};
	for (const Case& c : cases)
		EXPECT_EQ (c.expected, parsed (&parseKugouTitle, c.text)) << toUtf8 (c.text);
}

TEST (ParseQqTitle, SongThenArtist)
{
	struct Case
	{
		const char16_t* text;
		const char* expected;
	} cases[] = {
	    {u"晴天 - 周杰伦", "晴天|周杰伦"},
	    {u"  晴天 - 周杰伦\u3000", "晴天|周杰伦"},
	    {u"晴天 - 周杰伦 - 叶惠美", "晴天|周杰伦 - 叶惠美"},
	    // A player name glued to the artist is dropped, then the blanks before it.
	    {u"晴天 - 周杰伦QQ音乐", "晴天|周杰伦"},
	    {u"晴天 - 周杰伦 QQ音乐", "晴天|周杰伦"},
	    {u"晴天 - 周杰伦酷狗音乐", "晴天|周杰伦"},
	    // Kugou's name is looked for first, then QQ Music's.
	    {u"晴天 - 周杰伦 QQ音乐 酷狗音乐", "晴天|周杰伦"},
	    {u"晴天 - 周杰伦 酷狗音乐 QQ音乐", "-"},
	    // Only a name of at most 4 units would remain a blocked word: refused.
	    {u"晴天 - QQ音乐", "-"},
	    {u"晴天 - 酷狗音乐", "-"},
	    {u"正在播放 - 周杰伦", "-"},
	    {u"晴天 - 正在播放", "-"},
	    {u"晴天 - 正在播放中", "晴天|正在播放中"},
	    {u"QQ音乐", "-"},
	    {u"QQ音乐 - 周杰伦", "-"},
	    {u"桌面歌词 - 周杰伦", "-"},
	    {u"晴天 - 周杰伦 - 菜单", "-"},
	    {u"晴天 -周杰伦", "-"},
	    {u"晴天 - ", "-"},
	    {u" - 周杰伦", "-"},
	    {u"a - b", "a|b"},
	};
	for (const Case& c : cases)
		EXPECT_EQ (c.expected, parsed (&parseQqTitle, c.text)) << toUtf8 (c.text);
}

TEST (NeteaseTitles, NoiseWindows)
{
	struct Case
	{
		const char16_t* text;
		bool noise;
	} cases[] = {
	    {u"桌面歌词", true},
	    {u" 网易云音乐\u3000", true},
	    {u"迷你播放器", true},
	    {u"MSCTFIME UI", true},
	    {u"Default IME", true},
	    {u"HintWnd", true},
	    {u"SoGou_TSF_UI", true},
	    {u"Chrome Legacy Window", true},
	    {u"GDI+ Window (cloudmusic.exe)", true},
	    {u"gdi+ window", true},
	    {u"cloudmusic", true},
	    {u"CloudMusic.exe", true},
	    {u"晴天 - 周杰伦", false},
	    {u"网易云音乐 - 晴天", false},
	    {u"桌面歌词 ", true},
	    {u"cloud", false},
	    {u"", false},
	};
	for (const Case& c : cases)
		EXPECT_EQ (c.noise, isNeteaseNoiseTitle (c.text)) << toUtf8 (c.text);
}

TEST (NeteaseTitles, SplitAtTheLastSeparator)
{
	struct Case
	{
		const char16_t* text;
		const char* expected;
	} cases[] = {
	    {u"晴天 - 周杰伦", "晴天|周杰伦"},
	    {u"Love Story - Live - Taylor Swift", "Love Story - Live|Taylor Swift"},
	    {u"晴天", "晴天|"},
	    {u"- 周杰伦", "- 周杰伦|"},
	    {u"晴天 -周杰伦", "晴天 -周杰伦|"},
	    {u"a - b", "a|b"},
	};
	for (const Case& c : cases)
	{
		const SongText s = splitNeteaseTitle (c.text);
		EXPECT_EQ (c.expected, toUtf8 (s.title) + "|" + toUtf8 (s.artist)) << toUtf8 (c.text);
	}
}

TEST (WesingTitles, PrefixesInOrder)
{
	struct Case
	{
		const char16_t* text;
		const char16_t* song;
	} cases[] = {
	    {u"全民K歌 - 晴天", u"晴天"},
	    {u"全民K歌-晴天", u"晴天"},
	    {u"全民K歌-  晴天 \r\n", u"晴天"},
	    {u"全民K歌 - 晴天 - 周杰伦", u"晴天 - 周杰伦"},
	    {u"全民K歌--晴天", u"-晴天"},
	    {u"全民K歌 - \t\r\n ", u""},
	    {u"全民K歌-", u""},
	    {u"全民K歌", u""},
	    {u"晴天 - 全民K歌", u""},
	    {u" 全民K歌 - 晴天", u""},                // the text is not trimmed before the prefix test
	    {u"全民k歌 - 晴天", u""},                 // the prefix is compared exactly
	    {u"全民K歌 - \u3000晴天", u"\u3000晴天"}, // only space, TAB, CR and LF are stripped
	};
	for (const Case& c : cases)
		EXPECT_EQ (std::u16string (c.song), wesingSongOfTitle (c.text)) << toUtf8 (c.text);
}

} // namespace
} // namespace cadora
