// Short-time transform: seeding of the window sum, and reconstruction of the input delayed
// by one block when the spectrum is left unchanged.
#include "dsp/stft.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace cadora {
namespace {

// p[i] = N x analysis window[i] x synthesis window[i].
float windowProduct (const Stft& stft, std::size_t i)
{
	return static_cast<float> (stft.fftSize ()) * stft.analysisWindow ()[i] * stft.synthesisWindow ()[i];
}

TEST (Stft, ResetSeedsWindowSumWithEarlierFrames)
{
	const std::size_t block = 1764, interval = 661;
	Stft stft;
	stft.configure (2, 2, block, interval + 1);
	stft.setInterval (interval);
	stft.reset (0.1f);

	ASSERT_EQ (stft.outputPosition (), interval);
	for (std::size_t o = 0; o < block; ++o)
	{
		float expected = 0.0f;
		for (std::size_t i = o + interval; i < block; i += interval)
			expected += windowProduct (stft, i);
		expected = expected * 0.1f + 1e-30f;
		const float got = stft.windowSumAt ((interval + o) % block);
		if (o + interval >= block)
			ASSERT_EQ (got, 1e-30f) << "offset " << o;
		else
			ASSERT_NEAR (got, expected, 1e-4f * expected) << "offset " << o;
	}
}

struct ReconstructionCase
{
	std::size_t block;
	std::size_t interval;
};

class StftReconstruction : public ::testing::TestWithParam<ReconstructionCase>
{
};

// Analysis followed directly by synthesis, one frame every interval, the way the transposer
// drives the transform: the output is the input delayed by exactly `block`, at unit gain.
TEST_P (StftReconstruction, UnchangedSpectrumGivesInputDelayedByBlock)
{
	const auto [block, interval] = GetParam ();
	Stft stft;
	stft.configure (2, 2, block, interval + 1);
	stft.setInterval (interval);
	stft.reset (0.1f);

	const std::size_t total = 6 * block + 3 * interval;
	std::mt19937 gen (7);
	std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
	std::vector<float> input[2] = {std::vector<float> (total), std::vector<float> (total)};
	for (auto& channel : input)
		for (float& v : channel)
			v = dist (gen);
	std::vector<float> output[2] = {std::vector<float> (total), std::vector<float> (total)};

	std::size_t sinceFrame = interval;
	for (std::size_t t = 0; t < total; ++t)
	{
		if (sinceFrame >= interval)
		{
			sinceFrame = 0;
			for (int c = 0; c < 2; ++c)
				stft.analyse (c, 0);
			for (int c = 0; c < 2; ++c)
				stft.synthesise (c);
		}
		++sinceFrame;
		for (int c = 0; c < 2; ++c)
			output[c][t] = stft.readOutput (c);
		stft.moveOutput (1);
		for (int c = 0; c < 2; ++c)
			stft.writeInput (c, 0, 1, &input[c][t]);
		stft.advanceInput (1);
	}

	for (int c = 0; c < 2; ++c)
		for (std::size_t t = 2 * block; t < total; ++t)
			ASSERT_NEAR (output[c][t], input[c][t - block], 2e-5f) << "channel " << c << " sample " << t;
}

INSTANTIATE_TEST_SUITE_P (Rates, StftReconstruction,
                          ::testing::Values (ReconstructionCase {1764, 661}, ReconstructionCase {1920, 720},
                                             ReconstructionCase {320, 120}, ReconstructionCase {1323, 496}));

// Frames that end before the newest input: analysis with a time offset of one interval sees the
// same frame that an analysis one interval earlier saw.
TEST (Stft, AnalysisTimeOffsetReadsEarlierFrame)
{
	const std::size_t block = 320, interval = 120;
	Stft stft;
	stft.configure (1, 1, block, interval + 1);
	stft.setInterval (interval);
	stft.reset (0.1f);
	std::vector<float> x (block + interval);
	for (std::size_t i = 0; i < x.size (); ++i)
		x[i] = static_cast<float> ((i * 37) % 101) / 101.0f - 0.5f;

	stft.writeInput (0, 0, block, x.data ());
	stft.advanceInput (block);
	stft.analyse (0, 0);
	const std::vector<ComplexF> earlier (stft.spectrum (0), stft.spectrum (0) + stft.binCount ());

	stft.writeInput (0, 0, interval, x.data () + block);
	stft.advanceInput (interval);
	stft.analyse (0, interval);
	for (std::size_t b = 0; b < stft.binCount (); ++b)
	{
		ASSERT_EQ (stft.spectrum (0)[b].re, earlier[b].re) << b;
		ASSERT_EQ (stft.spectrum (0)[b].im, earlier[b].im) << b;
	}
}

} // namespace
} // namespace cadora
