// The Linux desktop: X11 windows, /proc processes and memory, MPRIS media sessions and
// PulseAudio sink inputs, each behind its own connection held by this object. All of it
// is used from one thread at a time (the detection thread); a missing service only
// means that its part finds nothing.
#include "platform/desktop.h"

#include "platform/linux/desktopwait.h"
#include "platform/linux/mprissessions.h"
#include "platform/linux/procfs.h"
#include "platform/linux/procmemory.h"
#include "platform/linux/pulsemeter.h"
#include "platform/linux/x11windows.h"

namespace cadora::platform {

namespace {

class LinuxDesktop : public Desktop
{
public:
	void enterThread (const std::atomic<bool>& flag) override { keepGoing = &flag; }

	// Connections are closed on the thread that used them.
	void leaveThread () override
	{
		windows.close ();
		media.close ();
		audio.close ();
		keepGoing = &alwaysGoing ();
	}

	void topWindows (std::vector<TopWindow>& out) override { windows.list (out, *keepGoing); }
	bool processImagePath (uint32_t pid, std::u16string& path) override
	{
		return processImagePathOf (pid, path);
	}
	bool processes (std::vector<ProcessEntry>& out) override { return listProcesses (out); }
	bool audioSessions (std::vector<AudioSession>& out) override { return audio.sessions (out, *keepGoing); }
	std::unique_ptr<MediaSessionList> mediaSessions () override { return media.read (*keepGoing); }
	std::unique_ptr<ProcessMemory> openProcessMemory (uint32_t pid) override { return openProcMemory (pid); }
	uint32_t ansiCodePage (uint32_t pid) override { return codePageOfProcess (pid); }

private:
	const std::atomic<bool>* keepGoing = &alwaysGoing ();
	X11Windows windows;
	MprisSessions media;
	PulseMeter audio;
};

} // namespace

std::unique_ptr<Desktop> openSystemDesktop ()
{
	return std::make_unique<LinuxDesktop> ();
}

} // namespace cadora::platform
