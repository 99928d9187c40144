#include "dsp/mathconstants.h"
#include "dsp/pitchtransposer.h"
#include "plugin/parameters.h"
#include "plugin/sharedstatus.h"
#include "testhost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using test::Bus;
using test::makeChanges;
using test::runBlock;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN ();
constexpr float kInff = std::numeric_limits<float>::infinity ();

class ProcessCallback : public ::testing::Test
{
protected:
	test::ProcessorUnderTest p {44100.0, 512};
	void SetUp () override
	{
		sharedStatus ().resetAll ();
		ASSERT_EQ (kResultOk, p->setActive (true));
		double ignored;
		p->workerChannel ().takeHardness (ignored);
	}

	void fillSine (Bus& bus, double hz, float amplitude, int offset = 0)
	{
		for (size_t c = 0; c < bus.channels.size (); ++c)
			for (size_t j = 0; j < bus.channels[c].size (); ++j)
				bus.channels[c][j] =
				    amplitude *
				    static_cast<float> (std::sin (2 * kPi * hz * (offset + j) / 44100.0 + 0.3 * c));
	}
};

TEST_F (ProcessCallback, LastPointOfEachQueueWins)
{
	Bus in (2, 64), out (2, 64);
	auto changes = makeChanges ({{kParamMuteStrength, {0.2, 0.5, 0.9}}, {kParamPitch, {0.1, 0.7}}});
	ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 64, changes.get ()));
	EXPECT_EQ (0.9, p->parameter (kParamMuteStrength));
	EXPECT_EQ (0.7, p->parameter (kParamPitch));
}

TEST_F (ProcessCallback, OnlyHardnessRaisesTheHandOverFlag)
{
	Bus in (2, 16), out (2, 16);
	double value = 0;
	for (ParamID id : {kParamRoot, kParamMinor, kParamPlayerSource, kParamMuteStrength, kParamPitch})
	{
		auto changes = makeChanges ({{id, {0.6}}});
		runBlock (*p.processor, in, out, 16, changes.get ());
		EXPECT_FALSE (p->workerChannel ().takeHardness (value)) << id;
	}
	auto changes = makeChanges ({{kParamHardness, {0.3}}, {99, {0.4}}});
	runBlock (*p.processor, in, out, 16, changes.get ());
	ASSERT_TRUE (p->workerChannel ().takeHardness (value));
	EXPECT_EQ (0.3, value);
	EXPECT_FALSE (p->workerChannel ().takeHardness (value));
}

TEST_F (ProcessCallback, ZeroSampleBlockAppliesChangesOnly)
{
	Bus in (2, 8, 0.5f), out (2, 8, -7.0f);
	auto changes = makeChanges ({{kParamMuteStrength, {0.4}}});
	ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 0, changes.get ()));
	EXPECT_EQ (0.4, p->parameter (kParamMuteStrength));
	EXPECT_EQ (0u, p->workerChannel ().ring.written ());
	EXPECT_EQ (0, p->analysisSamples ());
	EXPECT_EQ (-7.0f, out.channels[0][0]);
}

TEST_F (ProcessCallback, PassThroughIsExactAtPitchZeroWithoutMute)
{
	Bus in (2, 512), out (2, 512);
	fillSine (in, 441.0, 0.7f);
	ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 512));
	EXPECT_EQ (in.channels, out.channels);
}

TEST_F (ProcessCallback, MonoBusIsCopiedAndFedToTheRing)
{
	Bus in (1, 100, 0.25f), out (1, 100);
	auto changes = makeChanges ({{kParamMuteStrength, {1.0}}, {kParamPitch, {1.0}}});
	ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 100, changes.get ()));
	EXPECT_EQ (in.channels, out.channels);
	EXPECT_EQ (100u, p->workerChannel ().ring.written ());
	EXPECT_EQ (0.25f, p->workerChannel ().ring.at (99));
}

TEST_F (ProcessCallback, MonoFeedIsTheChannelMean)
{
	const std::pair<std::vector<float>, float> cases[] = {
	    {{1, 1, 1, 1}, 1.0f},
	    {{1, -1, 0, 0}, 0.0f},
	    {{0.5f, 0.25f}, 0.375f},
	    {{1, 0, 0}, 1.0f / 3.0f},
	};
	uint64_t written = 0;
	for (const auto& [values, mean] : cases)
	{
		Bus in (static_cast<int> (values.size ()), 4), out (2, 4);
		for (size_t c = 0; c < values.size (); ++c)
			in.channels[c].assign (4, values[c]);
		ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 4));
		written += 4;
		ASSERT_EQ (written, p->workerChannel ().ring.written ());
		EXPECT_FLOAT_EQ (mean, p->workerChannel ().ring.at (written - 1)) << values.size ();
	}
}

TEST_F (ProcessCallback, BlockLongerThanAnnouncedIsRefusedOnlyWhenTransposing)
{
	Bus in (2, 1024, 0.1f), out (2, 1024, 9.0f);
	auto transpose = makeChanges ({{kParamPitch, {0.7}}});
	EXPECT_EQ (kResultFalse, runBlock (*p.processor, in, out, 1024, transpose.get ()));
	EXPECT_EQ (9.0f, out.channels[0][0]);
	EXPECT_EQ (9.0f, out.channels[1][1023]);

	auto reset = makeChanges ({{kParamPitch, {0.5}}});
	EXPECT_EQ (kResultOk, runBlock (*p.processor, in, out, 1024, reset.get ()));
	EXPECT_EQ (in.channels, out.channels);
}

