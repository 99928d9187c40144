// Opening the maker's page on Linux: xdg-open is started without a shell, with the
// address as its one argument, and a missing xdg-open means nothing happens.
#include "platform/openurl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace cadora::platform {
namespace {

struct PathGuard
{
	std::string saved = std::getenv ("PATH") ? std::getenv ("PATH") : "";
	~PathGuard () { setenv ("PATH", saved.c_str (), 1); }
};

std::string readWhenThere (const std::string& path)
{
	for (int i = 0; i < 200; ++i)
	{
		std::ifstream in (path);
		std::string text;
		if (in && std::getline (in, text))
			return text;
		std::this_thread::sleep_for (std::chrono::milliseconds (10));
	}
	return "(nothing written)";
}

TEST (OpenUrl, StartsXdgOpenWithTheAddressAsItsOnlyArgument)
{
	PathGuard guard;
	char folder[] = "/tmp/cadora-openurl-XXXXXX";
	ASSERT_TRUE (mkdtemp (folder));
	const std::string dir = folder;
	const std::string log = dir + "/arguments";
	{
		// A stand-in that records how many arguments it got and the first one.
		std::ofstream script (dir + "/xdg-open");
		script << "#!/bin/sh\nprintf '%s %s\\n' \"$#\" \"$1\" > '" << log << ".part'\nmv '" << log
		       << ".part' '" << log << "'\n";
	}
	chmod ((dir + "/xdg-open").c_str (), 0755);
	setenv ("PATH", (dir + ":/usr/bin:/bin").c_str (), 1);

	const std::string url = "https://solvane.com/?a=1;touch " + dir + "/hacked&b='2'";
	EXPECT_TRUE (openUrl (url.c_str ()));
	EXPECT_EQ ("1 " + url, readWhenThere (log));
	EXPECT_NE (0, access ((dir + "/hacked").c_str (), F_OK)) << "no shell interpreted the address";
	std::system (("rm -rf " + dir).c_str ());
}

TEST (OpenUrl, NothingHappensWithoutXdgOpen)
{
	PathGuard guard;
	setenv ("PATH", "/nonexistent", 1);
	EXPECT_FALSE (openUrl ("https://solvane.com"));
	EXPECT_FALSE (openUrl (""));
	EXPECT_FALSE (openUrl (nullptr));
}

} // namespace
} // namespace cadora::platform
