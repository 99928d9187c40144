#include "platform/openurl.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace cadora::platform {

namespace {

// The full path of a program on PATH, found before forking: the child may only make
// async-signal-safe calls (the host has other threads), and execve is one.
std::string findOnPath (const char* program)
{
	const char* path = std::getenv ("PATH");
	if (!path)
		return {};
	const std::string folders (path);
	size_t start = 0;
	while (start <= folders.size ())
	{
		size_t end = folders.find (':', start);
		if (end == std::string::npos)
			end = folders.size ();
		const std::string folder = end > start ? folders.substr (start, end - start) : ".";
		const std::string candidate = folder + "/" + program;
		if (access (candidate.c_str (), X_OK) == 0)
			return candidate;
		start = end + 1;
	}
	return {};
}

} // namespace

bool openUrl (const char* url)
{
	if (!url || !*url)
		return false;
	const std::string program = findOnPath ("xdg-open");
	if (program.empty ())
		return false;
	std::string argument (url);
	char* argv[] = {const_cast<char*> ("xdg-open"), argument.data (), nullptr};
	// Fork twice, so that xdg-open belongs to init and never stays a zombie of the host,
	// and the host's own child handling sees one short-lived child only.
	const pid_t child = fork ();
	if (child < 0)
		return false;
	if (child == 0)
	{
		if (fork () == 0)
		{
			execve (program.c_str (), argv, environ);
			_exit (127);
		}
		_exit (0);
	}
	int status = 0;
	while (waitpid (child, &status, 0) < 0 && errno == EINTR)
	{
	}
	return WIFEXITED (status) && WEXITSTATUS (status) == 0;
}

} // namespace cadora::platform
