// Text conversions of the Linux desktop: UTF-8 from X11 and D-Bus, Windows code pages of
// MVBox's memory, and the code page Wine picks from a process's locale.
#include "platform/desktop.h"
#include "platform/linux/codepages.h"
#include "platform/linux/utf16text.h"

#include <gtest/gtest.h>

namespace cadora::platform {
namespace {

struct Utf8Case
{
	const char* label;
	std::string bytes;
	std::u16string expected;
};

TEST (Utf8ToUtf16, DecodesAndReplacesMalformedSequences)
{
	const Utf8Case cases[] = {
	    {"ASCII", "Kugou - 1", u"Kugou - 1"},
	    {"Chinese (3-byte)", "周杰伦 - 晴天", u"周杰伦 - 晴天"},
	    {"4-byte becomes a surrogate pair", "\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
	    {"stray continuation byte",
	     "a\x80"
	     "b",
	     u"a\uFFFDb"},
	    {"sequence cut by an ASCII byte: the byte survives",
	     "\xE6\x99"
	     "A",
	     u"\uFFFDA"},
	    {"sequence cut by the end", "x\xE6\x99", u"x\uFFFD"},
	    {"overlong encoding of '/'", "\xC0\xAF", u"\uFFFD\uFFFD"},
	    {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
	    {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
	};
	for (const auto& c : cases)
		EXPECT_EQ (utf8ToUtf16 (c.bytes), c.expected) << c.label;
}

TEST (CutUtf16, NeverSplitsASurrogatePair)
{
	std::u16string text = u"ab\U0001F3B5c";
	cutUtf16 (text, 3);
	EXPECT_EQ (text, u"ab");
	text = u"ab\U0001F3B5c";
	cutUtf16 (text, 4);
	EXPECT_EQ (text, u"ab\U0001F3B5");
}

struct CodePageCase
{
	const char* label;
	uint32_t codePage;
	std::string bytes;
	std::u16string expected;
};

TEST (DecodeCodePage, ConvertsTheCodePagesOfWindowsPrograms)
{
	const CodePageCase cases[] = {
	    {"GBK (936)", 936, "\xC7\xE7\xCC\xEC\t\xD6\xDC\xBD\xDC\xC2\xD7", u"晴天\t周杰伦"},
	    {"Big5 (950)", 950, "\xB4\xB8\xA4\xD1", u"晴天"},
	    {"Shift-JIS (932)", 932, "\x93\xFA\x96\x7B", u"日本"},
	    {"UHC (949)", 949, "\xC7\xD1\xB1\xB9", u"한국"},
	    {"Western (1252): 0x80 is the euro sign", 1252, "Caf\xE9 \x80", u"Café €"},
	    {"UTF-8 (65001)", 65001, "稻香", u"稻香"},
	    {"GBK bytes read as 1252 give Latin letters, not an error", 1252, "\xC7\xE7", u"Çç"},
	    {"a GBK lead byte without its partner becomes U+FFFD", 936, "\xC7\xE7\xCC", u"晴\uFFFD"},
	    {"nothing", 936, "", u""},
	};
	for (const auto& c : cases)
	{
		std::u16string out = u"stale";
		EXPECT_TRUE (decodeCodePage (c.codePage, c.bytes.data (), c.bytes.size (), out)) << c.label;
		EXPECT_EQ (out, c.expected) << c.label;
	}
}

TEST (DecodeCodePage, AnUnknownCodePageFailsWithEmptyText)
{
	std::u16string out = u"stale";
	EXPECT_FALSE (decodeCodePage (12345, "abc", 3, out));
	EXPECT_TRUE (out.empty ());
}

TEST (CodePageOfLocale, FollowsWinesChoice)
{
	const struct
	{
		const char* locale;
		uint32_t codePage;
	} cases[] = {
	    {"zh_CN.UTF-8", 936},  {"zh_CN.GBK", 936},
	    {"zh_SG", 936},        {"zh", 936},
	    {"zh_TW.UTF-8", 950},  {"zh_HK.UTF-8", 950},
	    {"ja_JP.UTF-8", 932},  {"ko_KR.EUC-KR", 949},
	    {"ru_RU.UTF-8", 1251}, {"en_US.UTF-8", 1252},
	    {"de_DE@euro", 1252},  {"C.UTF-8", 1252},
	    {"POSIX", 1252},       {"", 1252},
	    {"zhx_XX", 1252},
	};
	for (const auto& c : cases)
		EXPECT_EQ (codePageOfLocale (c.locale), c.codePage) << c.locale;
}

} // namespace
} // namespace cadora::platform
