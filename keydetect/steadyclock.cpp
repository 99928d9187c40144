#include "keydetect/steadyclock.h"

#include <chrono>

namespace cadora {

int64_t RealSteadyClock::nowNs ()
{
	const auto sinceEpoch = std::chrono::steady_clock::now ().time_since_epoch ();
	return std::chrono::duration_cast<std::chrono::nanoseconds> (sinceEpoch).count ();
}

} // namespace cadora
