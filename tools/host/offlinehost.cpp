#include "tools/host/offlinehost.h"

#include "plugin/factory.h"
#include "plugin/ids.h"
#include "plugin/processor.h"

#include "public.sdk/source/vst/hosting/parameterchanges.h"

namespace cadora {

using namespace Steinberg;
using namespace Steinberg::Vst;

OfflineHost::OfflineHost (double sampleRate, int32 maxBlock, SteadyClock* workerClock)
{
	TUID cid;
	kProcessorUID.toTUID (cid);
	void* object = nullptr;
	if (pluginFactory ()->createInstance (cid, IComponent::iid, &object) != kResultOk)
		return;
	comp = static_cast<IComponent*> (object);
	if (comp->initialize (nullptr) != kResultOk)
		return;
	if (comp->queryInterface (IAudioProcessor::iid, reinterpret_cast<void**> (&proc)) != kResultOk)
		return;
	ProcessSetup setup {kRealtime, kSample32, maxBlock, sampleRate};
	if (proc->setupProcessing (setup) != kResultOk)
		return;
	if (workerClock)
		vanto ().useManualWorker (*workerClock);
	if (comp->setActive (true) != kResultOk)
		return;
	proc->setProcessing (true);
	active = true;
}

OfflineHost::~OfflineHost ()
{
	if (active)
	{
		proc->setProcessing (false);
		comp->setActive (false);
	}
	if (proc)
		proc->release ();
	if (comp)
	{
		comp->terminate ();
		comp->release ();
	}
}

void OfflineHost::setParameter (ParamID id, double value)
{
	pending.emplace_back (id, value);
}

tresult OfflineHost::process (float* const* in, float* const* out, int32 channels, int32 numSamples)
{
	ParameterChanges changes (static_cast<int32> (pending.size ()));
	for (const auto& [id, value] : pending)
	{
		int32 index = 0;
		if (IParamValueQueue* queue = changes.addParameterData (id, index))
			queue->addPoint (0, value, index);
	}
	pending.clear ();

	AudioBusBuffers input {};
	input.numChannels = channels;
	input.channelBuffers32 = const_cast<float**> (in);
	AudioBusBuffers output {};
	output.numChannels = channels;
	output.channelBuffers32 = const_cast<float**> (out);

	ProcessData data {};
	data.processMode = kRealtime;
	data.symbolicSampleSize = kSample32;
	data.numSamples = numSamples;
	data.numInputs = 1;
	data.numOutputs = 1;
	data.inputs = &input;
	data.outputs = &output;
	data.inputParameterChanges = &changes;
	return proc->process (data);
}

uint32 OfflineHost::latencySamples ()
{
	return proc ? proc->getLatencySamples () : 0;
}

void OfflineHost::runWorkerCycle ()
{
	vanto ().runWorkerCycle ();
}

VantoProcessor& OfflineHost::vanto ()
{
	return *static_cast<VantoProcessor*> (proc);
}

} // namespace cadora
