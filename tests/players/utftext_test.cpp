// Our own UTF-16 <-> UTF-8 conversion: real texts round-trip, broken ones become U+FFFD
// and never swallow the characters after them.
#include "players/utftext.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

TEST (UtfText, Utf16ToUtf8)
{
	struct Case
	{
		std::u16string text;
		std::string utf8;
	} cases[] = {
	    {u"", ""},
	    {u"Jay Chou", "Jay Chou"},
	    {u"周杰伦 - 晴天", "周杰伦 - 晴天"},
	    {u"é\u07FF\u0800\uFFFF", "\xC3\xA9\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
	    {u"😀", "\xF0\x9F\x98\x80"},
	    {std::u16string (1, u'\0') + u"a", std::string ("\0a", 2)},
	    {std::u16string (1, char16_t (0xD83D)) + u"a", "\xEF\xBF\xBD"
	                                                   "a"}, // high surrogate alone
	    {std::u16string (1, char16_t (0xDE00)) + u"a", "\xEF\xBF\xBD"
	                                                   "a"},     // low surrogate alone
	    {std::u16string (1, char16_t (0xD83D)), "\xEF\xBF\xBD"}, // cut at the end
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ (c.utf8, toUtf8 (c.text));
		if (c.utf8.find ("\xEF\xBF\xBD") == std::string::npos)
		{
			EXPECT_EQ (c.text, toUtf16 (c.utf8)) << "round trip of " << c.utf8;
		}
	}
}

TEST (UtfText, IllFormedUtf8BecomesReplacementCharacters)
{
	struct Case
	{
		const char* label;
		std::string utf8;
		std::u16string text;
	} cases[] = {
	    {"lone continuation byte",
	     "\x80"
	     "a",
	     u"\uFFFD"
	     "a"},
	    {"overlong NUL",
	     "\xC0\x80"
	     "a",
	     u"\uFFFD\uFFFD"
	     "a"},
	    {"overlong 3-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
	    {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
	    {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
	    {"cut short at the end", "a\xE6\x99", u"a\uFFFD\uFFFD"},
	    {"cut short by an ASCII byte",
	     "\xE6\x99"
	     "a",
	     u"\uFFFD\uFFFD"
	     "a"},
	    {"invalid lead byte",
	     "\xFF"
	     "a",
	     u"\uFFFD"
	     "a"},
	};
	for (const Case& c : cases)
		EXPECT_EQ (c.text, toUtf16 (c.utf8)) << c.label;
}

TEST (UtfText, LowerAsciiOnly)
{
	EXPECT_EQ (u"mvboxplayer.exe 全民k歌 ＡÄ", lowerAscii (u"MvBoxPlayer.EXE 全民K歌 ＡÄ"));
}

} // namespace
} // namespace cadora
