#include "tools/cli/players.h"

#include "platform/desktop.h"
#include "players/songdetector.h"
#include "tools/cli/jsontext.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

namespace cadora::cli {

namespace {

// Records handed over from the detection thread, in the order of their passes.
class PassQueue
{
public:
	void push (const SongInfo& info)
	{
		{
			std::lock_guard<std::mutex> guard (lock);
			records.push_back (info);
		}
		arrived.notify_one ();
	}
	// The next record; false when none came and the detector has ended.
	bool pop (const SongDetector& detector, SongInfo& info)
	{
		std::unique_lock<std::mutex> guard (lock);
		// A pass may wait seconds for media sessions, so no time limit; but look now and then
		// whether the detection thread has given up.
		while (records.empty ())
		{
			if (detector.ended ())
				return false;
			arrived.wait_for (guard, std::chrono::milliseconds (100));
		}
		info = records.front ();
		records.pop_front ();
		return true;
	}

private:
	std::mutex lock;
	std::condition_variable arrived;
	std::deque<SongInfo> records;
};

void printJson (int pass, const SongInfo& info)
{
	std::printf ("{\"pass\":%d,\"playerId\":%s,\"playerLabel\":%s,\"title\":%s,\"artist\":%s,"
	             "\"fromMediaSession\":%s}\n",
	             pass, jsonString (info.playerId).c_str (), jsonString (info.playerLabel).c_str (),
	             jsonString (info.title).c_str (), jsonString (info.artist).c_str (),
	             info.fromMediaSession ? "true" : "false");
}

void printLine (int pass, const SongInfo& info)
{
	const std::string player = info.playerId[0] ? std::string (info.playerLabel) + " (" + info.playerId + ")"
	                                            : std::string (info.playerLabel);
	std::printf ("pass %d: %s: %s - %s%s\n", pass, player.c_str (), info.title, info.artist,
	             info.fromMediaSession ? " [media session]" : "");
}

} // namespace

int runPlayers (const PlayersOptions& options)
{
	PassQueue queue;
	{
		SongDetector detector (options.source, platform::openSystemDesktop (),
		                       [&queue] (uint64_t, const SongInfo& info) { queue.push (info); });
		for (int pass = 1; pass <= options.passes; ++pass)
		{
			SongInfo info;
			if (!queue.pop (detector, info))
			{
				std::fprintf (stderr, "cadora-cli: detection stopped after %d pass(es)\n", pass - 1);
				return 1;
			}
			options.json ? printJson (pass, info) : printLine (pass, info);
			std::fflush (stdout);
		}
	}
	return 0;
}

} // namespace cadora::cli
