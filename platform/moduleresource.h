// Data linked into the plug-in's own module by name (the player logos). Windows keeps
// them as RCDATA resources of the module; Linux has no module resources, so the build
// compiles the same files into a table (cmake/resources.cmake). A missing name gives
// empty bytes; nothing here allocates or fails otherwise.
#pragma once

#include <cstddef>

namespace cadora::platform {

struct ResourceBytes
{
	const void* data = nullptr;
	size_t size = 0;
};

// Names are ASCII, such as "PLAYER_KUGOU".
ResourceBytes moduleResource (const char* name);

} // namespace cadora::platform
