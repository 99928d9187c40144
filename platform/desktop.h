// What song detection asks of the desktop: the top-level windows, the processes and
// their image paths, the audio sessions with their owners and peaks, the system media
// sessions, and another process's memory. One implementation per system (Win32 and
// Linux, under platform/<os>/desktop*), and fakes in the tests; the logic in players/
// sees only this interface and includes no OS header.
//
// Nothing here reports errors to the user: a call that fails says so by its result and
// the caller skips the item concerned. No call blocks for more than a few seconds; a
// missing service (no display, no session bus, no sound server, no media-session class)
// simply yields nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cadora::platform {

// One top-level window, as seen at the moment of the listing.
struct TopWindow
{
	uint64_t id = 0;          // opaque, unique while the window exists
	std::u16string className; // empty when it could not be read
	std::u16string title;     // at most 1023 UTF-16 units; empty when there is none
	bool visible = false;
	bool hasRect = false; // the rectangle could be read
	int32_t width = 0;
	int32_t height = 0;
	uint32_t ownerPid = 0; // 0 when unknown
};

// One running process.
struct ProcessEntry
{
	uint32_t pid = 0;
	std::u16string exeName; // executable file name without folder, e.g. u"MvBoxPlayer.exe"
};

// One audio session of an active render device, in enumeration order (devices, then
// sessions). pid 0: the owner is unknown or the system sounds; peak 0 when no meter.
struct AudioSession
{
	uint32_t pid = 0;
	float peak = 0.0f;
};

// The system media sessions, read one call at a time so that a failure can end the
// caller's step at exactly that point. Every call returns false when the platform call
// behind it failed (the session vanished, access was denied, a result took longer than
// the wait limit).
class MediaSessionList
{
public:
	static constexpr int32_t kPlaying = 4;

	virtual ~MediaSessionList () = default;
	virtual bool count (uint32_t& n) = 0;
	// Application id of session i (empty when it has none).
	virtual bool appId (uint32_t i, std::u16string& id) = 0;
	// Playback status of session i: 4 = playing, anything else is not playing.
	virtual bool playbackStatus (uint32_t i, int32_t& status) = 0;
	virtual bool title (uint32_t i, std::u16string& title) = 0;
	virtual bool artist (uint32_t i, std::u16string& artist) = 0;
};

// Memory region of another process, in the terms of the Windows address-space query.
enum class RegionProtection
{
	readOnly,
	readWrite,
	executeReadWrite,
	other, // anything else, including any modifier (guard, no-cache, write-combine)
};

struct ProcessRegion
{
	uint64_t base = 0; // start of the region holding the queried address
	uint64_t size = 0; // bytes from base to the region's end; never 0 on success
	bool committed = false;
	RegionProtection protection = RegionProtection::other;
};

// Another process's memory, opened for reading. Stays usable after the Desktop that
// opened it is gone; closed (handle released) when destroyed.
class ProcessMemory
{
public:
	virtual ~ProcessMemory () = default;
	// The region that holds address (or the free range from it to the next region);
	// false when the query fails, which ends a scan.
	virtual bool queryRegion (uint64_t address, ProcessRegion& region) = 0;
	// Copies up to size bytes from address; returns the bytes actually read (0 = failure).
	virtual size_t read (uint64_t address, void* buffer, size_t size) = 0;
};

class Desktop
{
public:
	virtual ~Desktop () = default;

	// Called on the detection thread before its first and after its last use of this
	// object (Windows: COM in the multithreaded apartment). keepGoing is the detector's
	// running flag: while it is false no wait lasts longer than a few milliseconds.
	virtual void enterThread (const std::atomic<bool>& keepGoing) { (void)keepGoing; }
	virtual void leaveThread () {}

	// Every top-level window, in the system's order.
	virtual void topWindows (std::vector<TopWindow>& out) = 0;
	// Full image path of a process (on Windows at most 259 units); false when the process
	// cannot be opened or its path cannot be read.
	virtual bool processImagePath (uint32_t pid, std::u16string& path) = 0;
	// Every running process; false when no list could be taken.
	virtual bool processes (std::vector<ProcessEntry>& out) = 0;
	// Audio sessions of all active render devices; false when the devices cannot be
	// listed at all.
	virtual bool audioSessions (std::vector<AudioSession>& out) = 0;
	// The current media sessions; null when the manager cannot be had.
	virtual std::unique_ptr<MediaSessionList> mediaSessions () = 0;
	// Opens a process for memory reads; null when it cannot be opened.
	virtual std::unique_ptr<ProcessMemory> openProcessMemory (uint32_t pid) = 0;
	// The ANSI code page of the system (Windows) or of the process with that id (Linux:
	// a Windows program under Wine uses the code page of its locale); 1252 when unknown.
	virtual uint32_t ansiCodePage (uint32_t pid) = 0;
};

// The desktop of this machine; a new object per caller (each holds its own connections).
std::unique_ptr<Desktop> openSystemDesktop ();

// Converts bytes in a Windows code page (936 = GBK, 1252, 65001 = UTF-8, ...) to UTF-16.
// False (out empty) when the code page is unknown or the conversion fails.
bool decodeCodePage (uint32_t codePage, const char* bytes, size_t size, std::u16string& out);

} // namespace cadora::platform
