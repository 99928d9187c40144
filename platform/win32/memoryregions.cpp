// Region walk on Windows: VirtualQuery from the lowest to the highest application
// address, keeping committed private regions that are writable and carry no guard.
// The calling thread's own thread block is left out: under Wine the same region holds
// the thread's signal stack, where copies of the registers of its (guarded) faults stay
// behind; Windows keeps those on the thread's stack.
#include "platform/memoryregions.h"

#include <windows.h>

namespace cadora::platform {

namespace {

constexpr DWORD kWritableProtections = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE;

bool qualifies (const MEMORY_BASIC_INFORMATION& info)
{
	return info.State == MEM_COMMIT && info.Type == MEM_PRIVATE && !(info.Protect & PAGE_GUARD) &&
	       (info.Protect & kWritableProtections);
}

MemoryRegion toRegion (const MEMORY_BASIC_INFORMATION& info)
{
	MemoryRegion region;
	region.base = reinterpret_cast<uintptr_t> (info.BaseAddress);
	region.size = info.RegionSize;
	region.protection = kReadable | kWritable;
	if (info.Protect & PAGE_EXECUTE_READWRITE)
		region.protection |= kExecutable;
	return region;
}

bool holds (const MEMORY_BASIC_INFORMATION& info, const void* address)
{
	const auto at = reinterpret_cast<uintptr_t> (address);
	const auto base = reinterpret_cast<uintptr_t> (info.BaseAddress);
	return at >= base && at - base < info.RegionSize;
}

// This thread's environment block, as NtCurrentTeb () gives it: the block's own address at
// gs:0x30 on x86-64. Read here directly because GCC takes the header's version of this load
// for an access to a zero-length array and warns.
const void* ownThreadEnvironmentBlock ()
{
	const void* block = nullptr;
	__asm__("movq %%gs:0x30, %0" : "=r"(block));
	return block;
}

} // namespace

void walkWritableRegions (const RegionVisitor& visit)
{
	const void* ownThreadBlock = ownThreadEnvironmentBlock ();
	SYSTEM_INFO system {};
	GetSystemInfo (&system);
	auto address = reinterpret_cast<uintptr_t> (system.lpMinimumApplicationAddress);
	const auto highest = reinterpret_cast<uintptr_t> (system.lpMaximumApplicationAddress);
	while (address < highest)
	{
		MEMORY_BASIC_INFORMATION info {};
		if (VirtualQuery (reinterpret_cast<const void*> (address), &info, sizeof (info)) == 0)
			return;
		if (qualifies (info) && !holds (info, ownThreadBlock) && !visit (toRegion (info)))
			return;
		const auto next = reinterpret_cast<uintptr_t> (info.BaseAddress) + info.RegionSize;
		if (next <= address)
			return;
		address = next;
	}
}

} // namespace cadora::platform
