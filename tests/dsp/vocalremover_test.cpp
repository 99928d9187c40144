#include "dsp/vocalremover.h"

#include "dsp/mathconstants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace cadora {
namespace {

std::vector<float> sine (int n, double frequency, double rate, float amplitude)
{
	std::vector<float> s (n);
	for (int i = 0; i < n; ++i)
		s[i] = amplitude * static_cast<float> (std::sin (2.0 * kPi * frequency * i / rate));
	return s;
}

float peak (const std::vector<float>& s, int from)
{
	float p = 0.0f;
	for (size_t i = from; i < s.size (); ++i)
		p = std::max (p, std::fabs (s[i]));
	return p;
}

TEST (VocalRemover, AtThresholdLeavesChannelsAndStateUntouched)
{
	auto left = sine (256, 1000.0, 44100.0, 0.5f);
	auto right = sine (256, 700.0, 44100.0, 0.3f);
	const auto leftBefore = left;
	const auto rightBefore = right;
	VocalRemoverState state {0.25f, -0.125f};
	removeVocals (state, left.data (), right.data (), 256, 0.001f);
	EXPECT_EQ (0, std::memcmp (left.data (), leftBefore.data (), 256 * sizeof (float)));
	EXPECT_EQ (0, std::memcmp (right.data (), rightBefore.data (), 256 * sizeof (float)));
	EXPECT_EQ (0.25f, state.lowLeft);
	EXPECT_EQ (-0.125f, state.lowRight);
}

TEST (VocalRemover, CentreSignalLeavesOnlyLowBandAtFullStrength)
{
	// A 3 kHz centre tone sits far above the ~150 Hz corner: at full strength only the
	// small low-band residue of the one-pole filter remains.
	const int n = 44100;
	auto left = sine (n, 3000.0, 44100.0, 0.5f);
	auto right = left;
	VocalRemoverState state;
	removeVocals (state, left.data (), right.data (), n, 1.0f);
	EXPECT_LT (peak (left, n / 2), 0.5f * 0.08f); // the one-pole lets ~5 % of 3 kHz through
	for (int i = n / 2; i < n; ++i)
		ASSERT_EQ (left[i], right[i]);
}

TEST (VocalRemover, AntiPhaseSignalIsRaisedAndClipped)
{
	const int n = 44100;
	auto left = sine (n, 3000.0, 44100.0, 0.2f);
	std::vector<float> right (n);
	for (int i = 0; i < n; ++i)
		right[i] = -left[i];
	VocalRemoverState state;
	removeVocals (state, left.data (), right.data (), n, 1.0f);
	EXPECT_NEAR (peak (left, n / 2), 0.5f, 0.03f); // 2.5 x 0.2

	auto loudLeft = sine (n, 3000.0, 44100.0, 0.8f);
	std::vector<float> loudRight (n);
	for (int i = 0; i < n; ++i)
		loudRight[i] = -loudLeft[i];
	VocalRemoverState loudState;
	removeVocals (loudState, loudLeft.data (), loudRight.data (), n, 1.0f);
	EXPECT_EQ (1.0f, peak (loudLeft, n / 2));
	EXPECT_EQ (1.0f, peak (loudRight, n / 2));
}

TEST (VocalRemover, ConstantInputSettlesToItself)
{
	const int n = 4000;
	std::vector<float> left (n, 0.5f);
	std::vector<float> right (n, 0.5f);
	VocalRemoverState state;
	removeVocals (state, left.data (), right.data (), n, 1.0f);
	EXPECT_NEAR (left.back (), 0.5f, 1e-4f);
	EXPECT_NEAR (right.back (), 0.5f, 1e-4f);
}

TEST (VocalRemover, OutputNeverLeavesUnitRange)
{
	for (float strength : {0.01f, 0.3f, 0.7f, 1.0f})
	{
		auto left = sine (8192, 2500.0, 48000.0, 1.0f);
		auto right = sine (8192, 400.0, 48000.0, -1.0f);
		VocalRemoverState state;
		removeVocals (state, left.data (), right.data (), 8192, strength);
		for (int i = 0; i < 8192; ++i)
		{
			ASSERT_LE (std::fabs (left[i]), 1.0f) << strength;
			ASSERT_LE (std::fabs (right[i]), 1.0f) << strength;
		}
	}
}

TEST (VocalRemover, FrozenStateContinuesAfterPause)
{
	std::vector<float> left (100, 0.5f);
	std::vector<float> right (100, 0.5f);
	VocalRemoverState state;
	removeVocals (state, left.data (), right.data (), 100, 1.0f);
	const VocalRemoverState frozen = state;
	removeVocals (state, left.data (), right.data (), 100, 0.0f);
	EXPECT_EQ (frozen.lowLeft, state.lowLeft);
	EXPECT_EQ (frozen.lowRight, state.lowRight);
}

} // namespace
} // namespace cadora
