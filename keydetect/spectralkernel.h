// Maps the magnitude spectrum of one analysis frame onto the semitone bands of the
// chromagram. Each FFT bin is shared between the two bands whose centres enclose it,
// with cos^2 / sin^2 weights over the semitone between them.
#pragma once

#include "keydetect/chromagram.h"

#include <cstdint>
#include <vector>

namespace cadora {

class SpectralKernel
{
public:
	SpectralKernel (double sampleRate, size_t frameLength);

	// magnitudes: bins 0..frameLength/2. Overwrites `bands`.
	void apply (const double* magnitudes, BandLevels& bands) const;

private:
	struct Entry
	{
		uint32_t bin;
		uint32_t band;
		double weight;
	};
	std::vector<Entry> entries;
};

} // namespace cadora
