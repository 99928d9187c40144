// Spectral peaks of one transposer frame: which local maxima of the energy are partials of their
// own rather than the window's sidelobes of a stronger partial nearby, and where between the bins
// each partial lies. A peak taken for a sidelobe is simply not moved on its own; a frequency that
// the phase cannot give (no earlier frame, a transient) falls back to the magnitudes' shape.
#pragma once

#include "dsp/complexfloat.h"

#include <cstddef>
#include <vector>

namespace cadora {

class SidelobeGuard
{
public:
	// Measures how far the spectrum of `window` (time origin at index `origin`) leaks from its
	// peak, in bins of an FFT of `fftSize`. Not for the audio thread.
	void configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize);
	// True when the local maximum maxima[index] of `energy` is no more than a stronger maximum
	// could leak to it through the window's sidelobes, wherever between the bins its partial lies;
	// `maxima` lists all `count` local maxima in ascending order, `loudest` is the frame's largest
	// energy, which leaks at least the far sidelobes' level everywhere.
	bool isSidelobe (const float* energy, const std::size_t* maxima, std::size_t count, std::size_t index,
	                 float loudest) const;

private:
	std::vector<float> limit; // per bin distance: largest leaked energy relative to the peak bin
};

// Offset of a partial from bin k (about -1 ... 1), from its phase advance over one hop:
// `advance` is the sum over channels of this frame's value at k times the conjugate of the value
// one hop earlier. False when the advance is too weak or points outside the bin's reach.
bool offsetFromPhaseAdvance (ComplexF advance, float energy, std::size_t k, std::size_t hop,
                             std::size_t fftSize, float& offset);

// Offset of a partial from bin k (-0.5 ... 0.5), from a parabola through the logarithms of the
// energies at k - 1, k and k + 1.
float offsetFromMagnitudes (float below, float at, float above);

} // namespace cadora
