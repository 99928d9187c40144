// The table of files the build compiles into the module on Linux, generated from the
// resource list in cmake/resources.cmake.
#pragma once

#include <cstddef>

namespace cadora::platform {

struct EmbeddedResource
{
	const char* name;
	const unsigned char* data;
	size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;

} // namespace cadora::platform
