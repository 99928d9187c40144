// Where the plug-in's own module file lies, and the separator of that path.
#pragma once

#include <string>

namespace cadora::platform {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Full path (UTF-8) of the module that contains this code; empty when unknown.
std::string ownModulePath ();

} // namespace cadora::platform
