#include "platform/linux/codepages.h"

#include "platform/desktop.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace cadora::platform {

namespace {

struct LocaleCodePage
{
	const char* prefix; // language, or language_territory where the territory decides
	uint32_t codePage;
};

// Longer prefixes first: zh_TW must not be taken for zh.
constexpr LocaleCodePage kLocaleCodePages[] = {
    {"zh_TW", 950}, {"zh_HK", 950}, {"zh_MO", 950}, {"zh", 936},  {"ja", 932},  {"ko", 949},  {"th", 874},
    {"ru", 1251},   {"uk", 1251},   {"be", 1251},   {"bg", 1251}, {"pl", 1250}, {"cs", 1250}, {"sk", 1250},
    {"hu", 1250},   {"ro", 1250},   {"hr", 1250},   {"sl", 1250}, {"el", 1253}, {"tr", 1254}, {"he", 1255},
    {"ar", 1256},   {"fa", 1256},   {"lt", 1257},   {"lv", 1257}, {"et", 1257}, {"vi", 1258},
};

bool startsLocale (std::string_view locale, std::string_view prefix)
{
	if (locale.substr (0, prefix.size ()) != prefix)
		return false;
	// "zh" must match "zh_CN" and "zh", not "zhx".
	return locale.size () == prefix.size () || locale[prefix.size ()] == '_' ||
	       locale[prefix.size ()] == '.' || locale[prefix.size ()] == '@';
}

const char* iconvNameOf (uint32_t codePage)
{
	switch (codePage)
	{
		case 874: return "CP874";
		case 932: return "CP932";
		case 936: return "CP936";
		case 949: return "CP949";
		case 950: return "CP950";
		case 1250: return "CP1250";
		case 1251: return "CP1251";
		case 1252: return "CP1252";
		case 1253: return "CP1253";
		case 1254: return "CP1254";
		case 1255: return "CP1255";
		case 1256: return "CP1256";
		case 1257: return "CP1257";
		case 1258: return "CP1258";
		case 20127: return "ASCII";
		case 20936: return "GB2312";
		case 28591: return "ISO-8859-1";
		case 54936: return "GB18030";
		case 65001: return "UTF-8";
		default: return nullptr;
	}
}

} // namespace

uint32_t codePageOfLocale (std::string_view locale)
{
	for (const auto& entry : kLocaleCodePages)
		if (startsLocale (locale, entry.prefix))
			return entry.codePage;
	return 1252;
}

bool decodeCodePage (uint32_t codePage, const char* bytes, size_t size, std::u16string& out)
{
	out.clear ();
	const char* name = iconvNameOf (codePage);
	if (!name)
		return false;
	iconv_t converter = ::iconv_open ("UTF-16LE", name);
	if (converter == reinterpret_cast<iconv_t> (-1))
		return false;
	std::string units (size * 4 + 4, '\0');
	char* in = const_cast<char*> (bytes);
	size_t inLeft = size;
	char* to = units.data ();
	size_t toLeft = units.size ();
	while (inLeft > 0)
	{
		if (::iconv (converter, &in, &inLeft, &to, &toLeft) != static_cast<size_t> (-1))
			break;
		if (errno != EILSEQ && errno != EINVAL)
			break;
		// Bytes the code page does not define become U+FFFD, as Windows' converter does.
		to[0] = static_cast<char> (0xFD);
		to[1] = static_cast<char> (0xFF);
		to += 2;
		toLeft -= 2;
		++in;
		--inLeft;
	}
	::iconv_close (converter);
	const size_t written = (units.size () - toLeft) / 2;
	out.resize (written);
	for (size_t i = 0; i < written; ++i)
		out[i] = static_cast<char16_t> (static_cast<unsigned char> (units[2 * i]) |
		                                (static_cast<unsigned char> (units[2 * i + 1]) << 8));
	return true;
}

} // namespace cadora::platform
