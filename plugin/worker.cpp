#include "plugin/worker.h"

#include "plugin/processor.h"
#include "plugin/sharedstatus.h"

#include <chrono>
#include <thread>

namespace cadora {

int64_t steadyNowNs ()
{
	using namespace std::chrono;
	return duration_cast<nanoseconds> (steady_clock::now ().time_since_epoch ()).count ();
}

void Worker::reset (size_t length)
{
	ringLength = length;
}

void Worker::clear ()
{
}

void Worker::runCycle (VantoProcessor& processor, int64_t /*nowNs*/)
{
	// Auto-tune link steps come first here once the link exists.
	if (processor.monoSamplesWritten () >= kMinimumMonoSamples)
	{
		// The key detection pass runs here.
	}
}

void Worker::loop (VantoProcessor* processor)
{
	auto& status = sharedStatus ();
	while (processor->workerShouldRun ())
	{
		const int64_t start = steadyNowNs ();
		try
		{
			processor->worker ().runCycle (*processor, start);
		}
		catch (...)
		{
			status.tempoBpm.store (0);
			status.detectedKey.store (-1);
			return;
		}
		std::this_thread::sleep_until (std::chrono::steady_clock::time_point (
		    std::chrono::nanoseconds (steadyNowNs () + kCycleNs)));
	}
}

} // namespace cadora
