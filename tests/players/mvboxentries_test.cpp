// MVBox's cache entries in a byte buffer: what counts as an entry, where each field ends,
// and how its bytes become text.
#include "testdecoder.h"

#include "players/mvboxentries.h"
#include "players/utftext.h"

#include <gtest/gtest.h>

namespace cadora {
namespace {

const std::string kMarker = "MvboxCache\\songs\\";
const std::string kSunny = "\xC7\xE7\xCC\xEC";       // 晴天 in GBK
const std::string kJay = "\xD6\xDC\xBD\xDC\xC2\xD7"; // 周杰伦
const std::string kNul (1, '\0');

const MvboxTextDecoding kGbk {936, &test::decodeForTests};

// Every entry of the buffer as "title|artist", joined by "; ".
std::string entriesOf (const std::string& buffer, const MvboxTextDecoding& text = kGbk,
                       bool* markerSeen = nullptr)
{
	std::vector<MvboxEntry> entries;
	const bool seen =
	    parseMvboxEntries (reinterpret_cast<const uint8_t*> (buffer.data ()), buffer.size (), text, entries);
	if (markerSeen)
		*markerSeen = seen;
	std::string out;
	for (const MvboxEntry& e : entries)
		out += (out.empty () ? "" : "; ") + toUtf8 (e.title) + "|" + toUtf8 (e.artist);
	return out;
}

TEST (MvboxEntries, FieldsOfAnEntry)
{
	struct Case
	{
		const char* label;
		std::string buffer;
		std::string expected;
	} cases[] = {
	    {"ASCII title and artist", kMarker + "123.mp3\tHello World\tSomebody\n", "Hello World|Somebody"},
	    {"GBK title and artist", "junk" + kMarker + "42.mkv\t" + kSunny + "\t" + kJay + kNul, "晴天|周杰伦"},
	    {"no number, any file name", kMarker + "周.mp3 x\tTitle\tArtist" + kNul, "Title|Artist"},
	    {"no artist field", kMarker + "1.mp3\t" + kSunny + kNul + "\tArtist", "晴天|"},
	    {"a title of 2 bytes is ignored", kMarker + "1.mp3\tAB\tArtist" + kNul, ""},
	    {"a GBK title of one character is ignored", kMarker + "1\t\xC7\xE7\tArtist" + kNul, ""},
	    {"a title of 3 bytes is enough", kMarker + "1\tABC" + kNul, "ABC|"},
	    {"digits then NUL is no entry", kMarker + "123" + kNul + "\tTitle\tArtist", ""},
	    {"the file name's TAB 100 bytes after the marker",
	     kMarker + std::string (83, 'f') + "\tTitle\tArtist" + kNul, "Title|Artist"},
	    {"the file name's TAB 101 bytes after the marker",
	     kMarker + std::string (84, 'f') + "\tTitle\tArtist" + kNul, ""},
	    {"a control byte ends the title",
	     kMarker +
	         "1\tABC\x01"
	         "DEF\tArtist" +
	         kNul,
	     "ABC|Artist"},
	    {"a control byte as the fourth byte of a GBK title",
	     kMarker +
	         "1\t\xC7\xE7"
	         "A\x1F"
	         "BC\tX1" +
	         kNul,
	     "晴A|X1"},
	    {"a lead byte cut off by the field's end", kMarker + "1\tAB\xC7\tArtist" + kNul, "AB|Artist"},
	    {"a lead byte takes the next byte whatever it is",
	     kMarker +
	         "1\t\xC7\x01"
	         "AB" +
	         kNul,
	     "?AB|"},
	    {"a title with nothing printable", kMarker + "1\t\x01\x02\x03\tArtist" + kNul, ""},
	    {"an artist of 1 byte is not used", kMarker + "1\tTitle\tA" + kNul, "Title|"},
	    {"the artist ends at LF", kMarker + "1\tTitle\tArt\nist", "Title|Art"},
	    {"the artist ends at TAB", kMarker + "1\tTitle\tArt\tist", "Title|Art"},
	    {"the artist at most 100 bytes", kMarker + "1\tTitle\t" + std::string (150, 'a'),
	     "Title|" + std::string (100, 'a')},
	    {"the title at most 200 bytes, then no artist", kMarker + "1\t" + std::string (250, 'b') + "\tArtist",
	     std::string (200, 'b') + "|"},
	    {"the title runs to the buffer's end", kMarker + "1\tTitle", "Title|"},
	    {"a TAB as the last byte", kMarker + "1\t", ""},
	    {"a title TAB as the last byte", kMarker + "1\tTitle\t", "Title|"},
	    {"two entries in the order found",
	     kMarker + "1\tFirst\tOne" + kNul + kMarker + "2\tSecond\tTwo" + kNul, "First|One; Second|Two"},
	    // Every offset is tried, also inside an entry already parsed.
	    {"an entry inside another's title", kMarker + "1\t" + kMarker + "2\tInner\tXY" + kNul,
	     "MvboxCache\\songs\\2|Inner; Inner|XY"},
	    {"a marker cut short", "MvboxCache\\songs/1\tTitle\tArtist", ""},
	};
	for (const Case& c : cases)
		EXPECT_EQ (c.expected, entriesOf (c.buffer)) << c.label;
}

TEST (MvboxEntries, MarkerSeenEvenWithoutAnEntry)
{
	struct Case
	{
		const char* label;
		std::string buffer;
		bool seen;
	} cases[] = {
	    {"marker and a bad entry", kMarker + "1\tAB" + kNul, true},
	    {"marker as the last 18 bytes", "x" + kMarker + "1", true},
	    {"marker as the last 17 bytes", "x" + kMarker, false},
	    {"no marker", "MvboxCache\\songs", false},
	    {"empty", "", false},
	};
	for (const Case& c : cases)
	{
		bool seen = !c.seen;
		entriesOf (c.buffer, kGbk, &seen);
		EXPECT_EQ (c.seen, seen) << c.label;
	}
}

TEST (MvboxEntries, ConversionUsesTheGivenCodePage)
{
	const std::string buffer = kMarker + "7\t" + kSunny + "\t" + kJay + kNul;
	EXPECT_EQ ("晴天|周杰伦", entriesOf (buffer, {936, &test::decodeForTests}));
	EXPECT_EQ (936u, test::lastDecoderCall ().codePage);
	// The same bytes in a Western code page are four Latin letters, as Windows makes them.
	EXPECT_EQ ("\u00C7\u00E7\u00CC\u00EC|\u00D6\u00DC\u00BD\u00DC\u00C2\u00D7",
	           entriesOf (buffer, {1252, &test::decodeForTests}));
	// A conversion that fails gives an empty title, and so no entry.
	EXPECT_EQ ("", entriesOf (buffer, {50000, &test::decodeForTests}));
	EXPECT_EQ ("", entriesOf (buffer, {936, nullptr}));
}

TEST (MvboxEntries, OnlyTheValidPrefixIsConverted)
{
	const std::string field = "AB\xC7\xE7"
	                          "C\x05rest";
	const std::u16string text =
	    convertMvboxField (reinterpret_cast<const uint8_t*> (field.data ()), field.size (), kGbk);
	EXPECT_EQ (u"AB晴C", text);
	EXPECT_EQ ("AB\xC7\xE7"
	           "C",
	           test::lastDecoderCall ().bytes);
	const int calls = test::lastDecoderCall ().count;
	EXPECT_EQ (u"", convertMvboxField (reinterpret_cast<const uint8_t*> ("\x01"
	                                                                     "ABC"),
	                                   4, kGbk));
	EXPECT_EQ (calls, test::lastDecoderCall ().count) << "an empty prefix is not converted";
}

} // namespace
} // namespace cadora
