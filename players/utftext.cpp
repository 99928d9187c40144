#include "players/utftext.h"

#include <cstdint>

namespace cadora {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate (char32_t c)
{
	return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate (char32_t c)
{
	return c >= 0xDC00 && c <= 0xDFFF;
}

void appendUtf8 (std::string& out, char32_t c)
{
	if (c < 0x80)
	{
		out += static_cast<char> (c);
		return;
	}
	if (c < 0x800)
	{
		out += static_cast<char> (0xC0 | (c >> 6));
	}
	else if (c < 0x10000)
	{
		out += static_cast<char> (0xE0 | (c >> 12));
		out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
	}
	else
	{
		out += static_cast<char> (0xF0 | (c >> 18));
		out += static_cast<char> (0x80 | ((c >> 12) & 0x3F));
		out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
	}
	out += static_cast<char> (0x80 | (c & 0x3F));
}

void appendUtf16 (std::u16string& out, char32_t c)
{
	if (c < 0x10000)
	{
		out += static_cast<char16_t> (c);
		return;
	}
	c -= 0x10000;
	out += static_cast<char16_t> (0xD800 + (c >> 10));
	out += static_cast<char16_t> (0xDC00 + (c & 0x3FF));
}

// Decodes one UTF-8 character at text[i] and advances i past it. A sequence that is
// overlong, a surrogate, beyond U+10FFFF or cut short yields U+FFFD and consumes only
// its first byte, so the following bytes are looked at afresh.
char32_t decodeUtf8 (std::string_view text, size_t& i)
{
	const auto lead = static_cast<uint8_t> (text[i++]);
	if (lead < 0x80)
		return lead;
	int extra = 0;
	char32_t c = 0;
	char32_t lowest = 0;
	if ((lead & 0xE0) == 0xC0)
	{
		extra = 1;
		c = lead & 0x1F;
		lowest = 0x80;
	}
	else if ((lead & 0xF0) == 0xE0)
	{
		extra = 2;
		c = lead & 0x0F;
		lowest = 0x800;
	}
	else if ((lead & 0xF8) == 0xF0)
	{
		extra = 3;
		c = lead & 0x07;
		lowest = 0x10000;
	}
	else
	{
		return kReplacement;
	}
	if (text.size () - i < static_cast<size_t> (extra))
		return kReplacement;
	for (int k = 0; k < extra; ++k)
	{
		const auto next = static_cast<uint8_t> (text[i + k]);
		if ((next & 0xC0) != 0x80)
			return kReplacement;
		c = (c << 6) | (next & 0x3F);
	}
	if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
		return kReplacement;
	i += extra;
	return c;
}

} // namespace

std::string toUtf8 (std::u16string_view text)
{
	std::string out;
	out.reserve (text.size () * 3);
	for (size_t i = 0; i < text.size (); ++i)
	{
		char32_t c = text[i];
		if (isHighSurrogate (c) && i + 1 < text.size () && isLowSurrogate (text[i + 1]))
			c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
		else if (isHighSurrogate (c) || isLowSurrogate (c))
			c = kReplacement;
		appendUtf8 (out, c);
	}
	return out;
}

std::u16string toUtf16 (std::string_view text)
{
	std::u16string out;
	out.reserve (text.size ());
	for (size_t i = 0; i < text.size ();)
		appendUtf16 (out, decodeUtf8 (text, i));
	return out;
}

std::u16string lowerAscii (std::u16string_view text)
{
	std::u16string out (text);
	for (char16_t& c : out)
		if (c >= u'A' && c <= u'Z')
			c = static_cast<char16_t> (c - u'A' + u'a');
	return out;
}

} // namespace cadora
