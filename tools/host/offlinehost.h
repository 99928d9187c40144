// A small in-process VST3 host for the command-line tool, the tests and the benchmarks:
// creates the processor through the module's factory and drives it through
// IComponent / IAudioProcessor as a host does, block by block, faster than real time.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <utility>
#include <vector>

namespace cadora {

class VantoProcessor;
struct SteadyClock;

class OfflineHost
{
public:
	// Creates, initialises, sets up (32-bit, realtime mode) and activates the processor.
	// With a clock, the processor's worker runs in simulated time: no thread, one cycle
	// per runWorkerCycle.
	OfflineHost (double sampleRate, Steinberg::int32 maxBlock, SteadyClock* workerClock = nullptr);
	~OfflineHost ();
	OfflineHost (const OfflineHost&) = delete;
	OfflineHost& operator= (const OfflineHost&) = delete;

	bool ready () const { return active; }
	// Queues a parameter change for the start of the next block.
	void setParameter (Steinberg::Vst::ParamID id, double value);
	// One block of stereo (or `channels`-channel) audio; in and out may be the same buffers.
	Steinberg::tresult process (float* const* in, float* const* out, Steinberg::int32 channels,
	                            Steinberg::int32 numSamples);
	Steinberg::uint32 latencySamples ();
	void runWorkerCycle ();

	Steinberg::Vst::IComponent* component () { return comp; }
	Steinberg::Vst::IAudioProcessor* audioProcessor () { return proc; }
	VantoProcessor& vanto ();

private:
	Steinberg::Vst::IComponent* comp = nullptr;
	Steinberg::Vst::IAudioProcessor* proc = nullptr;
	bool active = false;
	std::vector<std::pair<Steinberg::Vst::ParamID, double>> pending;
};

} // namespace cadora
