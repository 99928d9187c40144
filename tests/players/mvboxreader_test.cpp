// The MVBox reader over a fake process memory: finding the process, which regions are
// scanned, which entry wins, and how the process memory and the region cache are kept.
#include "fakedesktop.h"
#include "testdecoder.h"

#include "players/mvboxreader.h"
#include "players/utftext.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

using platform::RegionProtection;
using test::FakeAddressSpace;
using test::FakeDesktop;

std::vector<uint8_t> entryBytes (const std::string& title, const std::string& artist = "Artist",
                                 size_t offset = 0)
{
	const std::string entry = "MvboxCache\\songs\\12.mp3\t" + title + "\t" + artist + std::string (1, '\0');
	std::vector<uint8_t> bytes (offset, 'x');
	bytes.insert (bytes.end (), entry.begin (), entry.end ());
	return bytes;
}

class MvboxReader : public ::testing::Test
{
protected:
	FakeDesktop desktop;
	MvboxCacheReader reader {&test::decodeForTests};
	uint32_t pid = desktop.addProcess (test::kMvboxPath);
	FakeAddressSpace& memory = desktop.addMemory (pid);
	std::u16string title = u"before";
	std::u16string artist = u"before";

	bool read () { return reader.read (desktop, title, artist); }
	std::string song () const { return toUtf8 (title) + "|" + toUtf8 (artist); }
};

TEST_F (MvboxReader, FindsTheProcessByExecutableNameInAnyCase)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("Title"));
	struct Case
	{
		const char16_t* exeName;
		bool found;
	} cases[] = {
	    {u"MvBoxPlayer.exe", true},      {u"MVBOXPLAYER.EXE", true}, {u"mvboxplayer.exe", true},
	    {u"MvBoxPlayer.exe.bak", false}, {u"MvBox.exe", false},
	};
	for (const Case& c : cases)
	{
		desktop.processList = {{7, u"explorer.exe"}, {pid, c.exeName}};
		title = u"before";
		EXPECT_EQ (c.found, read ()) << toUtf8 (c.exeName);
		EXPECT_EQ (c.found ? u"Title" : u"before", title) << toUtf8 (c.exeName);
	}
}

TEST_F (MvboxReader, NothingChangesWithoutProcessOrEntry)
{
	desktop.processList.clear ();
	EXPECT_FALSE (read ()) << "not running";
	desktop.addProcess (test::kMvboxPath);
	desktop.processListFails = true;
	EXPECT_FALSE (read ()) << "no process list";
	desktop.processListFails = false;
	EXPECT_FALSE (read ()) << "the second MVBox process cannot be opened";
	desktop.processList = {{pid, u"MvBoxPlayer.exe"}};
	memory.addRegion (0x100000, 0x10000, entryBytes ("AB"));
	EXPECT_FALSE (read ()) << "no valid entry";
	EXPECT_EQ ("before|before", song ());
}

TEST_F (MvboxReader, ScansCommittedReadableRegionsOfTheLowTwoGigabytes)
{
	struct Case
	{
		const char* label;
		uint64_t base;
		uint64_t size;
		RegionProtection protection;
		bool committed;
		bool unreadable;
		bool found;
	} cases[] = {
	    {"read-write", 0x100000, 0x10000, RegionProtection::readWrite, true, false, true},
	    {"read-only", 0x100000, 0x10000, RegionProtection::readOnly, true, false, true},
	    {"execute-read-write", 0x100000, 0x10000, RegionProtection::executeReadWrite, true, false, true},
	    {"other protection", 0x100000, 0x10000, RegionProtection::other, true, false, false},
	    {"reserved, not committed", 0x100000, 0x10000, RegionProtection::readWrite, false, false, false},
	    {"unreadable", 0x100000, 0x10000, RegionProtection::readWrite, true, true, false},
	    {"first scanned address", 0x10000, 0x1000, RegionProtection::readWrite, true, false, true},
	    {"below the first address", 0x1000, 0x1000, RegionProtection::readWrite, true, false, false},
	    {"last region below 2 GiB", 0x7FFF0000, 0x10000, RegionProtection::readWrite, true, false, true},
	    {"above 2 GiB", 0x80000000, 0x10000, RegionProtection::readWrite, true, false, false},
	};
	for (const Case& c : cases)
	{
		FakeDesktop fresh;
		MvboxCacheReader freshReader (&test::decodeForTests);
		FakeAddressSpace& space = fresh.addMemory (fresh.addProcess (test::kMvboxPath));
		space.addRegion (0x20000, 0x1000); // an empty region before it
		test::FakeRegion& region = space.addRegion (c.base, c.size, entryBytes ("Title"), c.protection);
		region.committed = c.committed;
		region.unreadable = c.unreadable;
		space.addRegion (0x7FFF0000 == c.base ? 0x7FF00000 : 0x7FFF0000, 0x1000); // and one after
		std::u16string t, a;
		EXPECT_EQ (c.found, freshReader.read (fresh, t, a)) << c.label;
	}
}

TEST_F (MvboxReader, ReadsAtMostTwoMebibytesOfARegion)
{
	memory.addRegion (0x100000, 0x400000, entryBytes ("Far", "Away", 0x200000 - 20));
	EXPECT_FALSE (read ()) << "the entry crosses the 2 MiB limit";
	memory.regions.clear ();
	memory.addRegion (0x100000, 0x400000, entryBytes ("Near", "Here", 0x200000 - 60));
	EXPECT_TRUE (read ());
	EXPECT_EQ ("Near|Here", song ());
}

