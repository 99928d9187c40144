// The pitch transposer end to end on audio: latency, pitch of transposed sines, block sizes,
// stereo phase relation, the silence bypass and recovery from non-finite input.
#include "dsp/pitchtransposer.h"
#include "tonemeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <string>
#include <vector>

namespace cadora {
namespace {

using tonemeasure::cents;
using tonemeasure::energyCentre;

struct Stereo
{
	std::vector<float> left, right;
};

// The multiplier the process callback hands the engine for `semitones`.
float semitoneFactor (int semitones)
{
	return static_cast<float> (
	    std::pow (2.0, static_cast<double> (static_cast<float> (semitones) * 0.083333336f)));
}

PitchTransposer& configuredFor (PitchTransposer& t, int sampleRate)
{
	const float sr = static_cast<float> (sampleRate);
	t.configure (2, static_cast<int> (sr * 0.04f), static_cast<int> (sr * 0.015f));
	return t;
}

Stereo sine (std::size_t length, double frequency, double sampleRate, float gain = 0.5f,
             double rightPhase = 0.0, float rightGain = 0.5f)
{
	Stereo s {std::vector<float> (length), std::vector<float> (length)};
	for (std::size_t i = 0; i < length; ++i)
	{
		const double phase = kTwoPi * frequency * static_cast<double> (i) / sampleRate;
		s.left[i] = gain * static_cast<float> (std::sin (phase));
		s.right[i] = rightGain * static_cast<float> (std::sin (phase + rightPhase));
	}
	return s;
}

// Runs the whole signal through the engine in host blocks of `block` samples (the last one shorter).
Stereo process (PitchTransposer& t, const Stereo& in, std::size_t block)
{
	const std::size_t n = in.left.size ();
	Stereo out {std::vector<float> (n), std::vector<float> (n)};
	for (std::size_t p = 0; p < n; p += block)
	{
		const int count = static_cast<int> (std::min (block, n - p));
		const float* inputs[2] = {in.left.data () + p, in.right.data () + p};
		float* outputs[2] = {out.left.data () + p, out.right.data () + p};
		t.processBlock (inputs, count, outputs, count);
	}
	return out;
}

// Complex amplitude of the partial at `frequency` over [begin, begin + length), Hann-weighted.
std::complex<double> partial (const std::vector<float>& x, std::size_t begin, std::size_t length,
                              double frequency, double sampleRate)
{
	std::complex<double> sum;
	double weight = 0.0;
	for (std::size_t i = 0; i < length; ++i)
	{
		const double w =
		    0.5 - 0.5 * std::cos (kTwoPi * static_cast<double> (i) / static_cast<double> (length));
		const double t = static_cast<double> (begin + i);
		sum +=
		    w * static_cast<double> (x[begin + i]) * std::polar (1.0, -kTwoPi * frequency * t / sampleRate);
		weight += w;
	}
	return 2.0 * sum / weight;
}

bool allFinite (const Stereo& s)
{
	for (const auto* channel : {&s.left, &s.right})
		for (float v : *channel)
			if (!std::isfinite (v))
				return false;
	return true;
}

TEST (PitchTransposer, LatencyIsOneBlockAtEveryRate)
{
	PitchTransposer t;
	EXPECT_EQ (t.latencySamples (), 0);
	struct Case
	{
		int sampleRate;
		int32_t latency;
	};
	// One engine reconfigured from rate to rate, as on reactivation.
	for (const Case c : {Case {44100, 1764}, Case {48000, 1920}, Case {8000, 320}, Case {22050, 882},
	                     Case {96000, 3840}, Case {44100, 1764}})
	{
		configuredFor (t, c.sampleRate);
		EXPECT_EQ (t.latencySamples (), c.latency) << c.sampleRate;
		t.setTransposeFactor (semitoneFactor (3));
		const Stereo out = process (t, sine (4000, 440.0, c.sampleRate), 512);
		EXPECT_TRUE (allFinite (out)) << c.sampleRate;
	}
}

struct DelayCase
{
	int sampleRate;
	int semitones;
	double tolerance; // samples
};

class PitchTransposerDelay : public ::testing::TestWithParam<DelayCase>
{
};

// A tone pulse comes out one block later: the centre of its energy moves by the latency, and
// untransposed it keeps its level.
TEST_P (PitchTransposerDelay, TonePulseIsDelayedByLatency)
{
	const auto [sampleRate, semitones, tolerance] = GetParam ();
	PitchTransposer t;
	configuredFor (t, sampleRate);
	t.setTransposeFactor (semitones == 0 ? 1.0f : semitoneFactor (semitones));

	const std::size_t n = static_cast<std::size_t> (sampleRate);
	Stereo in = sine (n, 440.0, sampleRate);
	const double centre = 0.5 * sampleRate, width = 0.03 * sampleRate;
	for (std::size_t i = 0; i < n; ++i)
	{
		const double d = (static_cast<double> (i) - centre) / width;
		in.left[i] *= static_cast<float> (std::exp (-0.5 * d * d));
		in.right[i] = in.left[i];
	}
	const Stereo out = process (t, in, 512);

	double inEnergy, outEnergy;
	const double delay = energyCentre (out.left, outEnergy) - energyCentre (in.left, inEnergy);
	EXPECT_NEAR (delay, t.latencySamples (), tolerance);
	EXPECT_NEAR (10.0 * std::log10 (outEnergy / inEnergy), 0.0, semitones == 0 ? 0.01 : 0.5);
}

INSTANTIATE_TEST_SUITE_P (Rates, PitchTransposerDelay,
                          ::testing::Values (DelayCase {44100, 0, 0.05}, DelayCase {48000, 0, 0.05},
                                             DelayCase {44100, 2, 5.0}, DelayCase {48000, -3, 5.0},
                                             DelayCase {44100, 5, 5.0}));

struct PitchCase
{
	int sampleRate;
	int semitones;
};

std::vector<PitchCase> everyShiftAtBothRates ()
{
	std::vector<PitchCase> cases;
	for (const int rate : {44100, 48000})
		for (int s = -5; s <= 5; ++s)
			if (s != 0)
				cases.push_back ({rate, s});
	return cases;
}

std::string caseName (const ::testing::TestParamInfo<PitchCase>& info)
{
	const int s = info.param.semitones;
	return std::to_string (info.param.sampleRate) + (s < 0 ? "_down" : "_up") + std::to_string (std::abs (s));
}

// Output from half a second in (past the start-up frames) long enough for the residual's spectrum.
constexpr double kSettle = 0.5;
constexpr std::size_t kResidualLength = 65536;
constexpr double kHalfBand = 8.0; // Hz either side of a partial that count as the partial

// Steady tones at the case's rate, transposed by its semitones in 512-sample host blocks.
class TransposedTones : public ::testing::TestWithParam<PitchCase>
{
protected:
	double rate () const { return GetParam ().sampleRate; }
	float factor () const { return semitoneFactor (GetParam ().semitones); }

