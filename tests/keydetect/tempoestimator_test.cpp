#include "keydetect/tempoestimator.h"

#include "testsignals.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

using test::clickTrack;

constexpr int64_t kSecond = 1000000000;

struct ClickCase
{
	int32_t sampleRate;
	double bpm;
	double seconds;
	float expected; // raw estimate, folded into 80..160
};

class ClickTracks : public ::testing::TestWithParam<ClickCase>
{
};

TEST_P (ClickTracks, giveTheBeatFoldedIntoOneOctave)
{
	const ClickCase c = GetParam ();
	const std::vector<float> x = clickTrack (c.bpm, c.seconds, c.sampleRate);
	float raw = 0.0f;
	ASSERT_TRUE (estimateRawTempo (x.data (), x.size (), c.sampleRate, raw));
	EXPECT_NEAR (raw, c.expected, 0.01f);
}

INSTANTIATE_TEST_SUITE_P (Tempo, ClickTracks,
                          ::testing::Values (ClickCase {48000, 120.0, 8.0, 120.0f},
                                             ClickCase {48000, 60.0, 2.5, 120.0f}, // lag 200, doubled
                                             // The beat of 70.6 frames: lag 71, halved to 84.5, while
                                             // lag 141 (two beats) is not yet below M / 2 ...
                                             ClickCase {48000, 170.0, 1.4, 12000.0f / 71 / 2},
                                             // ... and over 8 s two beats, 141.2 frames, line up
                                             // better than one: 85.1.
                                             ClickCase {48000, 170.0, 8.0, 12000.0f / 141},
                                             ClickCase {44100, 120.0, 8.0, 120.0f}, // 200.45 frames a second
                                             ClickCase {48000, 100.0, 8.0, 100.0f}));

// Slow songs and waltzes, at both common sample rates. A held low note makes the energy of
// 5 ms frames ripple with its own cycle; an estimator that takes the largest plain sum of
// products over the lags reads that ripple, or the short lags' larger number of terms, as
// the beat (97..100 or 132 BPM for half-time songs at 72 and 76 BPM), and for a waltz
// a lag that is no whole number of beats (87 for 132 BPM, 122 for 156 BPM).
struct MusicCase
{
	const char* name;
	std::vector<float> (*make) (int32_t sampleRate);
	float expected; // the true tempo folded into 80..160
};

std::ostream& operator<< (std::ostream& out, const MusicCase& c)
{
	return out << c.name;
}

constexpr double kMusicSeconds = 8.0;

const MusicCase kMusicCases[] = {
    {"half-time drums, 72 BPM", [] (int32_t sr) { return test::halfTimeDrums (72.0, kMusicSeconds, sr); },
     144.0f},
    {"half-time drums, 76 BPM", [] (int32_t sr) { return test::halfTimeDrums (76.0, kMusicSeconds, sr); },
     152.0f},
    // Accented 1 and 3, soft eighths, over a bass note held through each bar.
    {"half-time clicks over a held bass, 72 BPM",
     [] (int32_t sr) {
	     return test::mixed (test::accentedClicks (72.0, 2, {1.0f, 0.2f, 0.3f, 0.2f, 0.7f, 0.2f, 0.3f, 0.2f},
	                                               kMusicSeconds, sr),
	                         test::heldBass (72.0, 4, kMusicSeconds, sr));
     },
     144.0f},
    {"waltz clicks over a held bass, 120 BPM",
     [] (int32_t sr) {
	     return test::mixed (test::accentedClicks (120.0, 1, {1.0f, 0.4f, 0.4f}, kMusicSeconds, sr),
	                         test::heldBass (120.0, 3, kMusicSeconds, sr));
     },
     120.0f},
    {"waltz clicks over a held bass, 144 BPM",
     [] (int32_t sr) {
	     return test::mixed (test::accentedClicks (144.0, 1, {1.0f, 0.4f, 0.4f}, kMusicSeconds, sr),
	                         test::heldBass (144.0, 3, kMusicSeconds, sr));
     },
     144.0f},
    {"waltz without drums, 132 BPM", [] (int32_t sr) { return test::waltz (132.0, kMusicSeconds, sr); },
     132.0f},
    {"waltz without drums, 156 BPM", [] (int32_t sr) { return test::waltz (156.0, kMusicSeconds, sr); },
     156.0f},
    {"waltz without drums, 168 BPM", [] (int32_t sr) { return test::waltz (168.0, kMusicSeconds, sr); },
     84.0f},
};

class SlowSongsAndWaltzes : public ::testing::TestWithParam<std::tuple<MusicCase, int32_t>>
{
};

