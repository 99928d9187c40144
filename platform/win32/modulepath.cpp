#include "platform/modulepath.h"

#include <windows.h>

namespace cadora::platform {

std::string ownModulePath ()
{
	HMODULE module = nullptr;
	const DWORD flags =
	    GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
	if (!GetModuleHandleExW (flags, reinterpret_cast<LPCWSTR> (&ownModulePath), &module))
		return {};
	wchar_t wide[MAX_PATH] = {};
	const DWORD length = GetModuleFileNameW (module, wide, MAX_PATH);
	if (length == 0 || length >= MAX_PATH)
		return {};
	const int bytes = WideCharToMultiByte (CP_UTF8, 0, wide, static_cast<int> (length), nullptr, 0,
	                                       nullptr, nullptr);
	std::string path (static_cast<size_t> (bytes), '\0');
	WideCharToMultiByte (CP_UTF8, 0, wide, static_cast<int> (length), path.data (), bytes, nullptr,
	                     nullptr);
	return path;
}

} // namespace cadora::platform
