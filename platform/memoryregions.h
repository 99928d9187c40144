// A walk over the own process's private writable memory (heap, stacks, anonymous
// mappings; neither module images nor mapped files): where live objects of other
// plug-ins in the host are looked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace cadora::platform {

enum Protection : unsigned
{
	kReadable = 1,
	kWritable = 2,
	kExecutable = 4,
};

struct MemoryRegion
{
	uintptr_t base = 0;
	size_t size = 0;
	unsigned protection = 0; // Protection bits
};

using RegionVisitor = std::function<bool (const MemoryRegion&)>;

// Calls visit for each committed, readable and writable private region, in rising
// address order, until visit returns false. The regions are the ones seen at the
// moment each is reached; other threads may release them at any time afterwards, so
// reading them needs the fault guard. On Windows the calling thread's own thread block
// is not visited (see win32/memoryregions.cpp).
void walkWritableRegions (const RegionVisitor& visit);

} // namespace cadora::platform
