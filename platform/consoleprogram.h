// What a console program needs to exchange UTF-8 with the system: its arguments as
// UTF-8 (Windows hands a program its command line in the ANSI code page, which cannot
// hold every file name) and a console that shows UTF-8 output as such.
#pragma once

#include <string>
#include <vector>

namespace cadora::platform {

// The program's arguments, argv[0] included, in UTF-8.
std::vector<std::string> utf8Arguments (int argc, char** argv);

// Makes the console, if there is one, show the program's UTF-8 output correctly.
void useUtf8Console ();

} // namespace cadora::platform
