// Module snapshot on Windows: a Tool Help snapshot of the own process.
#include "platform/modules.h"

#include "platform/win32/utf8.h"

#include <windows.h>
#include <tlhelp32.h>

namespace cadora::platform {

namespace {

HANDLE openSnapshot ()
{
	const DWORD flags = TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32;
	// The snapshot fails with ERROR_BAD_LENGTH while the module list is changing.
	for (int attempt = 0; attempt < 8; ++attempt)
	{
		HANDLE snapshot = CreateToolhelp32Snapshot (flags, GetCurrentProcessId ());
		if (snapshot != INVALID_HANDLE_VALUE || GetLastError () != ERROR_BAD_LENGTH)
			return snapshot;
	}
	return INVALID_HANDLE_VALUE;
}

ModuleInfo toModuleInfo (const MODULEENTRY32W& entry)
{
	ModuleInfo module;
	module.name = toUtf8 (entry.szModule);
	module.path = toUtf8 (entry.szExePath);
	module.base = reinterpret_cast<uintptr_t> (entry.modBaseAddr);
	module.size = entry.modBaseSize;
	return module;
}

} // namespace

bool snapshotModules (std::vector<ModuleInfo>& modules)
{
	modules.clear ();
	HANDLE snapshot = openSnapshot ();
	if (snapshot == INVALID_HANDLE_VALUE)
		return false;
	MODULEENTRY32W entry {};
	entry.dwSize = sizeof (entry);
	for (BOOL more = Module32FirstW (snapshot, &entry); more; more = Module32NextW (snapshot, &entry))
		modules.push_back (toModuleInfo (entry));
	CloseHandle (snapshot);
	return true;
}

} // namespace cadora::platform
