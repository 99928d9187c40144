#include "players/detectionpass.h"

#include "platform/desktop.h"

namespace cadora {

// Placeholder until the readers land: no player is ever found.
SongInfo runDetectionPass (platform::Desktop&, DetectionState&, int32_t)
{
	SongInfo info;
	setSongField (info.playerLabel, "未检测到正在播放的播放器");
	setSongField (info.title, "暂无歌曲名称");
	setSongField (info.artist, "暂无歌手信息");
	return info;
}

} // namespace cadora
