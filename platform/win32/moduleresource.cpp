#include "platform/moduleresource.h"

#include <windows.h>

#include <string>

namespace cadora::platform {

namespace {

// The module that holds this code: the plug-in, or a test program linking it statically.
HMODULE ownModule ()
{
	HMODULE module = nullptr;
	const auto flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
	if (!GetModuleHandleExW (flags, reinterpret_cast<LPCWSTR> (&ownModule), &module))
		return nullptr;
	return module;
}

} // namespace

ResourceBytes moduleResource (const char* name)
{
	if (!name)
		return {};
	const std::wstring wide (name, name + std::char_traits<char>::length (name));
	HMODULE module = ownModule ();
	HRSRC info =
	    module ? FindResourceW (module, wide.c_str (), MAKEINTRESOURCEW (10) /* RT_RCDATA */) : nullptr;
	HGLOBAL loaded = info ? LoadResource (module, info) : nullptr;
	const void* data = loaded ? LockResource (loaded) : nullptr;
	const DWORD size = info ? SizeofResource (module, info) : 0;
	if (!data || size == 0)
		return {};
	return {data, size};
}

} // namespace cadora::platform
