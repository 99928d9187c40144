// The 32 bars of the spectrum display: each follows its band level quickly up and more
// slowly down, once per drawing, and leaves a peak marker that sinks once per refresh
// tick. Values 0..1 of the bar height.
#pragma once

#include <array>

namespace cadora {

struct SpectrumBars
{
	static constexpr int kBars = 32;

	std::array<double, kBars> level {};
	std::array<double, kBars> peak {};

	// One drawing: every bar moves towards min (band level x 1.8, 1) by 0.88 of the
	// distance when rising, 0.55 when falling; the peak keeps the highest level.
	void advance (const std::array<float, kBars>& bandLevels);
	// One refresh tick: every peak sinks by 0.035, not below 0.
	void decayPeaks ();
	// A peak marker is drawn only above this height.
	static bool peakVisible (double p) { return p > 0.01; }
};

} // namespace cadora
