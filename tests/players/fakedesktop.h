// A desktop of the test's making: windows, processes with image paths, audio sessions,
// media sessions that can fail at any call, and process memory laid out region by
// region. Everything is plain data the test fills in; the counters show what the code
// under test asked for.
#pragma once

#include "platform/desktop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace cadora::test {

struct FakeMediaSession
{
	std::u16string appId;
	int32_t status = platform::MediaSessionList::kPlaying;
	std::u16string title;
	std::u16string artist;
};

// Which media-session call fails (for the session given where it takes one).
enum class MediaCall
{
	none,
	manager,
	count,
	appId,
	status,
	title,
	artist,
};

struct FakeRegion
{
	uint64_t base = 0;
	uint64_t size = 0;
	bool committed = true;
	platform::RegionProtection protection = platform::RegionProtection::readWrite;
	std::vector<uint8_t> bytes; // the region's first bytes; the rest reads as zeros
	bool unreadable = false;
};

// One process's memory; shared with every ProcessMemory opened on it.
struct FakeAddressSpace
{
	std::vector<FakeRegion> regions;  // ascending, not overlapping
	uint64_t failQueriesFrom = ~0ull; // a query at or above this address fails
	int queries = 0;
	int reads = 0;
	int openHandles = 0;
	int opened = 0;

	// Puts bytes at the start of a new committed region.
	FakeRegion& addRegion (uint64_t base, uint64_t size, std::vector<uint8_t> bytes = {},
	                       platform::RegionProtection protection = platform::RegionProtection::readWrite)
	{
		FakeRegion region;
		region.base = base;
		region.size = size;
		region.protection = protection;
		region.bytes = std::move (bytes);
		regions.push_back (std::move (region));
		std::sort (regions.begin (), regions.end (),
		           [] (const FakeRegion& a, const FakeRegion& b) { return a.base < b.base; });
		return *std::find_if (regions.begin (), regions.end (),
		                      [base] (const FakeRegion& r) { return r.base == base; });
	}
};

class FakeProcessMemory : public platform::ProcessMemory
{
public:
	explicit FakeProcessMemory (std::shared_ptr<FakeAddressSpace> space) : space (std::move (space))
	{
		++this->space->openHandles;
		++this->space->opened;
	}
	~FakeProcessMemory () override { --space->openHandles; }

	// Like the Windows query: the region holding address, or the free range up to the
	// next region (up to 2 GiB after the last).
	bool queryRegion (uint64_t address, platform::ProcessRegion& out) override
	{
		++space->queries;
		if (address >= space->failQueriesFrom)
			return false;
		uint64_t freeEnd = 0x80000000ull;
		for (const FakeRegion& r : space->regions)
		{
			if (address >= r.base && address < r.base + r.size)
			{
				out = {r.base, r.size, r.committed, r.protection};
				return true;
			}
			if (r.base > address)
			{
				freeEnd = r.base;
				break;
			}
		}
		if (address >= freeEnd)
			return false;
		out = {address, freeEnd - address, false, platform::RegionProtection::other};
		return true;
	}

	size_t read (uint64_t address, void* buffer, size_t size) override
	{
		++space->reads;
		for (const FakeRegion& r : space->regions)
		{
			if (address < r.base || address >= r.base + r.size)
				continue;
			if (r.unreadable)
				return 0;
			const uint64_t offset = address - r.base;
			const size_t n = static_cast<size_t> (std::min<uint64_t> (size, r.size - offset));
			auto* out = static_cast<uint8_t*> (buffer);
			std::memset (out, 0, n);
			if (offset < r.bytes.size ())
				std::memcpy (out, r.bytes.data () + offset,
				             std::min<size_t> (n, r.bytes.size () - static_cast<size_t> (offset)));
			return n;
		}
		return 0;
	}

private:
	std::shared_ptr<FakeAddressSpace> space;
};

class FakeDesktop : public platform::Desktop
{
public:
	std::vector<platform::TopWindow> windows;
	std::map<uint32_t, std::u16string> imagePaths;
	std::vector<platform::ProcessEntry> processList;
	bool processListFails = false;
	std::vector<platform::AudioSession> audio;
	bool audioFails = false;
	std::vector<FakeMediaSession> media;
	MediaCall mediaFailure = MediaCall::none;
	bool mediaThrows = false; // the step fails by an exception, as an allocation failure would
	uint32_t mediaFailureIndex = 0;
	std::map<uint32_t, std::shared_ptr<FakeAddressSpace>> memories;
	uint32_t codePage = 936;

	// While set, the media step blocks until the detector stops (or 2 s pass), as a media
	// service that never answers makes the real one wait; clearing it lets the step go on.
	std::atomic<bool> slowMedia {false};
	std::atomic<bool> mediaEntered {false};
	std::atomic<int> windowListings {0};
	const std::atomic<bool>* keepGoing = nullptr;

