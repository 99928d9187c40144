#include "platform/linux/mprissessions.h"

#include "platform/clock.h"
#include "platform/linux/buscalls.h"
#include "platform/linux/busproperties.h"
#include "platform/linux/procfs.h"
#include "platform/linux/utf16text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace cadora::platform {

namespace {

constexpr int64_t kAnswerLimitNs = 2'000'000'000; // per round trip
// After a failure the bus is left alone this long: a hung bus costs one wait, not one per pass.
constexpr int64_t kReconnectDelayNs = 5'000'000'000;
constexpr std::string_view kMprisPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
// Several artists become one text, as Windows players show them.
constexpr std::string_view kArtistSeparator = "/";

struct MprisPlayer
{
	std::u16string appId;
	bool haveState = false; // the player's properties were read
	int32_t status = 0;
	std::u16string title;
	std::u16string artist;
};

class MprisSessionList : public MediaSessionList
{
public:
	explicit MprisSessionList (std::vector<MprisPlayer> snapshot) : players (std::move (snapshot)) {}

	bool count (uint32_t& n) override
	{
		n = static_cast<uint32_t> (players.size ());
		return true;
	}
	bool appId (uint32_t i, std::u16string& id) override
	{
		if (i >= players.size ())
			return false;
		id = players[i].appId;
		return true;
	}
	bool playbackStatus (uint32_t i, int32_t& status) override
	{
		if (!hasState (i))
			return false;
		status = players[i].status;
		return true;
	}
	bool title (uint32_t i, std::u16string& text) override
	{
		if (!hasState (i))
			return false;
		text = players[i].title;
		return true;
	}
	bool artist (uint32_t i, std::u16string& text) override
	{
		if (!hasState (i))
			return false;
		text = players[i].artist;
		return true;
	}

private:
	bool hasState (uint32_t i) const { return i < players.size () && players[i].haveState; }

	std::vector<MprisPlayer> players;
};

// Replies to the three questions asked of one player.
struct PlayerCalls
{
	std::string busName;
	size_t ownerPid = 0, root = 0, player = 0;
};

std::vector<std::string> mprisNames (const SdBusApi& api, sd_bus_message* reply)
{
	std::vector<std::string> names;
	if (!reply || api.enterContainer (reply, 'a', "s") <= 0)
		return names;
	const char* name = nullptr;
	while (api.readBasic (reply, 's', &name) > 0)
		if (name && std::string_view (name).substr (0, kMprisPrefix.size ()) == kMprisPrefix)
			names.emplace_back (name);
	api.exitContainer (reply);
	// The bus lists names in no particular order; a fixed one makes "the first playing
	// session" the same from pass to pass.
	std::sort (names.begin (), names.end ());
	return names;
}

std::string joined (const std::vector<std::string>& parts)
{
	std::string text;
	for (const auto& part : parts)
	{
		if (part.empty ())
			continue;
		if (!text.empty ())
			text += kArtistSeparator;
		text += part;
	}
	return text;
}

void readRootProperties (const SdBusApi& api, sd_bus_message* reply, std::string& desktopEntry,
                         std::string& identity)
{
	if (!reply)
		return;
	forEachProperty (api, reply, [&] (std::string_view key) {
		if (key == "DesktopEntry")
			return readStringVariant (api, reply, desktopEntry);
		if (key == "Identity")
			return readStringVariant (api, reply, identity);
		return false;
	});
}

bool readPlayerProperties (const SdBusApi& api, sd_bus_message* reply, MprisPlayer& player)
{
	if (!reply)
		return false;
	std::string status, title;
	std::vector<std::string> artists;
	const auto readMetadata = [&] (std::string_view key) {
		if (key == "xesam:title")
			return readStringVariant (api, reply, title);
		if (key == "xesam:artist")
			return readStringListVariant (api, reply, artists);
		return false;
	};
	const bool read = forEachProperty (api, reply, [&] (std::string_view key) {
		if (key == "PlaybackStatus")
			return readStringVariant (api, reply, status);
		if (key == "Metadata")
			return forEachPropertyInVariant (api, reply, readMetadata);
		return false;
	});
	player.status = playbackStatusOf (status);
	player.title = utf8ToUtf16 (title);
	player.artist = utf8ToUtf16 (joined (artists));
	return read;
}

uint32_t ownerPidOf (const SdBusApi& api, sd_bus_message* reply)
{
	uint32_t pid = 0;
	if (reply && api.readBasic (reply, 'u', &pid) <= 0)
		pid = 0;
	return pid;
}

MprisPlayer playerOf (const SdBusApi& api, const BusCalls& calls, const PlayerCalls& asked)
{
	std::string desktopEntry, identity;
	readRootProperties (api, calls.reply (asked.root), desktopEntry, identity);
	std::u16string ownerImage;
	if (const uint32_t pid = ownerPidOf (api, calls.reply (asked.ownerPid)); pid != 0)
		processImagePathOf (pid, ownerImage);
	MprisPlayer player;
	player.appId = mprisAppId (asked.busName, desktopEntry, identity, ownerImage);
	player.haveState = readPlayerProperties (api, calls.reply (asked.player), player);
	return player;
}

// An address that makes the bus library start a program is not one a plug-in may use.
bool sessionBusAddressIsSafe ()
{
	const char* address = std::getenv ("DBUS_SESSION_BUS_ADDRESS");
	return !address || (!std::strstr (address, "unixexec:") && !std::strstr (address, "autolaunch:"));
}

} // namespace

