// Cost of one full search for the auto-tune's controller in a process that holds 1 GiB
// of private writable memory, and whether the audio thread notices it: while the search
// runs on its own thread, an audio thread keeps processing 512-sample blocks and the
// worst block time is reported beside the same figure without a search.
#include "autotune/autotunelink.h"
#include "keydetect/steadyclock.h"
#include "plugin/ids.h"
#include "plugin/parameters.h"
#include "tests/autotune/fixturemodule.h"
#include "tools/host/offlinehost.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kBytes = size_t (1) << 30;

double secondsSince (Clock::time_point start)
{
	return std::chrono::duration<double> (Clock::now () - start).count ();
}

// Worst time of one process() call while `running` stays set (at least `minBlocks` blocks).
double worstBlockMs (std::atomic<bool>& running, int minBlocks)
{
	cadora::OfflineHost host (48000.0, 512);
	host.setParameter (cadora::kParamPitch, cadora::pitchFromSemitones (2));
	std::vector<float> left (512), right (512);
	float* channels[2] = {left.data (), right.data ()};
	double worst = 0.0;
	for (int block = 0; running.load () || block < minBlocks; ++block)
	{
		for (int j = 0; j < 512; ++j)
			left[j] = right[j] = 0.2f * std::sin (0.05f * (block * 512 + j));
		const auto start = Clock::now ();
		host.process (channels, channels, 2, 512);
		worst = std::max (worst, secondsSince (start) * 1e3);
		std::this_thread::sleep_for (std::chrono::microseconds (2000));
	}
	return worst;
}

double timedSearch (cadora::AutoTuneLink& link)
{
	const auto start = Clock::now ();
	link.discover ();
	return secondsSince (start);
}

} // namespace

int main ()
{
	auto* memory = static_cast<uint64_t*> (
	    mmap (nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
	if (memory == MAP_FAILED)
		return 1;
	for (size_t i = 0; i < kBytes / sizeof (uint64_t); ++i)
		memory[i] = i * 0x9E3779B97F4A7C15ULL; // committed, never a plausible pointer

	cadora::test::FixtureModule module;
	if (!module.loaded ())
	{
		std::fprintf (stderr, "autotunepro_fixture.so not found beside this program\n");
		return 1;
	}
	cadora::RealSteadyClock clock;
	cadora::AutoTuneLink link (clock);

	const double empty = timedSearch (link);
	std::printf ("full search, no controller live: %.1f ms (%s)\n", empty * 1e3,
	             link.isConnected () ? "connected?!" : "not connected");
	auto* controller = module.createController ();
	const double found = timedSearch (link);
	std::printf ("search with a live controller:   %.1f ms (%s)\n", found * 1e3,
	             link.isConnected () ? "connected" : "not connected");
	cadora::test::FixtureModule::destroyController (controller);

	std::atomic<bool> running {false};
	const double quiet = worstBlockMs (running, 200);
	running = true;
	double during = 0.0;
	std::thread audio ([&] { during = worstBlockMs (running, 200); });
	for (int i = 0; i < 3; ++i)
		timedSearch (link);
	running = false;
	audio.join ();
	std::printf ("worst 512-sample block at 48 kHz: %.3f ms alone, %.3f ms during searches "
	             "(budget 10.667 ms)\n",
	             quiet, during);
	munmap (memory, kBytes);
	return 0;
}
