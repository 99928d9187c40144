// Functions of a system library that the plug-in must not require at load time (the
// session bus and sound server libraries): the library is opened on first use and kept
// for the life of the process, and a table is usable only when every function was found.
#pragma once

#include <dlfcn.h>

namespace cadora::platform {

// Opens a library by its soname; null when it is not installed.
inline void* openSystemLibrary (const char* soname)
{
	return ::dlopen (soname, RTLD_NOW | RTLD_LOCAL);
}

// Looks up name in library and stores it in target; false when it is missing.
template <typename Function>
bool bindSymbol (void* library, const char* name, Function& target)
{
	target = reinterpret_cast<Function> (::dlsym (library, name));
	return target != nullptr;
}

} // namespace cadora::platform
