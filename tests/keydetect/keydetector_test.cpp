#include "keydetect/keydetector.h"

#include "keydetect/keymodel.h"
#include "plugin/sharedstatus.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace cadora {
namespace {

using test::cadence;
using test::chords;
using test::clickTrack;
using test::joined;
using test::silence;

constexpr int32_t kRate = 8000;
constexpr int64_t kMs = 1000000;
constexpr int32_t kCMajor = 6;
constexpr int32_t kEMajor = 14;

std::vector<float> cMajorMusic (double seconds)
{
	std::vector<float> out;
	while (out.size () < seconds * kRate)
	{
		const std::vector<float> c = chords (cadence (60, false), 0.5, kRate);
		out.insert (out.end (), c.begin (), c.end ());
	}
	out.resize (static_cast<size_t> (seconds * kRate));
	return out;
}

std::vector<float> eMajorMusic (double seconds)
{
	std::vector<float> out = chords (cadence (64, false), seconds / 4, kRate);
	return out;
}

// Samples whose values tell their numbers: sample i is 0.5 + i / 100000.
std::vector<float> numberedSamples (size_t count)
{
	std::vector<float> out (count);
	for (size_t i = 0; i < count; ++i)
		out[i] = 0.5f + static_cast<float> (i) / 100000.0f;
	return out;
}

class KeyDetectorTest : public ::testing::Test
{
protected:
	SharedStatus status;
	test::RingFeeder feeder {status, kRate};

