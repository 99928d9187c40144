// Fuzzes the window-title parsers with arbitrary UTF-16 text (two input bytes per unit,
// unpaired surrogates included): no crash, no read outside the text, and what a parser
// finds is taken from the text.
#include "players/titletext.h"

#include <cstdlib>
#include <string>

using cadora::SongText;

namespace {

// The parsers cut and trim; they never make up text.
void requireFromText (const std::u16string& text, const SongText& song)
{
	if (text.find (song.title) == std::u16string::npos || text.find (song.artist) == std::u16string::npos)
		std::abort ();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
	std::u16string text (size / 2, u'\0');
	for (size_t i = 0; i < text.size (); ++i)
		text[i] = static_cast<char16_t> (data[2 * i] | (data[2 * i + 1] << 8));

	cadora::containsBlockedWord (text);
	cadora::isNeteaseNoiseTitle (text);
	SongText song;
	if (cadora::parseKugouTitle (text, song))
		requireFromText (text, song);
	song = {};
	if (cadora::parseQqTitle (text, song))
		requireFromText (text, song);
	const std::u16string trimmed = cadora::trimSpace (text);
	if (text.find (trimmed) == std::u16string::npos)
		std::abort ();
	const SongText netease = cadora::splitNeteaseTitle (trimmed);
	requireFromText (trimmed, netease);
	const std::u16string wesing = cadora::wesingSongOfTitle (text);
	if (text.find (wesing) == std::u16string::npos)
		std::abort ();
	return 0;
}
