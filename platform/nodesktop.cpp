// A desktop that offers nothing: what detection sees where the system's desktop cannot
// be read. The Win32 and Linux desktops replace it as they land.
#include "platform/desktop.h"

namespace cadora::platform {

namespace {

class NoDesktop : public Desktop
{
public:
	void topWindows (std::vector<TopWindow>& out) override { out.clear (); }
	bool processImagePath (uint32_t, std::u16string&) override { return false; }
	bool processes (std::vector<ProcessEntry>& out) override
	{
		out.clear ();
		return false;
	}
	bool audioSessions (std::vector<AudioSession>& out) override
	{
		out.clear ();
		return false;
	}
	std::unique_ptr<MediaSessionList> mediaSessions () override { return nullptr; }
	std::unique_ptr<ProcessMemory> openProcessMemory (uint32_t) override { return nullptr; }
	uint32_t ansiCodePage (uint32_t) override { return 1252; }
};

} // namespace

std::unique_ptr<Desktop> openSystemDesktop ()
{
	return std::make_unique<NoDesktop> ();
}

bool decodeCodePage (uint32_t, const char*, size_t, std::u16string& out)
{
	out.clear ();
	return false;
}

} // namespace cadora::platform
