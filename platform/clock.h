// The steady clock every time rule of the plug-in reads, and sleeping until a point of it.
#pragma once

#include <cstdint>

namespace cadora::platform {

// Signed 64-bit nanoseconds of a clock that never goes backwards.
int64_t steadyNowNs ();

// Returns once steadyNowNs () >= deadlineNs; at once for a deadline in the past.
void sleepUntilNs (int64_t deadlineNs);

} // namespace cadora::platform
