// The processor's worker: everything too slow or too risky for the audio thread,
// run every 150 ms on a thread of its own while the processor is active.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cadora {

class VantoProcessor;

class Worker
{
public:
	static constexpr int64_t kCycleNs = 150'000'000;
	static constexpr uint64_t kMinimumMonoSamples = 4096;

	// Activation: the key detector state back to its initial values.
	void reset (size_t ringLength);
	// Deactivation: detector objects destroyed, arrays cleared.
	void clear ();
	// One cycle of work at time nowNs (steady clock). Exceptions propagate.
	void runCycle (VantoProcessor& processor, int64_t nowNs);

	// Thread function: cycles until the processor clears workerRunning or a cycle fails.
	static void loop (VantoProcessor* processor);

private:
	size_t ringLength = 0;
};

// Steady-clock reading in nanoseconds.
int64_t steadyNowNs ();

} // namespace cadora
