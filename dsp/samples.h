// What the plug-in does with a sample that is not a finite number (a NaN or an infinity
// from a misbehaving plug-in upstream): it counts as silence.
#pragma once

#include <cmath>

namespace cadora {

inline float finiteOrZero (float v)
{
	return std::isfinite (v) ? v : 0.0f;
}

} // namespace cadora
