// Another process's memory on Linux, as the MVBox reader sees it: /proc/PID/maps turned
// into Windows-style regions, and reads through process_vm_readv. The stand-in process
// places its memory below 2 GiB, where a Wine process keeps its Windows heap.
#include "platform/linux/procmemory.h"
#include "standin.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cadora::platform {
namespace {

using test::StandIn;

const std::string kHolder = CADORA_MEMORY_STANDIN;
constexpr uint64_t kBase = 0x30000000;
constexpr uint64_t kRegion = 64 * 1024;
constexpr uint64_t kStride = kRegion + 4096; // one free page between regions

TEST (ParseMapping, ReadsRangeAndProtection)
{
	const struct
	{
		const char* line;
		bool parsed;
		uint64_t start, end;
		RegionProtection protection;
	} cases[] = {
	    {"00400000-00452000 r--p 00000000 08:02 173521 /usr/bin/x", true, 0x400000, 0x452000,
	     RegionProtection::readOnly},
	    {"7f0000000000-7f0000021000 rw-p 00000000 00:00 0", true, 0x7f0000000000, 0x7f0000021000,
	     RegionProtection::readWrite},
	    {"10000-20000 rwxp 00000000 00:00 0", true, 0x10000, 0x20000, RegionProtection::executeReadWrite},
	    {"10000-20000 rw-s 00000000 00:05 12 /dev/shm/x", true, 0x10000, 0x20000,
	     RegionProtection::readWrite},
	    {"10000-20000 r-xp 00000000 08:02 1 /lib/x.so", true, 0x10000, 0x20000, RegionProtection::other},
	    {"10000-20000 ---p 00000000 00:00 0", true, 0x10000, 0x20000, RegionProtection::other},
	    {"garbage", false, 0, 0, RegionProtection::other},
	    {"20000-10000 rw-p 00000000 00:00 0", false, 0, 0, RegionProtection::other},
	};
	for (const auto& c : cases)
	{
		Mapping m;
		ASSERT_EQ (parseMapping (c.line, m), c.parsed) << c.line;
		if (!c.parsed)
			continue;
		EXPECT_EQ (m.start, c.start) << c.line;
		EXPECT_EQ (m.end, c.end) << c.line;
		EXPECT_EQ (m.protection, c.protection) << c.line;
	}
}

TEST (RegionAt, MappingsAreCommittedAndGapsFree)
{
	const std::vector<Mapping> maps = {
	    {0x10000, 0x30000, RegionProtection::readWrite},
	    {0x40000, 0x41000, RegionProtection::readOnly},
	};
	const struct
	{
		const char* label;
		uint64_t address;
		ProcessRegion expected;
	} cases[] = {
	    {"below the first mapping", 0x0, {0x0, 0x10000, false, RegionProtection::other}},
	    {"start of a mapping", 0x10000, {0x10000, 0x20000, true, RegionProtection::readWrite}},
	    {"inside: from its page to the end", 0x12345, {0x12000, 0x1E000, true, RegionProtection::readWrite}},
	    {"gap between mappings", 0x30000, {0x30000, 0x10000, false, RegionProtection::other}},
	    {"last mapping", 0x40000, {0x40000, 0x1000, true, RegionProtection::readOnly}},
	    {"above the last: free to the end of user space",
	     0x41000,
	     {0x41000, 0x800000000000 - 0x41000, false, RegionProtection::other}},
	};
	for (const auto& c : cases)
	{
		ProcessRegion r;
		ASSERT_TRUE (regionAt (maps, c.address, r)) << c.label;
		EXPECT_EQ (r.base, c.expected.base) << c.label;
		EXPECT_EQ (r.size, c.expected.size) << c.label;
		EXPECT_EQ (r.committed, c.expected.committed) << c.label;
		EXPECT_EQ (r.protection, c.expected.protection) << c.label;
	}
	ProcessRegion r;
	EXPECT_FALSE (regionAt (maps, 0x800000000000, r)) << "beyond user space the query fails";
}

// Walks the stand-in's range as a scan does (a := a + size) and returns what it saw.
std::vector<ProcessRegion> walk (ProcessMemory& memory, uint64_t from, uint64_t to)
{
	std::vector<ProcessRegion> seen;
	ProcessRegion r;
	for (uint64_t a = from; a < to && memory.queryRegion (a, r); a = r.base + r.size)
		seen.push_back (r);
	return seen;
}

TEST (ProcMemory, SeesTheRegionsOfAnotherProcessAndReadsThem)
{
	const std::string entry = "4d76626f7843616368655c736f6e67735c"; // MvboxCache\songs\ (17 bytes)
	StandIn holder (kHolder, {},
	                {"--base", "30000000", "--regions", "4", "--region-kib", "64", "--entry",
	                 "1:100:" + entry, "--protect", "1:r", "--protect", "2:rwx", "--protect", "3:rx"});
	ASSERT_TRUE (holder.ready ());
	auto memory = openProcMemory (static_cast<uint32_t> (holder.pid ()));
	ASSERT_NE (memory, nullptr);

	const auto seen = walk (*memory, kBase, kBase + 3 * kStride + kRegion);
	const RegionProtection expected[] = {RegionProtection::readWrite, RegionProtection::readOnly,
	                                     RegionProtection::executeReadWrite, RegionProtection::other};
	ASSERT_EQ (seen.size (), 7u) << "four regions with a free page between neighbours";
	for (size_t i = 0; i < 4; ++i)
	{
		EXPECT_EQ (seen[2 * i].base, kBase + i * kStride);
		EXPECT_EQ (seen[2 * i].size, kRegion);
		EXPECT_TRUE (seen[2 * i].committed);
		EXPECT_EQ (seen[2 * i].protection, expected[i]) << "region " << i;
		if (i < 3)
		{
			EXPECT_FALSE (seen[2 * i + 1].committed);
			EXPECT_EQ (seen[2 * i + 1].size, 4096u);
		}
	}

	char bytes[17] = {};
	ASSERT_EQ (memory->read (kBase + kStride + 100, bytes, sizeof (bytes)), sizeof (bytes));
	EXPECT_EQ (std::memcmp (bytes, "MvboxCache\\songs\\", 17), 0);
	EXPECT_EQ (memory->read (kBase + kRegion, bytes, 1), 0u) << "a free page reads nothing";
}

TEST (ProcMemory, ANewWalkSeesMemoryMappedSinceTheLastOne)
{
	// The MVBox reader keeps the process open between passes while its heap grows.
	StandIn holder (kHolder, {}, {"--base", "30000000", "--regions", "1", "--region-kib", "64"});
	ASSERT_TRUE (holder.ready ());
	auto memory = openProcMemory (static_cast<uint32_t> (holder.pid ()));
	ASSERT_NE (memory, nullptr);
	const uint64_t end = kBase + kStride + kRegion;
	ASSERT_EQ (walk (*memory, kBase, end).size (), 2u) << "one region, then free space";

	ASSERT_EQ (holder.request ("grow"), "grown");
	const auto seen = walk (*memory, kBase, end);
	ASSERT_EQ (seen.size (), 3u);
	EXPECT_TRUE (seen[2].committed) << "the region mapped after the first walk";
	EXPECT_EQ (seen[2].base, kBase + kStride);
}

TEST (ProcMemory, NoProcessNoMemory)
{
	const pid_t gone = ::fork ();
	if (gone == 0)
		::_exit (0);
	::waitpid (gone, nullptr, 0);
	EXPECT_EQ (openProcMemory (static_cast<uint32_t> (gone)), nullptr);
	EXPECT_EQ (openProcMemory (0), nullptr);
}

TEST (ProcMemory, AProcessTheKernelWillNotLetUsReadCannotBeOpened)
{
	// Another user's process (init, as an unprivileged user) is closed to us, as it would
	// be to a debugger.
	const pid_t child = ::fork ();
	if (child == 0)
	{
		if (::getuid () == 0 && ::setuid (65534) != 0)
			::_exit (2);
		::_exit (openProcMemory (1) == nullptr ? 0 : 1);
	}
	int status = 0;
	::waitpid (child, &status, 0);
	ASSERT_TRUE (WIFEXITED (status));
	EXPECT_EQ (WEXITSTATUS (status), 0);
}

} // namespace
} // namespace cadora::platform
