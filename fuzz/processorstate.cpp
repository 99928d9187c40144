// Fuzzes the processor's setState with arbitrary bytes: it must never read past the
// stream or crash, and the state it then saves holds only normalised values.
#include "fuzz/statecheck.h"
#include "keydetect/steadyclock.h"
#include "plugin/processor.h"

using namespace Steinberg;

namespace {

cadora::ManualClock clock;
cadora::VantoProcessor* processor = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
	// Kept for the whole run: making a processor per input would mostly fuzz its set-up.
	processor = new cadora::VantoProcessor;
	processor->useManualWorker (clock);
	processor->initialize (nullptr);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	processor->setState (cadora::fuzz::streamOf (data, size));
	auto saved = owned (new MemoryStream);
	if (processor->getState (saved) != kResultOk)
		std::abort ();
	const size_t offsets[] = {0, 8, 16, 24, 32, 40};
	cadora::fuzz::requireNormalised (*saved, offsets, 6);
	return 0;
}
