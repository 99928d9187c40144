// UTF-16 texts from Windows to the UTF-8 the plug-in keeps everywhere.
#pragma once

#include <cstddef>
#include <string>

namespace cadora::platform {

// The first length characters of text as UTF-8; ill-formed pairs become U+FFFD.
std::string toUtf8 (const wchar_t* text, size_t length);

// A zero-terminated text as UTF-8.
std::string toUtf8 (const wchar_t* text);

} // namespace cadora::platform
