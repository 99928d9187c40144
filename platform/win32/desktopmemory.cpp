// Another process's memory on Windows: a handle opened for reading and querying, the
// address-space query and the copy. Both are system calls that fail cleanly on pages the
// other process released meanwhile, so no fault guard is needed here.
#include "platform/win32/desktopparts.h"

#include <windows.h>

namespace cadora::platform {

namespace {

// Only the three plain protections count; any modifier bit (guard, no-cache,
// write-combine) makes the region "other".
RegionProtection protectionOf (DWORD protect)
{
	switch (protect)
	{
		case PAGE_READONLY: return RegionProtection::readOnly;
		case PAGE_READWRITE: return RegionProtection::readWrite;
		case PAGE_EXECUTE_READWRITE: return RegionProtection::executeReadWrite;
		default: return RegionProtection::other;
	}
}

class Win32ProcessMemory : public ProcessMemory
{
public:
	explicit Win32ProcessMemory (OwnedHandle handle) : process (std::move (handle)) {}

	bool queryRegion (uint64_t address, ProcessRegion& region) override
	{
		MEMORY_BASIC_INFORMATION info {};
		if (VirtualQueryEx (process.get (), reinterpret_cast<const void*> (address), &info, sizeof (info)) ==
		        0 ||
		    info.RegionSize == 0)
			return false;
		region.base = reinterpret_cast<uintptr_t> (info.BaseAddress);
		region.size = info.RegionSize;
		region.committed = info.State == MEM_COMMIT;
		region.protection = protectionOf (info.Protect);
		return true;
	}

	size_t read (uint64_t address, void* buffer, size_t size) override
	{
		SIZE_T done = 0;
		if (!ReadProcessMemory (process.get (), reinterpret_cast<const void*> (address), buffer, size, &done))
			return 0;
		return done;
	}

private:
	OwnedHandle process;
};

} // namespace

std::unique_ptr<ProcessMemory> openProcessMemoryOf (uint32_t pid)
{
	OwnedHandle process (OpenProcess (PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, pid));
	if (!process)
		return nullptr;
	return std::make_unique<Win32ProcessMemory> (std::move (process));
}

} // namespace cadora::platform
