// Processes on Windows: the image path through a limited-information handle, and the
// process list from a Tool Help snapshot.
#include "platform/win32/desktopparts.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

namespace cadora::platform {

namespace {

constexpr DWORD kImagePathCapacity = MAX_PATH; // 260 units, terminator included

} // namespace

bool readProcessImagePath (uint32_t pid, std::u16string& path)
{
	path.clear ();
	OwnedHandle process (OpenProcess (PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
	if (!process)
		return false;
	wchar_t buffer[kImagePathCapacity] {};
	DWORD length = kImagePathCapacity;
	if (!QueryFullProcessImageNameW (process.get (), 0, buffer, &length))
		return false;
	path = fromWide (buffer, length);
	return true;
}

bool listProcesses (std::vector<ProcessEntry>& out)
{
	out.clear ();
	HANDLE taken = CreateToolhelp32Snapshot (TH32CS_SNAPPROCESS, 0);
	if (taken == INVALID_HANDLE_VALUE)
		return false;
	OwnedHandle snapshot (taken);
	PROCESSENTRY32W entry {};
	entry.dwSize = sizeof (entry);
	for (BOOL more = Process32FirstW (taken, &entry); more; more = Process32NextW (taken, &entry))
	{
		ProcessEntry process;
		process.pid = entry.th32ProcessID;
		process.exeName = fromWide (entry.szExeFile, std::wcslen (entry.szExeFile));
		out.push_back (std::move (process));
	}
	return true;
}

} // namespace cadora::platform
