// Loads the auto-tune fixture module into the test process, as a host loads a plug-in,
// and creates its controllers.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace cadora::test {

class FixtureModule
{
public:
	FixtureModule ();
	~FixtureModule ();
	bool loaded () const { return factory != nullptr; }
	// A new controller, initialised as a host does.
	Steinberg::Vst::IEditController* createController ();
	// Destroys a controller made by createController.
	static void destroyController (Steinberg::Vst::IEditController* controller);
	void setFault (bool fault);

private:
	void* handle = nullptr;
	Steinberg::IPluginFactory* factory = nullptr;
	void (*setFaultFunction) (bool) = nullptr;
};

} // namespace cadora::test
