// Splitting a music player's window title into song title and artist. Kugou Music
// shows "artist - song - 酷狗音乐", QQ Music "song - artist", NetEase Cloud Music
// "song - artist" among windows whose titles are noise. A title that comes from a menu,
// lyrics, settings or search window carries a blocked word and is refused.
#pragma once

#include <string>
#include <string_view>

namespace cadora {

struct SongText
{
	std::u16string title;
	std::u16string artist;
	// Both texts present: what a window pair must have to count as read.
	bool complete () const { return !title.empty () && !artist.empty (); }
	bool operator== (const SongText& other) const { return title == other.title && artist == other.artist; }
};

// The text without the leading and trailing characters Windows' iswspace accepts.
std::u16string trimSpace (std::u16string_view text);

// True when text contains one of the words that mark a menu, lyrics, settings or search
// window ("酷狗音乐", "QQ音乐", "菜单", "歌词", "播放器", "设置", "搜索").
bool containsBlockedWord (std::u16string_view text);

// False when the window text is not a song title of that player; out is then unchanged.
bool parseKugouTitle (std::u16string_view text, SongText& out);
bool parseQqTitle (std::u16string_view text, SongText& out);

// True for the titles of NetEase Cloud Music's helper windows (desktop lyrics, mini
// player, input-method and browser windows, its own name), compared in lower case.
bool isNeteaseNoiseTitle (std::u16string_view text);

// A NetEase Cloud Music title split at its last " - " into song and artist; a title
// without such a separator is all song, with an empty artist. text must be trimmed.
SongText splitNeteaseTitle (std::u16string_view text);

// The song of a WeSing window title "全民K歌 - song" or "全民K歌-song"; empty when the
// text has neither prefix or nothing but blanks after it.
std::u16string wesingSongOfTitle (std::u16string_view text);

} // namespace cadora
