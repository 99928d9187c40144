#include "plugin/processor.h"

#include "plugin/parameters.h"
#include "plugin/sharedstatus.h"

#include "base/source/fstreamer.h"

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

	monoRing.assign (static_cast<size_t> (kRingSeconds * sr), 0.0f);
	monoWritten.store (0);
	keyWorker.reset (monoRing.size ());

	auto& status = sharedStatus ();
	status.tempoBpm.store (0);
	status.detectedKey.store (-1);

	hardnessToPush = hardnessFromValue (params[kParamHardness]);
	hardnessChanged.store (true, std::memory_order_release);
	workerRunning.store (true);
	if (manualWorker)
		return kResultOk;
	try
	{
		workerThread = std::thread (&Worker::loop, this);
	}
	catch (...)
	{
		workerRunning.store (false);
		return kResultFalse;
	}
	return kResultOk;
}

void VantoProcessor::deactivate ()
{
	workerRunning.store (false);
	if (workerThread.joinable ())
		workerThread.join ();
	keyWorker.clear ();
	monoRing.clear ();
}

void VantoProcessor::useManualWorker (SteadyClock& clock)
{
	manualWorker = true;
	keyWorker.setClock (clock);
}

void VantoProcessor::runWorkerCycle ()
{
	if (manualWorker && workerRunning.load () && !keyWorker.runCycle (*this))
		workerRunning.store (false);
}

void VantoProcessor::storeParameter (ParamID id, double value)
{
	params[id] = value;
	if (id == kParamPitch)
		semitones.store (semitonesFromPitch (value), std::memory_order_relaxed);
}

bool VantoProcessor::takeHardnessToPush (double& value)
{
	if (!hardnessChanged.exchange (false, std::memory_order_acquire))
		return false;
	value = hardnessToPush;
	return true;
}

tresult PLUGIN_API VantoProcessor::getState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	for (double value : params)
	{
		if (!streamer.writeDouble (value))
			return kResultFalse;
	}
	return kResultOk;
}

tresult PLUGIN_API VantoProcessor::setState (IBStream* state)
{
	if (!state)
		return kResultFalse;
	IBStreamer streamer (state, kLittleEndian);
	for (int id = kParamHardness; id <= kParamPlayerSource; ++id)
	{
		double value = 0.0;
		if (!streamer.readDouble (value))
		{
			params[id] = 0.0;
			return kResultFalse;
		}
		params[id] = value;
	}
	double mute = 0.0;
	params[kParamMuteStrength] = streamer.readDouble (mute) ? mute : 0.0;
	double pitch = 0.5;
	storeParameter (kParamPitch, streamer.readDouble (pitch) ? pitch : 0.5);
	hardnessToPush = hardnessFromValue (params[kParamHardness]);
	return kResultOk;
}

} // namespace cadora
