// One frame of spectral transposition on hand-made spectra: peak positions, the bin map
// between peaks, zero reads outside the bin range, energy of every output bin.
#include "dsp/spectraltransposition.h"
#include "dsp/stftwindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace cadora {
namespace {

constexpr std::size_t kFftSize = 2048;
constexpr std::size_t kBands = kFftSize / 2;
constexpr std::size_t kInterval = 661;
constexpr std::size_t kBlock = 1764;

// Configured as the transposer configures it at 44.1 kHz.
void configure (SpectralTransposition& st, int channels)
{
	const std::vector<float> window = makeTransposerWindow (kBlock, kInterval);
	st.configure (channels, kFftSize, kInterval, window, windowPeakIndex (window));
}

// A symmetric lobe of seven bins centred on `centre`, scaled by `gain`.
void addLobe (BandState* states, std::size_t centre, float gain)
{
	const float shape[] = {0.1f, 0.4f, 0.8f, 1.0f, 0.8f, 0.4f, 0.1f};
	for (std::size_t i = 0; i < 7; ++i)
		states[centre - 3 + i].input = {shape[i] * gain, 0.0f};
}

FrameSettings steadyFrame (float factor)
{
	return {true, factor != 1.0f, 1.0f, factor, 1.0f};
}

double outputCentroid (const BandState* states)
{
	double total = 0.0, weighted = 0.0;
	for (std::size_t b = 0; b < kBands; ++b)
	{
		const double e = squaredMagnitude (states[b].output);
		total += e;
		weighted += static_cast<double> (b) * e;
	}
	return weighted / total;
}

TEST (SpectralTransposition, SinglePeakMovesAsAWhole)
{
	SpectralTransposition st;
	configure (st, 1);
	addLobe (st.bandStates (0), 100, 1.0f);
	const float factor = 1.122462f;   // two semitones
	st.process (steadyFrame (factor));

	ASSERT_EQ (st.peaks ().size (), 1u);
	EXPECT_NEAR (st.peaks ()[0].inputBin, 100.0f, 1e-4f);
	const float outputBin = 100.5f * factor - 0.5f;   // 112.31
	EXPECT_NEAR (st.peaks ()[0].outputBin, outputBin, 1e-3f);
	for (std::size_t b = 0; b < kBands; ++b)
	{
		ASSERT_NEAR (st.binMap ()[b].inputBin, static_cast<float> (b) - (outputBin - 100.0f), 1e-3f) << b;
		ASSERT_EQ (st.binMap ()[b].freqGrad, 1.0f) << b;
	}
	EXPECT_NEAR (outputCentroid (st.bandStates (0)), outputBin, 0.01);
}

TEST (SpectralTransposition, TwoPeaksGlideBetweenTheirOffsets)
{
	SpectralTransposition st;
	configure (st, 1);
	addLobe (st.bandStates (0), 100, 1.0f);
	addLobe (st.bandStates (0), 200, 1.0f);
	st.process (steadyFrame (2.0f));

	ASSERT_EQ (st.peaks ().size (), 2u);
	EXPECT_NEAR (st.peaks ()[0].outputBin, 200.5f, 1e-3f);
	EXPECT_NEAR (st.peaks ()[1].outputBin, 400.5f, 1e-3f);
	const auto& map = st.binMap ();
	for (std::size_t b = 0; b <= 200; ++b)
		ASSERT_NEAR (map[b].inputBin - static_cast<float> (b), -100.5f, 1e-3f) << b;
	for (std::size_t b = 400; b < kBands; ++b)
		ASSERT_NEAR (map[b].inputBin - static_cast<float> (b), -200.5f, 1e-3f) << b;
	EXPECT_NEAR (map[400].inputBin, 199.5f, 1e-3f);
	// The offset falls monotonically in between, steepest midway, where freqGrad is 0.25.
	for (std::size_t b = 201; b <= 400; ++b)
		ASSERT_LE (map[b].inputBin - static_cast<float> (b), map[b - 1].inputBin - static_cast<float> (b - 1) + 1e-4f) << b;
	EXPECT_NEAR (map[300].freqGrad, 0.25f, 1e-3f);
	EXPECT_NEAR (map[201].freqGrad, 1.0f, 0.02f);
}

// Transposing down: the top output bins map above the input range, read zero there and stay
// silent in both channels.
TEST (SpectralTransposition, BinsMappedOutOfRangeAreSilent)
{
	SpectralTransposition st;
	configure (st, 2);
	addLobe (st.bandStates (0), 900, 1.0f);
	addLobe (st.bandStates (1), 900, 0.5f);
	const float factor = 0.7491535f;   // five semitones down
	st.process (steadyFrame (factor));

	ASSERT_EQ (st.peaks ().size (), 1u);
	const float offset = st.peaks ()[0].inputBin - st.peaks ()[0].outputBin;   // about 226
	ASSERT_GT (offset, 200.0f);
	const auto firstOutside = static_cast<std::size_t> (std::ceil (static_cast<float> (kBands) - offset));
	for (std::size_t b = firstOutside; b < kBands; ++b)
	{
		ASSERT_GE (st.binMap ()[b].inputBin, static_cast<float> (kBands));
		for (int c = 0; c < 2; ++c)
		{
			ASSERT_EQ (st.predictions (c)[b].energy, 0.0f) << b;
			ASSERT_EQ (st.bandStates (c)[b].output.re, 0.0f) << b;
			ASSERT_EQ (st.bandStates (c)[b].output.im, 0.0f) << b;
		}
	}
	EXPECT_NEAR (outputCentroid (st.bandStates (0)), 900.5f * factor - 0.5f, 0.01);
}

// Every output bin carries the energy its prediction asks for, whatever its rebuilt phase, on
// the first frame (random neighbour offsets) and on the steady frames after it.
TEST (SpectralTransposition, OutputBinsCarryPredictedEnergy)
{
	SpectralTransposition st;
	configure (st, 2);
	for (std::size_t b = 0; b < kBands; ++b)
	{
		const float phase = 0.37f * static_cast<float> (b * b % 23);
		const float magnitude = 1.0f + static_cast<float> ((b * 7) % 13);
		st.bandStates (0)[b].input = {magnitude * std::cos (phase), magnitude * std::sin (phase)};
		st.bandStates (1)[b].input = {0.5f * magnitude * std::sin (phase), 0.7f * magnitude * std::cos (phase)};
	}
	const float timeFactors[] = {661.0f, 1.0f, 1.0f};
	for (const float timeFactor : timeFactors)
	{
		st.process ({true, true, timeFactor, 1.259921f, 1.0f});
		for (int c = 0; c < 2; ++c)
			for (std::size_t b = 0; b < kBands; ++b)
			{
				const float energy = st.predictions (c)[b].energy;
				const float got = squaredMagnitude (st.bandStates (c)[b].output);
				ASSERT_TRUE (std::isfinite (got));
				ASSERT_NEAR (got, energy, 1e-4f * energy + 1e-12f) << "channel " << c << " bin " << b;
			}
	}
}

// Alternating energies give the largest possible number of peaks, bands/2, which fits the
// capacity reserved by configure: the peak search does not allocate.
TEST (SpectralTransposition, MostPeaksFitReservedCapacity)
{
	SpectralTransposition st;
	configure (st, 1);
	for (std::size_t b = 0; b < kBands; b += 2)
		st.bandStates (0)[b].input = {1.0f, 0.0f};
	const std::size_t capacity = st.peaks ().capacity ();
	const SpectralPeak* storage = st.peaks ().data ();
	st.process (steadyFrame (1.059463f));
	EXPECT_EQ (st.peaks ().size (), kBands / 2);
	EXPECT_EQ (st.peaks ().capacity (), capacity);
	EXPECT_EQ (st.peaks ().data (), storage);
}

} // namespace
} // namespace cadora
