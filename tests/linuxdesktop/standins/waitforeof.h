// What every stand-in does once it is set up: says "ready" on its standard output and
// lives until its standard input closes, so that it never outlives the test that started
// it, even when that test dies.
#pragma once

#include <cstdio>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace cadora::standin {

inline void announceReady (const char* detail = "")
{
	std::printf ("ready %s\n", detail);
	std::fflush (stdout);
}

// True while standard input is open; waits up to timeoutMs for it to close.
inline bool inputStillOpen (int timeoutMs)
{
	pollfd entry {STDIN_FILENO, POLLIN, 0};
	if (::poll (&entry, 1, timeoutMs) <= 0)
		return true;
	char byte;
	return ::read (STDIN_FILENO, &byte, 1) > 0;
}

// Reads one line of standard input; false at its end.
inline bool readLine (std::string& line)
{
	line.clear ();
	char c;
	while (::read (STDIN_FILENO, &c, 1) == 1)
	{
		if (c == '\n')
			return true;
		line += c;
	}
	return false;
}

inline void waitForEndOfInput ()
{
	while (inputStillOpen (-1))
		;
}

} // namespace cadora::standin
