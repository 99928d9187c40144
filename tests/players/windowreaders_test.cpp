// Finding the player's window among the desktop's top-level windows.
#include "fakedesktop.h"

#include "players/utftext.h"
#include "players/windowreaders.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

using test::FakeDesktop;

std::string pairText (const SongText& s)
{
	return toUtf8 (s.title) + "|" + toUtf8 (s.artist);
}

// Window i of a case is titled with song "歌i" by singer "歌手i" in the player's own
// format, or with the bare player name when it is not parsable.
struct Window
{
	bool parsable;
	bool visible;
	int32_t width;
	int32_t height;
};

std::u16string windowTitle (const Window& w, int i, bool kugou)
{
	const std::u16string n (1, static_cast<char16_t> (u'0' + i));
	if (!w.parsable)
		return kugou ? u"酷狗音乐" : u"QQ音乐";
	return kugou ? u"歌手" + n + u" - 歌" + n + u" - 酷狗音乐" : u"歌" + n + u" - 歌手" + n;
}

std::string expectedPair (int i)
{
	if (i < 0)
		return "|";
	const std::string n (1, static_cast<char> ('0' + i));
	return "歌" + n + "|歌手" + n;
}

TEST (ReadWindowPair, BestPlacedParsableWindowWins)
{
	struct Case
	{
		const char* label;
		std::vector<Window> windows;
		int kugou; // the window whose pair is read for Kugou Music; -1: none
		int qq;    // the same windows as QQ Music's
	} cases[] = {
	    {"no window", {}, -1, -1},
	    {"hidden and small: Kugou takes it, QQ Music never", {{true, false, 0, 0}}, 0, -1},
	    {"full size counts more than visible", {{true, true, 100, 50}, {true, false, 800, 600}}, 1, 1},
	    {"visible and full size wins",
	     {{true, false, 800, 600}, {true, true, 800, 600}, {true, true, 100, 50}},
	     1,
	     1},
	    {"the first of equal scores stays", {{true, true, 800, 600}, {true, true, 800, 600}}, 0, 0},
	    {"a visible window beats a hidden small one", {{true, false, 0, 0}, {true, true, 10, 10}}, 1, 1},
	    {"an unparsable full-size window gives way to a parsable small one",
	     {{false, true, 1200, 800}, {true, true, 300, 40}},
	     1,
	     1},
	    {"full size from exactly 400 x 250",
	     {{true, true, 399, 600}, {true, true, 400, 249}, {true, false, 400, 250}},
	     2,
	     2},
	};
	for (const Case& c : cases)
	{
		for (const bool kugou : {true, false})
		{
			FakeDesktop desktop;
			const char16_t* className = kugou ? u"kugou_ui" : u"TXGuiFoundation";
			for (size_t i = 0; i < c.windows.size (); ++i)
			{
				const Window& w = c.windows[i];
				desktop.addWindow (className, windowTitle (w, static_cast<int> (i), kugou), 0, w.visible,
				                   w.width, w.height);
			}
			const PlayerKind& player = kPlayers[kugou ? kKugouRow : kQqMusicRow];
			EXPECT_EQ (expectedPair (kugou ? c.kugou : c.qq), pairText (readWindowPair (desktop, player)))
			    << c.label << (kugou ? " (Kugou)" : " (QQ Music)");
		}
	}
}

TEST (ReadWindowPair, ClassMustMatchExactly)
{
	FakeDesktop desktop;
	desktop.addWindow (u"Kugou_UI", u"周杰伦 - 晴天 - 酷狗音乐");
	desktop.addWindow (u"kugou_ui2", u"周杰伦 - 晴天 - 酷狗音乐");
	desktop.addWindow (u"TXGuiFoundation", u"周杰伦 - 晴天 - 酷狗音乐"); // QQ's class, Kugou's title
	desktop.addWindow (u"", u"周杰伦 - 晴天 - 酷狗音乐");
	EXPECT_EQ ("|", pairText (readWindowPair (desktop, kPlayers[kKugouRow])));
	// The Kugou title parses as QQ Music's "song - artist" too: the class decides the parser.
	EXPECT_EQ ("周杰伦|晴天 -", pairText (readWindowPair (desktop, kPlayers[kQqMusicRow])));
	desktop.windows[2].hasRect = false; // a rectangle that cannot be read counts as small
	desktop.windows[2].visible = false;
	EXPECT_EQ ("|", pairText (readWindowPair (desktop, kPlayers[kQqMusicRow])));
}

class ProcessWindows : public ::testing::Test
{
protected:
	FakeDesktop desktop;
	uint32_t netease = desktop.addProcess (test::kNeteasePath);
	uint32_t wesing = desktop.addProcess (test::kWesingPath);
	uint32_t browser = desktop.addProcess (test::kBrowserPath);
};

TEST_F (ProcessWindows, NeteaseTakesTheFirstVisibleWindowThatIsNotNoise)
{
	desktop.addWindow (u"OrpheusBrowserHost", u"隐藏 - 标题", netease, false);
	desktop.addWindow (u"Chrome_WidgetWin_1", u"晴天 - 周杰伦", browser);
	desktop.addWindow (u"DesktopLyrics", u"桌面歌词", netease);
	desktop.addWindow (u"OrpheusBrowserHost", u"网易云音乐", netease);
	desktop.addWindow (u"GDI+", u"GDI+ Window (cloudmusic.exe)", netease);
	desktop.addWindow (u"x", u"  \u3000 ", netease);
	desktop.addWindow (u"x", u"", netease);
	desktop.addWindow (u"OrpheusBrowserHost", u" Love Story - Live - Taylor Swift ", netease);
	desktop.addWindow (u"OrpheusBrowserHost", u"稻香 - 周杰伦", netease);
	EXPECT_EQ ("Love Story - Live|Taylor Swift", pairText (readNeteaseTitle (desktop)));

	desktop.windows.pop_back ();
	desktop.windows.back ().title = u"纯音乐";
	EXPECT_EQ ("纯音乐|", pairText (readNeteaseTitle (desktop)));
}

TEST_F (ProcessWindows, HiddenOrForeignWindowsAreNeverRead)
{
	desktop.addWindow (u"OrpheusBrowserHost", u"晴天 - 周杰伦", netease, false);
	desktop.addWindow (u"WeSingMain", u"全民K歌 - 晴天", wesing, false);
	desktop.addWindow (u"OrpheusBrowserHost", u"稻香 - 周杰伦", browser);
	desktop.addWindow (u"WeSingMain", u"全民K歌 - 稻香", browser);
	desktop.addWindow (u"WeSingMain", u"全民K歌 - 七里香", 0);
	desktop.addWindow (u"WeSingMain", u"全民K歌 - 夜曲", 4242); // owner cannot be opened
	EXPECT_EQ ("|", pairText (readNeteaseTitle (desktop)));
	EXPECT_EQ (u"", readWesingTitle (desktop));
}

TEST_F (ProcessWindows, WesingTakesTheFirstWindowWithASongAfterItsPrefix)
{
	desktop.addWindow (u"WeSingMain", u"全民K歌", wesing);
	desktop.addWindow (u"WeSingMain", u"全民K歌 -  \t", wesing);
	desktop.addWindow (u"WeSingMain", u"全民K歌-晴天 ", wesing);
	desktop.addWindow (u"WeSingMain", u"全民K歌 - 稻香", wesing);
	EXPECT_EQ (u"晴天", readWesingTitle (desktop));
}

} // namespace
} // namespace cadora
