// The weighted vote over the recent key results that decides which key is published:
// newer results weigh more, a first key needs three results with a clear leader, and a
// published key gives way only to a key that has won the last five results (or the last
// three with a wide margin), or at once to a key the music has cadenced into clearly more
// often than into the published key, or after three results to the minor key a fifth
// below a published major key (the published key was that minor key's dominant).
#pragma once

#include "keydetect/chromagram.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadora {

constexpr size_t kKeyHistoryLength = 10;

// The key to publish after this vote: the vote's winner, the newest result when the music
// has resolved into its tonic at least twice more often than into the published key's,
// or `publishedKey` (a key index or -1). `keyHistory` holds key indices, oldest first;
// `resolutions` counts the resolutions per tonic (resolutions.h) of the music behind the
// newest result, all zero when this vote brings no new result.
int32_t voteOnKeys (const std::vector<int32_t>& keyHistory, int32_t publishedKey,
                    const PitchClassLevels& resolutions);

} // namespace cadora
