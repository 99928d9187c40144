#include "dsp/spectralpeaks.h"

#include "dsp/mathconstants.h"
#include "dsp/windowlobe.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>

namespace cadora {
namespace {

constexpr std::size_t kReach = 64;      // bins either side within which leakage is checked
constexpr std::size_t kStepsPerBin = 8; // resolution of the leakage measurement
// Leaks of several stronger partials nearby add up: in phase, two of equal strength give four
// times the energy of either.
constexpr double kLeakMargin = 4.0;
// Below this share of the energy at the bin, the phase advance is noise rather than a partial's.
constexpr float kCoherence = 0.1f;

// Principal value of an angle, in (-pi, pi].
float wrapAngle (float a)
{
	const float turns = std::round (a * static_cast<float> (0.5 / kPi));
	return a - turns * static_cast<float> (2.0 * kPi);
}

} // namespace

void SidelobeGuard::configure (const std::vector<float>& window, std::size_t origin, std::size_t fftSize)
{
	const std::size_t reach = std::min (kReach, fftSize / 2);
	// Energy at nu = 0, 1/16, ... bins; the last entry covers the envelope beyond the reach.
	std::vector<double> energy ((reach + 1) * kStepsPerBin + 1);
	for (std::size_t i = 0; i < energy.size (); ++i)
		energy[i] =
		    std::norm (windowTransformAt (window, origin, fftSize, static_cast<double> (i) / kStepsPerBin));
	// The strongest bin of a partial lies within half a bin of it, so it holds at least |W(0.5)|^2,
	// and a bin d away from it is at least d - 0.5 bins from the partial.
	const double weakestPeak = energy[kStepsPerBin / 2];
	limit.assign (reach + 1, 1.0f);
	double envelope = 0.0;
	for (std::size_t d = reach; d >= 1; --d)
	{
		for (std::size_t i = (2 * d - 1) * kStepsPerBin / 2; i < (2 * d + 1) * kStepsPerBin / 2; ++i)
			envelope = std::max (envelope, energy[i]);
		limit[d] = static_cast<float> (std::min (1.0, kLeakMargin * envelope / weakestPeak));
	}
}

bool SidelobeGuard::isSidelobe (const float* energy, const std::size_t* maxima, std::size_t count,
                                std::size_t index, float loudest) const
{
	const std::size_t reach = limit.size () - 1;
	const std::size_t k = maxima[index];
	const float e = energy[k];
	if (e < limit[reach] * loudest)
		return true;
	// Outwards from k; past the distance at which even the loudest bin could not leak this much,
	// nothing farther can.
	for (std::size_t i = index; i-- > 0;)
	{
		const std::size_t d = k - maxima[i];
		if (d > reach || !(e < limit[d] * loudest))
			break;
		if (e < limit[d] * energy[maxima[i]])
			return true;
	}
	for (std::size_t i = index + 1; i < count; ++i)
	{
		const std::size_t d = maxima[i] - k;
		if (d > reach || !(e < limit[d] * loudest))
			break;
		if (e < limit[d] * energy[maxima[i]])
			return true;
	}
	return false;
}

bool offsetFromPhaseAdvance (ComplexF advance, float energy, std::size_t k, std::size_t hop,
                             std::size_t fftSize, float& offset)
{
	if (!(squaredMagnitude (advance) > kCoherence * kCoherence * energy * energy))
		return false;
	// The advance a partial at the bin's own frequency would have, reduced exactly in integers.
	const auto n = static_cast<std::uint64_t> (fftSize);
	const std::uint64_t halfTurns =
	    (static_cast<std::uint64_t> (hop) * (2 * static_cast<std::uint64_t> (k) + 1)) % (2 * n);
	const float expected =
	    static_cast<float> (kPi * static_cast<double> (halfTurns) / static_cast<double> (n));
	const float deviation = wrapAngle (std::atan2 (advance.im, advance.re) - expected);
	offset = deviation *
	         static_cast<float> (static_cast<double> (fftSize) / (2.0 * kPi * static_cast<double> (hop)));
	return std::fabs (offset) <= 1.0f;
}

float offsetFromMagnitudes (float below, float at, float above)
{
	constexpr float kFloor = 1e-30f;
	const float l0 = std::log (below + kFloor), l1 = std::log (at + kFloor), l2 = std::log (above + kFloor);
	const float curvature = l0 - 2.0f * l1 + l2;
	if (!(curvature < 0.0f))
		return 0.0f;
	return std::clamp (0.5f * (l0 - l2) / curvature, -0.5f, 0.5f);
}

} // namespace cadora