	const KeyDetectorState& state () const { return feeder.detector.state (); }
};

TEST_F (KeyDetectorTest, firstKeyNeedsThreeResultsWhileMusicIsAlreadyPresent)
{
	feeder.write (std::vector<float> (4000, 0.1f));
	feeder.pass (feeder.now);
	EXPECT_FALSE (status.musicPresent.load ()); // fewer than 4096 pending: untouched
	EXPECT_EQ (state ().keyFinder, nullptr);

	const std::vector<float> music = cMajorMusic (6.0);
	for (size_t start = 0; start < music.size (); start += 1200)
	{
		feeder.play (std::vector<float> (music.begin () + start, music.begin () + start + 1200));
		EXPECT_TRUE (status.musicPresent.load ());
		if (status.detectedKey.load () < 0)
			continue;
		EXPECT_GE (state ().keyHistory.size (), 3u);
	}
	EXPECT_EQ (status.detectedKey.load (), kCMajor);
	EXPECT_EQ (state ().keyHistory.size (), 10u); // the last ten results only
}

TEST_F (KeyDetectorTest, belowEightKilohertzEveryPassEndsBeforeAnalysis)
{
	test::RingFeeder slow (status, 7999);
	slow.play (cMajorMusic (3.0));
	EXPECT_FALSE (status.musicPresent.load ());
	EXPECT_EQ (status.detectedKey.load (), kNoKey);
	EXPECT_EQ (slow.detector.state ().keyFinder, nullptr);
}

TEST_F (KeyDetectorTest, keyStepRunsAtMostEvery450Milliseconds)
{
	const std::vector<float> music = cMajorMusic (3.0);
	feeder.write (std::vector<float> (music.begin (), music.begin () + 8000));
	const int64_t t0 = feeder.now;
	const int64_t passes[] = {0, 150 * kMs, 449 * kMs, 450 * kMs, 600 * kMs, 900 * kMs};
	const size_t results[] = {1, 1, 1, 2, 2, 3};
	for (size_t i = 0; i < 6; ++i)
	{
		feeder.write (
		    std::vector<float> (music.begin () + 8000 + i * 1200, music.begin () + 9200 + i * 1200));
		feeder.pass (t0 + passes[i]);
		EXPECT_EQ (state ().keyHistory.size (), results[i]) << "pass " << i;
	}
}

// Silence between two songs: shorter than 0.8 s the vote goes on, from 0.8 s on the new
// music starts a new analysis.
TEST_F (KeyDetectorTest, silenceRestartsTheAnalysisFromEightHundredMilliseconds)
{
	feeder.play (cMajorMusic (4.0));
	ASSERT_EQ (status.detectedKey.load (), kCMajor);

	for (int64_t quiet : {799 * kMs, 800 * kMs})
	{
		feeder.write (silence (0.25, kRate));
		feeder.pass (feeder.now);
		EXPECT_FALSE (status.musicPresent.load ());
		EXPECT_EQ (status.detectedKey.load (), kCMajor); // kept while silent
		const int64_t silenceStart = feeder.now;

		const size_t resultsBefore = state ().keyHistory.size ();
		feeder.write (cMajorMusic (0.25));
		feeder.pass (silenceStart + quiet);
		EXPECT_TRUE (status.musicPresent.load ());
		if (quiet < 800 * kMs)
		{
			EXPECT_EQ (status.detectedKey.load (), kCMajor);
			EXPECT_GE (state ().keyHistory.size (), resultsBefore);
		}
		else
		{
			EXPECT_EQ (status.detectedKey.load (), kNoKey);
			EXPECT_TRUE (state ().keyHistory.empty ());
			EXPECT_EQ (state ().samplesFed, 0u);
			EXPECT_EQ (state ().fedUpTo, state ().pendingSamples.size ()); // the silence is never fed
		}
		feeder.now = silenceStart + quiet + 150 * kMs;
	}
}

TEST_F (KeyDetectorTest, newMusicAfterALongSilenceGetsItsOwnKey)
{
	feeder.play (cMajorMusic (4.0));
	ASSERT_EQ (status.detectedKey.load (), kCMajor);
	feeder.play (silence (1.5, kRate));
	EXPECT_EQ (status.detectedKey.load (), kCMajor);
	EXPECT_FALSE (status.musicPresent.load ());
	feeder.play (eMajorMusic (0.3));
	EXPECT_EQ (status.detectedKey.load (), kNoKey);
	feeder.play (eMajorMusic (6.0));
	EXPECT_EQ (status.detectedKey.load (), kEMajor);
}

TEST_F (KeyDetectorTest, aShortSilenceKeepsTheVoteGoing)
{
	feeder.play (cMajorMusic (6.0));
	ASSERT_EQ (state ().keyHistory.size (), 10u);
	feeder.play (silence (0.5, kRate));
	feeder.play (cMajorMusic (0.6));
	EXPECT_EQ (state ().keyHistory.size (), 10u);
	EXPECT_EQ (status.detectedKey.load (), kCMajor);
}

TEST_F (KeyDetectorTest, aRedetectRequestForgetsEverythingAtTheNextPass)
{
	std::vector<float> music = cMajorMusic (5.0);
	const std::vector<float> clicks = clickTrack (120.0, 5.0, kRate);
	for (size_t i = 0; i < music.size (); ++i)
		music[i] += clicks[i];
	feeder.play (music);
	ASSERT_EQ (status.detectedKey.load (), kCMajor);
	ASSERT_GT (status.tempoBpm.load (), 0);

	status.redetectRequested = true;
	const uint64_t readBefore = state ().ringReadPos;
	feeder.write (std::vector<float> (music.begin (), music.begin () + 1200));
	feeder.pass (feeder.now);
	EXPECT_FALSE (status.redetectRequested.load ());
	EXPECT_EQ (status.detectedKey.load (), kNoKey);
	EXPECT_EQ (status.tempoBpm.load (), 0);
	EXPECT_TRUE (state ().keyHistory.empty ());
	EXPECT_EQ (state ().workspace, nullptr);
	EXPECT_EQ (state ().tempoState.tempo, 0.0f);
	EXPECT_EQ (state ().pendingSamples.size (), 1200u); // only what arrived since
	EXPECT_EQ (state ().ringReadPos, readBefore + 1200);
}

TEST_F (KeyDetectorTest, theWorkspaceIsRenewedAfterFortySecondsOfFedAudio)
{
	const uint64_t limit = 40 * kRate;
	uint64_t mostFed = 0;
	int renewals = 0;
	const std::vector<float> music = cMajorMusic (46.0);
	for (size_t start = 0; start + 1200 <= music.size (); start += 1200)
	{
		const uint64_t fedBefore = state ().samplesFed;
		feeder.play (std::vector<float> (music.begin () + start, music.begin () + start + 1200));
		if (state ().samplesFed < fedBefore)
		{
			++renewals;
			EXPECT_GT (fedBefore, limit);
			EXPECT_LE (state ().workspace->chromagram ().hops (), 4u); // only the newest 0.45 s
		}
		mostFed = std::max (mostFed, state ().samplesFed);
	}
	EXPECT_EQ (renewals, 1);
	EXPECT_LE (mostFed, limit + kRate);
	EXPECT_EQ (status.detectedKey.load (), kCMajor);
}

TEST_F (KeyDetectorTest, aNaNReachesTheEstimatorAtTheNextKeyStepAndThrows)
{
	feeder.play (cMajorMusic (2.0));
	const int64_t lastStep = state ().lastKeyTime;
	std::vector<float> broken = cMajorMusic (0.15);
	broken[100] = std::numeric_limits<float>::quiet_NaN ();
	feeder.write (broken);
	EXPECT_NO_THROW (feeder.pass (lastStep + 150 * kMs));
	feeder.write (cMajorMusic (0.15));
	EXPECT_THROW (feeder.pass (lastStep + 450 * kMs), KeyEstimationError);
}

TEST_F (KeyDetectorTest, aWorkerMoreThanARingBehindKeepsTheNewestRing)
{
	test::RingFeeder small (status, kRate, 1.25); // 10000 samples
	const std::vector<float> numbered = numberedSamples (25000);
	small.write (numbered);
	small.pass (small.now);
	const KeyDetectorState& s = small.detector.state ();
	ASSERT_EQ (s.pendingSamples.size (), 10000u);
	EXPECT_EQ (s.pendingSamples.front (), numbered[15000]);
	EXPECT_EQ (s.pendingSamples.back (), numbered[24999]);
	EXPECT_EQ (s.ringReadPos, 25000u);
	EXPECT_EQ (s.fedUpTo, 10000u);

	small.write (std::vector<float> (3000, 0.3f));
	small.pass (small.now + 150 * kMs); // no key step: only the intake moves fedUpTo
	EXPECT_EQ (s.pendingSamples.size (), 10000u);
	EXPECT_EQ (s.pendingSamples.front (), numbered[18000]);
	EXPECT_EQ (s.fedUpTo, 7000u);
}

// The audio thread announces a block before it writes it: a pass that copies while a
// block laps the oldest of its samples keeps only those the block cannot have reached.
TEST_F (KeyDetectorTest, samplesOverwrittenWhileAPassCopiesThemAreDropped)
{
	test::RingFeeder small (status, kRate, 1.25); // 10000 samples
	const std::vector<float> numbered = numberedSamples (12000);
	small.write (numbered);
	small.ring.beginWrite (17000); // a block of 5000 under way: slots of 2000..6999 go
	for (uint64_t n = 12000; n < 14000; ++n)
		small.ring.put (n, -1.0f);
	small.pass (small.now);
	const KeyDetectorState& s = small.detector.state ();
	ASSERT_EQ (s.pendingSamples.size (), 5000u);
	EXPECT_EQ (s.pendingSamples.front (), numbered[7000]);
	EXPECT_EQ (s.pendingSamples.back (), numbered[11999]);
	EXPECT_EQ (s.ringReadPos, 12000u);
}

TEST_F (KeyDetectorTest, theTempoIsHeldForEightSecondsOfSilence)
{
	feeder.play (clickTrack (120.0, 5.0, kRate));
	ASSERT_EQ (status.tempoBpm.load (), 120);
	const std::vector<float> quiet = silence (0.15, kRate);
	for (int i = 0; i < 80; ++i)
	{
		feeder.play (quiet);
		const int64_t sinceEstimate = (feeder.now - 150 * kMs) - state ().tempoState.lastTempoTime;
		EXPECT_EQ (status.tempoBpm.load (), sinceEstimate <= 8000 * kMs ? 120 : 0) << sinceEstimate;
	}
	EXPECT_EQ (status.tempoBpm.load (), 0);
	EXPECT_FALSE (status.musicPresent.load ());
}

TEST_F (KeyDetectorTest, resetPublishesNothingAndClearReleasesTheAnalysis)
{
	feeder.play (cMajorMusic (3.0));
	feeder.detector.clear ();
	EXPECT_EQ (state ().keyFinder, nullptr);
	EXPECT_EQ (state ().workspace, nullptr);
	EXPECT_TRUE (state ().pendingSamples.empty ());
	EXPECT_TRUE (state ().keyHistory.empty ());

	feeder.detector.reset (feeder.ring.size ());
	EXPECT_EQ (state ().votedKey, kNoKey);
	EXPECT_EQ (state ().tempoState.tempo, 0.0f);
	EXPECT_EQ (state ().ringReadPos, 0u);
	EXPECT_EQ (state ().lastKeyTime, 0);
	EXPECT_GE (state ().pendingSamples.capacity (), feeder.ring.size ());
}

} // namespace
} // namespace cadora
