#include "platform/win32/utf8.h"

#include <windows.h>

#include <cwchar>

namespace cadora::platform {

std::string toUtf8 (const wchar_t* text, size_t length)
{
	if (!text || length == 0)
		return {};
	const int wide = static_cast<int> (length);
	const int bytes = WideCharToMultiByte (CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
	if (bytes <= 0)
		return {};
	std::string result (static_cast<size_t> (bytes), '\0');
	WideCharToMultiByte (CP_UTF8, 0, text, wide, result.data (), bytes, nullptr, nullptr);
	return result;
}

std::string toUtf8 (const wchar_t* text)
{
	return text ? toUtf8 (text, std::wcslen (text)) : std::string ();
}

} // namespace cadora::platform
