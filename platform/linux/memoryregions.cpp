// Region walk on Linux: the anonymous private mappings of /proc/self/maps (heap, stacks,
// anonymous mmap) that are readable and writable. File mappings, a library's data
// included, are left out, as Windows leaves out image and mapped-file memory.
#include "platform/memoryregions.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace cadora::platform {

namespace {

bool parseLine (const std::string& line, MemoryRegion& region)
{
	uintptr_t start = 0, end = 0;
	char permissions[5] = {};
	unsigned long long offset = 0, inode = 0;
	char device[16] = {};
	if (std::sscanf (line.c_str (), "%" SCNxPTR "-%" SCNxPTR " %4s %llx %15s %llu", &start, &end, permissions,
	                 &offset, device, &inode) != 6)
		return false;
	if (inode != 0 || permissions[0] != 'r' || permissions[1] != 'w' || permissions[3] != 'p')
		return false;
	region.base = start;
	region.size = end - start;
	region.protection = kReadable | kWritable | (permissions[2] == 'x' ? kExecutable : 0u);
	return true;
}

} // namespace

void walkWritableRegions (const RegionVisitor& visit)
{
	// Read the whole list first: visiting may allocate and so change the mappings.
	std::ifstream maps ("/proc/self/maps");
	std::vector<MemoryRegion> regions;
	MemoryRegion region;
	for (std::string line; std::getline (maps, line);)
		if (parseLine (line, region))
			regions.push_back (region);
	for (const auto& each : regions)
		if (!visit (each))
			return;
}

} // namespace cadora::platform
