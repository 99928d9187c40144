// The random source through std::random_device: /dev/urandom or the CPU's generator on
// Linux, rand_s (RtlGenRandom) or the CPU's generator with MinGW-w64.
#include "platform/randomsource.h"

#include <random>

namespace cadora::platform {

uint32_t osRandom ()
{
	std::random_device device;
	return static_cast<uint32_t> (device ());
}

} // namespace cadora::platform
