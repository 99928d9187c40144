#include "plugin/processor.h"

#include "plugin/parameters.h"
#include "plugin/sharedstatus.h"
#include "plugin/statecodec.h"

#include <algorithm>

namespace cadora {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int32 kMinimumSampleRate = 8000;
constexpr double kRingSeconds = 8.0;
} // namespace

VantoProcessor::VantoProcessor ()
{
	setControllerClass (kControllerUID);
	channel.offerHardness (hardnessFromValue (params[kParamHardness]));
	prepareBandAnalysis ();
	sharedStatus ().clearBandLevels ();
}

VantoProcessor::~VantoProcessor ()
{
	deactivate ();
}

tresult PLUGIN_API VantoProcessor::initialize (FUnknown* context)
{
	const tresult result = AudioEffect::initialize (context);
	if (result != kResultOk)
		return result;
	addAudioInput (STR16 ("Stereo Input"), SpeakerArr::kStereo);
	addAudioOutput (STR16 ("Stereo Output"), SpeakerArr::kStereo);
	return kResultOk;
}

tresult PLUGIN_API VantoProcessor::setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
                                                       SpeakerArrangement* outputs, int32 numOuts)
{
	if (numIns != 1 || numOuts != 1 || !inputs || !outputs)
		return kResultFalse;
	if (inputs[0] != SpeakerArr::kStereo || outputs[0] != SpeakerArr::kStereo)
		return kResultFalse;
	return AudioEffect::setBusArrangements (inputs, numIns, outputs, numOuts);
}

uint32 PLUGIN_API VantoProcessor::getLatencySamples ()
{
	return static_cast<uint32> (std::max (transposer.latencySamples (), 0));
}

tresult PLUGIN_API VantoProcessor::setupProcessing (ProcessSetup& setup)
{
	const tresult result = AudioEffect::setupProcessing (setup);
	if (result == kResultOk)
		activeSampleRate = static_cast<int32> (setup.sampleRate);
	return result;
}

tresult PLUGIN_API VantoProcessor::setActive (TBool state)
{
	if (!state)
	{
		deactivate ();
		return AudioEffect::setActive (false);
	}
	const tresult result = AudioEffect::setActive (true);
	if (result != kResultOk)
		return result;
	// A second activation without deactivation restarts the worker on fresh buffers.
	deactivate ();

	const int32 sr = std::max (activeSampleRate, kMinimumSampleRate);
	const auto block = static_cast<int> (static_cast<float> (sr) * 0.04f);
	const auto interval = static_cast<int> (static_cast<float> (sr) * 0.015f);
	transposer.configure (2, block, interval);

	const auto maxBlock = static_cast<size_t> (std::max (processSetup.maxSamplesPerBlock, 0));
	scratchLeft.assign (maxBlock, 0.0f);
	scratchRight.assign (maxBlock, 0.0f);
	vocalLow = {};

	const auto ringLength = static_cast<size_t> (kRingSeconds * sr);
	monoWritten = 0;
	channel.open (ringLength, activeSampleRate, hardnessFromValue (params[kParamHardness]));
	keyWorker.reset (ringLength);

	auto& status = sharedStatus ();
	status.tempoBpm.store (0);
	status.detectedKey.store (-1);

	channel.start ();
	if (manualWorker)
		return kResultOk;
	try
	{
		workerThread = std::thread ([this] { keyWorker.run (channel); });
	}
	catch (...)
	{
		channel.stop ();
		return kResultFalse;
	}
	return kResultOk;
}

void VantoProcessor::deactivate ()
{
	channel.stop ();
	if (workerThread.joinable ())
		workerThread.join ();
	keyWorker.clear ();
	channel.close ();
}

void VantoProcessor::useManualWorker (SteadyClock& clock)
{
	manualWorker = true;
	keyWorker.setClock (clock);
}

void VantoProcessor::runWorkerCycle ()
{
	if (manualWorker && channel.running () && !keyWorker.runCycle (channel))
		channel.stop ();
}

void VantoProcessor::storeParameter (ParamID id, double value)
{
	params[id] = value;
	if (id == kParamPitch)
		channel.setSemitones (semitonesFromPitch (value));
}

tresult PLUGIN_API VantoProcessor::getState (IBStream* state)
{
	StateFields fields;
	fields.values = params;
	return writeState (state, kProcessorStateRules, fields) ? kResultOk : kResultFalse;
}

// Values are kept as stored, damaged or not: each use derives a sane value from them, and
// a project saved again keeps what it held. A refused stream still leaves the parameters
// read before its end, and the missing one at 0.
tresult PLUGIN_API VantoProcessor::setState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	StateFields fields;
	if (!readState (state, kProcessorStateRules, fields))
	{
		for (int id = 0; id <= fields.parametersRead; ++id)
			params[id] = fields.values[id];
		return kResultFalse;
	}
	for (ParamID id = 0; id < kParamCount; ++id)
		storeParameter (id, fields.values[id]);
	channel.storeHardness (hardnessFromValue (params[kParamHardness]));
	return kResultOk;
}

} // namespace cadora
