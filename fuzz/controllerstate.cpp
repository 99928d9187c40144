// Fuzzes the controller's own setState (parameters and window size) with arbitrary
// bytes: no crash, no read past the stream, and the state it then saves holds only
// normalised values.
#include "fuzz/statecheck.h"
#include "plugin/controller.h"

using namespace Steinberg;

namespace {

cadora::VantoController* controller = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
	controller = new cadora::VantoController;
	controller->initialize (nullptr);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	controller->setState (cadora::fuzz::streamOf (data, size));
	auto saved = owned (new MemoryStream);
	if (controller->getState (saved) != kResultOk)
		std::abort ();
	// Four values, the window's width and height, two more values.
	const size_t offsets[] = {0, 8, 16, 24, 40, 48};
	cadora::fuzz::requireNormalised (*saved, offsets, 6);
	return 0;
}
