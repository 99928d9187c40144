// The five supported music players, what the "Player Source" values mean, and how a
// player is recognised from a text (an executable path or a media-session application
// id) or from a running process. A player is one row of kPlayers; rows are compared by
// address, and "no player" is a null pointer.
#pragma once

#include <cstdint>
#include <string_view>

namespace cadora {

namespace platform {
class Desktop;
}

struct PlayerKind
{
	const char16_t* key;         // the player's identifier inside the plug-in
	const char16_t* displayName; // what the user is shown
};

enum PlayerRow : int32_t
{
	kKugouRow,
	kQqMusicRow,
	kNeteaseRow,
	kWesingRow,
	kMvboxRow,
	kPlayerCount,
};

// "Player Source" value v = 1..5 selects kPlayers[v - 1]; 0 is automatic detection.
extern const PlayerKind kPlayers[kPlayerCount];

// The row a "Player Source" value selects; null for 0 (automatic) and out-of-range values.
const PlayerKind* playerForSource (int32_t source);

// The player whose token the text carries, tested in a fixed order after lower-casing
// A..Z (an earlier token wins); null when it names none.
const PlayerKind* classifyPlayer (std::u16string_view text);

// The player whose executable runs as process pid; null when the process cannot be
// opened, its path cannot be read, or it is no known player (pid 0 never is).
const PlayerKind* playerOfProcess (platform::Desktop& desktop, uint32_t pid);

} // namespace cadora
