#include "fixturemodule.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#include <string>
#endif

namespace cadora::test {

using namespace Steinberg;
using GetFactoryFunction = IPluginFactory*(PLUGIN_API*)();

namespace {

#if defined(_WIN32)
void* openModule ()
{
	// The fixture is built beside the test program, which Windows searches first.
	return LoadLibraryW (L"autotunepro_fixture.dll");
}
void* symbol (void* handle, const char* name)
{
	return reinterpret_cast<void*> (GetProcAddress (static_cast<HMODULE> (handle), name));
}
void closeModule (void* handle)
{
	FreeLibrary (static_cast<HMODULE> (handle));
}
#else
void* openModule ()
{
	char exe[PATH_MAX] = {};
	const ssize_t n = readlink ("/proc/self/exe", exe, sizeof exe - 1);
	if (n <= 0)
		return nullptr;
	std::string path (exe, static_cast<size_t> (n));
	path = path.substr (0, path.rfind ('/') + 1) + "autotunepro_fixture.so";
	return dlopen (path.c_str (), RTLD_NOW | RTLD_LOCAL);
}
void* symbol (void* handle, const char* name)
{
	return dlsym (handle, name);
}
void closeModule (void* handle)
{
	dlclose (handle);
}
#endif

} // namespace

FixtureModule::FixtureModule ()
{
	handle = openModule ();
	if (!handle)
		return;
	setFaultFunction = reinterpret_cast<void (*) (bool)> (symbol (handle, "cadoraFixtureSetFault"));
	auto getFactory = reinterpret_cast<GetFactoryFunction> (symbol (handle, "GetPluginFactory"));
	factory = getFactory ? getFactory () : nullptr;
}

FixtureModule::~FixtureModule ()
{
	if (factory)
		factory->release ();
	if (handle)
		closeModule (handle);
}

void* FixtureModule::createFirst (const char* category, const TUID iid)
{
	if (!factory)
		return nullptr;
	for (int32 i = 0; i < factory->countClasses (); ++i)
	{
		PClassInfo info {};
		if (factory->getClassInfo (i, &info) != kResultOk || std::strcmp (info.category, category) != 0)
			continue;
		void* object = nullptr;
		factory->createInstance (info.cid, iid, &object);
		return object;
	}
	return nullptr;
}

Vst::IEditController* FixtureModule::createController ()
{
	auto* controller = static_cast<Vst::IEditController*> (
	    createFirst (kVstComponentControllerClass, Vst::IEditController::iid));
	if (controller)
		controller->initialize (nullptr);
	return controller;
}

Vst::IComponent* FixtureModule::createProcessor ()
{
	auto* processor =
	    static_cast<Vst::IComponent*> (createFirst (kVstAudioEffectClass, Vst::IComponent::iid));
	if (processor)
		processor->initialize (nullptr);
	return processor;
}

void FixtureModule::destroyController (Vst::IEditController* controller)
{
	controller->terminate ();
	controller->release ();
}

void FixtureModule::setFault (bool fault)
{
	if (setFaultFunction)
		setFaultFunction (fault);
}

} // namespace cadora::test
