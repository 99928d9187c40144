// Reading the playing song from the players' top-level windows. Kugou Music and QQ Music
// are found by window class and the best-placed parsable window wins; NetEase Cloud
// Music and WeSing are found through the process that owns a visible, titled window.
// The readers keep no state and report nothing: a window that does not fit is skipped.
#pragma once

#include "players/playerkinds.h"
#include "players/titletext.h"

#include <string>

namespace cadora {

// Kugou Music's pair when player is kPlayers[kKugouRow], QQ Music's otherwise; both texts
// empty when no window of that player's class parses.
SongText readWindowPair (platform::Desktop& desktop, const PlayerKind& player);

// The first visible NetEase Cloud Music window with a title that is not noise; the artist
// may be empty.
SongText readNeteaseTitle (platform::Desktop& desktop);

// The song of the first visible WeSing window with a song after its prefix; empty when
// there is none. WeSing's title names no artist.
std::u16string readWesingTitle (platform::Desktop& desktop);

} // namespace cadora
