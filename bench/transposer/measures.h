// Measures of engine output: energy off the expected partials, from a long windowed spectrum,
// and the energy an engine puts out ahead of each click of a click train (pre-echo).
#pragma once

#include <cstddef>
#include <vector>

namespace cadora::bench {

constexpr std::size_t kResidualLength = 262144;

// Energy outside +-halfBand Hz of every one of `partials` relative to all energy, in dB, from a
// Blackman-Harris windowed spectrum of x[begin, begin + kResidualLength).
double residualDb (const std::vector<float>& x, std::size_t begin, const std::vector<double>& partials,
                   double sampleRate, double halfBand);

// Output energy in the `span` samples before each click's arrival (click position + delay, less a
// guard of `guard` samples) against the energy in the `span` samples from there on, summed over
// the clicks, in dB.
double preEchoDb (const std::vector<float>& x, const std::vector<std::size_t>& clicks, std::size_t delay,
                  std::size_t guard, std::size_t span);

} // namespace cadora::bench
