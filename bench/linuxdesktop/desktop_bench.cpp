// Costs of song detection on the Linux desktop, with stand-in players of the tests:
//   1. one detection pass over 200 top-level X11 windows, without and with the audio probe;
//   2. the audio probe (loudestPlayer) with two players playing: the first probe of a new
//      desktop and the probes that follow, a detection pass apart;
//   3. the MVBox reader on a stand-in "MvBoxPlayer.exe" holding 256 MiB of committed memory
//      below 2 GiB: a full scan, and a read from the region cache.
// Run inside a private desktop: tools/desktop/session build/linux/bin/Release/bench_linux_desktop
#include "platform/clock.h"
#include "platform/desktop.h"
#include "players/detectionpass.h"
#include "players/loudestplayer.h"
#include "players/mvboxreader.h"
#include "standin.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace cadora;
using test::StandIn;
using test::TempFolder;

struct Figures
{
	double median, max;
};

// Milliseconds of each run of step; pause between runs as a detection pass would.
Figures timeRuns (int runs, int pauseMs, const std::function<void ()>& step)
{
	std::vector<double> ms;
	for (int i = 0; i < runs; ++i)
	{
		const int64_t start = platform::steadyNowNs ();
		step ();
		ms.push_back (static_cast<double> (platform::steadyNowNs () - start) / 1e6);
		if (pauseMs > 0)
			::usleep (static_cast<useconds_t> (pauseMs) * 1000);
	}
	std::sort (ms.begin (), ms.end ());
	return {ms[ms.size () / 2], ms.back ()};
}

void report (const char* what, const Figures& f, const char* target)
{
	std::printf ("%-58s median %8.3f ms   max %8.3f ms   (target %s)\n", what, f.median, f.max, target);
}

// The system desktop without its sound server: what a pass costs apart from the probe.
class WithoutAudio : public platform::Desktop
{
public:
	explicit WithoutAudio (platform::Desktop& inner) : desktop (inner) {}
	void topWindows (std::vector<platform::TopWindow>& out) override { desktop.topWindows (out); }
	bool processImagePath (uint32_t pid, std::u16string& path) override
	{
		return desktop.processImagePath (pid, path);
	}
	bool processes (std::vector<platform::ProcessEntry>& out) override { return desktop.processes (out); }
	bool audioSessions (std::vector<platform::AudioSession>& out) override
	{
		out.clear ();
		return false;
	}
	std::unique_ptr<platform::MediaSessionList> mediaSessions () override { return desktop.mediaSessions (); }
	std::unique_ptr<platform::ProcessMemory> openProcessMemory (uint32_t pid) override
	{
		return desktop.openProcessMemory (pid);
	}
	uint32_t ansiCodePage (uint32_t pid) override { return desktop.ansiCodePage (pid); }

private:
	platform::Desktop& desktop;
};

bool windowPass ()
{
	// 196 other windows and the four a Kugou and a QQ Music player show.
	StandIn windows (CADORA_X11_STANDIN, {},
	                 {"--many", "196", "kugou_ui", "周杰伦 - 晴天 - 酷狗音乐", "800x600", "visible",
	                  "kugou_ui", "歌词", "300x90", "hidden", "TXGuiFoundation", "稻香 - 周杰伦", "1000x700",
	                  "visible", "TXGuiFoundation", "桌面歌词", "200x60", "hidden"});
	if (!windows.ready ())
		return false;
	auto desktop = platform::openSystemDesktop ();
	std::vector<platform::TopWindow> listed;
	desktop->topWindows (listed);
	std::printf ("top-level windows listed: %zu\n", listed.size ());
	// Runs 30 ms apart: a listing younger than 20 ms is reused, and passes are 300 ms apart.
	report ("listing 200 top-level windows", timeRuns (50, 30, [&] { desktop->topWindows (listed); }), "-");

	report ("media sessions (an empty session bus)", timeRuns (50, 30, [&] { desktop->mediaSessions (); }),
	        "-");

	WithoutAudio quiet (*desktop);
	DetectionState state;
	SongInfo info;
	report ("detection pass, 200 windows, without the audio probe",
	        timeRuns (50, 30, [&] { info = runDetectionPass (quiet, state, 0); }), "<= 5 ms");
	std::printf ("  the pass shows: %s, \"%s\" by \"%s\"\n", info.playerLabel, info.title, info.artist);
	report ("detection pass, 200 windows, with the audio probe",
	        timeRuns (50, 30, [&] { info = runDetectionPass (*desktop, state, 0); }), "-");
	return true;
}

