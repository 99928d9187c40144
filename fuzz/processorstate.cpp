// Fuzzes the processor's setState with arbitrary bytes: it must never read past the
// stream or crash, and whatever it accepted (damaged values are kept as they are, for a
// faithful round trip) the audio that follows stays finite and bounded.
#include "fuzz/statecheck.h"
#include "keydetect/steadyclock.h"
#include "plugin/processor.h"

#include <cmath>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32 kBlock = 64;
cadora::ManualClock workerClock;
cadora::VantoProcessor* processor = nullptr;
std::vector<float> input[2];
std::vector<float> output[2];

// One stereo block of a full-scale tone through the processor; aborts on an output
// sample that is not finite or far beyond full scale.
void processOneBlock ()
{
	float* in[2] = {input[0].data (), input[1].data ()};
	float* out[2] = {output[0].data (), output[1].data ()};
	AudioBusBuffers inBus {};
	inBus.numChannels = 2;
	inBus.channelBuffers32 = in;
	AudioBusBuffers outBus {};
	outBus.numChannels = 2;
	outBus.channelBuffers32 = out;
	ProcessData data {};
	data.symbolicSampleSize = kSample32;
	data.numSamples = kBlock;
	data.numInputs = 1;
	data.numOutputs = 1;
	data.inputs = &inBus;
	data.outputs = &outBus;
	processor->process (data);
	for (const auto& channel : output)
		for (float sample : channel)
			if (!std::isfinite (sample) || std::fabs (sample) > 16.0f)
				std::abort ();
}

} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
	// Kept for the whole run: making a processor per input would mostly fuzz its set-up.
	processor = new cadora::VantoProcessor;
	processor->useManualWorker (workerClock);
	processor->initialize (nullptr);
	ProcessSetup setup {kRealtime, kSample32, kBlock, 44100.0};
	processor->setupProcessing (setup);
	processor->setActive (true);
	for (int c = 0; c < 2; ++c)
	{
		input[c].resize (kBlock);
		output[c].resize (kBlock);
		for (int i = 0; i < kBlock; ++i)
			input[c][i] = std::sin (0.0628f * static_cast<float> (i + 7 * c));
	}
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	processor->setState (cadora::fuzz::streamOf (data, size));
	processOneBlock ();
	return 0;
}