std::u16string mprisAppId (std::string_view busName, std::string_view desktopEntry, std::string_view identity,
                           std::u16string_view ownerImage)
{
	if (busName.substr (0, kMprisPrefix.size ()) == kMprisPrefix)
		busName.remove_prefix (kMprisPrefix.size ());
	std::u16string id = utf8ToUtf16 (busName);
	for (const std::string_view part : {desktopEntry, identity})
		if (!part.empty ())
			id += u" " + utf8ToUtf16 (part);
	if (!ownerImage.empty ())
		(id += u" ") += ownerImage;
	return id;
}

int32_t playbackStatusOf (std::string_view status)
{
	if (status == "Playing")
		return MediaSessionList::kPlaying;
	if (status == "Paused")
		return 5;
	if (status == "Stopped")
		return 3;
	return 0;
}

MprisSessions::~MprisSessions ()
{
	close ();
}

void MprisSessions::close ()
{
	if (!bus)
		return;
	const SdBusApi* api = sdBusApi ();
	api->close (bus);
	api->unref (bus);
	bus = nullptr;
}

bool MprisSessions::connect ()
{
	const SdBusApi* api = sdBusApi ();
	if (!api)
		return false;
	if (bus && api->isOpen (bus) <= 0)
		close ();
	if (bus)
		return true;
	if (steadyNowNs () < nextConnectNs || !sessionBusAddressIsSafe ())
		return false;
	if (api->openUser (&bus) < 0)
	{
		bus = nullptr;
		nextConnectNs = steadyNowNs () + kReconnectDelayNs;
	}
	return bus != nullptr;
}

std::unique_ptr<MediaSessionList> MprisSessions::read (const std::atomic<bool>& keepGoing)
{
	if (!connect ())
		return nullptr;
	const SdBusApi& api = *sdBusApi ();
	std::vector<std::string> names;
	{
		BusCalls calls (api, bus);
		const size_t list = calls.call (kBusName, kBusPath, kBusName, "ListNames");
		if (!calls.awaitAll (WaitLimit (keepGoing, kAnswerLimitNs)) || !calls.reply (list))
		{
			close ();
			nextConnectNs = steadyNowNs () + kReconnectDelayNs;
			return nullptr;
		}
		names = mprisNames (api, calls.reply (list));
	}

	BusCalls calls (api, bus);
	std::vector<PlayerCalls> asked;
	for (const auto& name : names)
	{
		PlayerCalls each;
		each.busName = name;
		each.ownerPid =
		    calls.call (kBusName, kBusPath, kBusName, "GetConnectionUnixProcessID", name.c_str ());
		each.root = calls.call (name.c_str (), kMprisPath, kProperties, "GetAll", "org.mpris.MediaPlayer2");
		each.player =
		    calls.call (name.c_str (), kMprisPath, kProperties, "GetAll", "org.mpris.MediaPlayer2.Player");
		asked.push_back (std::move (each));
	}
	// A player that has not answered in time is listed without its state.
	calls.awaitAll (WaitLimit (keepGoing, kAnswerLimitNs));
	std::vector<MprisPlayer> players;
	for (const auto& each : asked)
		players.push_back (playerOf (api, calls, each));
	return std::make_unique<MprisSessionList> (std::move (players));
}

} // namespace cadora::platform
