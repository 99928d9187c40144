// The weighted vote over the recent key results that decides which key is published:
// newer results weigh more, a first key needs three results with a clear leader, and a
// published key gives way only to a key that has won the last five results (or the last
// three with a wide margin).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cadora {

constexpr size_t kKeyHistoryLength = 10;

// The key to publish after this vote: the vote's winner, or `publishedKey` (a key index
// or -1) when the winner is not clear enough. `keyHistory` holds key indices, oldest first.
int32_t voteOnKeys (const std::vector<int32_t>& keyHistory, int32_t publishedKey);

} // namespace cadora
