// The module's exported entry points. Linked into the plug-in module only.
#include "plugin/factory.h"
#include "plugin/moduleinit.h"

#include "pluginterfaces/base/fplatform.h"

// The SDK's module glue reads the module handle from this variable (plugin/modulehandle.cpp).
extern void* moduleHandle;

#if defined(_WIN32)
#include <windows.h>

namespace {
HINSTANCE moduleInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain (HINSTANCE instance, DWORD reason, LPVOID)
{
	if (reason == DLL_PROCESS_ATTACH)
		moduleInstance = instance;
	return TRUE;
}

extern "C" {

SMTG_EXPORT_SYMBOL bool InitDll ()
{
	moduleHandle = moduleInstance;
	return cadora::moduleUseCounter ().enter (moduleInstance);
}

SMTG_EXPORT_SYMBOL bool ExitDll ()
{
	return cadora::moduleUseCounter ().leave ();
}

} // extern "C"

#else

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry (void* sharedLibraryHandle)
{
	if (cadora::moduleUseCounter ().count () == 0)
		moduleHandle = sharedLibraryHandle;
	return cadora::moduleUseCounter ().enter (sharedLibraryHandle);
}

SMTG_EXPORT_SYMBOL bool ModuleExit ()
{
	return cadora::moduleUseCounter ().leave ();
}

} // extern "C"

#endif

extern "C" SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory ()
{
	return cadora::pluginFactory ();
}
