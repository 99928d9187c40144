// `cadora-cli players`: runs the plug-in's song detector on this machine's desktop and
// prints what each pass found, so that a user sees what the plug-in's window would show.
#pragma once

#include <cstdint>

namespace cadora::cli {

struct PlayersOptions
{
	int32_t source = 0; // "Player Source": 0 automatic, 1..5 a fixed player
	int passes = 3;     // the detector's first passes run back to back, then every 300 ms
	bool json = false;
};

// Prints one line per pass and returns the exit code.
int runPlayers (const PlayersOptions& options);

} // namespace cadora::cli
