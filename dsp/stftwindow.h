// Window design for the short-time transform: FFT size rule and the normalised Kaiser window
// whose squares, placed every hop, add up to one.
#pragma once

#include <cstddef>
#include <vector>

namespace cadora {

// FFT size for a frame of `block` samples: 4 * 2^k * m with m in {1, 2, 3, 4, 5, 6, 8},
// at least `block`, so that its odd factor is 1, 3 or 5.
std::size_t fftSizeForBlock (std::size_t block);

// Modified Bessel function I0 from x^2, by its power series, stopping once the next term
// is 1e-4 or less.
double besselI0FromSquare (double xSquared);

// Kaiser window of `block` samples shaped by the overlap ratio block/interval, then scaled per
// residue modulo `interval` so that the squares of windows placed every interval sum to 1.
std::vector<float> makeTransposerWindow (std::size_t block, std::size_t interval);

// Index of the window's maximum, starting from the candidate size/2 and replacing it only by
// a strictly larger value.
std::size_t windowPeakIndex (const std::vector<float>& window);

} // namespace cadora
