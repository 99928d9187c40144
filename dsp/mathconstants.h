// Mathematical constants shared by the signal code, the analysis, the tools and the tests,
// each written once.
#pragma once

namespace cadora {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi; // exact: doubling and halving change only the exponent
constexpr double kHalfPi = 0.5 * kPi;

} // namespace cadora
