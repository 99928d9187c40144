// The media-session step of a detection pass: looks through the system's media sessions
// for a playing session of the player being detected, takes its title and artist, and in
// automatic mode may itself choose the player. The step keeps no state between passes.
#pragma once

#include "players/playerkinds.h"

#include <string>

namespace cadora {

// source: the "Player Source" value 0..5; target: the player being detected, set here
// when it is null, source is 0 and a playing session of a known player turns up.
// title, artist and fromMediaSession change only when a session is taken. Returns false
// when a platform call failed: the step ended there, and what it assigned before the
// failure (a target, a title read just before the artist) stays.
bool readMediaSession (platform::Desktop& desktop, int32_t source, const PlayerKind*& target,
                       std::u16string& title, std::u16string& artist, bool& fromMediaSession);

} // namespace cadora
