// Measurements on transposer output shared by the tests and the benchmark: frequency of a
// steady partial, pitch difference in cents, the energy centre of a signal (for delays), the
// energy off the expected partials (residual) and the energy ahead of clicks (pre-echo).
#pragma once

#include "dsp/mathconstants.h"
#include "dsp/transposerfft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

namespace cadora::tonemeasure {

// Frequency of the steady partial near `guess` in x[begin, begin + length), from the phase
// drift of demodulated 50 ms segments (unambiguous within +-10 Hz of the guess).
inline double frequency (const std::vector<float>& x, std::size_t begin, std::size_t length, double guess,
                         double sampleRate)
{
	const auto segment = static_cast<std::size_t> (sampleRate / 20.0);
	const std::size_t segments = length / segment;
	double drift = 0.0;
	std::complex<double> previous;
	for (std::size_t s = 0; s < segments; ++s)
	{
		std::complex<double> sum;
		for (std::size_t i = begin + s * segment; i < begin + (s + 1) * segment; ++i)
			sum += static_cast<double> (x[i]) *
			       std::polar (1.0, -kTwoPi * guess * static_cast<double> (i) / sampleRate);
		if (s > 0)
			drift += std::arg (sum * std::conj (previous));
		previous = sum;
	}
	return guess +
	       drift / static_cast<double> (segments - 1) / static_cast<double> (segment) * sampleRate / kTwoPi;
}

inline double cents (double frequency, double reference)
{
	return 1200.0 * std::log2 (frequency / reference);
}

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

// Energy outside +-halfBand Hz of every one of `partials` relative to all energy, in dB, from a
// Blackman-Harris windowed spectrum of x[begin, begin + length); length a power of two.
inline double residualDb (const std::vector<float>& x, std::size_t begin, std::size_t length,
                          const std::vector<double>& partials, double sampleRate, double halfBand)
{
	std::vector<float> frame (length);
	for (std::size_t i = 0; i < length; ++i)
	{
		const double p = kTwoPi * static_cast<double> (i) / static_cast<double> (length);
		const double w =
		    0.35875 - 0.48829 * std::cos (p) + 0.14128 * std::cos (2 * p) - 0.01168 * std::cos (3 * p);
		frame[i] = static_cast<float> (w * x[begin + i]);
	}
	ModifiedRealFft fft;
	fft.setSize (length);
	std::vector<ComplexF> bins (length / 2);
	fft.forward (frame.data (), bins.data ());
	double inBand = 0.0, total = 0.0;
	for (std::size_t k = 0; k < length / 2; ++k)
	{
		const double e = static_cast<double> (squaredMagnitude (bins[k]));
		const double f = (static_cast<double> (k) + 0.5) * sampleRate / static_cast<double> (length);
		total += e;
		if (std::any_of (partials.begin (), partials.end (),
		                 [&] (double p) { return std::fabs (f - p) <= halfBand; }))
			inBand += e;
	}
	return 10.0 * std::log10 (std::max (total - inBand, 1e-30 * total) / total);
}

// Energy in the `span` samples before each click's arrival (click position + delay, less a
// guard of `guard` samples) against the energy in the `span` samples from there on, summed over
// the clicks, in dB.
inline double preEchoDb (const std::vector<float>& x, const std::vector<std::size_t>& clicks,
                         std::size_t delay, std::size_t guard, std::size_t span)
{
	const auto energy = [&x] (std::size_t from, std::size_t to) {
		double sum = 0.0;
		for (std::size_t i = from; i < std::min (to, x.size ()); ++i)
			sum += static_cast<double> (x[i]) * x[i];
		return sum;
	};
	double before = 0.0, after = 0.0;
	for (const std::size_t click : clicks)
	{
		const std::size_t onset = click + delay - guard;
		before += energy (onset - span, onset);
		after += energy (onset, onset + span);
	}
	return 10.0 * std::log10 (std::max (before, 1e-30) / std::max (after, 1e-30));
}

} // namespace cadora::tonemeasure
