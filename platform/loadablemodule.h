// Loading a shared library (a plug-in module) into the own process by path and looking
// up its exports: what a host does with a plug-in, and what cadora-cli does with an
// auto-tune. Loading fails quietly: open returns false.
#pragma once

#include <string>

namespace cadora::platform {

// Inside a VST3 bundle, the folder of this system's module files and their file ending.
#ifdef _WIN32
constexpr const char* kBundleBinaryFolder = "x86_64-win";
constexpr const char* kModuleFileEnding = ".vst3";
#else
constexpr const char* kBundleBinaryFolder = "x86_64-linux";
constexpr const char* kModuleFileEnding = ".so";
#endif

class LoadableModule
{
public:
	LoadableModule () = default;
	~LoadableModule ();
	LoadableModule (const LoadableModule&) = delete;
	LoadableModule& operator= (const LoadableModule&) = delete;

	// Loads the module file at path (UTF-8); false when it cannot be loaded.
	bool open (const std::string& path);
	// Address of an exported symbol, or null.
	void* symbol (const char* name) const;

private:
	void* handle = nullptr;
};

} // namespace cadora::platform
