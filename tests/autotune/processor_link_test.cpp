// The whole chain in one process: music in a known key through our processor, its worker
// in simulated time, and the fixture auto-tune loaded as a host loads it.
#include "autotune/knownautotunes.h"
#include "fixturemodule.h"
#include "keydetect/keymodel.h"
#include "keydetect/steadyclock.h"
#include "plugin/ids.h"
#include "plugin/parameters.h"
#include "plugin/processor.h"
#include "plugin/sharedstatus.h"
#include "plugin/worker.h"
#include "tools/host/demomusic.h"
#include "tools/host/offlinehost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace cadora {
namespace {

using Steinberg::Vst::IEditController;
constexpr int64_t kCycleNs = 150'000'000;
constexpr int kBlock = 512;
constexpr uint32_t kKeyId = 2, kScaleId = 1, kRetuneId = 4; // the fixture's row

class ProcessorLink : public ::testing::Test
{
protected:
	test::FixtureModule module;
	ManualClock clock;
	DemoClip music = makeDemoClip (30.0); // G major
	size_t position = 0;
	int64_t audioNs = 0;
	int64_t nextCycle = 0;
	std::unique_ptr<OfflineHost> host;

	void SetUp () override
	{
		ASSERT_TRUE (module.loaded ());
		sharedStatus ().resetAll ();
		host = std::make_unique<OfflineHost> (music.sampleRate, kBlock, &clock);
		ASSERT_TRUE (host->ready ());
	}
	void TearDown () override
	{
		host.reset ();
		module.setFault (false);
	}

	// Plays `seconds` of the clip (looping), one worker cycle per 150 ms of audio.
	void play (double seconds)
	{
		std::vector<float> left (kBlock), right (kBlock);
		float* channels[2] = {left.data (), right.data ()};
		const auto blocks = static_cast<int> (seconds * music.sampleRate / kBlock);
		for (int b = 0; b < blocks; ++b)
		{
			for (int j = 0; j < kBlock; ++j, position = (position + 1) % music.frames ())
			{
				left[j] = music.interleaved[2 * position];
				right[j] = music.interleaved[2 * position + 1];
			}
			ASSERT_EQ (Steinberg::kResultOk, host->process (channels, channels, 2, kBlock));
			audioNs += static_cast<int64_t> (kBlock * 1e9 / music.sampleRate);
			for (; nextCycle <= audioNs; nextCycle += kCycleNs)
			{
				clock.set (kNanosPerSecond + nextCycle);
				host->runWorkerCycle ();
			}
		}
	}
	const SharedStatus& status () { return sharedStatus (); }
};

TEST_F (ProcessorLink, MusicKeyAndHardnessReachTheAutoTuneAndFollowPitch)
{
	IEditController* live = module.createController ();
	auto decoy = std::make_unique<uintptr_t[]> (256);
	std::memcpy (decoy.get (), static_cast<void*> (live), sizeof (uintptr_t));
	host->setParameter (kParamHardness, 0.3);
	play (8.0);
	ASSERT_EQ (20, status ().detectedKey.load ()); // G major
	EXPECT_TRUE (status ().linkConnected.load ());
	EXPECT_DOUBLE_EQ (7.0 / 11, live->getParamNormalized (kKeyId));
	EXPECT_DOUBLE_EQ (0.0, live->getParamNormalized (kScaleId));
	EXPECT_DOUBLE_EQ (0.3, live->getParamNormalized (kRetuneId));
	EXPECT_EQ (20, status ().linkedKey.load ());
	EXPECT_DOUBLE_EQ (0.3, status ().linkedHardness.load ());

	// The singer hears the music two semitones up: the auto-tune follows to A major.
	host->setParameter (kParamPitch, pitchFromSemitones (2));
	play (1.0);
	EXPECT_EQ (20, status ().detectedKey.load ());
	EXPECT_DOUBLE_EQ (9.0 / 11, live->getParamNormalized (kKeyId));
	EXPECT_EQ (0, status ().linkedKey.load ());

	// The auto-tune goes away: the link notices at its next revalidation.
	test::FixtureModule::destroyController (live);
	play (3.5);
	EXPECT_FALSE (status ().linkConnected.load ());

	// A new instance is found by the ordinary schedule and gets the next hardness.
	IEditController* second = module.createController ();
	play (5.5);
	EXPECT_TRUE (status ().linkConnected.load ());
	host->setParameter (kParamHardness, 0.9);
	play (0.5);
	EXPECT_DOUBLE_EQ (0.9, second->getParamNormalized (kRetuneId));
	test::FixtureModule::destroyController (second);
}

TEST_F (ProcessorLink, FaultInTheAutoTuneLeavesTheProcessorWorking)
{
	IEditController* live = module.createController ();
	play (1.0);
	ASSERT_TRUE (status ().linkConnected.load ());
	module.setFault (true);
	host->setParameter (kParamHardness, 0.8);
	play (0.5);
	EXPECT_FALSE (status ().linkConnected.load ());
	play (6.0); // keeps finding it, and keeps dropping it on the next faulting write
	module.setFault (false);
	host->setParameter (kParamHardness, 0.2);
	play (6.0);
	EXPECT_TRUE (status ().linkConnected.load ());
	EXPECT_DOUBLE_EQ (0.2, live->getParamNormalized (kRetuneId));
	EXPECT_EQ (20, status ().detectedKey.load ());
	test::FixtureModule::destroyController (live);
}

TEST (TransposedKey, MovesTheRootAndKeepsTheScale)
{
	EXPECT_EQ (0, transposedKey (20, 2));  // G major + 2 = A major
	EXPECT_EQ (19, transposedKey (1, -3)); // A minor - 3 = F# minor
	EXPECT_EQ (21, transposedKey (21, 0));
	EXPECT_EQ (7, transposedKey (5, 1)); // B minor + 1 = C minor
	EXPECT_EQ (-1, transposedKey (-1, 2));
	EXPECT_EQ (-1, transposedKey (24, 2));
}

} // namespace
} // namespace cadora
