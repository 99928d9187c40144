// Stand-in for a process whose memory holds song cache entries where a Windows program
// run by Wine keeps its heap: REGIONS separate anonymous mappings of KIB KiB each, one
// free page between neighbours so that they stay separate regions, from BASE upwards
// (below 2 GiB by default), filled with noise, with entries written at given places and
// each region given its protection. Lives until its standard input closes.
//   memory_standin [--base HEX] [--regions N] [--region-kib K]
//                  [--entry REGION:OFFSET:HEXBYTES]... [--protect REGION:r|rw|rwx|rx|none]...
// A line "grow" on its standard input maps one more region after the last (as a heap
// grows) and is answered "grown".
#include "waitforeof.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <vector>

namespace {

constexpr uint64_t kPage = 4096;

int protectionOf (const std::string& name)
{
	if (name == "r")
		return PROT_READ;
	if (name == "rwx")
		return PROT_READ | PROT_WRITE | PROT_EXEC;
	if (name == "rx")
		return PROT_READ | PROT_EXEC;
	if (name == "none")
		return PROT_NONE;
	return PROT_READ | PROT_WRITE;
}

std::vector<unsigned char> bytesOfHex (const char* hex)
{
	std::vector<unsigned char> bytes;
	for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
	{
		const char pair[3] = {hex[i], hex[i + 1], '\0'};
		bytes.push_back (static_cast<unsigned char> (std::strtoul (pair, nullptr, 16)));
	}
	return bytes;
}

// Noise without zero bytes and without 'M', so that no byte of it can start a marker.
void fillWithNoise (unsigned char* data, uint64_t size, uint64_t seed)
{
	uint64_t state = seed | 1;
	for (uint64_t i = 0; i < size; ++i)
	{
		state ^= state << 13;
		state ^= state >> 7;
		state ^= state << 17;
		const auto byte = static_cast<unsigned char> (state);
		data[i] = byte == 0 || byte == 'M' ? 0x20 : byte;
	}
}

} // namespace

int main (int argc, char** argv)
{
	uint64_t base = 0x20000000, regions = 4, regionKib = 256;
	std::vector<std::string> entries, protections;
	for (int i = 1; i + 1 < argc; i += 2)
	{
		const std::string arg = argv[i];
		if (arg == "--base")
			base = std::strtoull (argv[i + 1], nullptr, 16);
		else if (arg == "--regions")
			regions = std::strtoull (argv[i + 1], nullptr, 10);
		else if (arg == "--region-kib")
			regionKib = std::strtoull (argv[i + 1], nullptr, 10);
		else if (arg == "--entry")
			entries.push_back (argv[i + 1]);
		else if (arg == "--protect")
			protections.push_back (argv[i + 1]);
	}
	const uint64_t size = regionKib * 1024;
	std::vector<unsigned char*> starts;
	for (uint64_t r = 0; r < regions; ++r)
	{
		void* want = reinterpret_cast<void*> (base + r * (size + kPage));
		void* got = mmap (want, size, PROT_READ | PROT_WRITE,
		                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
		if (got != want)
			return 1;
		starts.push_back (static_cast<unsigned char*> (got));
		fillWithNoise (starts.back (), size, r + 1);
	}
	for (const auto& entry : entries)
	{
		unsigned long region = 0, offset = 0;
		int used = 0;
		if (std::sscanf (entry.c_str (), "%lu:%lu:%n", &region, &offset, &used) < 2 || region >= regions)
			return 1;
		const auto bytes = bytesOfHex (entry.c_str () + used);
		if (offset + bytes.size () > size)
			return 1;
		std::memcpy (starts[region] + offset, bytes.data (), bytes.size ());
	}
	for (const auto& protect : protections)
	{
		const size_t colon = protect.find (':');
		const unsigned long region = std::strtoul (protect.c_str (), nullptr, 10);
		if (colon == std::string::npos || region >= regions)
			return 1;
		mprotect (starts[region], size, protectionOf (protect.substr (colon + 1)));
	}
	char where[32];
	std::snprintf (where, sizeof (where), "%llx", static_cast<unsigned long long> (base));
	cadora::standin::announceReady (where);
	for (std::string line; cadora::standin::readLine (line);)
	{
		if (line != "grow")
			continue;
		void* want = reinterpret_cast<void*> (base + regions * (size + kPage));
		void* got = mmap (want, size, PROT_READ | PROT_WRITE,
		                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
		if (got == want)
			++regions;
		std::printf (got == want ? "grown\n" : "failed\n");
		std::fflush (stdout);
	}
	return 0;
}
