// Energy off the expected partial in engine output, from a long windowed spectrum.
#pragma once

#include <cstddef>
#include <vector>

namespace cadora::bench {

constexpr std::size_t kResidualLength = 262144;

// Energy outside +-halfBand Hz of `frequency` relative to all energy, in dB, from a
// Blackman-Harris windowed spectrum of x[begin, begin + kResidualLength).
double residualDb (const std::vector<float>& x, std::size_t begin, double frequency, double sampleRate,
                   double halfBand);

} // namespace cadora::bench
