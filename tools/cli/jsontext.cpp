#include "tools/cli/jsontext.h"

#include "players/utftext.h"

#include <cstdio>

namespace cadora::cli {

std::string jsonString (std::string_view text)
{
	const std::string utf8 = toUtf8 (toUtf16 (text));
	std::string out = "\"";
	for (const char c : utf8)
	{
		switch (c)
		{
			case '"': out += "\\\""; break;
			case '\\': out += "\\\\"; break;
			case '\n': out += "\\n"; break;
			case '\r': out += "\\r"; break;
			case '\t': out += "\\t"; break;
			default:
				if (static_cast<unsigned char> (c) < 0x20)
				{
					char escaped[8];
					std::snprintf (escaped, sizeof escaped, "\\u%04x", static_cast<unsigned> (c));
					out += escaped;
				}
				else
				{
					out += c;
				}
		}
	}
	return out + "\"";
}

} // namespace cadora::cli
