// The audio-session probe: which known player is audibly playing at this instant. Every
// failure (no device list, a session without owner or meter) only removes the item
// concerned; the probe never reports an error and returns null when nothing qualifies.
#pragma once

#include "players/playerkinds.h"

namespace cadora {

// Below this peak a session counts as silent.
constexpr float kAudiblePeak = 0.01f;

// The known player with the loudest session above kAudiblePeak; with source 1..5 only
// that player can be returned. A tie keeps the session met first.
const PlayerKind* loudestPlayer (platform::Desktop& desktop, int32_t source);

} // namespace cadora