	// 2.5 s of equal sines of amplitude `gain` at `frequencies`, in both channels, transposed.
	Stereo transpose (const std::vector<double>& frequencies, float gain)
	{
		Stereo in {std::vector<float> (static_cast<std::size_t> (2.5 * rate ())), {}};
		for (std::size_t i = 0; i < in.left.size (); ++i)
			for (const double f : frequencies)
				in.left[i] +=
				    gain * static_cast<float> (std::sin (kTwoPi * f * static_cast<double> (i) / rate ()));
		in.right = in.left;
		PitchTransposer t;
		configuredFor (t, GetParam ().sampleRate);
		t.setTransposeFactor (factor ());
		return process (t, in, 512);
	}

	// Energy off the transposed `frequencies` in the output, from half a second in.
	double residual (const Stereo& out, const std::vector<double>& frequencies) const
	{
		std::vector<double> expected;
		for (const double f : frequencies)
			expected.push_back (f * factor ());
		return tonemeasure::residualDb (out.left, begin (), kResidualLength, expected, rate (), kHalfBand);
	}

	std::size_t begin () const { return static_cast<std::size_t> (kSettle * rate ()); }
};

class PitchTransposerPitch : public TransposedTones
{
};

// A steady 440 Hz sine comes out at 440 x 2^(s/12) to within a tenth of a cent, at its own
// level, and clean: everything off that one partial (roughness from frame to frame, wrongly moved
// sidelobes) stays 50 dB down.
TEST_P (PitchTransposerPitch, SteadySineComesOutTransposed)
{
	const Stereo out = transpose ({440.0}, 0.5f);
	const auto length = static_cast<std::size_t> (2.0 * rate ());
	const double expected = 440.0 * factor ();
	const double measured = tonemeasure::frequency (out.left, begin (), length, expected, rate ());
	EXPECT_NEAR (cents (measured, expected), 0.0, 0.1);
	const double amplitude = std::abs (partial (out.left, begin (), length, measured, rate ()));
	EXPECT_NEAR (20.0 * std::log10 (amplitude / 0.5), 0.0, 0.5);
	EXPECT_LT (residual (out, {440.0}), -50.0);
}

INSTANTIATE_TEST_SUITE_P (SemitonesAndRates, PitchTransposerPitch,
                          ::testing::ValuesIn (everyShiftAtBothRates ()), caseName);

class PitchTransposerChord : public TransposedTones
{
};

// A C4-E4-G4 chord of equal sines, partials only 2.6 to 3.2 bins apart, comes out as the
// transposed chord: everything off its three partials stays 40 dB down at every shift, although
// the window's lobes of neighbouring partials overlap and each partial moves by its own offset.
// Moving each partial's stretch of bins rigidly, with the neighbour's share of those bins moved
// along by the wrong offset, leaves -38 to -40 dB at four semitones up (44.1 kHz), three up and five
// down (48 kHz); tying the partials' phases to one another across their lobes leaves -2 to -6 dB.
TEST_P (PitchTransposerChord, ChordComesOutClean)
{
	const std::vector<double> notes = {261.6255653, 329.6275569, 391.9954360};
	EXPECT_LT (residual (transpose (notes, 0.25f), notes), -40.0);
}

INSTANTIATE_TEST_SUITE_P (SemitonesAndRates, PitchTransposerChord,
                          ::testing::ValuesIn (everyShiftAtBothRates ()), caseName);

class PitchTransposerBlocks : public ::testing::TestWithParam<std::size_t>
{
};

// Host blocks of any length, shorter or longer than a frame interval or the whole block,
// give the same transposed sine.
TEST_P (PitchTransposerBlocks, AnyHostBlockLength)
{
	const std::size_t block = GetParam ();
	PitchTransposer t;
	configuredFor (t, 44100);
	t.setTransposeFactor (semitoneFactor (-3));
	const Stereo out = process (t, sine (66150, 440.0, 44100.0), block);
	const double expected = 440.0 * semitoneFactor (-3);
	const double measured = tonemeasure::frequency (out.left, 22050, 44100, expected, 44100.0);
	EXPECT_NEAR (cents (measured, expected), 0.0, 3.0);
	EXPECT_NEAR (std::abs (partial (out.right, 22050, 44100, measured, 44100.0)), 0.5, 0.03);
}

INSTANTIATE_TEST_SUITE_P (Lengths, PitchTransposerBlocks,
                          ::testing::Values (1, 64, 441, 512, 661, 1000, 4096));

// The right channel is the left one shifted in phase and quieter: the transposed output keeps
// both the shift and the level ratio.
TEST (PitchTransposer, KeepsStereoPhaseRelation)
{
	const double sr = 48000.0;
	PitchTransposer t;
	configuredFor (t, 48000);
	const float factor = semitoneFactor (2);
	t.setTransposeFactor (factor);
	for (const double shift : {0.7, -2.0})
	{
		const Stereo out = process (t, sine (96000, 523.25, sr, 0.5f, shift, 0.25f), 480);
		const double f = tonemeasure::frequency (out.left, 48000, 48000, 523.25 * factor, sr);
		const auto l = partial (out.left, 48000, 48000, f, sr);
		const auto r = partial (out.right, 48000, 48000, f, sr);
		EXPECT_NEAR (std::remainder (std::arg (r / l) - shift, kTwoPi), 0.0, 0.01) << shift;
		EXPECT_NEAR (std::abs (r) / std::abs (l), 0.5, 0.005) << shift;
	}
}

class PitchTransposerClicks : public ::testing::TestWithParam<PitchCase>
{
};

// Clicks after silence come out as clicks one block later: little of their energy arrives before
// them (a transient's bins keep their phases in line with one another).
TEST_P (PitchTransposerClicks, ClickStaysSharp)
{
	const auto [sampleRate, semitones] = GetParam ();
	PitchTransposer t;
	configuredFor (t, sampleRate);
	t.setTransposeFactor (semitoneFactor (semitones));
	const double sr = sampleRate;
	const auto at = [sr] (double seconds) {
		return static_cast<std::size_t> (seconds * sr);
	};
	Stereo in {std::vector<float> (at (3.0)), std::vector<float> (at (3.0))};
	std::vector<std::size_t> clicks;
	for (std::size_t c = at (0.5); c + at (0.25) < in.left.size (); c += at (0.25))
	{
		in.left[c] = in.right[c] = 0.5f;
		clicks.push_back (c);
	}
	const Stereo out = process (t, in, 512);
	const auto delay = static_cast<std::size_t> (t.latencySamples ());
	EXPECT_LT (tonemeasure::preEchoDb (out.left, clicks, delay, at (0.001), at (0.025)), -24.0);
}

INSTANTIATE_TEST_SUITE_P (SemitonesAndRates, PitchTransposerClicks,
                          ::testing::Values (PitchCase {44100, 1}, PitchCase {44100, -3},
                                             PitchCase {44100, 5}, PitchCase {44100, -5},
                                             PitchCase {48000, -1}, PitchCase {48000, 3},
                                             PitchCase {48000, 5}, PitchCase {48000, -5}),
                          caseName);

// Silent calls (E < 1e-15) pass straight through once two blocks' worth of silence has been
// seen, from the next call on; a call with sound leaves the bypass.
TEST (PitchTransposer, SilenceBypassEntryAndExit)
{
	PitchTransposer t;
	configuredFor (t, 44100); // block 1764: the bypass needs 3528 silent samples first
	t.setTransposeFactor (semitoneFactor (2));
	std::vector<float> quiet (512), quietOut[2] = {std::vector<float> (512), std::vector<float> (512)};
	for (std::size_t i = 0; i < quiet.size (); ++i)
		quiet[i] = (i % 2 == 0 ? 3e-10f : -3e-10f) * static_cast<float> (i % 5); // E about 5.5e-16
	const float* in[2] = {quiet.data (), quiet.data ()};
	float* out[2] = {quietOut[0].data (), quietOut[1].data ()};

	for (int call = 0; call < 7; ++call) // 7 x 512 = 3584 silent samples counted
	{
		t.processBlock (in, 512, out, 512);
		ASSERT_NE (quietOut[0], quiet) << "bypass too early, call " << call;
	}
	t.processBlock (in, 512, out, 512);
	EXPECT_EQ (quietOut[0], quiet);
	EXPECT_EQ (quietOut[1], quiet);

	// Music again: delayed and transposed, not passed through.
	const Stereo music = sine (44100, 440.0, 44100.0);
	const Stereo result = process (t, music, 512);
	EXPECT_NE (result.left[100], music.left[100]);
	const double expected = 440.0 * semitoneFactor (2);
	EXPECT_NEAR (cents (tonemeasure::frequency (result.left, 8820, 35280, expected, 44100.0), expected), 0.0,
	             3.0);
	// Silence after the music counts again from zero.
	t.processBlock (in, 512, out, 512);
	EXPECT_NE (quietOut[0], quiet);
}

// In a call with no input samples, the bypass yields silence.
TEST (PitchTransposer, EmptyCallInBypassGivesSilence)
{
	PitchTransposer t;
	configuredFor (t, 8000);
	std::vector<float> zeros (400, 0.0f), result (400, 1.0f);
	const float* in[2] = {zeros.data (), zeros.data ()};
	float* out[2] = {result.data (), result.data ()};
	for (int call = 0; call < 3; ++call)
		t.processBlock (in, 400, out, 400);
	std::fill (result.begin (), result.end (), 1.0f);
	t.processBlock (in, 0, out, 400);
	EXPECT_EQ (result, zeros);
}

// The energy threshold: a call whose summed squares are just below 1e-15 is silent, one that
// reaches 1e-15 exactly carries sound.
TEST (PitchTransposer, NoiseFloorThreshold)
{
	// Two samples, one per channel, whose squares sum in single precision to exactly 1e-15.
	float a = std::sqrt (0.5e-15f), b = a;
	bool found = false;
	for (int i = 0; i < 200 && !found; ++i)
	{
		b = a;
		for (int j = 0; j < 200; ++j)
		{
			if (a * a + b * b == 1e-15f)
			{
				found = true;
				break;
			}
			b = std::nextafter (b, 1.0f);
		}
		if (!found)
			a = std::nextafter (a, 0.0f);
	}
	ASSERT_TRUE (found);
	const float below = std::nextafter (b, 0.0f);

	for (const bool sound : {false, true})
	{
		PitchTransposer t;
		configuredFor (t, 8000); // bypass after 640 silent samples
		std::vector<float> zeros (320, 0.0f), left (320, 0.0f), right (320, 0.0f);
		std::vector<float> outL (320), outR (320);
		const float* silentIn[2] = {zeros.data (), zeros.data ()};
		float* outs[2] = {outL.data (), outR.data ()};
		for (int call = 0; call < 2; ++call)
			t.processBlock (silentIn, 320, outs, 320);
		left[0] = a;
		right[0] = sound ? b : below;
		const float* in[2] = {left.data (), right.data ()};
		t.processBlock (in, 320, outs, 320);
		// Passed straight through only when silent.
		EXPECT_EQ (outL[0] == a && outR[0] == right[0], !sound) << (sound ? "sound" : "silent");
	}
}

// A block full of NaN and infinities, then music: the output stays finite and the music comes
// out transposed as if the bad block had been silence.
TEST (PitchTransposer, RecoversFromNonFiniteInput)
{
	PitchTransposer t;
	configuredFor (t, 48000);
	t.setTransposeFactor (semitoneFactor (-5));
	const Stereo warmUp = sine (4800, 440.0, 48000.0);
	process (t, warmUp, 480);

	Stereo bad {std::vector<float> (480, std::numeric_limits<float>::quiet_NaN ()),
	            std::vector<float> (480, std::numeric_limits<float>::infinity ())};
	bad.right[7] = -std::numeric_limits<float>::infinity ();
	bad.left[3] = 0.25f;
	const Stereo afterBad = process (t, bad, 480);
	EXPECT_TRUE (allFinite (afterBad));

	const Stereo out = process (t, sine (96000, 440.0, 48000.0), 480);
	ASSERT_TRUE (allFinite (out));
	const double expected = 440.0 * semitoneFactor (-5);
	const double measured = tonemeasure::frequency (out.right, 24000, 72000, expected, 48000.0);
	EXPECT_NEAR (cents (measured, expected), 0.0, 3.0);
	EXPECT_NEAR (std::abs (partial (out.left, 24000, 72000, measured, 48000.0)), 0.5, 0.03);
}

} // namespace
} // namespace cadora
