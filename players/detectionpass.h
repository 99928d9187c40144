// One detection pass: the audio-session probe and the user's choice decide the player,
// the media session supplies title and artist where it can, and the player's own window
// or memory fills in or overrides them. The Kugou Music and QQ Music pairs carry over
// from pass to pass in DetectionState; everything else is worked out afresh.
#pragma once

#include "players/songinfo.h"

#include <cstdint>
#include <string>

namespace cadora {

namespace platform {
class Desktop;
}
class MvboxCacheReader;

struct DetectionState
{
	std::u16string qqStableTitle, qqStableArtist;       // accepted after confirmation
	std::u16string qqCandidateTitle, qqCandidateArtist; // seen, not yet confirmed
	int32_t qqCandidateCount = 0;
	std::u16string kugouTitle, kugouArtist; // last pair read from Kugou's window
};

// Runs one pass for player kind 0..5 and returns the record it produces. Exceptions
// other than those of the media-session step (which the pass absorbs) escape. MVBox's
// memory is read through the process-wide reader, or through the one given (tests).
SongInfo runDetectionPass (platform::Desktop& desktop, DetectionState& state, int32_t kind);
SongInfo runDetectionPass (platform::Desktop& desktop, DetectionState& state, int32_t kind,
                           MvboxCacheReader& mvbox);

} // namespace cadora
