// The processor's worker: everything too slow or too risky for the audio thread — the
// auto-tune link and key detection — run every 150 ms on a thread of its own while the
// processor is active, or one cycle at a time in simulated time (tests, cadora-cli). It
// reads what the audio thread hands over through a WorkerChannel and is the one publisher
// of what it finds (key, tempo, link state) to the shared status.
#pragma once

#include "autotune/autotunelink.h"
#include "keydetect/keydetector.h"
#include "keydetect/steadyclock.h"
#include "plugin/workerchannel.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cadora {

class Worker
{
public:
	static constexpr int64_t kCycleNs = 150'000'000;

	Worker ();
	~Worker ();

	// Time source of the cycles and of everything they schedule; the real steady clock
	// unless a test or the command-line tool drives the worker in simulated time.
	void setClock (SteadyClock& clock);
	SteadyClock& clock () { return *timeSource; }

	// Activation: key detector state back to its initial values, a new auto-tune link.
	void reset (size_t ringLength);
	// Deactivation: detector objects destroyed, arrays cleared, link gone.
	void clear ();
	// One cycle: the link steps, then a detection pass once enough music was written.
	// A cycle that fails publishes no key and no tempo and returns false: the worker ends.
	bool runCycle (WorkerChannel& channel);

	// Thread function: a cycle, then a wait of one period that stopping the channel cuts
	// short; until the channel stops or a cycle fails.
	void run (WorkerChannel& channel);

private:
	void runLinkSteps (WorkerChannel& channel);
	void runSteps (WorkerChannel& channel);

	RealSteadyClock realClock;
	SteadyClock* timeSource = &realClock;
	KeyDetector keyDetector;
	std::unique_ptr<AutoTuneLink> autoTuneLink;
	int32_t lastHandedKey = -1;
};

// The key n semitones away from key index k, same scale; -1 for no key.
int32_t transposedKey (int32_t k, int semitones);

} // namespace cadora
