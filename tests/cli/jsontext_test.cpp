// JSON strings as cadora-cli prints them: valid JSON whatever the text holds.
#include "tools/cli/jsontext.h"

#include <gtest/gtest.h>

namespace cadora::cli {
namespace {

TEST (JsonText, EscapesWhatJsonRequiresAndKeepsUtf8)
{
	struct Case
	{
		std::string text;
		std::string json;
	} cases[] = {
	    {"", "\"\""},
	    {"晴天", "\"晴天\""},
	    {"Say \"hi\"", "\"Say \\\"hi\\\"\""},
	    {"C:\\KuGou", "\"C:\\\\KuGou\""},
	    {"a\nb\tc\rd", "\"a\\nb\\tc\\rd\""},
	    {std::string ("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\x7f\""},
	    {"a/b", "\"a/b\""},
	    {"😀", "\"😀\""},
	    // Broken UTF-8 (a character cut in half) cannot make the line invalid.
	    {"\xE6\x99", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
	    {"ok\xC0", "\"ok\xEF\xBF\xBD\""},
	};
	for (const Case& c : cases)
		EXPECT_EQ (c.json, jsonString (c.text)) << c.text;
}

} // namespace
} // namespace cadora::cli
