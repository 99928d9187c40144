#include "standin.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace cadora::test {

namespace {

constexpr int kReadyLimitMs = 10000;

// Reads one line from fd within the limit.
bool readLine (int fd, std::string& line)
{
	line.clear ();
	const auto deadline = std::chrono::steady_clock::now () + std::chrono::milliseconds (kReadyLimitMs);
	for (;;)
	{
		const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (
		    deadline - std::chrono::steady_clock::now ());
		pollfd entry {fd, POLLIN, 0};
		if (left.count () <= 0 || ::poll (&entry, 1, static_cast<int> (left.count ())) <= 0)
			return false;
		char c;
		if (::read (fd, &c, 1) != 1)
			return false;
		if (c == '\n')
			return true;
		line += c;
	}
}

} // namespace

TempFolder::TempFolder ()
{
	char pattern[] = "/tmp/cadora-desktop-test.XXXXXX";
	if (::mkdtemp (pattern))
		folder = pattern;
}

TempFolder::~TempFolder ()
{
	if (!folder.empty ())
		std::system (("rm -rf '" + folder + "'").c_str ());
}

bool copyExecutable (const std::string& from, const std::string& to)
{
	{
		std::ifstream in (from, std::ios::binary);
		std::ofstream out (to, std::ios::binary | std::ios::trunc);
		if (!in || !out)
			return false;
		out << in.rdbuf ();
		if (!out)
			return false;
	}
	return ::chmod (to.c_str (), 0755) == 0;
}

StandIn::StandIn (const std::string& program, const std::string& copyAs, const std::vector<std::string>& args,
                  const std::string& argv0, const std::vector<std::string>& environment)
{
	const std::string file = copyAs.empty () ? program : copyAs;
	if (!copyAs.empty () && !copyExecutable (program, copyAs))
		return;
	int toChild[2], fromChild[2];
	if (::pipe2 (toChild, O_CLOEXEC) != 0 || ::pipe2 (fromChild, O_CLOEXEC) != 0)
		return;
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init (&actions);
	posix_spawn_file_actions_adddup2 (&actions, toChild[0], STDIN_FILENO);
	posix_spawn_file_actions_adddup2 (&actions, fromChild[1], STDOUT_FILENO);
	std::vector<std::string> words {argv0.empty () ? file : argv0};
	words.insert (words.end (), args.begin (), args.end ());
	std::vector<char*> argv;
	for (auto& word : words)
		argv.push_back (word.data ());
	argv.push_back (nullptr);
	std::vector<std::string> variables = environment;
	for (char** each = environ; *each; ++each)
	{
		const std::string entry = *each;
		const std::string name = entry.substr (0, entry.find ('=') + 1);
		const bool replaced = std::any_of (environment.begin (), environment.end (),
		                                   [&] (const std::string& e) { return e.rfind (name, 0) == 0; });
		if (!replaced)
			variables.push_back (entry);
	}
	std::vector<char*> envp;
	for (auto& variable : variables)
		envp.push_back (variable.data ());
	envp.push_back (nullptr);
	if (::posix_spawn (&child, file.c_str (), &actions, nullptr, argv.data (), envp.data ()) != 0)
		child = -1;
	posix_spawn_file_actions_destroy (&actions);
	::close (toChild[0]);
	::close (fromChild[1]);
	input = toChild[1];
	std::string line;
	isReady = child > 0 && readLine (fromChild[0], line) && line.rfind ("ready", 0) == 0;
	if (isReady && line.size () > 6)
		readyDetail = line.substr (6);
	output = fromChild[0];
}

std::string StandIn::request (const std::string& line)
{
	const std::string sent = line + "\n";
	std::string answer;
	if (::write (input, sent.data (), sent.size ()) != static_cast<ssize_t> (sent.size ()) ||
	    !readLine (output, answer))
		answer.clear ();
	return answer;
}

StandIn::~StandIn ()
{
	if (input >= 0)
		::close (input);
	if (output >= 0)
		::close (output);
	if (child <= 0)
		return;
	for (int i = 0; i < 200; ++i)
	{
		if (::waitpid (child, nullptr, WNOHANG) == child)
			return;
		std::this_thread::sleep_for (std::chrono::milliseconds (10));
	}
	::kill (child, SIGKILL);
	::waitpid (child, nullptr, 0);
}

} // namespace cadora::test
