// cadora-cli.exe players on a desktop of stand-ins, as a user runs it under Wine: each
// player's song is found through the player's own window or memory. Wine has neither a
// Core Audio session list nor the media-session class, so every pass also shows that
// detection goes on when those are missing. MVBox's GBK entries need the ANSI code page
// 936, which the test's environment (LC_ALL=zh_CN.UTF-8) gives every Wine process.
#include "standin/scenes.h"
#include "standinprocess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace cadora {
namespace {

using desktoptest::StandIn;

constexpr DWORD kRunLimitMs = 60000;

struct CliRun
{
	bool finished = false;
	DWORD exitCode = 0;
	std::vector<std::string> lines;
	double seconds = 0;
};

std::string readAll (HANDLE pipe)
{
	std::string out;
	char buffer[4096];
	DWORD got = 0;
	while (ReadFile (pipe, buffer, sizeof (buffer), &got, nullptr) && got > 0)
		out.append (buffer, got);
	return out;
}

CliRun runCli (const std::wstring& arguments)
{
	CliRun run;
	const std::wstring cli = desktoptest::windowsPathOf (CADORA_CLI);
	std::wstring commandLine = L"\"" + cli + L"\" " + arguments;
	SECURITY_ATTRIBUTES inherit {sizeof (SECURITY_ATTRIBUTES), nullptr, TRUE};
	HANDLE readEnd = nullptr, writeEnd = nullptr;
	if (!CreatePipe (&readEnd, &writeEnd, &inherit, 0))
		return run;
	SetHandleInformation (readEnd, HANDLE_FLAG_INHERIT, 0);
	STARTUPINFOW startup {};
	startup.cb = sizeof (startup);
	startup.dwFlags = STARTF_USESTDHANDLES;
	startup.hStdOutput = writeEnd;
	startup.hStdError = GetStdHandle (STD_ERROR_HANDLE);
	startup.hStdInput = GetStdHandle (STD_INPUT_HANDLE);
	PROCESS_INFORMATION process {};
	const auto start = std::chrono::steady_clock::now ();
	const BOOL started = CreateProcessW (cli.c_str (), commandLine.data (), nullptr, nullptr, TRUE, 0,
	                                     nullptr, nullptr, &startup, &process);
	CloseHandle (writeEnd);
	if (!started)
	{
		CloseHandle (readEnd);
		return run;
	}
	// The output is small; the pipe never fills before the program ends.
	run.finished = WaitForSingleObject (process.hProcess, kRunLimitMs) == WAIT_OBJECT_0;
	if (!run.finished)
		TerminateProcess (process.hProcess, 1);
	run.seconds = std::chrono::duration<double> (std::chrono::steady_clock::now () - start).count ();
	GetExitCodeProcess (process.hProcess, &run.exitCode);
	const std::string out = readAll (readEnd);
	CloseHandle (readEnd);
	CloseHandle (process.hProcess);
	CloseHandle (process.hThread);
	for (size_t begin = 0, end; (end = out.find ('\n', begin)) != std::string::npos; begin = end + 1)
	{
		std::string line = out.substr (begin, end - begin);
		if (!line.empty () && line.back () == '\r') // the C runtime's text mode
			line.pop_back ();
		run.lines.push_back (line);
	}
	return run;
}

// The value of "key" in a one-line JSON object the command prints: a string with its
// escapes undone, or the bare text of any other value.
std::string field (const std::string& line, const std::string& key)
{
	const std::string opening = "\"" + key + "\":";
	size_t at = line.find (opening);
	if (at == std::string::npos)
		return "(missing)";
	at += opening.size ();
	if (line[at] != '"')
		return line.substr (at, line.find_first_of (",}", at) - at);
	std::string value;
	for (size_t i = at + 1; i < line.size () && line[i] != '"'; ++i)
	{
		if (line[i] != '\\')
		{
			value += line[i];
			continue;
		}
		const char escaped = line[++i];
		value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped == 'r' ? '\r' : escaped;
	}
	return value;
}

class PlayersOnWine : public ::testing::Test
{
protected:
	static void SetUpTestSuite ()
	{
		for (auto [name, scene] :
		     {std::pair {L"KuGou.exe", "classes"}, std::pair {L"cloudmusic.exe", "netease"},
		      std::pair {L"WeSing.exe", "wesing"}, std::pair {L"MvBoxPlayer.exe", "mvbox"}})
			standIns ().push_back (std::make_unique<StandIn> (name, scene));
	}
	static void TearDownTestSuite () { standIns ().clear (); }

