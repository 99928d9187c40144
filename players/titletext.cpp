#include "players/titletext.h"

#include "players/utftext.h"

namespace cadora {

namespace {

constexpr std::u16string_view kSeparator = u" - ";
constexpr std::u16string_view kKugouSuffix = u" - 酷狗音乐";
constexpr std::u16string_view kNowPlaying = u"正在播放";

constexpr std::u16string_view kBlockedTitleWords[] = {
    u"酷狗音乐", u"QQ音乐", u"菜单", u"歌词", u"播放器", u"设置", u"搜索",
};

constexpr std::u16string_view kNeteaseNoiseTitles[] = {
    u"桌面歌词",     u"迷你播放器",  u"msctfime ui",          u"hintwnd",
    u"sogou_tsf_ui", u"default ime", u"chrome legacy window", u"网易云音乐",
};

// QQ Music's artist part can end in a player name glued on without a separator.
constexpr std::u16string_view kQqArtistSuffixes[] = {u"酷狗音乐", u"QQ音乐"};

constexpr std::u16string_view kWesingPrefixes[] = {u"全民K歌 - ", u"全民K歌-"};

// What Windows' iswspace accepts (measured through Wine's msvcrt over every UTF-16 unit):
// the ASCII controls TAB … CR, the space, no-break space, Ogham space mark, the
// typographic spaces U+2000 … U+200A, line and paragraph separator, narrow no-break
// space, medium mathematical space and the ideographic space.
bool isWindowsSpace (char16_t c)
{
	return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 ||
	       (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
	       c == 0x3000;
}

bool endsWith (std::u16string_view text, std::u16string_view suffix)
{
	return text.size () >= suffix.size () && text.substr (text.size () - suffix.size ()) == suffix;
}

bool startsWith (std::u16string_view text, std::u16string_view prefix)
{
	return text.substr (0, prefix.size ()) == prefix;
}

bool acceptablePart (std::u16string_view part)
{
	return !part.empty () && !containsBlockedWord (part);
}

// Only the four blanks WeSing pads its title with; not the whole iswspace set.
std::u16string_view stripWesingBlanks (std::u16string_view text)
{
	constexpr std::u16string_view kBlanks = u" \t\r\n";
	const size_t first = text.find_first_not_of (kBlanks);
	if (first == std::u16string_view::npos)
		return {};
	return text.substr (first, text.find_last_not_of (kBlanks) - first + 1);
}

} // namespace

std::u16string trimSpace (std::u16string_view text)
{
	size_t begin = 0, end = text.size ();
	while (begin < end && isWindowsSpace (text[begin]))
		++begin;
	while (end > begin && isWindowsSpace (text[end - 1]))
		--end;
	return std::u16string (text.substr (begin, end - begin));
}

bool containsBlockedWord (std::u16string_view text)
{
	for (std::u16string_view word : kBlockedTitleWords)
		if (text.find (word) != std::u16string_view::npos)
			return true;
	return false;
}

bool parseKugouTitle (std::u16string_view text, SongText& out)
{
	const std::u16string t = trimSpace (text);
	if (t.size () < 8 || !endsWith (t, kKugouSuffix))
		return false;
	const std::u16string_view body = std::u16string_view (t).substr (0, t.size () - kKugouSuffix.size ());
	const size_t p = body.find (kSeparator);
	if (body.size () < 3 || p == std::u16string_view::npos)
		return false;
	SongText parsed;
	parsed.artist = trimSpace (body.substr (0, p));
	parsed.title = trimSpace (body.substr (p + kSeparator.size ()));
	if (!acceptablePart (parsed.title) || !acceptablePart (parsed.artist))
		return false;
	out = std::move (parsed);
	return true;
}

bool parseQqTitle (std::u16string_view text, SongText& out)
{
	const std::u16string t = trimSpace (text);
	const size_t p = t.find (kSeparator);
	if (t.size () < 3 || p == std::u16string::npos)
		return false;
	SongText parsed;
	parsed.title = trimSpace (std::u16string_view (t).substr (0, p));
	parsed.artist = trimSpace (std::u16string_view (t).substr (p + kSeparator.size ()));
	for (std::u16string_view suffix : kQqArtistSuffixes)
		if (parsed.artist.size () > suffix.size () && endsWith (parsed.artist, suffix))
			parsed.artist = trimSpace (
			    std::u16string_view (parsed.artist).substr (0, parsed.artist.size () - suffix.size ()));
	if (parsed.title == kNowPlaying || parsed.artist == kNowPlaying)
		return false;
	if (!acceptablePart (parsed.title) || !acceptablePart (parsed.artist))
		return false;
	out = std::move (parsed);
	return true;
}

bool isNeteaseNoiseTitle (std::u16string_view text)
{
	const std::u16string x = lowerAscii (trimSpace (text));
	for (std::u16string_view noise : kNeteaseNoiseTitles)
		if (x == noise)
			return true;
	if (x.size () > 10 && x.find (u"gdi+ window") != std::u16string::npos)
		return true;
	return x.size () > 9 && x.find (u"cloudmusic") != std::u16string::npos;
}

SongText splitNeteaseTitle (std::u16string_view t)
{
	SongText result;
	const size_t p = t.size () >= 3 ? t.rfind (kSeparator) : std::u16string_view::npos;
	if (p != std::u16string_view::npos && p >= 1 && p + kSeparator.size () < t.size ())
	{
		result.title = trimSpace (t.substr (0, p));
		result.artist = trimSpace (t.substr (p + kSeparator.size ()));
	}
	else
	{
		result.title = std::u16string (t);
	}
	return result;
}

std::u16string wesingSongOfTitle (std::u16string_view text)
{
	for (std::u16string_view prefix : kWesingPrefixes)
	{
		if (!startsWith (text, prefix))
			continue;
		const std::u16string_view song = stripWesingBlanks (text.substr (prefix.size ()));
		if (!song.empty ())
			return std::u16string (song);
	}
	return {};
}

} // namespace cadora
