// The record the song detector publishes and the editor draws: which player is shown
// and which song it plays, as fixed-size, NUL-terminated, zero-filled UTF-8 fields, so
// that a copy is one plain assignment and consumers may compare whole fields.
#pragma once

#include <cstddef>
#include <string_view>

namespace cadora {

struct SongInfo
{
	bool fromMediaSession = false; // the pass took title and artist from a media session
	char playerId[16] = {};        // key of the player shown ("kugou", ...); empty = none
	char playerLabel[64] = {};     // display name of the player shown, or a status text
	char title[256] = {};          // song title, or a placeholder text
	char artist[128] = {};         // artist, or a placeholder text
};

static_assert (sizeof (SongInfo) == 465, "SongInfo is a packed 465-byte record");

// Zero-fills field, then writes as much of text as fits before the terminating NUL,
// cut at a UTF-8 character boundary.
void setSongField (char* field, size_t capacity, std::string_view text);

template <size_t N>
void setSongField (char (&field)[N], std::string_view text)
{
	setSongField (field, N, text);
}

// The record of a detector that has not finished a pass yet: no player, "正在检测播放器",
// "暂无歌曲名称", "暂无歌手信息".
SongInfo initialSongInfo ();

} // namespace cadora
