#include "measures.h"

#include "dsp/mathconstants.h"
#include "dsp/transposerfft.h"

#include <cmath>

namespace cadora::bench {

double residualDb (const std::vector<float>& x, std::size_t begin, double frequency, double sampleRate,
                   double halfBand)
{
	const std::size_t n = kResidualLength;
	std::vector<float> frame (n);
	for (std::size_t i = 0; i < n; ++i)
	{
		const double p = kTwoPi * static_cast<double> (i) / static_cast<double> (n);
		const double w = 0.35875 - 0.48829 * std::cos (p) + 0.14128 * std::cos (2 * p) - 0.01168 * std::cos (3 * p);
		frame[i] = static_cast<float> (w * x[begin + i]);
	}
	ModifiedRealFft fft;
	fft.setSize (n);
	std::vector<ComplexF> bins (n / 2);
	fft.forward (frame.data (), bins.data ());
	double inBand = 0.0, total = 0.0;
	for (std::size_t k = 0; k < n / 2; ++k)
	{
		const double e = static_cast<double> (squaredMagnitude (bins[k]));
		const double f = (static_cast<double> (k) + 0.5) * sampleRate / static_cast<double> (n);
		total += e;
		if (std::fabs (f - frequency) <= halfBand)
			inBand += e;
	}
	return 10.0 * std::log10 (std::max (total - inBand, 1e-30 * total) / total);
}

} // namespace cadora::bench
