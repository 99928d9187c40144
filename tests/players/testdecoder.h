// A stand-in for the system's code-page conversion, so that tests need no locale: code
// page 936 knows the GBK characters the tests use, 1252 maps bytes to Latin-1, every
// other code page fails. It remembers the last code page and bytes it was given.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace cadora::test {

struct DecoderCalls
{
	uint32_t codePage = 0;
	std::string bytes;
	int count = 0;
};

inline DecoderCalls& lastDecoderCall ()
{
	static DecoderCalls calls;
	return calls;
}

inline bool decodeForTests (uint32_t codePage, const char* bytes, size_t size, std::u16string& out)
{
	static const std::map<uint16_t, char16_t> gbk = {
	    {0xC7E7, u'晴'}, {0xCCEC, u'天'}, {0xD6DC, u'周'}, {0xBDDC, u'杰'}, {0xC2D7, u'伦'},
	    {0xB5BE, u'稻'}, {0xCFE3, u'香'}, {0xC6DF, u'七'}, {0xC0EF, u'里'},
	};
	DecoderCalls& calls = lastDecoderCall ();
	calls = {codePage, std::string (bytes, size), calls.count + 1};
	out.clear ();
	if (codePage != 936 && codePage != 1252)
		return false;
	for (size_t i = 0; i < size; ++i)
	{
		const auto b = static_cast<uint8_t> (bytes[i]);
		if (codePage == 1252 || b < 0x80 || i + 1 == size)
		{
			out += static_cast<char16_t> (b);
			continue;
		}
		const auto pair = static_cast<uint16_t> (b << 8 | static_cast<uint8_t> (bytes[++i]));
		auto it = gbk.find (pair);
		out += it == gbk.end () ? u'?' : it->second;
	}
	return true;
}

} // namespace cadora::test
