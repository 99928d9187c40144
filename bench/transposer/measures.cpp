#include "measures.h"

#include "dsp/transposerfft.h"

#include <algorithm>
#include <cmath>

namespace cadora::bench {
namespace {

constexpr double kTwoPi = 6.283185307179586;

double energy (const std::vector<float>& x, std::size_t from, std::size_t to)
{
	double sum = 0.0;
	for (std::size_t i = from; i < std::min (to, x.size ()); ++i)
		sum += static_cast<double> (x[i]) * x[i];
	return sum;
}

} // namespace

double residualDb (const std::vector<float>& x, std::size_t begin, const std::vector<double>& partials,
                   double sampleRate, double halfBand)
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
		const bool near = std::any_of (partials.begin (), partials.end (),
		                               [&] (double p) { return std::fabs (f - p) <= halfBand; });
		if (near)
			inBand += e;
	}
	return 10.0 * std::log10 (std::max (total - inBand, 1e-30 * total) / total);
}

double preEchoDb (const std::vector<float>& x, const std::vector<std::size_t>& clicks, std::size_t delay,
                  std::size_t guard, std::size_t span)
{
	double before = 0.0, after = 0.0;
	for (const std::size_t click : clicks)
	{
		const std::size_t onset = click + delay - guard;
		before += energy (x, onset - span, onset);
		after += energy (x, onset, onset + span);
	}
	return 10.0 * std::log10 (std::max (before, 1e-30) / std::max (after, 1e-30));
}

} // namespace cadora::bench
