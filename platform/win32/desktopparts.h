// The pieces of the Win32 desktop, one file each: top-level windows, processes, audio
// sessions, media sessions and another process's memory. Each runs on the calling thread
// and says by its result when the system call behind it failed; desktop.cpp puts them
// together behind platform::Desktop.
#pragma once

#include "platform/desktop.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cadora::platform {

// UTF-16 from Windows as the interface's text type (wchar_t is 16 bits on Windows).
inline std::u16string fromWide (const wchar_t* text, size_t length)
{
	return std::u16string (reinterpret_cast<const char16_t*> (text), length);
}

// A kernel handle, closed when it goes.
struct HandleCloser
{
	void operator() (void* handle) const;
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

void listTopWindows (std::vector<TopWindow>& out);

bool readProcessImagePath (uint32_t pid, std::u16string& path);
bool listProcesses (std::vector<ProcessEntry>& out);

bool listAudioSessions (std::vector<AudioSession>& out);

// keepGoing may be null (no caller to stop the waits).
std::unique_ptr<MediaSessionList> openMediaSessions (const std::atomic<bool>* keepGoing);

std::unique_ptr<ProcessMemory> openProcessMemoryOf (uint32_t pid);

} // namespace cadora::platform
