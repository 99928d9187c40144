#include "editor/spectrumbars.h"

#include <algorithm>
#include <cmath>

namespace cadora {

namespace {

constexpr double kGain = 1.8; // a band level of 5/9 fills the bar
constexpr double kRise = 0.88;
constexpr double kFall = 0.55;
constexpr double kPeakDecay = 0.035;

} // namespace

void SpectrumBars::advance (const std::array<float, kBars>& bandLevels)
{
	for (int i = 0; i < kBars; ++i)
	{
		const double band = std::isfinite (bandLevels[i]) ? std::max (0.0f, bandLevels[i]) : 0.0;
		const double target = std::min (band * kGain, 1.0);
		const double k = target > level[i] ? kRise : kFall;
		level[i] += (target - level[i]) * k;
		peak[i] = std::max (peak[i], level[i]);
	}
}

void SpectrumBars::decayPeaks ()
{
	for (auto& p : peak)
		p = std::max (0.0, p - kPeakDecay);
}

} // namespace cadora
