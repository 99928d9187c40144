// Command-line parsing for cadora-cli: strict numbers, named options, one error line.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace cadora::cli {

struct Arguments
{
	std::vector<std::string> positional;
	std::map<std::string, std::string> options; // "--pitch" -> "2"; flags map to ""
};

// Splits argv after the command; `valued` lists the options that take a value.
bool splitArguments (int argc, char** argv, int first, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags, Arguments& out, std::string& error);

// Whole-string conversions with a range check; on failure `error` names the option.
bool parseInt (const std::string& name, const std::string& text, long low, long high, long& value,
               std::string& error);
bool parseDouble (const std::string& name, const std::string& text, double low, double high, double& value,
                  std::string& error);

} // namespace cadora::cli