	void SetUp () override
	{
		for (const auto& standIn : standIns ())
			ASSERT_TRUE (standIn->ready ()) << standIn->error ();
		ASSERT_EQ (GetACP (), 936u) << "run with LC_ALL=zh_CN.UTF-8: MVBox's entries are GBK";
	}

	static std::vector<std::unique_ptr<StandIn>>& standIns ()
	{
		static std::vector<std::unique_ptr<StandIn>> all;
		return all;
	}

	// MVBox's song is the entry found last in address order.
	static bool virtualEntryIsLater ()
	{
		const auto entries = standIns ().back ()->reported ("entry");
		return entries.at ("virtual").at (0) > entries.at ("heap").at (0);
	}
};

TEST_F (PlayersOnWine, EachPlayersSongIsFoundWithThatPlayer)
{
	const std::string mvboxTitle = virtualEntryIsLater () ? "稻香" : "晴天";
	struct Case
	{
		const char* label;
		int source;
		int passes;
		std::string playerId, playerLabel, title, artist;
	} cases[] = {
	    {"automatic: Kugou Music's window pair decides", 0, 1, "kugou", "酷狗音乐", "晴天", "周杰伦"},
	    {"Kugou Music by its window class", 1, 1, "kugou", "酷狗音乐", "晴天", "周杰伦"},
	    {"QQ Music by its window class, after two agreeing passes", 2, 2, "qqmusic", "QQ音乐", "稻香",
	     "周杰伦"},
	    {"NetEase Cloud Music by its process's window", 3, 1, "netease", "网易云音乐", "夜曲", "周杰伦"},
	    {"WeSing by its process's window, no artist", 4, 1, "wesing", "全民K歌", "小幸运", "暂无歌手信息"},
	    {"MVBox from its memory, GBK text", 5, 1, "mvbox", "MVBOX", mvboxTitle, "周杰伦"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE (c.label);
		const CliRun run = runCli (L"players --source " + std::to_wstring (c.source) + L" --passes " +
		                           std::to_wstring (c.passes) + L" --json");
		std::printf ("[ figure   ] players --source %d --passes %d: %.2f s\n", c.source, c.passes,
		             run.seconds);
		ASSERT_TRUE (run.finished);
		EXPECT_EQ (run.exitCode, 0u);
		ASSERT_EQ (run.lines.size (), static_cast<size_t> (c.passes));
		const std::string& last = run.lines.back ();
		EXPECT_EQ (field (last, "pass"), std::to_string (c.passes));
		EXPECT_EQ (field (last, "playerId"), c.playerId) << last;
		EXPECT_EQ (field (last, "playerLabel"), c.playerLabel) << last;
		EXPECT_EQ (field (last, "title"), c.title) << last;
		EXPECT_EQ (field (last, "artist"), c.artist) << last;
		EXPECT_EQ (field (last, "fromMediaSession"), "false") << last;
	}
}

TEST_F (PlayersOnWine, QqMusicsSongIsShownOnlyOnceTwoPassesAgree)
{
	const CliRun run = runCli (L"players --source 2 --passes 2 --json");
	ASSERT_TRUE (run.finished);
	ASSERT_EQ (run.lines.size (), 2u);
	EXPECT_EQ (field (run.lines[0], "playerId"), "qqmusic");
	EXPECT_EQ (field (run.lines[0], "title"), "未获取到歌曲信息") << run.lines[0];
	EXPECT_EQ (field (run.lines[1], "title"), "稻香") << run.lines[1];
}

} // namespace
} // namespace cadora
