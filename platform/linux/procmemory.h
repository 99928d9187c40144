// Another process's memory on Linux, in the terms of the Windows address-space query:
// the mappings of /proc/PID/maps are committed regions (r--, rw-, rwx: read-only,
// read-write, execute-read-write; anything else "other"), the gaps between them free.
// Reads go through process_vm_readv, which the kernel allows only where it would allow
// a debugger to attach (same user, and a Yama ptrace scope that permits it): elsewhere
// opening fails and the process's memory is simply not read.
#pragma once

#include "platform/desktop.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cadora::platform {

struct Mapping
{
	uint64_t start = 0;
	uint64_t end = 0;
	RegionProtection protection = RegionProtection::other;
};

// Parses one line of /proc/PID/maps; false for a line that is not a mapping.
bool parseMapping (const std::string& line, Mapping& mapping);

// The region holding address among mappings sorted by start: the mapping itself, or the
// free range up to the next mapping. False above the user address space.
bool regionAt (const std::vector<Mapping>& mappings, uint64_t address, ProcessRegion& region);

std::unique_ptr<ProcessMemory> openProcMemory (uint32_t pid);

} // namespace cadora::platform
