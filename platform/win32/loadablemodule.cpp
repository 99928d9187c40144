#include "platform/loadablemodule.h"

#include <windows.h>

#include <filesystem>

namespace cadora::platform {

LoadableModule::~LoadableModule ()
{
	if (handle)
		FreeLibrary (static_cast<HMODULE> (handle));
}

bool LoadableModule::open (const std::string& path)
{
	if (handle)
		return false;
	const std::wstring wide = std::filesystem::u8path (path).wstring ();
	// Dependencies are looked for beside the module first, as hosts load plug-ins.
	handle = LoadLibraryExW (wide.c_str (), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
	return handle != nullptr;
}

void* LoadableModule::symbol (const char* name) const
{
	return handle ? reinterpret_cast<void*> (GetProcAddress (static_cast<HMODULE> (handle), name)) : nullptr;
}

} // namespace cadora::platform
