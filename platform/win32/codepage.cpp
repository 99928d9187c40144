// Text in a Windows code page to UTF-16, through the system's own tables.
#include "platform/desktop.h"

#include <windows.h>

#include <climits>

namespace cadora::platform {

bool decodeCodePage (uint32_t codePage, const char* bytes, size_t size, std::u16string& out)
{
	out.clear ();
	if (size == 0)
		return true;
	if (size > INT_MAX)
		return false;
	const int length = static_cast<int> (size);
	const int units = MultiByteToWideChar (codePage, 0, bytes, length, nullptr, 0);
	if (units <= 0)
		return false;
	std::wstring wide (static_cast<size_t> (units), L'\0');
	if (MultiByteToWideChar (codePage, 0, bytes, length, wide.data (), units) != units)
		return false;
	out.assign (reinterpret_cast<const char16_t*> (wide.data ()), wide.size ());
	return true;
}

} // namespace cadora::platform
