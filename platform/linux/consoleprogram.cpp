#include "platform/consoleprogram.h"

namespace cadora::platform {

// Linux hands the arguments over as the bytes they are, UTF-8 in any modern locale.
std::vector<std::string> utf8Arguments (int argc, char** argv)
{
	return std::vector<std::string> (argv, argv + argc);
}

void useUtf8Console () {}

} // namespace cadora::platform
