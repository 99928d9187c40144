#include "dsp/stftwindow.h"

#include "dsp/mathconstants.h"

#include <algorithm>
#include <cmath>

namespace cadora {
namespace {

// Kaiser shape parameter for the overlap ratio block/interval.
double kaiserBeta (std::size_t block, std::size_t interval)
{
	const double r = static_cast<double> (block) / static_cast<double> (interval);
	double bandwidth = 8.0 / ((r + 3.0) * (r + 3.0)) + r + 0.25 * std::max (3.0 - r, 0.0);
	bandwidth = std::max (bandwidth, 2.0);
	return kPi * std::sqrt (bandwidth * bandwidth / 4.0 - 1.0);
}

// Scales each residue class modulo `interval` to a unit sum of squares.
void normaliseSquaresPerHop (std::vector<float>& w, std::size_t interval)
{
	for (std::size_t q = 0; q < interval && q < w.size (); ++q)
	{
		float sum = 0.0f;
		for (std::size_t i = q; i < w.size (); i += interval)
			sum += w[i] * w[i];
		const float scale = 1.0f / std::sqrt (sum);
		for (std::size_t i = q; i < w.size (); i += interval)
			w[i] *= scale;
	}
}

} // namespace

std::size_t fftSizeForBlock (std::size_t block)
{
	const std::size_t x = ((block + 1) / 2 + 1) / 2;
	std::size_t c = 1;
	while (c < x && c < 16)
		c *= 2;
	while (8 * c < x)
		c *= 2;
	std::size_t m = (x + c - 1) / c;
	if (m == 7)
		m = 8;
	return 4 * c * std::max<std::size_t> (m, 1);
}

double besselI0FromSquare (double xSquared)
{
	double sum = 0.0;
	double term = 1.0;
	for (int m = 1; term > 0.0001; ++m)
	{
		sum += term;
		term = term * xSquared / (4.0 * m * m);
	}
	return sum;
}

std::vector<float> makeTransposerWindow (std::size_t block, std::size_t interval)
{
	const double beta = kaiserBeta (block, interval);
	const double denominator = besselI0FromSquare (beta * beta);
	const double b = static_cast<double> (block);
	const double o = (block % 2 == 1) ? 1.0 : 0.0;
	std::vector<float> w (block);
	for (std::size_t i = 0; i < block; ++i)
	{
		const double t = (2.0 * static_cast<double> (i) + o) / b - 1.0;
		w[i] = static_cast<float> (besselI0FromSquare ((1.0 - t * t) * beta * beta) / denominator);
	}
	normaliseSquaresPerHop (w, interval);
	return w;
}

std::size_t windowPeakIndex (const std::vector<float>& window)
{
	if (window.empty ())
		return 0;
	std::size_t best = window.size () / 2;
	for (std::size_t i = 0; i < window.size (); ++i)
		if (window[i] > window[best])
			best = i;
	return best;
}

} // namespace cadora
