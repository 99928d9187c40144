#include "platform/linux/procmemory.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sys/uio.h>
#include <unistd.h>

namespace cadora::platform {

namespace {

// The end of the x86-64 user address space (47 bits).
constexpr uint64_t kUserSpaceEnd = 0x800000000000ull;
constexpr uint64_t kPageMask = 0xFFFull;

bool readMappings (uint32_t pid, std::vector<Mapping>& mappings)
{
	std::ifstream maps ("/proc/" + std::to_string (pid) + "/maps");
	if (!maps)
		return false;
	mappings.clear ();
	Mapping mapping;
	for (std::string line; std::getline (maps, line);)
		if (parseMapping (line, mapping))
			mappings.push_back (mapping);
	// An empty list is a process that is gone (or a kernel thread): nothing to read.
	return !mappings.empty ();
}

class ProcMemory : public ProcessMemory
{
public:
	ProcMemory (uint32_t processId, std::vector<Mapping> initial)
	: pid (static_cast<pid_t> (processId)), mappings (std::move (initial))
	{
	}

	bool queryRegion (uint64_t address, ProcessRegion& region) override
	{
		// A walk goes upwards: a query at or below the previous one starts a new walk,
		// which sees the mappings as they are now.
		if (address <= lastQuery && !readMappings (static_cast<uint32_t> (pid), mappings))
			return false;
		lastQuery = address;
		return regionAt (mappings, address, region);
	}

	size_t read (uint64_t address, void* buffer, size_t size) override
	{
		iovec local {buffer, size};
		iovec remote {reinterpret_cast<void*> (static_cast<uintptr_t> (address)), size};
		const ssize_t got = ::process_vm_readv (pid, &local, 1, &remote, 1, 0);
		return got > 0 ? static_cast<size_t> (got) : 0;
	}

private:
	pid_t pid;
	std::vector<Mapping> mappings;
	uint64_t lastQuery = UINT64_MAX;
};

RegionProtection protectionOf (const char* permissions)
{
	const std::string rwx (permissions, 3);
	if (rwx == "r--")
		return RegionProtection::readOnly;
	if (rwx == "rw-")
		return RegionProtection::readWrite;
	if (rwx == "rwx")
		return RegionProtection::executeReadWrite;
	return RegionProtection::other;
}

} // namespace

bool parseMapping (const std::string& line, Mapping& mapping)
{
	uint64_t start = 0, end = 0;
	char permissions[5] = {};
	if (std::sscanf (line.c_str (), "%" SCNx64 "-%" SCNx64 " %4s", &start, &end, permissions) != 3 ||
	    end <= start || std::char_traits<char>::length (permissions) != 4)
		return false;
	mapping.start = start;
	mapping.end = end;
	mapping.protection = protectionOf (permissions);
	return true;
}

bool regionAt (const std::vector<Mapping>& mappings, uint64_t address, ProcessRegion& region)
{
	const uint64_t page = address & ~kPageMask;
	const auto next = std::upper_bound (mappings.begin (), mappings.end (), page,
	                                    [] (uint64_t a, const Mapping& m) { return a < m.end; });
	if (next != mappings.end () && next->start <= page)
	{
		region = {page, next->end - page, true, next->protection};
		return true;
	}
	const uint64_t freeEnd = next != mappings.end () ? next->start : kUserSpaceEnd;
	if (page >= freeEnd)
		return false;
	region = {page, freeEnd - page, false, RegionProtection::other};
	return true;
}

std::unique_ptr<ProcessMemory> openProcMemory (uint32_t pid)
{
	std::vector<Mapping> mappings;
	if (pid == 0 || !readMappings (pid, mappings))
		return nullptr;
	// One byte of the first readable mapping tells whether the kernel lets us read at all.
	const auto readable = std::find_if (mappings.begin (), mappings.end (), [] (const Mapping& m) {
		return m.protection != RegionProtection::other;
	});
	if (readable != mappings.end ())
	{
		char byte = 0;
		iovec local {&byte, 1};
		iovec remote {reinterpret_cast<void*> (static_cast<uintptr_t> (readable->start)), 1};
		if (::process_vm_readv (static_cast<pid_t> (pid), &local, 1, &remote, 1, 0) < 0 &&
		    (errno == EPERM || errno == ESRCH || errno == ENOSYS))
			return nullptr;
	}
	return std::make_unique<ProcMemory> (pid, std::move (mappings));
}

} // namespace cadora::platform
