// The analysis window's transform W(nu) near its main lobe, tabulated so that the audio thread can
// say what a steady partial contributes to any bin: a partial at fractional bin f with complex
// amplitude C puts C W(k - f) into bin k. Farther than the table's reach it reads zero, which
// only drops the far sidelobes.
#pragma once

#include "dsp/complexfloat.h"

#include <cstddef>
#include <vector>

namespace cadora {

class WindowLobe
{
public:
	static constexpr float kReach = 16.0f; // bins either side: a correction's reach and more

	// Tabulates the transform of `window` (time origin at `origin`) at an FFT of `fftSize`, in the
	// analysis' own convention (frame wrapped round the origin). Not for the audio thread.
	void configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize);

	// W(nu), linearly interpolated; zero beyond the reach.
	ComplexF at (float nu) const
	{
		const float u = (nu + kReach) * static_cast<float> (kStepsPerBin);
		if (!(u >= 0.0f) || !(u < static_cast<float> (table.size () - 1)))
			return {0.0f, 0.0f};
		const auto i = static_cast<std::size_t> (u);
		const float f = u - static_cast<float> (i);
		return table[i] + (table[i + 1] - table[i]) * f;
	}

private:
	static constexpr std::size_t kStepsPerBin = 64;
	std::vector<ComplexF> table; // W(-reach), W(-reach + 1/64), ..., W(reach)
};

} // namespace cadora