TEST_F (MvboxReader, TheEntryFoundLastWins)
{
	std::vector<uint8_t> two = entryBytes ("Earlier", "In region");
	const std::vector<uint8_t> later = entryBytes ("Later", "In region", 100);
	two.insert (two.end (), later.begin (), later.end ());
	memory.addRegion (0x100000, 0x10000, two);
	memory.addRegion (0x300000, 0x10000, entryBytes ("Higher", "Address"));
	memory.addRegion (0x200000, 0x10000, entryBytes ("Middle", "Address"));
	EXPECT_TRUE (read ());
	EXPECT_EQ ("Higher|Address", song ());

	memory.regions.pop_back ();
	memory.regions.pop_back ();
	EXPECT_TRUE (read ());
	EXPECT_EQ ("Later|In region", song ());
}

TEST_F (MvboxReader, AnEntryWithoutArtistClearsTheArtist)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("Title", ""));
	EXPECT_TRUE (read ());
	EXPECT_EQ ("Title|", song ());
}

TEST_F (MvboxReader, GbkTextInTheDesktopsCodePage)
{
	desktop.codePage = 936;
	memory.addRegion (0x100000, 0x10000, entryBytes ("\xC7\xE7\xCC\xEC", "\xD6\xDC\xBD\xDC\xC2\xD7"));
	EXPECT_TRUE (read ());
	EXPECT_EQ ("晴天|周杰伦", song ());
	EXPECT_EQ (936u, test::lastDecoderCall ().codePage);
}

TEST_F (MvboxReader, RegionCacheServesLaterReadsUntilItHoldsNoEntry)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("First"));
	memory.addRegion (0x200000, 0x10000);
	memory.addRegion (0x300000, 0x10000);
	ASSERT_TRUE (read ());
	EXPECT_GT (memory.queries, 0) << "the first read scans";

	memory.queries = memory.reads = 0;
	memory.regions[0].bytes = entryBytes ("Second");
	ASSERT_TRUE (read ());
	EXPECT_EQ ("Second|Artist", song ());
	EXPECT_EQ (0, memory.queries) << "a cached read queries no region";
	EXPECT_EQ (1, memory.reads) << "and reads only the region that held entries";

	// The song moves to another region: the cached region holds none, a full scan finds it.
	memory.queries = memory.reads = 0;
	memory.regions[0].bytes.clear ();
	memory.regions[2].bytes = entryBytes ("Third");
	ASSERT_TRUE (read ());
	EXPECT_EQ ("Third|Artist", song ());
	EXPECT_GT (memory.queries, 0);

	memory.queries = memory.reads = 0;
	ASSERT_TRUE (read ());
	EXPECT_EQ (0, memory.queries);
	EXPECT_EQ (1, memory.reads);
	EXPECT_EQ (1, memory.opened) << "the same process stays open";
}

TEST_F (MvboxReader, ARegionWithAMarkerButNoEntryIsStillCached)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("AB")); // marker, title too short
	memory.addRegion (0x200000, 0x10000, entryBytes ("Title"));
	ASSERT_TRUE (read ());
	memory.queries = memory.reads = 0;
	ASSERT_TRUE (read ());
	EXPECT_EQ (0, memory.queries);
	EXPECT_EQ (2, memory.reads);
}

TEST_F (MvboxReader, ANewProcessIdReleasesTheOldMemoryAndScansAfresh)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("Old"));
	ASSERT_TRUE (read ());
	ASSERT_EQ (1, memory.openHandles);

	const uint32_t restarted = desktop.addProcess (test::kMvboxPath);
	desktop.processList = {{restarted, u"MvBoxPlayer.exe"}};
	FakeAddressSpace& fresh = desktop.addMemory (restarted);
	// An entry where the old process had its entries, and a later one that only a full
	// scan finds.
	fresh.addRegion (0x100000, 0x10000, entryBytes ("Same place"));
	fresh.addRegion (0x500000, 0x10000, entryBytes ("New"));
	ASSERT_TRUE (read ());
	EXPECT_EQ ("New|Artist", song ());
	EXPECT_EQ (0, memory.openHandles) << "the old process's memory is released";
	EXPECT_EQ (1, fresh.openHandles);
	EXPECT_GT (fresh.queries, 0) << "the old region cache is not used for the new process";
}

TEST_F (MvboxReader, DestroyingTheReaderReleasesTheProcessMemory)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("Title"));
	{
		MvboxCacheReader local (&test::decodeForTests);
		std::u16string t, a;
		ASSERT_TRUE (local.read (desktop, t, a));
		EXPECT_EQ (1, memory.openHandles);
	}
	EXPECT_EQ (0, memory.openHandles);
}

TEST_F (MvboxReader, AQueryThatFailsEndsTheScan)
{
	memory.addRegion (0x100000, 0x10000, entryBytes ("Before"));
	memory.addRegion (0x300000, 0x10000, entryBytes ("After"));
	memory.failQueriesFrom = 0x200000;
	EXPECT_TRUE (read ());
	EXPECT_EQ ("Before|Artist", song ());
}

} // namespace
} // namespace cadora
