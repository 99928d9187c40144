// A desktop without its services: no X display, no session bus, no sound server, or a
// bus and a sound server that accept a connection and then never answer. Each step
// finds nothing, never hangs, and a detector that is stopping ends a wait at once.
#include "platform/clock.h"
#include "platform/desktop.h"
#include "standin.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace cadora::platform {
namespace {

using test::TempFolder;

// Sets environment variables for one test and puts the old values back afterwards.
class Environment
{
public:
	Environment (const std::map<std::string, std::optional<std::string>>& values)
	{
		for (const auto& [name, value] : values)
		{
			const char* old = std::getenv (name.c_str ());
			saved[name] = old ? std::optional<std::string> (old) : std::nullopt;
			apply (name, value);
		}
	}
	~Environment ()
	{
		for (const auto& [name, value] : saved)
			apply (name, value);
	}

private:
	static void apply (const std::string& name, const std::optional<std::string>& value)
	{
		if (value)
			::setenv (name.c_str (), value->c_str (), 1);
		else
			::unsetenv (name.c_str ());
	}
	std::map<std::string, std::optional<std::string>> saved;
};

// A Unix socket that takes connections into its backlog and never answers them.
class SilentSocket
{
public:
	explicit SilentSocket (const std::string& path)
	{
		fd = ::socket (AF_UNIX, SOCK_STREAM, 0);
		sockaddr_un address {};
		address.sun_family = AF_UNIX;
		path.copy (address.sun_path, sizeof (address.sun_path) - 1);
		listening = ::bind (fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)) == 0 &&
		            ::listen (fd, 16) == 0;
	}
	~SilentSocket () { ::close (fd); }
	bool ok () const { return listening; }

private:
	int fd = -1;
	bool listening = false;
};

double secondsOf (const std::function<void ()>& step)
{
	const int64_t start = steadyNowNs ();
	step ();
	return static_cast<double> (steadyNowNs () - start) / 1e9;
}

// Generous for a loaded machine; a connection attempt to nothing takes microseconds.
constexpr double kPromptly = 0.3;

TEST (MissingServices, NoServiceFindsNothingPromptly)
{
	TempFolder runtime; // no bus and no sound server socket in it
	const std::map<std::string, std::optional<std::string>> cases[] = {
	    {{"DISPLAY", std::nullopt},
	     {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
	     {"PULSE_SERVER", std::nullopt},
	     {"XDG_RUNTIME_DIR", runtime.path ()}},
	    {{"DISPLAY", ":4093"},
	     {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime.path () + "/no-bus"},
	     {"PULSE_SERVER", "unix:" + runtime.path () + "/no-pulse"},
	     {"XDG_RUNTIME_DIR", runtime.path ()}},
	    // An address with which the bus library would start a program is not used at all.
	    {{"DBUS_SESSION_BUS_ADDRESS", "unixexec:path=/bin/false"}},
	};
	for (const auto& variables : cases)
	{
		Environment environment (variables);
		auto desktop = openSystemDesktop ();
		std::vector<TopWindow> windows {TopWindow {}};
		std::vector<AudioSession> sessions {AudioSession {}};
		std::unique_ptr<MediaSessionList> media;
		if (variables.count ("DISPLAY"))
		{
			EXPECT_LT (secondsOf ([&] { desktop->topWindows (windows); }), kPromptly);
			EXPECT_TRUE (windows.empty ());
		}
		if (variables.count ("PULSE_SERVER"))
		{
			bool listed = true;
			EXPECT_LT (secondsOf ([&] { listed = desktop->audioSessions (sessions); }), kPromptly);
			EXPECT_FALSE (listed);
			EXPECT_TRUE (sessions.empty ());
		}
		EXPECT_LT (secondsOf ([&] { media = desktop->mediaSessions (); }), kPromptly);
		EXPECT_EQ (media, nullptr);
	}
}

TEST (MissingServices, ASilentBusEndsTheMediaStepAtItsLimitAndIsLeftAloneForAWhile)
{
	TempFolder folder;
	SilentSocket bus (folder.path () + "/bus");
	ASSERT_TRUE (bus.ok ());
	Environment environment ({{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folder.path () + "/bus"}});
	auto desktop = openSystemDesktop ();
	std::unique_ptr<MediaSessionList> media;
	const double first = secondsOf ([&] { media = desktop->mediaSessions (); });
	EXPECT_EQ (media, nullptr);
	EXPECT_GE (first, 1.9);
	EXPECT_LT (first, 4.0);
	EXPECT_LT (secondsOf ([&] { media = desktop->mediaSessions (); }), kPromptly)
	    << "no new wait on the next pass";
	EXPECT_EQ (media, nullptr);
}

TEST (MissingServices, ASilentSoundServerEndsTheProbeAtItsLimit)
{
	TempFolder folder;
	SilentSocket server (folder.path () + "/native");
	ASSERT_TRUE (server.ok ());
	Environment environment ({{"PULSE_SERVER", "unix:" + folder.path () + "/native"}});
	auto desktop = openSystemDesktop ();
	std::vector<AudioSession> sessions;
	bool listed = true;
	const double first = secondsOf ([&] { listed = desktop->audioSessions (sessions); });
	EXPECT_FALSE (listed);
	EXPECT_GE (first, 0.9);
	EXPECT_LT (first, 3.0);
	EXPECT_LT (secondsOf ([&] { listed = desktop->audioSessions (sessions); }), kPromptly);
	EXPECT_FALSE (listed);
}

TEST (MissingServices, AStoppingDetectorEndsEveryWaitAtOnce)
{
	TempFolder folder;
	SilentSocket bus (folder.path () + "/bus");
	SilentSocket server (folder.path () + "/native");
	Environment environment ({{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folder.path () + "/bus"},
	                          {"PULSE_SERVER", "unix:" + folder.path () + "/native"}});
	auto desktop = openSystemDesktop ();
	const std::atomic<bool> stopping {false};
	desktop->enterThread (stopping);
	std::vector<AudioSession> sessions;
	EXPECT_LT (secondsOf ([&] { EXPECT_EQ (desktop->mediaSessions (), nullptr); }), 0.1);
	EXPECT_LT (secondsOf ([&] { EXPECT_FALSE (desktop->audioSessions (sessions)); }), 0.1);
	desktop->leaveThread ();
}

} // namespace
} // namespace cadora::platform
