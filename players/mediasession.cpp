#include "players/mediasession.h"

#include "platform/desktop.h"

namespace cadora {

namespace {

// Whether session i may be read for target, choosing the target from the session in
// automatic mode. matched: the session belongs to the target itself, so even an empty
// title is taken.
bool sessionQualifies (const PlayerKind* player, int32_t source, const PlayerKind*& target, bool& matched)
{
	matched = false;
	if (!target)
	{
		if (source != 0 || !player)
			return false;
		target = player;
		matched = true;
		return true;
	}
	matched = player == target;
	// NetEase Cloud Music plays through players that name no known application.
	if (!player)
		return target == &kPlayers[kNeteaseRow];
	return matched;
}

} // namespace

bool readMediaSession (platform::Desktop& desktop, int32_t source, const PlayerKind*& target,
                       std::u16string& title, std::u16string& artist, bool& fromMediaSession)
{
	std::unique_ptr<platform::MediaSessionList> sessions = desktop.mediaSessions ();
	uint32_t count = 0;
	if (!sessions || !sessions->count (count))
		return false;
	for (uint32_t i = 0; i < count; ++i)
	{
		std::u16string app;
		int32_t status = 0;
		if (!sessions->appId (i, app))
			return false;
		const PlayerKind* player = classifyPlayer (app);
		if (!sessions->playbackStatus (i, status))
			return false;
		bool matched = false;
		if (status != platform::MediaSessionList::kPlaying ||
		    !sessionQualifies (player, source, target, matched))
			continue;
		std::u16string t;
		if (!sessions->title (i, t))
			return false;
		if (!matched && t.empty ())
			continue;
		title = std::move (t);
		std::u16string a;
		if (!sessions->artist (i, a))
			return false;
		artist = std::move (a);
		fromMediaSession = true;
		return true;
	}
	return true;
}

} // namespace cadora
