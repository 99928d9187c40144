#include "players/mvboxreader.h"

#include "platform/desktop.h"
#include "players/utftext.h"

#include <algorithm>

namespace cadora {

namespace {

constexpr std::u16string_view kMvboxExeName = u"mvboxplayer.exe"; // compared in lower case

// The low 2 GiB of MVBox's address space (a 32-bit program), from the first address
// Windows ever maps.
constexpr uint64_t kScanStart = 0x10000;
constexpr uint64_t kScanEnd = 0x7FFFFFFF;
// Entries lie near the start of a region; reading more of a large heap costs time only.
constexpr size_t kRegionReadMax = 0x200000;

bool isScannedRegion (const platform::ProcessRegion& region)
{
	using platform::RegionProtection;
	return region.committed && (region.protection == RegionProtection::readOnly ||
	                            region.protection == RegionProtection::readWrite ||
	                            region.protection == RegionProtection::executeReadWrite);
}

// The first process running MvBoxPlayer.exe, whatever the case of its name; 0 when none.
uint32_t findMvboxProcess (platform::Desktop& desktop)
{
	std::vector<platform::ProcessEntry> processes;
	if (!desktop.processes (processes))
		return 0;
	for (const platform::ProcessEntry& process : processes)
		if (process.pid != 0 && lowerAscii (process.exeName) == kMvboxExeName)
			return process.pid;
	return 0;
}

} // namespace

MvboxCacheReader::MvboxCacheReader (CodePageDecoder decodeToUse)
: decode (decodeToUse ? decodeToUse : &platform::decodeCodePage)
{
}

MvboxCacheReader::~MvboxCacheReader () = default;

bool MvboxCacheReader::read (platform::Desktop& desktop, std::u16string& title, std::u16string& artist)
{
	std::lock_guard<std::mutex> guard (lock);
	if (!openMvbox (desktop))
		return false;
	text = {desktop.ansiCodePage (cachedPid), decode};
	buffer.reset (new uint8_t[kRegionReadMax]);
	const std::vector<MvboxEntry> entries = scan ();
	buffer.reset ();
	if (entries.empty ())
		return false;
	title = entries.back ().title;
	artist = entries.back ().artist;
	return !title.empty ();
}

// Keeps the memory of the same MVBox process open; a new process id releases the old
// one and forgets its regions.
bool MvboxCacheReader::openMvbox (platform::Desktop& desktop)
{
	const uint32_t pid = findMvboxProcess (desktop);
	if (pid == 0)
		return false;
	if (pid == cachedPid && memory)
		return true;
	memory.reset ();
	cachedPid = pid;
	regionCacheValid = false;
	regionCache.clear ();
	memory = desktop.openProcessMemory (pid);
	return memory != nullptr;
}

std::vector<MvboxEntry> MvboxCacheReader::scan ()
{
	std::vector<MvboxEntry> entries;
	if (regionCacheValid)
	{
		for (const Region& region : regionCache)
			parseRegion (region, false, entries);
		if (!entries.empty ())
			return entries;
		regionCacheValid = false;
		regionCache.clear ();
	}
	fullScan (entries);
	if (!entries.empty () && !regionCache.empty ())
		regionCacheValid = true;
	return entries;
}

void MvboxCacheReader::fullScan (std::vector<MvboxEntry>& entries)
{
	uint64_t address = kScanStart;
	while (address != 0 && address < kScanEnd)
	{
		platform::ProcessRegion region;
		if (!memory->queryRegion (address, region))
			return;
		if (isScannedRegion (region))
			parseRegion ({region.base, region.size}, true, entries);
		const uint64_t next = region.base + region.size;
		if (next <= address)
			return; // a region that does not move the scan on would repeat forever
		address = next;
	}
}

void MvboxCacheReader::parseRegion (const Region& region, bool recording, std::vector<MvboxEntry>& entries)
{
	const size_t wanted = static_cast<size_t> (std::min<uint64_t> (region.size, kRegionReadMax));
	const size_t got = std::min (memory->read (region.base, buffer.get (), wanted), wanted);
	if (got == 0)
		return;
	if (parseMvboxEntries (buffer.get (), got, text, entries) && recording)
		regionCache.push_back (region);
}

MvboxCacheReader& sharedMvboxReader ()
{
	// A function-local static: destroyed with the module, which releases MVBox's memory.
	static MvboxCacheReader reader;
	return reader;
}

} // namespace cadora
