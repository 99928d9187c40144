// Text of the Linux desktop into the UTF-16 that the detection logic reads: UTF-8 (window
// titles, paths, D-Bus strings) and Latin-1 (X11 STRING properties). Never fails: a
// malformed UTF-8 sequence becomes U+FFFD, as the Windows converter does.
#pragma once

#include <string>
#include <string_view>

namespace cadora::platform {

std::u16string utf8ToUtf16 (std::string_view text);
std::u16string latin1ToUtf16 (std::string_view text);

// Cuts text to at most maxUnits units without splitting a surrogate pair.
void cutUtf16 (std::u16string& text, size_t maxUnits);

} // namespace cadora::platform
