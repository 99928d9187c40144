#include "keydetect/spectralkernel.h"

#include "dsp/mathconstants.h"

#include <cmath>

namespace cadora {

SpectralKernel::SpectralKernel (double sampleRate, size_t frameLength)
{
	for (size_t bin = 1; bin <= frameLength / 2; ++bin)
	{
		const double hz = static_cast<double> (bin) * sampleRate / static_cast<double> (frameLength);
		const double semitones = 12.0 * std::log2 (hz / kLowestBandHz);
		if (semitones <= -1.0 || semitones >= static_cast<double> (kBandCount))
			continue;
		const double below = std::floor (semitones);
		const double fraction = semitones - below;
		const double shareBelow = std::cos (kHalfPi * fraction);
		const int lower = static_cast<int> (below);
		if (lower >= 0)
			entries.push_back (
			    {static_cast<uint32_t> (bin), static_cast<uint32_t> (lower), shareBelow * shareBelow});
		if (lower + 1 < kBandCount)
			entries.push_back ({static_cast<uint32_t> (bin), static_cast<uint32_t> (lower + 1),
			                    1.0 - shareBelow * shareBelow});
	}
}

void SpectralKernel::apply (const double* magnitudes, BandLevels& bands) const
{
	bands.fill (0.0);
	for (const Entry& e : entries)
		bands[e.band] += e.weight * magnitudes[e.bin];
}

} // namespace cadora