	// A running process with that image path; returns its id.
	uint32_t addProcess (const std::u16string& path)
	{
		const uint32_t pid = nextPid++;
		imagePaths[pid] = path;
		const size_t slash = path.find_last_of (u"\\/");
		processList.push_back ({pid, slash == std::u16string::npos ? path : path.substr (slash + 1)});
		return pid;
	}

	platform::TopWindow& addWindow (const std::u16string& className, const std::u16string& title,
	                                uint32_t ownerPid = 0, bool visible = true, int32_t width = 800,
	                                int32_t height = 600)
	{
		platform::TopWindow w;
		w.id = windows.size () + 1;
		w.className = className;
		w.title = title;
		w.visible = visible;
		w.hasRect = true;
		w.width = width;
		w.height = height;
		w.ownerPid = ownerPid;
		windows.push_back (w);
		return windows.back ();
	}

	FakeAddressSpace& addMemory (uint32_t pid)
	{
		auto& space = memories[pid];
		if (!space)
			space = std::make_shared<FakeAddressSpace> ();
		return *space;
	}

	void enterThread (const std::atomic<bool>& running) override { keepGoing = &running; }

	void topWindows (std::vector<platform::TopWindow>& out) override
	{
		++windowListings;
		out = windows;
	}
	bool processImagePath (uint32_t pid, std::u16string& path) override
	{
		auto it = imagePaths.find (pid);
		if (it == imagePaths.end ())
			return false;
		path = it->second;
		return true;
	}
	bool processes (std::vector<platform::ProcessEntry>& out) override
	{
		out = processList;
		return !processListFails;
	}
	bool audioSessions (std::vector<platform::AudioSession>& out) override
	{
		out = audioFails ? std::vector<platform::AudioSession> {} : audio;
		return !audioFails;
	}
	std::unique_ptr<platform::MediaSessionList> mediaSessions () override;
	std::unique_ptr<platform::ProcessMemory> openProcessMemory (uint32_t pid) override
	{
		auto it = memories.find (pid);
		if (it == memories.end ())
			return nullptr;
		return std::make_unique<FakeProcessMemory> (it->second);
	}
	uint32_t ansiCodePage (uint32_t) override { return codePage; }

private:
	uint32_t nextPid = 100;

	void waitWhileRunning ()
	{
		mediaEntered = true;
		const auto deadline = std::chrono::steady_clock::now () + std::chrono::seconds (2);
		while (slowMedia && keepGoing && keepGoing->load () && std::chrono::steady_clock::now () < deadline)
			std::this_thread::sleep_for (std::chrono::milliseconds (1));
	}
};

class FakeMediaSessionList : public platform::MediaSessionList
{
public:
	explicit FakeMediaSessionList (FakeDesktop& desktop) : desktop (desktop) {}

	bool count (uint32_t& n) override
	{
		if (fails (MediaCall::count, 0))
			return false;
		n = static_cast<uint32_t> (desktop.media.size ());
		return true;
	}
	bool appId (uint32_t i, std::u16string& id) override
	{
		return get (MediaCall::appId, i, [&] (const FakeMediaSession& s) { id = s.appId; });
	}
	bool playbackStatus (uint32_t i, int32_t& status) override
	{
		return get (MediaCall::status, i, [&] (const FakeMediaSession& s) { status = s.status; });
	}
	bool title (uint32_t i, std::u16string& title) override
	{
		return get (MediaCall::title, i, [&] (const FakeMediaSession& s) { title = s.title; });
	}
	bool artist (uint32_t i, std::u16string& artist) override
	{
		return get (MediaCall::artist, i, [&] (const FakeMediaSession& s) { artist = s.artist; });
	}

private:
	FakeDesktop& desktop;

	bool fails (MediaCall call, uint32_t i) const
	{
		return desktop.mediaFailure == call && (call == MediaCall::count || desktop.mediaFailureIndex == i);
	}
	template <typename F>
	bool get (MediaCall call, uint32_t i, F take)
	{
		if (i >= desktop.media.size () || fails (call, i))
			return false;
		take (desktop.media[i]);
		return true;
	}
};

inline std::unique_ptr<platform::MediaSessionList> FakeDesktop::mediaSessions ()
{
	if (slowMedia)
		waitWhileRunning ();
	if (mediaThrows)
		throw std::runtime_error ("media sessions");
	if (mediaFailure == MediaCall::manager)
		return nullptr;
	return std::make_unique<FakeMediaSessionList> (*this);
}

// Process image paths as the players install themselves.
inline const std::u16string kKugouPath = u"C:\\Program Files (x86)\\KuGou\\KGMusic\\KuGou.exe";
inline const std::u16string kQqMusicPath = u"C:\\Program Files (x86)\\Tencent\\QQMusic\\QQMusic.exe";
inline const std::u16string kNeteasePath = u"C:\\Program Files\\CloudMusic\\cloudmusic.exe";
inline const std::u16string kWesingPath = u"D:\\全民K歌\\WeSing.exe";
inline const std::u16string kMvboxPath = u"C:\\MVBOX\\MvBoxPlayer.exe";
inline const std::u16string kBrowserPath = u"C:\\Program Files\\Browser\\browser.exe";

} // namespace cadora::test
