#include "platform/linux/utf16text.h"

#include <cstdint>

namespace cadora::platform {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Length and lead bits of a sequence by its first byte; 0 for a byte that cannot start one.
int sequenceLength (unsigned char lead, uint32_t& value)
{
	if (lead < 0x80)
	{
		value = lead;
		return 1;
	}
	if (lead >= 0xC2 && lead <= 0xDF)
	{
		value = lead & 0x1Fu;
		return 2;
	}
	if (lead >= 0xE0 && lead <= 0xEF)
	{
		value = lead & 0x0Fu;
		return 3;
	}
	if (lead >= 0xF0 && lead <= 0xF4)
	{
		value = lead & 0x07u;
		return 4;
	}
	return 0;
}

void appendCodePoint (std::u16string& out, uint32_t value)
{
	if (value < 0x10000)
	{
		out.push_back (static_cast<char16_t> (value));
		return;
	}
	value -= 0x10000;
	out.push_back (static_cast<char16_t> (0xD800 + (value >> 10)));
	out.push_back (static_cast<char16_t> (0xDC00 + (value & 0x3FF)));
}

bool isValidScalar (uint32_t value, int length)
{
	static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
	return value >= kSmallest[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

} // namespace

std::u16string utf8ToUtf16 (std::string_view text)
{
	std::u16string out;
	out.reserve (text.size ());
	size_t i = 0;
	while (i < text.size ())
	{
		uint32_t value = 0;
		const int length = sequenceLength (static_cast<unsigned char> (text[i]), value);
		if (length == 0)
		{
			out.push_back (kReplacement);
			++i;
			continue;
		}
		int k = 1;
		for (; k < length && i + k < text.size (); ++k)
		{
			const auto next = static_cast<unsigned char> (text[i + k]);
			if ((next & 0xC0) != 0x80)
				break;
			value = (value << 6) | (next & 0x3Fu);
		}
		// A sequence broken off is replaced up to the byte that broke it, which starts afresh.
		if (k == length && isValidScalar (value, length))
			appendCodePoint (out, value);
		else
			out.push_back (kReplacement);
		i += static_cast<size_t> (k);
	}
	return out;
}

std::u16string latin1ToUtf16 (std::string_view text)
{
	std::u16string out (text.size (), u'\0');
	for (size_t i = 0; i < text.size (); ++i)
		out[i] = static_cast<unsigned char> (text[i]);
	return out;
}

void cutUtf16 (std::u16string& text, size_t maxUnits)
{
	if (text.size () <= maxUnits)
		return;
	size_t keep = maxUnits;
	if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF)
		--keep;
	text.resize (keep);
}

} // namespace cadora::platform
