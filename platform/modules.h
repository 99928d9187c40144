// The modules (executable and shared libraries) loaded in the own process, with where
// each lies in memory: what looking for another plug-in inside the host starts from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cadora::platform {

struct ModuleInfo
{
	std::string name;   // file name, UTF-8
	std::string path;   // full path, UTF-8
	uintptr_t base = 0; // lowest address of the mapped image; on Windows the HMODULE
	size_t size = 0;    // bytes from base to the end of the image
};

// Fills modules with the loaded modules in the system's order. False (modules empty)
// when no snapshot could be taken.
bool snapshotModules (std::vector<ModuleInfo>& modules);

} // namespace cadora::platform
