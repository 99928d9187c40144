// Loads the auto-tune fixture module into the test process, as a host loads a plug-in,
// and creates its controllers.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace cadora::test {

class FixtureModule
{
public:
	FixtureModule ();
	~FixtureModule ();
	bool loaded () const { return factory != nullptr; }
	Steinberg::IPluginFactory* pluginFactory () const { return factory; }
	// A new controller, initialised as a host does.
	Steinberg::Vst::IEditController* createController ();
	// Destroys a controller made by createController.
	static void destroyController (Steinberg::Vst::IEditController* controller);
	// A new processor (the module's audio component), initialised; the caller terminates
	// and releases it.
	Steinberg::Vst::IComponent* createProcessor ();
	void setFault (bool fault);

private:
	// An instance of the module's first class of that category, asked for `iid`.
	void* createFirst (const char* category, const Steinberg::TUID iid);

	void* handle = nullptr;
	Steinberg::IPluginFactory* factory = nullptr;
	void (*setFaultFunction) (bool) = nullptr;
};

} // namespace cadora::test
