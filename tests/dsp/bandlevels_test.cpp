#include "dsp/bandlevels.h"

#include "dsp/mathconstants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace cadora {
namespace {

std::vector<float> binSine (int bin, float amplitude)
{
	std::vector<float> s (kAnalysisLength);
	for (int n = 0; n < kAnalysisLength; ++n)
		s[n] = amplitude * static_cast<float> (std::sin (2.0 * kPi * bin * n / kAnalysisLength));
	return s;
}

class BandLevels : public ::testing::Test
{
protected:
	std::array<float, kAnalysisLength> window = makeAnalysisWindow ();
	std::array<float, kDisplayBands> levels {};

	void measure (const std::vector<float>& block, int times = 1)
	{
		for (int i = 0; i < times; ++i)
			measureBandLevels (block.data (), window.data (), levels.data ());
	}
};

TEST_F (BandLevels, WindowIsSymmetricHann)
{
	EXPECT_EQ (0.0f, window[0]);
	EXPECT_FLOAT_EQ (0.0f, window[511]);
	EXPECT_NEAR (1.0f, window[255], 1e-4f);
	EXPECT_FLOAT_EQ (window[100], window[411]);
}

TEST_F (BandLevels, SineAtFirstBandSettlesNearPointNineTwo)
{
	measure (binSine (1, 0.1f), 20);
	EXPECT_NEAR (0.92f, levels[0], 0.01f);
	for (int band = 1; band < kDisplayBands; ++band)
		EXPECT_LT (levels[band], 0.02f) << band;
}

TEST_F (BandLevels, FullScaleSineIsCappedAndRisesFast)
{
	for (int band : {0, 7, 31})
	{
		levels.fill (0.0f);
		measure (binSine (4 * band + 1, 1.0f));
		EXPECT_NEAR (0.98f, levels[band], 1e-6f) << band;
		measure (binSine (4 * band + 1, 1.0f), 5);
		EXPECT_NEAR (1.0f, levels[band], 1e-6f) << band;
	}
}

TEST_F (BandLevels, SilenceClosesFourFifthsOfTheGapEachTime)
{
	measure (binSine (9, 1.0f), 10);
	const float before = levels[2];
	measure (std::vector<float> (kAnalysisLength, 0.0f));
	EXPECT_NEAR (before * 0.2f, levels[2], 1e-6f);
}

TEST_F (BandLevels, MatchesTheDirectSumBitForBit)
{
	// The reference: each band's bin summed sample by sample, each angle rounded to float
	// before its cosine and sine, as the measurement is defined.
	std::vector<float> block (kAnalysisLength);
	for (int n = 0; n < kAnalysisLength; ++n)
		block[n] = 0.3f * std::sin (0.21f * n) + 0.2f * std::sin (1.7f * n) - 0.1f * std::cos (0.05f * n);
	measure (block);
	for (int band = 0; band < kDisplayBands; ++band)
	{
		const double omega = 2.0 * kPi * (4 * band + 1) / kAnalysisLength;
		float re = 0.0f, im = 0.0f;
		for (int n = 0; n < kAnalysisLength; ++n)
		{
			const float angle = static_cast<float> (n * omega);
			const float x = block[n] * window[n];
			re += x * std::cos (angle);
			im -= x * std::sin (angle);
		}
		float level = 5.8f * std::sqrt (std::sqrt (re * re + im * im) / kAnalysisLength);
		level = level > 1.0f ? 1.0f : level;
		EXPECT_EQ (0.0f + (level - 0.0f) * (level > 0.0f ? 0.98f : 0.8f), levels[band]) << band;
	}
}

} // namespace
} // namespace cadora
