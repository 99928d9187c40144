// VantoProcessor: the audio component. Owns the music signal path, the mono feed of key
// detection, the worker thread and the auto-tune link.
#pragma once

#include "dsp/bandlevels.h"
#include "dsp/pitchtransposer.h"
#include "dsp/vocalremover.h"
#include "plugin/ids.h"
#include "plugin/parameters.h"
#include "plugin/worker.h"
#include "plugin/workerchannel.h"

#include "public.sdk/source/vst/vstaudioeffect.h"

#include <array>
#include <thread>
#include <vector>

namespace cadora {

class VantoProcessor : public Steinberg::Vst::AudioEffect
{
public:
	using tresult = Steinberg::tresult;

	VantoProcessor ();
	~VantoProcessor () override;

	static Steinberg::FUnknown* createInstance (void*)
	{
		return static_cast<Steinberg::Vst::IAudioProcessor*> (new VantoProcessor);
	}

	tresult PLUGIN_API initialize (Steinberg::FUnknown* context) override;
	tresult PLUGIN_API setActive (Steinberg::TBool state) override;
	tresult PLUGIN_API setState (Steinberg::IBStream* state) override;
	tresult PLUGIN_API getState (Steinberg::IBStream* state) override;

	tresult PLUGIN_API setBusArrangements (Steinberg::Vst::SpeakerArrangement* inputs,
	                                       Steinberg::int32 numIns,
	                                       Steinberg::Vst::SpeakerArrangement* outputs,
	                                       Steinberg::int32 numOuts) override;
	Steinberg::uint32 PLUGIN_API getLatencySamples () override;
	tresult PLUGIN_API setupProcessing (Steinberg::Vst::ProcessSetup& setup) override;
	tresult PLUGIN_API process (Steinberg::Vst::ProcessData& data) override;

	// Read access for the command-line tool and tests.
	double parameter (ParamId id) const { return params[id]; }
	int32_t analysisSamples () const { return analysisFill; }
	bool workerIsRunning () const { return workerThread.joinable (); }
	// What the worker is handed (mono ring, Hardness, run state), as the worker sees it.
	WorkerChannel& workerChannel () { return channel; }

	// Runs the worker in simulated time: from the next activation on no thread is
	// started, and each runWorkerCycle is one cycle at the given clock's time. A cycle
	// that fails ends the worker until the next activation, as it ends the thread.
	void useManualWorker (SteadyClock& clock);
	void runWorkerCycle ();

private:
	void applyParameterChanges (Steinberg::Vst::IParameterChanges* changes);
	void feedMono (const Steinberg::Vst::ProcessData& data);
	void addAnalysisSample (float m);
	tresult writeOutput (Steinberg::Vst::ProcessData& data);
	tresult writeStereo (Steinberg::Vst::ProcessData& data);
	void deactivate ();
	void storeParameter (Steinberg::Vst::ParamID id, double value);

	std::array<double, kParamCount> params = parameterDefaults ();
	PitchTransposer transposer;
	std::vector<float> scratchLeft;
	std::vector<float> scratchRight;
	VocalRemoverState vocalLow;
	std::array<float, kAnalysisLength> analysisBlock {};
	std::array<float, kAnalysisLength> analysisWindow = makeAnalysisWindow ();
	std::array<float, kDisplayBands> smoothedBandLevels {};
	int32_t analysisFill = 0;
	uint64_t monoWritten = 0;
	WorkerChannel channel;
	std::thread workerThread;
	bool manualWorker = false;
	int32_t activeSampleRate = 0;
	Worker keyWorker;
};

} // namespace cadora
