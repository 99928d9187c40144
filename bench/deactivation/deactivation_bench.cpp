// How long setActive (false) keeps the host waiting when the worker is between cycles:
// the processor is activated, left alone for a random time inside a worker period (so the
// call lands anywhere in the worker's wait), then deactivated and timed. Prints the median
// and the worst of the runs.
//   bench_deactivation [RUNS]
#include "plugin/factory.h"
#include "plugin/ids.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using Clock = std::chrono::steady_clock;

int main (int argc, char** argv)
{
	const int runs = argc > 1 ? std::max (1, std::atoi (argv[1])) : 100;
	TUID cid;
	cadora::kProcessorUID.toTUID (cid);
	IComponent* component = nullptr;
	if (cadora::pluginFactory ()->createInstance (cid, IComponent::iid,
	                                              reinterpret_cast<void**> (&component)) != kResultOk)
		return 1;
	component->initialize (nullptr);
	IAudioProcessor* processor = nullptr;
	component->queryInterface (IAudioProcessor::iid, reinterpret_cast<void**> (&processor));
	ProcessSetup setup {kRealtime, kSample32, 512, 48000.0};
	processor->setupProcessing (setup);

	std::mt19937 random (12345);
	// Past the first cycle (the auto-tune search) and anywhere within the next 150 ms period.
	std::uniform_int_distribution<int> pause (30, 180);
	std::vector<double> millis;
	for (int run = 0; run < runs; ++run)
	{
		if (component->setActive (true) != kResultOk)
			return 1;
		std::this_thread::sleep_for (std::chrono::milliseconds (pause (random)));
		const auto start = Clock::now ();
		component->setActive (false);
		millis.push_back (std::chrono::duration<double, std::milli> (Clock::now () - start).count ());
	}
	processor->release ();
	component->terminate ();
	component->release ();

	std::sort (millis.begin (), millis.end ());
	std::printf ("setActive (false), %d runs: median %.3f ms, worst %.3f ms, best %.3f ms\n", runs,
	             millis[millis.size () / 2], millis.back (), millis.front ());
	return 0;
}
