#include "dsp/fractionalread.h"

#include "dsp/mathconstants.h"

#include <cmath>
#include <complex>
#include <vector>

namespace cadora {
namespace {

constexpr std::size_t kN = FractionalRead::kTaps;

using Matrix = std::array<std::array<double, kN>, kN>;
using Vector = std::array<double, kN>;

// Solves m x = v for the small symmetric positive definite system of the tap design.
Vector solve (Matrix m, Vector v)
{
	for (std::size_t i = 0; i < kN; ++i)
		for (std::size_t r = i + 1; r < kN; ++r)
		{
			const double f = m[r][i] / m[i][i];
			for (std::size_t c = i; c < kN; ++c)
				m[r][c] -= f * m[i][c];
			v[r] -= f * v[i];
		}
	Vector x {};
	for (std::size_t i = kN; i-- > 0;)
	{
		double s = v[i];
		for (std::size_t c = i + 1; c < kN; ++c)
			s -= m[i][c] * x[c];
		x[i] = s / m[i][i];
	}
	return x;
}

} // namespace

// Reading at x = k + t with taps c_j on bins k + j gives, for the windowed frame s[n], the
// spectrum of s[n] e^{i2pi n (x - k - j)/N} summed with weights c_j: each frame comes out scaled by
// E(n) = sum_j c_j e^{-i theta_n (j - t)}, theta_n = 2 pi n/N, n counted from the window's origin.
// After overlap-add an output sample carries the frames' E averaged with the weights of their
// window products there, R(p), which depends only on the sample's place p within one interval.
// The taps make R as close to 1 as least squares can, over every p.
void FractionalRead::configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize,
                                std::size_t interval)
{
	const std::size_t length = window.size ();
	// e^{-i theta_n j} for every tap j, and theta_n, per window index.
	std::vector<std::array<std::complex<double>, kN>> tapTurns (length);
	std::vector<double> theta (length);
	for (std::size_t i = 0; i < length; ++i)
	{
		theta[i] = 2.0 * kPi * (static_cast<double> (i) - static_cast<double> (origin)) /
		           static_cast<double> (fftSize);
		for (std::size_t j = 0; j < kN; ++j)
			tapTurns[i][j] =
			    std::polar (1.0,
			                -theta[i] * static_cast<double> (kFirstTap + static_cast<std::ptrdiff_t> (j)));
	}
	for (std::size_t q = 0; q <= kSteps; ++q)
	{
		const double t = static_cast<double> (q) / static_cast<double> (kSteps);
		Matrix gram {};
		Vector target {};
		for (std::size_t p = 0; p < interval && p < length; ++p)
		{
			std::array<std::complex<double>, kN> r {};
			double weight = 0.0;
			for (std::size_t i = p; i < length; i += interval)
			{
				const double product = static_cast<double> (window[i]) * static_cast<double> (window[i]);
				const std::complex<double> shift = std::polar (product, theta[i] * t);
				for (std::size_t j = 0; j < kN; ++j)
					r[j] += tapTurns[i][j] * shift;
				weight += product;
			}
			if (!(weight > 0.0))
				continue;
			for (std::size_t j = 0; j < kN; ++j)
			{
				r[j] /= weight;
				target[j] += r[j].real ();
			}
			for (std::size_t j = 0; j < kN; ++j)
				for (std::size_t k = 0; k < kN; ++k)
					gram[j][k] += (r[j] * std::conj (r[k])).real ();
		}
		const Vector taps = solve (gram, target);
		for (std::size_t j = 0; j < kN; ++j)
			table[q][j] = static_cast<float> (taps[j]);
	}
}

} // namespace cadora
