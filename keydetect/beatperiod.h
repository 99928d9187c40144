// The beat period of music, from the log energy of its frames (about 200 a second): the lag,
// in frames, whose multiples — one beat, two beats, the bar — line up best with the rises of
// that energy, among the lags that are local peaks of that alignment, preferring periods near
// half a second. Weak or arhythmic music gives no period (0).
#pragma once

#include <cstddef>
#include <vector>

namespace cadora {

// Rises of the log energy from each frame to the next: out[0] = 0, out[m] = max (e[m] - e[m - 1], 0).
std::vector<float> onsetStrength (const std::vector<float>& logEnergy);

// The best beat period among the lags minLag .. maxLag that are below logEnergy.size () / 2,
// or 0 when there is none or it does not stand out from the other lags.
size_t findBeatPeriod (const std::vector<float>& logEnergy, size_t minLag, size_t maxLag);

} // namespace cadora
