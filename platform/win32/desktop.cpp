// The desktop of a Windows machine, made of the pieces in desktopparts.h. COM is
// initialised for the multithreaded apartment on the detection thread, which lets the
// media-session reader wait for asynchronous results there.
#include "platform/win32/desktopparts.h"

#include <windows.h>
#include <objbase.h>

namespace cadora::platform {

void HandleCloser::operator() (void* handle) const
{
	CloseHandle (handle);
}

namespace {

class Win32Desktop : public Desktop
{
public:
	void enterThread (const std::atomic<bool>& running) override
	{
		keepGoing = &running;
		// Balanced only when it succeeded: a thread already in another apartment keeps it.
		comEntered = SUCCEEDED (CoInitializeEx (nullptr, COINIT_MULTITHREADED));
	}

	void leaveThread () override
	{
		if (comEntered)
			CoUninitialize ();
		comEntered = false;
		keepGoing = nullptr;
	}

	void topWindows (std::vector<TopWindow>& out) override { listTopWindows (out); }
	bool processImagePath (uint32_t pid, std::u16string& path) override
	{
		return readProcessImagePath (pid, path);
	}
	bool processes (std::vector<ProcessEntry>& out) override { return listProcesses (out); }
	bool audioSessions (std::vector<AudioSession>& out) override { return listAudioSessions (out); }
	std::unique_ptr<MediaSessionList> mediaSessions () override { return openMediaSessions (keepGoing); }
	std::unique_ptr<ProcessMemory> openProcessMemory (uint32_t pid) override
	{
		return openProcessMemoryOf (pid);
	}
	// Windows converts every process's ANSI text with the one system code page.
	uint32_t ansiCodePage (uint32_t) override { return GetACP (); }

private:
	const std::atomic<bool>* keepGoing = nullptr;
	bool comEntered = false;
};

} // namespace

std::unique_ptr<Desktop> openSystemDesktop ()
{
	return std::make_unique<Win32Desktop> ();
}

} // namespace cadora::platform
