#include "plugin/workerchannel.h"

#include <chrono>

namespace cadora {

void WorkerChannel::open (size_t ringLength, int32_t sampleRate, double hardness)
{
	ring.allocate (ringLength);
	rate = sampleRate;
	offerHardness (hardness);
}

void WorkerChannel::close ()
{
	ring.release ();
}

// The flag is raised after the value is stored (release), and the worker lowers it before
// it loads the value (acquire): a worker that sees the flag sees this value or a newer one.
void WorkerChannel::offerHardness (double hardness)
{
	pendingHardness.store (hardness, std::memory_order_relaxed);
	hardnessOffered.store (true, std::memory_order_release);
}

bool WorkerChannel::takeHardness (double& hardness)
{
	if (!hardnessOffered.exchange (false, std::memory_order_acquire))
		return false;
	hardness = pendingHardness.load (std::memory_order_relaxed);
	return true;
}

void WorkerChannel::start ()
{
	std::lock_guard<std::mutex> guard (waitLock);
	runFlag.store (true, std::memory_order_release);
}

// Stored under the lock, so that the worker cannot miss the wake-up between testing the
// flag and starting to wait.
void WorkerChannel::stop ()
{
	{
		std::lock_guard<std::mutex> guard (waitLock);
		runFlag.store (false, std::memory_order_release);
	}
	wake.notify_all ();
}

bool WorkerChannel::waitFor (int64_t ns)
{
	std::unique_lock<std::mutex> lock (waitLock);
	wake.wait_for (lock, std::chrono::nanoseconds (ns), [this] { return !running (); });
	return running ();
}

} // namespace cadora
