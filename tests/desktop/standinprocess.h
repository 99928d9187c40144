// Starts a copy of the desktop stand-in (standins/NAME.exe beside the test program),
// reads its report up to "ready" and ends it when it goes. The stand-in also ends by
// itself when the test program does, so that a crashed test leaves no windows behind.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cadora::desktoptest {

class StandIn
{
public:
	StandIn (const std::wstring& exeName, const std::string& scene, unsigned extraHeapMib = 0);
	~StandIn ();
	StandIn (const StandIn&) = delete;
	StandIn& operator= (const StandIn&) = delete;

	// True once the report ended with "ready"; otherwise error() says what went wrong.
	bool ready () const { return isReady; }
	const std::string& error () const { return failure; }
	uint32_t pid () const { return processId; }
	const std::wstring& path () const { return exePath; }

	// Report lines "KIND NAME HEX..." as NAME -> numbers, for one KIND ("entry", "region").
	std::map<std::string, std::vector<uint64_t>> reported (const std::string& kind) const;

	// Ends the process and waits until it is gone.
	void stop ();

private:
	bool start (const std::string& scene, unsigned extraHeapMib);
	bool readReport (HANDLE output);

	std::wstring exePath;
	PROCESS_INFORMATION process {};
	uint32_t processId = 0;
	bool isReady = false;
	std::string failure;
	std::vector<std::string> lines;
};

// The folder of the running test program, with a trailing backslash.
std::wstring ownFolder ();

// A Linux path as Wine sees it (Z: is /); any other path unchanged.
std::wstring windowsPathOf (const std::string& path);

} // namespace cadora::desktoptest
