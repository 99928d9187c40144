#include "players/mvboxentries.h"

#include <algorithm>
#include <cstring>

namespace cadora {

namespace {

constexpr char kMarker[] = "MvboxCache\\songs\\";
constexpr size_t kMarkerSize = sizeof kMarker - 1; // 17 bytes
// The TAB after the file name lies at most this far from the marker's start.
constexpr size_t kFileNameReach = 100;
constexpr size_t kTitleMax = 200;
constexpr size_t kTitleMin = 3;
constexpr size_t kArtistMax = 100;
constexpr size_t kArtistMin = 2;

constexpr uint8_t kTab = 0x09;
constexpr uint8_t kLineFeed = 0x0A;

bool isDigit (uint8_t b)
{
	return b >= '0' && b <= '9';
}

// End of a field that starts at begin: the first stop byte, at most limit bytes on, or
// the buffer's end.
size_t fieldEnd (const uint8_t* buffer, size_t size, size_t begin, size_t limit, bool stopAtLineFeed)
{
	const size_t last = std::min (size, begin + limit);
	size_t end = begin;
	while (end < last && buffer[end] != kTab && buffer[end] != 0 &&
	       !(stopAtLineFeed && buffer[end] == kLineFeed))
		++end;
	return end;
}

// Position of the TAB that ends the file name of the marker at i, or 0 when the entry
// has none (a NUL first, the buffer's end, or no TAB within reach).
size_t fileNameTab (const uint8_t* buffer, size_t size, size_t i)
{
	size_t j = i + kMarkerSize;
	while (j < size && isDigit (buffer[j]))
		++j;
	const size_t last = std::min (size, i + kFileNameReach + 1);
	for (; j < last; ++j)
	{
		if (buffer[j] == 0)
			return 0;
		if (buffer[j] == kTab)
			return j;
	}
	return 0;
}

// The entry whose marker starts at i; false when it has no title of at least 3 bytes.
bool parseEntryAt (const uint8_t* buffer, size_t size, size_t i, const MvboxTextDecoding& text,
                   MvboxEntry& entry)
{
	const size_t tab = fileNameTab (buffer, size, i);
	if (tab == 0 || tab + 1 >= size)
		return false;
	const size_t titleBegin = tab + 1;
	const size_t titleEnd = fieldEnd (buffer, size, titleBegin, kTitleMax, false);
	if (titleEnd - titleBegin < kTitleMin)
		return false;
	entry.title = convertMvboxField (buffer + titleBegin, titleEnd - titleBegin, text);
	entry.artist.clear ();
	if (titleEnd + 1 < size && buffer[titleEnd] == kTab)
	{
		const size_t artistBegin = titleEnd + 1;
		const size_t artistEnd = fieldEnd (buffer, size, artistBegin, kArtistMax, true);
		if (artistEnd - artistBegin >= kArtistMin)
			entry.artist = convertMvboxField (buffer + artistBegin, artistEnd - artistBegin, text);
	}
	return !entry.title.empty ();
}

} // namespace

std::u16string convertMvboxField (const uint8_t* field, size_t size, const MvboxTextDecoding& text)
{
	size_t valid = 0;
	while (valid < size)
	{
		const uint8_t b = field[valid];
		if (b >= 0x80 && valid + 1 < size)
			valid += 2; // a two-byte character, its second byte whatever it is
		else if (b >= 0x20 && b <= 0x7E)
			valid += 1;
		else
			break; // NUL, a control byte, or a lead byte cut off by the field's end
	}
	std::u16string out;
	if (valid == 0 || !text.decode ||
	    !text.decode (text.codePage, reinterpret_cast<const char*> (field), valid, out))
		return {};
	return out;
}

bool parseMvboxEntries (const uint8_t* buffer, size_t size, const MvboxTextDecoding& text,
                        std::vector<MvboxEntry>& out)
{
	bool markerSeen = false;
	for (size_t i = 0; i + kMarkerSize < size; ++i)
	{
		// memchr finds the marker's first byte far faster than a byte loop over megabytes.
		const void* m = std::memchr (buffer + i, kMarker[0], size - kMarkerSize - i);
		if (!m)
			break;
		i = static_cast<size_t> (static_cast<const uint8_t*> (m) - buffer);
		if (std::memcmp (buffer + i, kMarker, kMarkerSize) != 0)
			continue;
		markerSeen = true;
		MvboxEntry entry;
		if (parseEntryAt (buffer, size, i, text, entry))
			out.push_back (std::move (entry));
	}
	return markerSeen;
}

} // namespace cadora