TEST_F (ProcessCallback, TransposerIsNotFedWhilePitchIsZero)
{
	// A separate transposer fed only the transposed blocks must give the same output as
	// the processor, whose Pitch goes +2 -> 0 -> +2.
	PitchTransposer reference;
	reference.configure (2, 1764, 661);
	reference.setTransposeFactor (static_cast<float> (std::pow (2.0, 2 * 0.083333336f)));
	auto up = makeChanges ({{kParamPitch, {0.7}}});
	auto zero = makeChanges ({{kParamPitch, {0.5}}});
	Bus in (2, 256), out (2, 256), expected (2, 256);
	for (int block = 0; block < 30; ++block)
	{
		fillSine (in, 300.0 + 7 * block, 0.4f, 256 * block);
		IParameterChanges* changes = block == 0    ? up.get ()
		                             : block == 10 ? zero.get ()
		                             : block == 20 ? up.get ()
		                                           : nullptr;
		ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 256, changes));
		if (block >= 10 && block < 20)
		{
			EXPECT_EQ (in.channels, out.channels) << block;
			continue;
		}
		const float* sources[2] = {in.pointers[0], in.pointers[1]};
		reference.processBlock (sources, 256, expected.pointers.data (), 256);
		EXPECT_EQ (expected.channels, out.channels) << block;
	}
}

TEST_F (ProcessCallback, BandAnalysisEvery512SamplesAcrossBlocks)
{
	Bus in (2, 100), out (2, 100);
	int offset = 0;
	for (int block = 0; block < 1000; ++block)
	{
		fillSine (in, 86.1328125 * 9, 0.5f, offset);
		offset += 100;
		runBlock (*p.processor, in, out, 100);
	}
	EXPECT_EQ (160, p->analysisSamples ());
	EXPECT_GT (sharedStatus ().bandLevels[2].load (), 0.5f);
}

TEST_F (ProcessCallback, ConstructionClearsTheSharedBandLevels)
{
	sharedStatus ().bandLevels[5].store (0.7f);
	test::ProcessorUnderTest second;
	EXPECT_EQ (0.0f, sharedStatus ().bandLevels[5].load ());
}

TEST_F (ProcessCallback, NonFiniteInputIsSilenceOnEveryPath)
{
	for (double pitch : {0.5, 0.7})
	{
		Bus in (2, 256), out (2, 256);
		fillSine (in, 1000.0, 0.5f);
		in.channels[0][10] = kNaNf;
		in.channels[1][20] = kInff;
		in.channels[0][30] = -kInff;
		auto changes = makeChanges ({{kParamPitch, {pitch}}, {kParamMuteStrength, {0.5}}});
		for (int block = 0; block < 20; ++block)
		{
			ASSERT_EQ (kResultOk,
			           runBlock (*p.processor, in, out, 256, block == 0 ? changes.get () : nullptr));
			for (int c = 0; c < 2; ++c)
				for (float v : out.channels[c])
					ASSERT_TRUE (std::isfinite (v)) << "pitch " << pitch << " block " << block;
		}
		const MonoRing& ring = p->workerChannel ().ring;
		for (uint64_t n = 0; n < ring.size (); ++n)
			ASSERT_TRUE (std::isfinite (ring.at (n)));
		for (auto& level : sharedStatus ().bandLevels)
			ASSERT_TRUE (std::isfinite (level.load ()));
	}
}

TEST_F (ProcessCallback, NonFiniteSamplesCopyAsZeroAtPitchZero)
{
	Bus in (2, 8, 0.5f), out (2, 8);
	in.channels[0][3] = kNaNf;
	in.channels[1][4] = -kInff;
	ASSERT_EQ (kResultOk, runBlock (*p.processor, in, out, 8));
	EXPECT_EQ (0.0f, out.channels[0][3]);
	EXPECT_EQ (0.0f, out.channels[1][4]);
	EXPECT_EQ (0.25f, p->workerChannel ().ring.at (3));
}

TEST_F (ProcessCallback, SixtyFourBitBlockIsCopied)
{
	std::vector<double> left (8, 0.5), right (8, -0.5), outL (8), outR (8);
	double* inPtrs[2] = {left.data (), right.data ()};
	double* outPtrs[2] = {outL.data (), outR.data ()};
	AudioBusBuffers inBus {}, outBus {};
	inBus.numChannels = outBus.numChannels = 2;
	inBus.channelBuffers64 = inPtrs;
	outBus.channelBuffers64 = outPtrs;
	ProcessData data {};
	data.symbolicSampleSize = kSample64;
	data.numSamples = 8;
	data.numInputs = data.numOutputs = 1;
	data.inputs = &inBus;
	data.outputs = &outBus;
	ASSERT_EQ (kResultOk, p->process (data));
	EXPECT_EQ (left, outL);
	EXPECT_EQ (right, outR);
	EXPECT_EQ (0.0f, p->workerChannel ().ring.at (7));
}

TEST_F (ProcessCallback, MissingBuffersDoNothing)
{
	AudioBusBuffers inBus {}, outBus {};
	inBus.numChannels = outBus.numChannels = 2;
	ProcessData data {};
	data.symbolicSampleSize = kSample32;
	data.numSamples = 8;
	data.numInputs = data.numOutputs = 1;
	data.inputs = &inBus;
	data.outputs = &outBus;
	EXPECT_EQ (kResultOk, p->process (data));
	EXPECT_EQ (0u, p->workerChannel ().ring.written ());
}

} // namespace
} // namespace cadora
