// The steady clock on the C++ library: std::chrono::steady_clock is monotonic with
// nanosecond ticks on Linux and on MinGW-w64 (QueryPerformanceCounter) alike.
#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace cadora::platform {

int64_t steadyNowNs ()
{
	const auto sinceEpoch = std::chrono::steady_clock::now ().time_since_epoch ();
	return std::chrono::duration_cast<std::chrono::nanoseconds> (sinceEpoch).count ();
}

void sleepUntilNs (int64_t deadlineNs)
{
	// A sleep may end early by a tick of the system timer: sleep again for the rest.
	for (int64_t now = steadyNowNs (); now < deadlineNs; now = steadyNowNs ())
		std::this_thread::sleep_for (std::chrono::nanoseconds (deadlineNs - now));
}

} // namespace cadora::platform
