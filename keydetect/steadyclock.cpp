#include "keydetect/steadyclock.h"

#include "platform/clock.h"

namespace cadora {

int64_t RealSteadyClock::nowNs ()
{
	return platform::steadyNowNs ();
}

} // namespace cadora
