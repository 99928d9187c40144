// The MVBox cache reader through the Win32 desktop, run under Wine against the MVBox
// stand-in grown by a large committed heap: a full scan of its low 2 GiB (a fresh reader
// each round) and the cached reads that follow it.
//   bench_mvbox_scan_wine [EXTRA_HEAP_MIB (256)] [ROUNDS (5)]
#include "platform/desktop.h"
#include "players/mvboxreader.h"
#include "standinprocess.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince (Clock::time_point start)
{
	return std::chrono::duration<double, std::milli> (Clock::now () - start).count ();
}

double median (std::vector<double> values)
{
	std::sort (values.begin (), values.end ());
	return values[values.size () / 2];
}

// What the full scan has to read: committed plain-readable regions up to 2 GiB, 2 MiB each.
void describeAddressSpace (cadora::platform::ProcessMemory& memory)
{
	using cadora::platform::RegionProtection;
	size_t regions = 0;
	uint64_t committed = 0, read = 0;
	cadora::platform::ProcessRegion region;
	for (uint64_t at = 0x10000; at < 0x7FFFFFFF && memory.queryRegion (at, region);
	     at = region.base + region.size)
	{
		if (!region.committed || region.protection == RegionProtection::other)
			continue;
		++regions;
		committed += region.size;
		read += std::min<uint64_t> (region.size, 2 << 20);
	}
	std::printf ("scanned regions: %zu, %.1f MiB committed, %.1f MiB read per full scan\n", regions,
	             committed / 1048576.0, read / 1048576.0);
}

// What a cached read is made of: the process list that finds MVBox, and a 2 MiB read.
void timeParts (cadora::platform::Desktop& desktop, cadora::platform::ProcessMemory& memory, uint64_t address)
{
	std::vector<double> listing, reading;
	std::vector<cadora::platform::ProcessEntry> processes;
	std::vector<char> buffer (2 << 20);
	for (int i = 0; i < 20; ++i)
	{
		auto start = Clock::now ();
		desktop.processes (processes);
		listing.push_back (millisecondsSince (start));
		start = Clock::now ();
		memory.read (address, buffer.data (), buffer.size ());
		reading.push_back (millisecondsSince (start));
	}
	std::printf ("process list (%zu processes) median %.2f ms; one 2 MiB read median %.2f ms\n",
	             processes.size (), median (listing), median (reading));
}

} // namespace

int main (int argc, char** argv)
{
	const unsigned heapMib = argc > 1 ? std::strtoul (argv[1], nullptr, 10) : 256;
	const int rounds = argc > 2 ? std::atoi (argv[2]) : 5;
	cadora::desktoptest::StandIn mvbox (L"MvBoxPlayer.exe", "mvbox", heapMib);
	if (!mvbox.ready ())
	{
		std::fprintf (stderr, "the MVBox stand-in did not start: %s\n", mvbox.error ().c_str ());
		return 1;
	}
	auto desktop = cadora::platform::openSystemDesktop ();
	auto memory = desktop->openProcessMemory (mvbox.pid ());
	describeAddressSpace (*memory);
	timeParts (*desktop, *memory, mvbox.reported ("entry").at ("heap").at (0) & ~uint64_t (0xFFFF));

	std::vector<double> full, cached;
	std::u16string title, artist;
	for (int round = 0; round < rounds; ++round)
	{
		cadora::MvboxCacheReader reader;
		auto start = Clock::now ();
		if (!reader.read (*desktop, title, artist))
		{
			std::fprintf (stderr, "no entry found\n");
			return 1;
		}
		full.push_back (millisecondsSince (start));
		for (int i = 0; i < 20; ++i)
		{
			start = Clock::now ();
			reader.read (*desktop, title, artist);
			cached.push_back (millisecondsSince (start));
		}
	}
	std::printf ("extra heap %u MiB: full scan median %.1f ms (min %.1f, max %.1f, %d rounds)\n", heapMib,
	             median (full), *std::min_element (full.begin (), full.end ()),
	             *std::max_element (full.begin (), full.end ()), rounds);
	std::printf ("cached read median %.2f ms (max %.2f, %zu reads)\n", median (cached),
	             *std::max_element (cached.begin (), cached.end ()), cached.size ());
	return 0;
}
