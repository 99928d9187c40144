// The operating system's non-deterministic random source, for seeds.
#pragma once

#include <cstdint>

namespace cadora::platform {

// 32 unpredictable bits, different in every process and on every call.
uint32_t osRandom ();

} // namespace cadora::platform
