// The hand-over between the processor and its worker: everything the two share, owned by
// the processor and given to the worker by reference (the worker never sees the
// processor). The audio thread only stores to atomics here: no lock, no allocation, no
// system call. The one lock guards the worker's wait for its next cycle, taken by the
// worker and by (de)activation alone, so that stopping wakes the wait at once instead of
// leaving the host blocked for the rest of a cycle period.
#pragma once

#include "keydetect/monoring.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace cadora {

class WorkerChannel
{
public:
	// The newest mono samples, written by the audio thread, copied by the worker.
	MonoRing ring;

	// Activation, before the worker starts: a zeroed ring, the sample rate, Hardness
	// waiting to be handed to the auto-tune.
	void open (size_t ringLength, int32_t sampleRate, double hardness);
	// Deactivation, after the worker ended: the ring released.
	void close ();
	int32_t sampleRate () const { return rate; }

	// Audio thread (and state loading): the latest Hardness, with or without asking the
	// worker to hand it on.
	void offerHardness (double hardness);
	void storeHardness (double hardness) { pendingHardness.store (hardness, std::memory_order_relaxed); }
	void setSemitones (int semitones) { shift.store (semitones, std::memory_order_relaxed); }

	// Worker: true and the value when a Hardness waits to be handed on, once per offer.
	bool takeHardness (double& hardness);
	int semitones () const { return shift.load (std::memory_order_relaxed); }

	// The worker's run state: start before the worker, stop to end it (wakes its wait).
	void start ();
	void stop ();
	bool running () const { return runFlag.load (std::memory_order_acquire); }
	// Worker: waits `ns` nanoseconds, or less when stopped meanwhile; returns running ().
	bool waitFor (int64_t ns);

private:
	int32_t rate = 0;
	std::atomic<double> pendingHardness {0.0};
	std::atomic<bool> hardnessOffered {false};
	std::atomic<int> shift {0};
	std::atomic<bool> runFlag {false};
	std::mutex waitLock;
	std::condition_variable wake;
};

static_assert (std::atomic<double>::is_always_lock_free, "the audio thread must not lock");
static_assert (std::atomic<float>::is_always_lock_free, "the audio thread must not lock");
static_assert (std::atomic<uint64_t>::is_always_lock_free, "the audio thread must not lock");

} // namespace cadora
