#include "platform/loadablemodule.h"

#include <dlfcn.h>

namespace cadora::platform {

LoadableModule::~LoadableModule ()
{
	if (handle)
		dlclose (handle);
}

bool LoadableModule::open (const std::string& path)
{
	if (handle)
		return false;
	handle = dlopen (path.c_str (), RTLD_NOW | RTLD_LOCAL);
	return handle != nullptr;
}

void* LoadableModule::symbol (const char* name) const
{
	return handle ? dlsym (handle, name) : nullptr;
}

} // namespace cadora::platform
