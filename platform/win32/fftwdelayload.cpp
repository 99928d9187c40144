// FFTW on Windows: the module links libfftw3-3.dll through a delay-load import library,
// so the DLL is bound when an FFTW function is first called. The notification hook loads
// it from the plug-in module's own folder; a host's plain search would not look there.
// Should it be missing after all, the failure hook binds every FFTW function to a stub
// that returns null, instead of letting the loader raise an exception into the host.
#include "platform/win32/fftwdelayload.h"

#include "platform/fftwlibrary.h"

#include <delayimp.h>

#include <cstring>
#include <cwchar>

namespace cadora::platform {

namespace {

constexpr wchar_t kFftwModuleNameW[] = L"libfftw3-3.dll";

constexpr const char* kFftwFunctions[] = {
    "fftw_malloc",          "fftw_free",    "fftw_plan_dft_r2c_1d",
    "fftw_plan_dft_c2r_1d", "fftw_execute", "fftw_destroy_plan",
};

bool isFftw (const char* moduleName)
{
	return moduleName && _stricmp (moduleName, kFftwModuleName) == 0;
}

// Loads FFTW as the delay-load helper will: our folder first, then the default search.
HMODULE loadFftw ()
{
	if (HMODULE module = loadBesideOwnModule (kFftwModuleNameW))
		return module;
	return LoadLibraryW (kFftwModuleNameW);
}

bool probeFftw ()
{
	HMODULE module = loadFftw ();
	if (!module)
		return false;
	bool complete = true;
	for (const char* name : kFftwFunctions)
		complete = complete && GetProcAddress (module, name) != nullptr;
	// The delay-load binding takes its own reference when FFTW is first called.
	FreeLibrary (module);
	return complete;
}

// Stands in for every FFTW function when the DLL is missing: with the x64 calling
// convention the caller cleans up, so one function serves all signatures. Allocations
// and plans come back null, and calls on them do nothing.
void* fftwUnavailable ()
{
	return nullptr;
}

FARPROC WINAPI onDelayLoadNotice (unsigned notice, PDelayLoadInfo info)
{
	if (notice != dliNotePreLoadLibrary || !info || !isFftw (info->szDll))
		return nullptr;
	return reinterpret_cast<FARPROC> (loadBesideOwnModule (kFftwModuleNameW));
}

FARPROC WINAPI onDelayLoadFailure (unsigned notice, PDelayLoadInfo info)
{
	if (!info || !isFftw (info->szDll))
		return nullptr;
	if (notice == dliFailLoadLib)
		// Any module that is surely there: none of its exports is an FFTW function, so
		// each lookup fails and ends up below.
		return reinterpret_cast<FARPROC> (LoadLibraryW (L"kernel32.dll"));
	if (notice == dliFailGetProc)
		// Through void (*) (), the one function type that casts to any other without a
		// warning: the caller only ever calls it as the FFTW function it asked for.
		return reinterpret_cast<FARPROC> (reinterpret_cast<void (*) ()> (&fftwUnavailable));
	return nullptr;
}

} // namespace

bool replaceFileName (wchar_t* path, size_t capacity, const wchar_t* fileName)
{
	wchar_t* backslash = std::wcsrchr (path, L'\\');
	if (!backslash)
		return false;
	const size_t folderLength = static_cast<size_t> (backslash - path) + 1;
	const size_t nameLength = std::wcslen (fileName);
	if (folderLength + nameLength + 1 > capacity)
		return false;
	std::wmemcpy (backslash + 1, fileName, nameLength + 1);
	return true;
}

HMODULE loadBesideOwnModule (const wchar_t* fileName)
{
	HMODULE own = nullptr;
	const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
	if (!GetModuleHandleExW (flags, reinterpret_cast<LPCWSTR> (&loadBesideOwnModule), &own))
		return nullptr;
	wchar_t path[MAX_PATH] = {};
	const DWORD length = GetModuleFileNameW (own, path, MAX_PATH);
	if (length == 0 || length >= MAX_PATH || !replaceFileName (path, MAX_PATH, fileName))
		return nullptr;
	return LoadLibraryExW (path, nullptr,
	                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

bool fftwAvailable ()
{
	static const bool available = probeFftw ();
	return available;
}

} // namespace cadora::platform

// The delay-load helper reads its hooks from these two variables.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = &cadora::platform::onDelayLoadNotice;
PfnDliHook __pfnDliFailureHook2 = &cadora::platform::onDelayLoadFailure;
}
