// MVBox's song cache entries as they lie in its memory: the marker
// "MvboxCache\songs\", a number, the rest of the cached file name up to a TAB, then the
// title and an optional artist in the system's ANSI code page. Parsing works on a plain
// byte buffer and never reads outside it; text that is neither printable ASCII nor a
// two-byte character ends a field early.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cadora {

struct MvboxEntry
{
	std::u16string title; // never empty
	std::u16string artist;
};

// Converts bytes in a Windows code page to UTF-16, as platform::decodeCodePage does;
// false when the conversion fails.
using CodePageDecoder = bool (*) (uint32_t codePage, const char* bytes, size_t size, std::u16string& out);

struct MvboxTextDecoding
{
	uint32_t codePage;
	CodePageDecoder decode;
};

// The field's valid prefix (printable ASCII and two-byte characters, up to a NUL or the
// first other byte) converted to UTF-16; empty when the prefix is empty or the
// conversion fails.
std::u16string convertMvboxField (const uint8_t* field, size_t size, const MvboxTextDecoding& text);

// Appends the entries of buffer in the order found, trying every offset (also inside an
// entry already parsed). Returns true when the buffer holds at least one marker, whether
// or not an entry followed it.
bool parseMvboxEntries (const uint8_t* buffer, size_t size, const MvboxTextDecoding& text,
                        std::vector<MvboxEntry>& out);

} // namespace cadora
