// Runs a stand-in program for a test: copied under a player's file name into a private
// folder (so that its process is named like that player), started with a chosen
// argv[0] (a Wine process shows its Windows program there), and ended by closing its
// standard input when the StandIn goes out of scope (killed if it lingers).
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace cadora::test {

// A private folder, removed with everything in it when destroyed.
class TempFolder
{
public:
	TempFolder ();
	~TempFolder ();
	TempFolder (const TempFolder&) = delete;
	TempFolder& operator= (const TempFolder&) = delete;
	const std::string& path () const { return folder; }

private:
	std::string folder;
};

class StandIn
{
public:
	// program: the built stand-in; copyAs: where to copy it (empty: run it where it is);
	// argv0: what its command line starts with (empty: the file it runs).
	// environment: entries added to (or replacing those of) the test's own.
	StandIn (const std::string& program, const std::string& copyAs, const std::vector<std::string>& args,
	         const std::string& argv0 = {}, const std::vector<std::string>& environment = {});
	~StandIn ();
	StandIn (const StandIn&) = delete;
	StandIn& operator= (const StandIn&) = delete;

	// False when it did not say "ready" within 10 s (it has been ended then).
	bool ready () const { return isReady; }
	pid_t pid () const { return child; }
	// What followed "ready" on its line.
	const std::string& detail () const { return readyDetail; }
	// Sends one line and returns the line it answers (empty after 10 s without one).
	std::string request (const std::string& line);

private:
	pid_t child = -1;
	int input = -1;
	int output = -1;
	bool isReady = false;
	std::string readyDetail;
};

// Copies a file, keeping it executable; false on failure.
bool copyExecutable (const std::string& from, const std::string& to);

} // namespace cadora::test
