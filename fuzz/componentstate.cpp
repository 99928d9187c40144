// Fuzzes the controller's setComponentState (the processor's state as the host hands it
// over) with arbitrary bytes: no crash, no read past the stream, and every parameter
// the controller then shows is a normalised value.
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
	controller->setComponentState (cadora::fuzz::streamOf (data, size));
	for (int32 i = 0; i < controller->getParameterCount (); ++i)
	{
		Vst::ParameterInfo info {};
		controller->getParameterInfo (i, info);
		const double v = controller->getParamNormalized (info.id);
		if (!(v >= 0.0 && v <= 1.0))
			std::abort ();
	}
	return 0;
}