bool audioProbe ()
{
	TempFolder folder;
	StandIn kugou (CADORA_TONE_STANDIN, folder.path () + "/kugou", {"--level", "0.5"});
	StandIn qq (CADORA_TONE_STANDIN, folder.path () + "/QQMusic", {"--level", "0.25", "--frequency", "660"});
	if (!kugou.ready () || !qq.ready ())
		return false;
	std::vector<double> cold;
	const PlayerKind* found = nullptr;
	for (int i = 0; i < 10; ++i)
	{
		auto desktop = platform::openSystemDesktop ();
		cold.push_back (timeRuns (1, 0, [&] { found = loudestPlayer (*desktop, 0); }).median);
	}
	std::sort (cold.begin (), cold.end ());
	report ("audio probe, two playing sinks, first probe of a desktop",
	        {cold[cold.size () / 2], cold.back ()}, "<= 60 ms");
	auto desktop = platform::openSystemDesktop ();
	loudestPlayer (*desktop, 0);
	report ("audio probe, two playing sinks, later probes (300 ms apart)",
	        timeRuns (20, 300, [&] { found = loudestPlayer (*desktop, 0); }), "<= 60 ms");
	std::printf ("  the loudest player: %s\n", found == &kPlayers[kKugouRow] ? "Kugou (right)" : "WRONG");
	return found == &kPlayers[kKugouRow];
}

std::string hexOf (const std::string& bytes)
{
	static const char* digits = "0123456789abcdef";
	std::string hex;
	for (const unsigned char c : bytes)
		(hex += digits[c >> 4]) += digits[c & 15];
	return hex;
}

bool mvboxScan ()
{
	// 128 regions of 2 MiB: a full scan reads all 256 MiB (at most 2 MiB of each region).
	const std::string entry = std::string ("MvboxCache\\songs\\42.mp3\t") + "\xC7\xE7\xCC\xEC" + "\t" +
	                          "\xD6\xDC\xBD\xDC\xC2\xD7" + std::string (1, '\0');
	TempFolder folder;
	StandIn mvbox (CADORA_MEMORY_STANDIN, folder.path () + "/MvBoxPlayer.exe",
	               {"--base", "10000000", "--regions", "128", "--region-kib", "2048", "--entry",
	                "127:1048576:" + hexOf (entry)},
	               {}, {"LC_ALL=zh_CN.UTF-8"});
	if (!mvbox.ready ())
		return false;
	auto desktop = platform::openSystemDesktop ();
	std::u16string title, artist;
	bool found = false;
	report ("MVBox full scan, 256 MiB committed",
	        timeRuns (5, 0,
	                  [&] {
		                  MvboxCacheReader reader;
		                  found = reader.read (*desktop, title, artist);
	                  }),
	        "<= 200 ms");
	MvboxCacheReader reader;
	reader.read (*desktop, title, artist);
	report ("MVBox cached read", timeRuns (50, 0, [&] { found = reader.read (*desktop, title, artist); }),
	        "<= 2 ms");
	const bool right = found && title == u"晴天" && artist == u"周杰伦";
	std::printf ("  the entry read: %s\n", right ? "晴天 / 周杰伦 (right)" : "WRONG");
	return right;
}

} // namespace

int main ()
{
	const bool ok = windowPass () & audioProbe () & mvboxScan ();
	return ok ? 0 : 1;
}
