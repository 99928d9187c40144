// Opens a web page in the user's browser, without waiting for it. Windows asks the
// shell (ShellExecuteA, "open"); Linux starts xdg-open directly, with no shell between,
// so the address is never interpreted as a command. False when nothing could be started
// (no xdg-open on the path, the shell refused); the caller then simply does nothing.
#pragma once

namespace cadora::platform {

bool openUrl (const char* url);

} // namespace cadora::platform
