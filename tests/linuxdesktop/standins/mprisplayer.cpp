// Stand-in for a player on the session bus: owns an MPRIS name and answers the root and
// player properties the media-session reader asks for, until its standard input closes.
//   mpris_standin --name BUSNAME [--identity TEXT] [--desktop-entry TEXT]
//                 [--status Playing|Paused|Stopped] [--title TEXT] [--artist TEXT]...
//                 [--artist-as-string] [--mute]
// --artist-as-string sends the first artist as a plain string, as some players do;
// --mute takes the name and then never answers, like a player that hangs.
#include "waitforeof.h"

#include <string>
#include <systemd/sd-bus.h>
#include <vector>

namespace {

struct Player
{
	std::string name, identity, desktopEntry, status = "Playing", title;
	std::vector<std::string> artists;
	bool artistAsString = false;
	bool mute = false;
};

Player player;

int getString (sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void*,
               sd_bus_error*)
{
	const std::string name = property;
	const std::string& value = name == "Identity"       ? player.identity
	                           : name == "DesktopEntry" ? player.desktopEntry
	                                                    : player.status;
	return sd_bus_message_append (reply, "s", value.c_str ());
}

int getMetadata (sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*)
{
	sd_bus_message_open_container (reply, 'a', "{sv}");
	sd_bus_message_append (reply, "{sv}", "mpris:trackid", "o", "/org/cadora/track/1");
	sd_bus_message_append (reply, "{sv}", "xesam:title", "s", player.title.c_str ());
	if (player.artistAsString && !player.artists.empty ())
		sd_bus_message_append (reply, "{sv}", "xesam:artist", "s", player.artists[0].c_str ());
	else
	{
		sd_bus_message_open_container (reply, 'e', "sv");
		sd_bus_message_append (reply, "s", "xesam:artist");
		sd_bus_message_open_container (reply, 'v', "as");
		sd_bus_message_open_container (reply, 'a', "s");
		for (const auto& artist : player.artists)
			sd_bus_message_append (reply, "s", artist.c_str ());
		sd_bus_message_close_container (reply);
		sd_bus_message_close_container (reply);
		sd_bus_message_close_container (reply);
	}
	sd_bus_message_append (reply, "{sv}", "mpris:length", "x", int64_t {215000000});
	return sd_bus_message_close_container (reply);
}

const sd_bus_vtable kRoot[] = {
    SD_BUS_VTABLE_START (0),
    SD_BUS_PROPERTY ("Identity", "s", getString, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY ("DesktopEntry", "s", getString, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kPlayer[] = {
    SD_BUS_VTABLE_START (0),
    SD_BUS_PROPERTY ("PlaybackStatus", "s", getString, 0, 0),
    SD_BUS_PROPERTY ("Metadata", "a{sv}", getMetadata, 0, 0),
    SD_BUS_VTABLE_END,
};

void parse (int argc, char** argv)
{
	for (int i = 1; i < argc; ++i)
	{
		const std::string arg = argv[i];
		const char* value = i + 1 < argc ? argv[i + 1] : "";
		if (arg == "--artist-as-string")
			player.artistAsString = true;
		else if (arg == "--mute")
			player.mute = true;
		else if (arg == "--name")
			player.name = value, ++i;
		else if (arg == "--identity")
			player.identity = value, ++i;
		else if (arg == "--desktop-entry")
			player.desktopEntry = value, ++i;
		else if (arg == "--status")
			player.status = value, ++i;
		else if (arg == "--title")
			player.title = value, ++i;
		else if (arg == "--artist")
			player.artists.push_back (value), ++i;
	}
}

} // namespace

int main (int argc, char** argv)
{
	parse (argc, argv);
	sd_bus* bus = nullptr;
	if (sd_bus_open_user (&bus) < 0)
		return 1;
	if (sd_bus_add_object_vtable (bus, nullptr, "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2", kRoot,
	                              nullptr) < 0 ||
	    sd_bus_add_object_vtable (bus, nullptr, "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Player",
	                              kPlayer, nullptr) < 0 ||
	    sd_bus_request_name (bus, player.name.c_str (), 0) < 0)
		return 1;
	cadora::standin::announceReady ();
	if (player.mute)
		cadora::standin::waitForEndOfInput ();
	else
	{
		do
		{
			while (sd_bus_process (bus, nullptr) > 0)
				;
			sd_bus_wait (bus, 20'000);
		} while (cadora::standin::inputStillOpen (0));
	}
	sd_bus_flush_close_unref (bus);
	return 0;
}
