#include "platform/moduleexport.h"

#include <dlfcn.h>

namespace cadora::platform {

void* findModuleExport (const ModuleInfo& module, const char* name)
{
	if (module.path.empty ())
		return nullptr;
	// RTLD_NOLOAD only hands out a handle of a library that is loaded already.
	void* handle = dlopen (module.path.c_str (), RTLD_LAZY | RTLD_NOLOAD);
	if (!handle)
		return nullptr;
	void* symbol = dlsym (handle, name);
	dlclose (handle);
	return symbol;
}

} // namespace cadora::platform
