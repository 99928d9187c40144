#include "dsp/windowlobe.h"

#include "dsp/mathconstants.h"

namespace cadora {

std::complex<double> windowTransformAt (const std::vector<float>& window, std::size_t origin,
                                        std::size_t fftSize, double nu)
{
	const std::complex<double> step = std::polar (1.0, -2.0 * kPi * nu / static_cast<double> (fftSize));
	std::complex<double> phasor =
	    std::polar (1.0, 2.0 * kPi * nu * static_cast<double> (origin) / static_cast<double> (fftSize));
	std::complex<double> sum;
	for (const float w : window)
	{
		sum += static_cast<double> (w) * phasor;
		phasor *= step;
	}
	return sum;
}

void WindowLobe::configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize)
{
	const std::size_t steps = 2 * kReach * kStepsPerBin + 1;
	table.assign (steps, ComplexF {0.0f, 0.0f});
	for (std::size_t s = 0; s < steps; ++s)
	{
		const double nu =
		    static_cast<double> (s) / static_cast<double> (kStepsPerBin) - static_cast<double> (kReach);
		const std::complex<double> sum = windowTransformAt (window, origin, fftSize, nu);
		table[s] = {static_cast<float> (sum.real ()), static_cast<float> (sum.imag ())};
	}
}

} // namespace cadora
