// The system's thread snapshot, filtered by this process's id.
#include "platform/threadcount.h"

#include <windows.h>
#include <tlhelp32.h>

namespace cadora::platform {

size_t threadsOfThisProcess ()
{
	HANDLE snapshot = CreateToolhelp32Snapshot (TH32CS_SNAPTHREAD, 0);
	if (snapshot == INVALID_HANDLE_VALUE)
		return 0;
	const DWORD self = GetCurrentProcessId ();
	size_t n = 0;
	THREADENTRY32 entry {};
	entry.dwSize = sizeof (entry);
	for (BOOL more = Thread32First (snapshot, &entry); more; more = Thread32Next (snapshot, &entry))
	{
		if (entry.th32OwnerProcessID == self)
			++n;
	}
	CloseHandle (snapshot);
	return n;
}

} // namespace cadora::platform
