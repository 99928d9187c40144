#include "players/playerkinds.h"

#include "platform/desktop.h"
#include "players/utftext.h"

#include <string>

namespace cadora {

const PlayerKind kPlayers[kPlayerCount] = {
    {u"kugou", u"酷狗音乐"}, {u"qqmusic", u"QQ音乐"}, {u"netease", u"网易云音乐"},
    {u"wesing", u"全民K歌"}, {u"mvbox", u"MVBOX"},
};

namespace {

struct PlayerToken
{
	const char16_t* token; // lower case
	PlayerRow row;
};

// Order matters: the first token found decides, so a path naming both Kugou and QQ Music
// counts as Kugou.
const PlayerToken kPlayerTokens[] = {
    {u"kugou", kKugouRow},    {u"酷狗", kKugouRow},         {u"qqmusic", kQqMusicRow},
    {u"qq音乐", kQqMusicRow}, {u"cloudmusic", kNeteaseRow}, {u"netease", kNeteaseRow},
    {u"网易云", kNeteaseRow}, {u"wesing", kWesingRow},      {u"karaoke", kWesingRow},
    {u"全民k歌", kWesingRow}, {u"mvbox", kMvboxRow},
};

} // namespace

const PlayerKind* playerForSource (int32_t source)
{
	if (source < 1 || source > kPlayerCount)
		return nullptr;
	return &kPlayers[source - 1];
}

const PlayerKind* classifyPlayer (std::u16string_view text)
{
	const std::u16string lower = lowerAscii (text);
	for (const PlayerToken& entry : kPlayerTokens)
		if (lower.find (entry.token) != std::u16string::npos)
			return &kPlayers[entry.row];
	return nullptr;
}

const PlayerKind* playerOfProcess (platform::Desktop& desktop, uint32_t pid)
{
	if (pid == 0)
		return nullptr;
	std::u16string path;
	if (!desktop.processImagePath (pid, path))
		return nullptr;
	return classifyPlayer (path);
}

} // namespace cadora
