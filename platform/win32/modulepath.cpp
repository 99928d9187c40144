#include "platform/modulepath.h"

#include "platform/win32/utf8.h"

#include <windows.h>

namespace cadora::platform {

std::string ownModulePath ()
{
	HMODULE module = nullptr;
	const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
	if (!GetModuleHandleExW (flags, reinterpret_cast<LPCWSTR> (&ownModulePath), &module))
		return {};
	wchar_t wide[MAX_PATH] = {};
	const DWORD length = GetModuleFileNameW (module, wide, MAX_PATH);
	if (length == 0 || length >= MAX_PATH)
		return {};
	return toUtf8 (wide, length);
}

} // namespace cadora::platform
