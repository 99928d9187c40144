// MvboxCacheReader: finds the MVBox process, reads its memory and takes the title and
// artist of the last song cache entry found there. One instance serves every plug-in
// instance in the process (sharedMvboxReader); each read holds its mutex from start to
// end, so the process memory and the region cache are never used by two threads at once.
//
// The opened process memory stays open while MVBox keeps its process id and is released
// when another MVBox process is opened or the reader is destroyed (for the shared reader:
// when the module unloads). After a full scan only the regions that held entries are read
// again, until they hold none.
#pragma once

#include "players/mvboxentries.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cadora {

namespace platform {
class Desktop;
class ProcessMemory;
} // namespace platform

class MvboxCacheReader
{
public:
	// decode turns the entries' ANSI bytes into UTF-16; platform::decodeCodePage when null.
	explicit MvboxCacheReader (CodePageDecoder decode = nullptr);
	~MvboxCacheReader ();

	MvboxCacheReader (const MvboxCacheReader&) = delete;
	MvboxCacheReader& operator= (const MvboxCacheReader&) = delete;

	// True when a non-empty title was obtained; title and artist change only then (artist
	// empty when the entry has none). False when MVBox is not running, cannot be opened,
	// or its memory holds no entry.
	bool read (platform::Desktop& desktop, std::u16string& title, std::u16string& artist);

private:
	struct Region
	{
		uint64_t base;
		uint64_t size;
	};

	bool openMvbox (platform::Desktop& desktop);
	std::vector<MvboxEntry> scan ();
	void fullScan (std::vector<MvboxEntry>& entries);
	void parseRegion (const Region& region, bool recording, std::vector<MvboxEntry>& entries);

	std::mutex lock;
	CodePageDecoder decode;
	uint32_t cachedPid = 0;
	std::unique_ptr<platform::ProcessMemory> memory;
	MvboxTextDecoding text {};
	std::vector<Region> regionCache;
	bool regionCacheValid = false;
	std::unique_ptr<uint8_t[]> buffer; // one region's bytes, during a read only
};

// The reader every detector of this process shares; destroyed when the module unloads.
MvboxCacheReader& sharedMvboxReader ();

} // namespace cadora
