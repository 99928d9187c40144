#include "platform/openurl.h"

#include <windows.h>

#include <shellapi.h>

namespace cadora::platform {

bool openUrl (const char* url)
{
	if (!url || !*url)
		return false;
	const auto result = ShellExecuteA (nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
	// Values above 32 mean success.
	return reinterpret_cast<INT_PTR> (result) > 32;
}

} // namespace cadora::platform
