#include "platform/consoleprogram.h"

#include "platform/win32/utf8.h"

#include <windows.h>
#include <shellapi.h>

namespace cadora::platform {

std::vector<std::string> utf8Arguments (int argc, char** argv)
{
	int count = 0;
	LPWSTR* wide = CommandLineToArgvW (GetCommandLineW (), &count);
	if (!wide || count != argc)
	{
		// Not expected; the ANSI arguments are still better than none.
		if (wide)
			LocalFree (wide);
		return std::vector<std::string> (argv, argv + argc);
	}
	std::vector<std::string> arguments;
	for (int i = 0; i < count; ++i)
		arguments.push_back (toUtf8 (wide[i]));
	LocalFree (wide);
	return arguments;
}

void useUtf8Console ()
{
	SetConsoleOutputCP (CP_UTF8);
}

} // namespace cadora::platform
