#include "platform/modulepath.h"

#include <dlfcn.h>

namespace cadora::platform {

std::string ownModulePath ()
{
	Dl_info info {};
	if (dladdr (reinterpret_cast<void*> (&ownModulePath), &info) == 0 || !info.dli_fname)
		return {};
	return info.dli_fname;
}

} // namespace cadora::platform
