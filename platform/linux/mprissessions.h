// Media sessions on Linux: the MPRIS players on the session bus, read through sd-bus
// (libsystemd opened on first use). One connection per reader, kept between reads. Each
// read takes a snapshot of every player in two round trips: the bus names, then for all
// players at once the owner's process id and the root and player properties.
//
// A player is named by a text that joins what identifies it, so that the player tokens
// find it whichever of these carries the name: the bus name (without the MPRIS prefix),
// DesktopEntry, Identity and the image path of the process that owns the name (Electron
// players register a generic "chromium.instance<PID>" name). No bus, no library, a bus
// that does not answer within 2 s: no session list, and nothing is ever started.
#pragma once

#include "platform/desktop.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sd_bus;

namespace cadora::platform {

class MprisSessions
{
public:
	MprisSessions () = default;
	~MprisSessions ();
	MprisSessions (const MprisSessions&) = delete;
	MprisSessions& operator= (const MprisSessions&) = delete;

	std::unique_ptr<MediaSessionList> read (const std::atomic<bool>& keepGoing);
	void close ();

private:
	bool connect ();

	sd_bus* bus = nullptr;
	int64_t nextConnectNs = 0;
};

// The text a session's player is recognised by.
std::u16string mprisAppId (std::string_view busName, std::string_view desktopEntry, std::string_view identity,
                           std::u16string_view ownerImage);

// MPRIS PlaybackStatus in the Windows numbering: "Playing" 4, "Paused" 5, "Stopped" 3,
// anything else 0 (closed).
int32_t playbackStatusOf (std::string_view status);

} // namespace cadora::platform
