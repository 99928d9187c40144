// Processes through /proc: what a player process is called, natively and under Wine,
// and which code page its locale gives it. The stand-in processes are copies of a small
// program of ours, named and started as the players would be.
#include "platform/linux/procfs.h"
#include "platform/linux/utf16text.h"
#include "standin.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cadora::platform {
namespace {

using test::StandIn;
using test::TempFolder;

const std::string kWaiter = CADORA_MEMORY_STANDIN;

std::vector<ProcessEntry> processList ()
{
	std::vector<ProcessEntry> list;
	EXPECT_TRUE (listProcesses (list));
	return list;
}

bool listed (const std::vector<ProcessEntry>& list, uint32_t pid, const std::u16string& name)
{
	return std::any_of (list.begin (), list.end (),
	                    [&] (const ProcessEntry& e) { return e.pid == pid && e.exeName == name; });
}

TEST (WindowsProgramOf, FindsTheExeOnAWineCommandLine)
{
	const struct
	{
		const char* label;
		std::vector<std::string> commandLine;
		std::string program;
	} cases[] = {
	    {"started from Linux with a Unix path", {"/opt/kg/KuGou.exe", "/c", "", ""}, "/opt/kg/KuGou.exe"},
	    {"started from Windows",
	     {"C:\\Program Files\\KuGou\\KuGou.exe"},
	     "C:\\Program Files\\KuGou\\KuGou.exe"},
	    {"the loader still in front", {"wine64", "MvBoxPlayer.EXE", "x.exe"}, "MvBoxPlayer.EXE"},
	    {"no program (wine --version)", {"wine64", "--version"}, ""},
	    {"nothing", {}, ""},
	};
	for (const auto& c : cases)
		EXPECT_EQ (windowsProgramOf (c.commandLine), c.program) << c.label;
}

TEST (ProcessImagePath, IsTheExecutableOfANativeProcess)
{
	TempFolder folder;
	const std::string path = folder.path () + "/网易云音乐";
	ASSERT_EQ (::mkdir (path.c_str (), 0755), 0);
	StandIn player (kWaiter, path + "/cloudmusic", {"--regions", "0"});
	ASSERT_TRUE (player.ready ());

	std::u16string image;
	ASSERT_TRUE (processImagePathOf (static_cast<uint32_t> (player.pid ()), image));
	EXPECT_EQ (image, utf8ToUtf16 (path + "/cloudmusic"));
	EXPECT_TRUE (listed (processList (), static_cast<uint32_t> (player.pid ()), u"cloudmusic"));
}

TEST (ProcessImagePath, IsTheWindowsProgramOfAWineProcess)
{
	// What Wine leaves in /proc: its loader as the executable, the program on the
	// command line, as a Windows path when Windows started it.
	TempFolder folder;
	StandIn player (kWaiter, folder.path () + "/wine64-preloader", {"--regions", "0"},
	                "C:\\Program Files\\KuGou\\KGMusic\\KuGou.exe");
	ASSERT_TRUE (player.ready ());

	std::u16string image;
	ASSERT_TRUE (processImagePathOf (static_cast<uint32_t> (player.pid ()), image));
	EXPECT_EQ (image, u"C:\\Program Files\\KuGou\\KGMusic\\KuGou.exe");
	EXPECT_TRUE (listed (processList (), static_cast<uint32_t> (player.pid ()), u"KuGou.exe"));
}

TEST (ProcessImagePath, ANativeProgramNamedLikeAWindowsOneKeepsItsName)
{
	TempFolder folder;
	StandIn player (kWaiter, folder.path () + "/MvBoxPlayer.exe", {"--regions", "0"});
	ASSERT_TRUE (player.ready ());
	EXPECT_TRUE (listed (processList (), static_cast<uint32_t> (player.pid ()), u"MvBoxPlayer.exe"));
}

TEST (ProcessImagePath, NoProcessNoPath)
{
	// A child that has exited and been reaped: its id names nothing.
	const pid_t gone = ::fork ();
	if (gone == 0)
		::_exit (0);
	::waitpid (gone, nullptr, 0);
	std::u16string image = u"stale";
	EXPECT_FALSE (processImagePathOf (static_cast<uint32_t> (gone), image));
	EXPECT_FALSE (processImagePathOf (0, image));
}

TEST (CodePageOfProcess, FollowsTheLocaleOfTheProcessEnvironment)
{
	const struct
	{
		const char* label;
		std::vector<std::string> environment;
		uint32_t codePage;
	} cases[] = {
	    {"LC_ALL decides", {"LC_ALL=zh_CN.UTF-8", "LC_CTYPE=ja_JP.UTF-8", "LANG=en_US.UTF-8"}, 936},
	    {"then LC_CTYPE", {"LC_ALL=", "LC_CTYPE=ja_JP.UTF-8", "LANG=zh_TW.UTF-8"}, 932},
	    {"then LANG", {"LC_ALL=", "LC_CTYPE=", "LANG=zh_HK.UTF-8"}, 950},
	    {"no locale at all", {"LC_ALL=", "LC_CTYPE=", "LANG="}, 1252},
	};
	for (const auto& c : cases)
	{
		StandIn process (kWaiter, {}, {"--regions", "0"}, {}, c.environment);
		ASSERT_TRUE (process.ready ()) << c.label;
		EXPECT_EQ (codePageOfProcess (static_cast<uint32_t> (process.pid ())), c.codePage) << c.label;
	}
}

} // namespace
} // namespace cadora::platform
