#include "dsp/windowlobe.h"

#include "dsp/mathconstants.h"

#include <complex>

namespace cadora {

void WindowLobe::configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize)
{
	const auto steps = static_cast<std::size_t> (2.0f * kReach) * kStepsPerBin + 1;
	table.assign (steps, ComplexF {0.0f, 0.0f});
	for (std::size_t s = 0; s < steps; ++s)
	{
		const double nu = static_cast<double> (s) / static_cast<double> (kStepsPerBin) - kReach;
		const double turn = 2.0 * kPi * nu / static_cast<double> (fftSize);
		const std::complex<double> step = std::polar (1.0, -turn);
		std::complex<double> phasor = std::polar (1.0, turn * static_cast<double> (origin));
		std::complex<double> sum;
		for (const float w : window)
		{
			sum += static_cast<double> (w) * phasor;
			phasor *= step;
		}
		table[s] = {static_cast<float> (sum.real ()), static_cast<float> (sum.imag ())};
	}
}

} // namespace cadora
