// The analysis window's transform W(nu) near its main lobe, tabulated so that the audio thread can
// say what a steady partial contributes to any bin: a partial at fractional bin f with complex
// amplitude C puts C W(k - f) into bin k. Farther than the table's reach it reads zero, which
// only drops the far sidelobes.
#pragma once

#include "dsp/complexfloat.h"

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

namespace cadora {

// W(nu) of `window` (time origin at index `origin`), nu in bins of an FFT of `fftSize`, in the
// analysis' own convention (frame wrapped round the origin). Not for the audio thread.
std::complex<double> windowTransformAt (const std::vector<float>& window, std::size_t origin,
                                        std::size_t fftSize, double nu);

class WindowLobe
{
public:
	static constexpr std::size_t kReach = 16; // bins either side: a correction's reach and more
	static constexpr std::size_t kBins = 2 * kReach + 1;

	// W(k - f) at the whole bins k = first ... first + kBins - 1 around a partial at f; zero elsewhere.
	struct AtBins
	{
		std::ptrdiff_t first;
		std::array<ComplexF, kBins> w;

		ComplexF operator[] (std::ptrdiff_t k) const
		{
			const std::ptrdiff_t i = k - first;
			return i >= 0 && i < static_cast<std::ptrdiff_t> (kBins) ? w[static_cast<std::size_t> (i)]
			                                                         : ComplexF {0.0f, 0.0f};
		}
	};

	// Tabulates windowTransformAt. Not for the audio thread.
	void configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize);

	// W(nu), linearly interpolated; zero beyond the reach.
	ComplexF at (float nu) const
	{
		const float u = (nu + static_cast<float> (kReach)) * static_cast<float> (kStepsPerBin);
		if (!(u >= 0.0f) || !(u < static_cast<float> (table.size () - 1)))
			return {0.0f, 0.0f};
		const auto i = static_cast<std::size_t> (u);
		const float f = u - static_cast<float> (i);
		return table[i] + (table[i + 1] - table[i]) * f;
	}

	// The partial at f's lobe at the whole bins within the reach of it.
	AtBins around (float f) const
	{
		AtBins a {};
		a.first = static_cast<std::ptrdiff_t> (std::floor (f)) - static_cast<std::ptrdiff_t> (kReach) + 1;
		for (std::size_t i = 0; i < kBins; ++i)
			a.w[i] = at (static_cast<float> (a.first + static_cast<std::ptrdiff_t> (i)) - f);
		return a;
	}

private:
	static constexpr std::size_t kStepsPerBin = 64;
	std::vector<ComplexF> table; // W(-reach), W(-reach + 1/64), ..., W(reach)
};

} // namespace cadora
