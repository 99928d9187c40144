#include "tools/cli/options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace cadora::cli {

namespace {
bool contains (const std::vector<std::string>& list, const std::string& item)
{
	return std::find (list.begin (), list.end (), item) != list.end ();
}
} // namespace

bool splitArguments (int argc, char** argv, int first, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags, Arguments& out, std::string& error)
{
	for (int i = first; i < argc; ++i)
	{
		const std::string arg = argv[i];
		if (arg.rfind ("--", 0) != 0)
		{
			out.positional.push_back (arg);
			continue;
		}
		if (contains (flags, arg))
		{
			out.options[arg] = "";
			continue;
		}
		if (!contains (valued, arg))
		{
			error = "unknown option " + arg;
			return false;
		}
		if (i + 1 >= argc)
		{
			error = "option " + arg + " needs a value";
			return false;
		}
		out.options[arg] = argv[++i];
	}
	return true;
}

bool parseInt (const std::string& name, const std::string& text, long low, long high, long& value,
               std::string& error)
{
	char* end = nullptr;
	errno = 0;
	const long parsed = std::strtol (text.c_str (), &end, 10);
	if (text.empty () || *end != '\0' || errno != 0 || parsed < low || parsed > high)
	{
		error = name + " must be a whole number from " + std::to_string (low) + " to " +
		        std::to_string (high) + ", not '" + text + "'";
		return false;
	}
	value = parsed;
	return true;
}

bool parseDouble (const std::string& name, const std::string& text, double low, double high, double& value,
                  std::string& error)
{
	char* end = nullptr;
	errno = 0;
	const double parsed = std::strtod (text.c_str (), &end);
	if (text.empty () || *end != '\0' || errno != 0 || !std::isfinite (parsed) || parsed < low ||
	    parsed > high)
	{
		error = name + " must be a number from " + std::to_string (low).substr (0, 3) + " to " +
		        std::to_string (high).substr (0, 3) + ", not '" + text + "'";
		return false;
	}
	value = parsed;
	return true;
}

} // namespace cadora::cli
