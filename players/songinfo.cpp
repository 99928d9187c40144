#include "players/songinfo.h"

#include <cstring>

namespace cadora {

namespace {

bool isContinuationByte (unsigned char c)
{
	return (c & 0xC0) == 0x80;
}

} // namespace

void setSongField (char* field, size_t capacity, std::string_view text)
{
	if (capacity == 0)
		return;
	std::memset (field, 0, capacity);
	size_t length = text.size () < capacity - 1 ? text.size () : capacity - 1;
	// Cut before a character whose bytes would not all fit.
	if (length < text.size ())
		while (length > 0 && isContinuationByte (static_cast<unsigned char> (text[length])))
			--length;
	std::memcpy (field, text.data (), length);
}

SongInfo initialSongInfo ()
{
	SongInfo info;
	setSongField (info.playerLabel, "正在检测播放器");
	setSongField (info.title, "暂无歌曲名称");
	setSongField (info.artist, "暂无歌手信息");
	return info;
}

} // namespace cadora
