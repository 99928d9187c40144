#include "players/loudestplayer.h"

#include "platform/desktop.h"

#include <vector>

namespace cadora {

const PlayerKind* loudestPlayer (platform::Desktop& desktop, int32_t source)
{
	std::vector<platform::AudioSession> sessions;
	if (!desktop.audioSessions (sessions))
		return nullptr;
	const PlayerKind* wanted = playerForSource (source);
	const PlayerKind* result = nullptr;
	float best = kAudiblePeak;
	for (const platform::AudioSession& session : sessions)
	{
		// The peak first: a session too quiet to win needs no process opened.
		if (!(session.peak > best))
			continue;
		const PlayerKind* player = playerOfProcess (desktop, session.pid);
		if (player && (source == 0 || player == wanted))
		{
			best = session.peak;
			result = player;
		}
	}
	return result;
}

} // namespace cadora
