#include "platform/linux/procfs.h"

#include "platform/linux/codepages.h"
#include "platform/linux/utf16text.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace cadora::platform {

namespace {

std::string procPath (uint32_t pid, const char* entry)
{
	return "/proc/" + std::to_string (pid) + "/" + entry;
}

bool readExeLink (uint32_t pid, std::string& path)
{
	char buffer[PATH_MAX];
	const ssize_t length = ::readlink (procPath (pid, "exe").c_str (), buffer, sizeof (buffer));
	if (length <= 0 || static_cast<size_t> (length) >= sizeof (buffer))
		return false;
	path.assign (buffer, static_cast<size_t> (length));
	// The program file was replaced or removed while it runs: the name is still its own.
	static const std::string kDeleted = " (deleted)";
	if (path.size () > kDeleted.size () &&
	    path.compare (path.size () - kDeleted.size (), kDeleted.size (), kDeleted) == 0)
		path.resize (path.size () - kDeleted.size ());
	return true;
}

// The whole of a small /proc file, read with plain system calls: a process list reads
// one or two per process, and a C++ stream costs more than the kernel's answer.
std::string readProcFile (uint32_t pid, const char* entry)
{
	std::string all;
	const int fd = ::open (procPath (pid, entry).c_str (), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return all;
	char chunk[4096];
	for (ssize_t n; (n = ::read (fd, chunk, sizeof (chunk))) > 0;)
		all.append (chunk, static_cast<size_t> (n));
	::close (fd);
	return all;
}

// The NUL-separated contents of /proc/PID/cmdline or /proc/PID/environ.
std::vector<std::string> readNulList (uint32_t pid, const char* entry)
{
	const std::string all = readProcFile (pid, entry);
	std::vector<std::string> items;
	size_t start = 0;
	while (start < all.size ())
	{
		size_t end = all.find ('\0', start);
		if (end == std::string::npos)
			end = all.size ();
		items.push_back (all.substr (start, end - start));
		start = end + 1;
	}
	return items;
}

bool isWineLoader (const std::string& exePath)
{
	const std::string name = fileNameOf (exePath);
	return name == "wine" || name == "wine64" || name == "wine-preloader" || name == "wine64-preloader";
}

bool endsWithExe (const std::string& text)
{
	if (text.size () < 4)
		return false;
	std::string tail = text.substr (text.size () - 4);
	for (auto& c : tail)
		c = static_cast<char> (std::tolower (static_cast<unsigned char> (c)));
	return tail == ".exe";
}

// The path a process is known by: its executable, or the Windows program Wine runs.
bool imagePathOf (uint32_t pid, std::string& path)
{
	if (!readExeLink (pid, path))
		return false;
	if (isWineLoader (path))
	{
		const std::string program = windowsProgramOf (readNulList (pid, "cmdline"));
		if (!program.empty ())
			path = program;
	}
	return true;
}

std::string shortNameOf (uint32_t pid)
{
	std::string name = readProcFile (pid, "comm");
	while (!name.empty () && name.back () == '\n')
		name.pop_back ();
	return name;
}

bool parsePid (const char* text, uint32_t& pid)
{
	char* end = nullptr;
	const unsigned long value = std::strtoul (text, &end, 10);
	if (end == text || *end != '\0' || value == 0 || value > UINT32_MAX)
		return false;
	pid = static_cast<uint32_t> (value);
	return true;
}

} // namespace

std::string fileNameOf (const std::string& path)
{
	const size_t slash = path.find_last_of ("/\\");
	return slash == std::string::npos ? path : path.substr (slash + 1);
}

std::string windowsProgramOf (const std::vector<std::string>& commandLine)
{
	for (const auto& argument : commandLine)
		if (endsWithExe (argument))
			return argument;
	return {};
}

bool processImagePathOf (uint32_t pid, std::u16string& path)
{
	std::string native;
	if (pid == 0 || !imagePathOf (pid, native))
		return false;
	path = utf8ToUtf16 (native);
	return true;
}

bool listProcesses (std::vector<ProcessEntry>& out)
{
	out.clear ();
	DIR* proc = ::opendir ("/proc");
	if (!proc)
		return false;
	while (const dirent* entry = ::readdir (proc))
	{
		uint32_t pid = 0;
		if (!parsePid (entry->d_name, pid))
			continue;
		std::string path;
		// Another user's process hides its executable; its short name is all there is.
		const std::string name = imagePathOf (pid, path) ? fileNameOf (path) : shortNameOf (pid);
		if (!name.empty ())
			out.push_back ({pid, utf8ToUtf16 (name)});
	}
	::closedir (proc);
	return true;
}

uint32_t codePageOfProcess (uint32_t pid)
{
	// The same precedence as the C library and Wine: LC_ALL, then LC_CTYPE, then LANG.
	std::string all, ctype, lang;
	for (const auto& item : readNulList (pid, "environ"))
	{
		if (item.rfind ("LC_ALL=", 0) == 0)
			all = item.substr (7);
		else if (item.rfind ("LC_CTYPE=", 0) == 0)
			ctype = item.substr (9);
		else if (item.rfind ("LANG=", 0) == 0)
			lang = item.substr (5);
	}
	return codePageOfLocale (!all.empty () ? all : !ctype.empty () ? ctype : lang);
}

} // namespace cadora::platform
