#include "keydetect/steadyclock.h"
#include "plugin/sharedstatus.h"
#include "testhost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

struct RateCase
{
	double rate;
	size_t ringLength;
	uint32 latency;
};

TEST (Activation, SizesFollowTheSampleRate)
{
	const RateCase cases[] = {{0, 64000, 320},
	                          {44100, 352800, 1764},
	                          {48000, 384000, 1920},
	                          {22050, 176400, 882},
	                          {4000, 64000, 320}};
	for (const RateCase& c : cases)
	{
		test::ProcessorUnderTest p (c.rate, 256, test::WorkerKind::thread);
		ASSERT_EQ (kResultOk, p->setActive (true)) << c.rate;
		EXPECT_EQ (c.ringLength, p->workerChannel ().ring.size ()) << c.rate;
		EXPECT_EQ (c.latency, p->getLatencySamples ()) << c.rate;
		EXPECT_EQ (0u, p->workerChannel ().ring.written ());
		EXPECT_TRUE (p->workerIsRunning ());
	}
}

TEST (Activation, ResetsSharedKeyAndTempoAndQueuesHardness)
{
	sharedStatus ().detectedKey.store (7);
	sharedStatus ().tempoBpm.store (120);
	test::ProcessorUnderTest p; // manual worker: no thread takes the value before the test does
	double value = 0;
	EXPECT_TRUE (p->workerChannel ().takeHardness (value));
	EXPECT_FALSE (p->workerChannel ().takeHardness (value));
	ASSERT_EQ (kResultOk, p->setActive (true));
	EXPECT_EQ (-1, sharedStatus ().detectedKey.load ());
	EXPECT_EQ (0, sharedStatus ().tempoBpm.load ());
	EXPECT_TRUE (p->workerChannel ().takeHardness (value));
	EXPECT_EQ (0.5, value);
}

TEST (Activation, DeactivationJoinsTheWorkerAndReleasesTheRing)
{
	test::ProcessorUnderTest p (44100.0, 512, test::WorkerKind::thread);
	for (int round = 0; round < 3; ++round)
	{
		ASSERT_EQ (kResultOk, p->setActive (true));
		EXPECT_TRUE (p->workerIsRunning ());
		ASSERT_EQ (kResultOk, p->setActive (false));
		EXPECT_FALSE (p->workerIsRunning ());
		EXPECT_TRUE (p->workerChannel ().ring.empty ());
	}
}

TEST (Activation, SecondActivationRestartsCleanly)
{
	test::ProcessorUnderTest p (44100.0, 512, test::WorkerKind::thread);
	ASSERT_EQ (kResultOk, p->setActive (true));
	test::Bus in (2, 256, 0.3f), out (2, 256);
	test::runBlock (*p.processor, in, out, 256);
	ASSERT_EQ (kResultOk, p->setActive (true));
	EXPECT_TRUE (p->workerIsRunning ());
	EXPECT_EQ (0u, p->workerChannel ().ring.written ());
}

TEST (Activation, DestroyingAnActiveProcessorJoinsItsWorker)
{
	auto* processor = new VantoProcessor;
	processor->initialize (nullptr);
	ASSERT_EQ (kResultOk, processor->setActive (true));
	processor->release (); // must not leave a thread running on a dead object
	SUCCEED ();
}

TEST (BusArrangements, OnlyOneStereoInAndOut)
{
	test::ProcessorUnderTest p;
	SpeakerArrangement stereo[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
	SpeakerArrangement mono = SpeakerArr::kMono;
	EXPECT_EQ (kResultOk, p->setBusArrangements (stereo, 1, stereo + 1, 1));
	EXPECT_EQ (kResultFalse, p->setBusArrangements (&mono, 1, stereo, 1));
	EXPECT_EQ (kResultFalse, p->setBusArrangements (stereo, 1, &mono, 1));
	EXPECT_EQ (kResultFalse, p->setBusArrangements (stereo, 2, stereo, 1));
	EXPECT_EQ (kResultFalse, p->setBusArrangements (stereo, 1, stereo, 0));
}

TEST (BusArrangements, BusesAndSampleSizes)
{
	test::ProcessorUnderTest p;
	EXPECT_EQ (1, p->getBusCount (kAudio, kInput));
	EXPECT_EQ (1, p->getBusCount (kAudio, kOutput));
	EXPECT_EQ (0, p->getBusCount (kEvent, kInput));
	BusInfo info {};
	ASSERT_EQ (kResultOk, p->getBusInfo (kAudio, kInput, 0, info));
	EXPECT_EQ (std::u16string (u"Stereo Input"), std::u16string (info.name));
	EXPECT_EQ (2, info.channelCount);
	ASSERT_EQ (kResultOk, p->getBusInfo (kAudio, kOutput, 0, info));
	EXPECT_EQ (std::u16string (u"Stereo Output"), std::u16string (info.name));
	EXPECT_EQ (kResultOk, p->canProcessSampleSize (kSample32));
	EXPECT_EQ (kResultFalse, p->canProcessSampleSize (kSample64));
	ProcessSetup setup {kRealtime, kSample64, 512, 48000.0};
	EXPECT_EQ (kResultFalse, p->setupProcessing (setup));
	EXPECT_EQ (0u, p->getTailSamples ());
}

} // namespace
} // namespace cadora

namespace cadora {
namespace {

TEST (Worker, FailingCycleEndsTheWorkerWithoutKeyOrTempoAndAudioGoesOn)
{
	test::ProcessorUnderTest p;
	ASSERT_EQ (Steinberg::kResultOk, p->setActive (true));
	test::Bus in (2, 512), out (2, 512);
	for (int j = 0; j < 512; ++j)
		in.channels[0][j] = in.channels[1][j] = 0.3f * std::sin (0.06f * j);
	for (int b = 0; b < 20; ++b)
		test::runBlock (*p.processor, in, out, 512);
	sharedStatus ().detectedKey.store (5);
	sharedStatus ().tempoBpm.store (100);
	// Only a broken feed could bring a NaN to the estimator: put one into the ring.
	p->workerChannel ().ring.put (100, std::numeric_limits<float>::quiet_NaN ());
	p->runWorkerCycle ();
	EXPECT_FALSE (p->workerChannel ().running ());
	EXPECT_EQ (-1, sharedStatus ().detectedKey.load ());
	EXPECT_EQ (0, sharedStatus ().tempoBpm.load ());
	sharedStatus ().detectedKey.store (7);
	p->runWorkerCycle (); // ended: nothing runs any more
	EXPECT_EQ (7, sharedStatus ().detectedKey.load ());
	EXPECT_EQ (Steinberg::kResultOk, test::runBlock (*p.processor, in, out, 512));
	ASSERT_EQ (Steinberg::kResultOk, p->setActive (true));
	EXPECT_TRUE (p->workerChannel ().running ());
}

} // namespace
} // namespace cadora