TEST_P (SlowSongsAndWaltzes, giveTheirBeatFoldedIntoOneOctave)
{
	const MusicCase c = std::get<0> (GetParam ());
	const int32_t sampleRate = std::get<1> (GetParam ());
	const std::vector<float> x = c.make (sampleRate);
	float raw = 0.0f;
	ASSERT_TRUE (estimateRawTempo (x.data (), x.size (), sampleRate, raw));
	// One lag either side of the true period moves the estimate by at most 0.8 %.
	EXPECT_NEAR (raw, c.expected, 0.015f * c.expected);
}

INSTANTIATE_TEST_SUITE_P (Tempo, SlowSongsAndWaltzes,
                          ::testing::Combine (::testing::ValuesIn (kMusicCases),
                                              ::testing::Values (44100, 48000)));

TEST (Tempo, noEstimateWithoutBeatsOrWithTooFewFrames)
{
	float raw = 0.0f;
	const std::vector<float> quiet (8 * 48000, 0.0f);
	EXPECT_FALSE (estimateRawTempo (quiet.data (), quiet.size (), 48000, raw));
	// 121 frames of 240 samples leave no lag below M / 2.
	const std::vector<float> shortClicks = clickTrack (170.0, 121 * 240.0 / 48000, 48000);
	EXPECT_FALSE (estimateRawTempo (shortClicks.data (), shortClicks.size (), 48000, raw));
}

// Runs tempo steps over a click track, one per call, 150 ms apart.
class TempoSteps : public ::testing::Test
{
protected:
	TempoState state;
	std::atomic<int32_t> tempoBpm {0};
	int64_t now = kSecond;

	void steps (double bpm, int count)
	{
		const std::vector<float> x = clickTrack (bpm, 8.0, 48000);
		for (int i = 0; i < count; ++i)
		{
			tempoStep (state, x.data (), x.size (), 48000, now, tempoBpm);
			now += kSecond * 15 / 100;
		}
	}
};

TEST_F (TempoSteps, aFirstTempoNeedsNineAgreeingEstimates)
{
	steps (120.0, 8);
	EXPECT_EQ (tempoBpm.load (), 0);
	EXPECT_EQ (state.tempoCount, 8);
	steps (120.0, 1);
	EXPECT_EQ (tempoBpm.load (), 120);
	EXPECT_FLOAT_EQ (state.tempo, 120.0f);
	EXPECT_TRUE (state.tempoHistory.empty ());
}

TEST_F (TempoSteps, aDifferentTempoTakesOverAfterEightEstimates)
{
	steps (100.0, 9);
	ASSERT_EQ (tempoBpm.load (), 100);
	steps (130.0, 7); // lag 92: 130.43
	EXPECT_EQ (tempoBpm.load (), 100);
	EXPECT_EQ (state.tempoCount, 7);
	steps (130.0, 1);
	EXPECT_EQ (tempoBpm.load (), 130);
	EXPECT_NEAR (state.tempo, 12000.0f / 92, 0.001f);
}

TEST_F (TempoSteps, aCloseEstimateNudgesTheTempoByFourPercent)
{
	steps (100.0, 9);
	ASSERT_FLOAT_EQ (state.tempo, 100.0f);
	steps (101.0, 1); // lag 119: 100.84
	EXPECT_NEAR (state.tempo, 100.0f + 0.04f * (12000.0f / 119 - 100.0f), 1e-4f);
	EXPECT_TRUE (state.tempoHistory.empty ());
	EXPECT_EQ (tempoBpm.load (), 100);
}

TEST_F (TempoSteps, anEstimateThatJumpsStartsANewRun)
{
	steps (120.0, 5);
	steps (100.0, 1);
	EXPECT_EQ (state.tempoCount, 1);
	EXPECT_FLOAT_EQ (state.lastRawTempo, 100.0f);
}

TEST_F (TempoSteps, withoutEstimatesTheTempoIsHeldForEightSeconds)
{
	steps (120.0, 9);
	const int64_t last = state.lastTempoTime;
	EXPECT_EQ (tempoDuringSilence (state, last + 8 * kSecond), 120);
	EXPECT_EQ (tempoDuringSilence (state, last + 8 * kSecond + 1), 0);
}

TEST_F (TempoSteps, beforeAFirstTempoAPassWithoutEstimateDropsToZeroAfterEightSeconds)
{
	const std::vector<float> quiet (48000, 0.0f);
	tempoBpm = 77; // left by an earlier run
	state.lastTempoTime = now;
	tempoStep (state, quiet.data (), quiet.size (), 48000, now + 8 * kSecond, tempoBpm);
	EXPECT_EQ (tempoBpm.load (), 77);
	tempoStep (state, quiet.data (), quiet.size (), 48000, now + 8 * kSecond + 1, tempoBpm);
	EXPECT_EQ (tempoBpm.load (), 0);
}

} // namespace
} // namespace cadora
