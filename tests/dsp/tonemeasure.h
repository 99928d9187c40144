// Measurements on transposer output shared by the tests and the benchmark: frequency of a
// steady partial, pitch difference in cents, and the energy centre of a signal (for delays).
#pragma once

#include "dsp/mathconstants.h"

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

namespace cadora::tonemeasure {

// Frequency of the steady partial near `guess` in x[begin, begin + length), from the phase
// drift of demodulated 50 ms segments (unambiguous within +-10 Hz of the guess).
inline double frequency (const std::vector<float>& x, std::size_t begin, std::size_t length,
                         double guess, double sampleRate)
{
	const auto segment = static_cast<std::size_t> (sampleRate / 20.0);
	const std::size_t segments = length / segment;
	double drift = 0.0;
	std::complex<double> previous;
	for (std::size_t s = 0; s < segments; ++s)
	{
		std::complex<double> sum;
		for (std::size_t i = begin + s * segment; i < begin + (s + 1) * segment; ++i)
			sum += static_cast<double> (x[i]) * std::polar (1.0, -kTwoPi * guess * static_cast<double> (i) / sampleRate);
		if (s > 0)
			drift += std::arg (sum * std::conj (previous));
		previous = sum;
	}
	return guess + drift / static_cast<double> (segments - 1) / static_cast<double> (segment) * sampleRate / kTwoPi;
}

inline double cents (double frequency, double reference) { return 1200.0 * std::log2 (frequency / reference); }

// Energy-weighted mean sample index; `energy` receives the total energy.
inline double energyCentre (const std::vector<float>& x, double& energy)
{
	double weighted = 0.0;
	energy = 0.0;
	for (std::size_t i = 0; i < x.size (); ++i)
	{
		const double e = static_cast<double> (x[i]) * x[i];
		weighted += static_cast<double> (i) * e;
		energy += e;
	}
	return weighted / energy;
}

} // namespace cadora::tonemeasure
