#include "platform/moduleexport.h"

#include <windows.h>

namespace cadora::platform {

void* findModuleExport (const ModuleInfo& module, const char* name)
{
	if (module.base == 0)
		return nullptr;
	// The base address of a loaded image is its module handle.
	auto* handle = reinterpret_cast<HMODULE> (module.base);
	return reinterpret_cast<void*> (GetProcAddress (handle, name));
}

} // namespace cadora::platform
