// How many threads this process runs now: for tests that check that starting and stopping
// the plug-in's worker leaves none behind. Returns 0 when the system will not say.
#pragma once

#include <cstddef>

namespace cadora::platform {

size_t threadsOfThisProcess ();

} // namespace cadora::platform
