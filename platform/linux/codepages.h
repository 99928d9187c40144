// Windows code pages on Linux: the ANSI code page Wine chooses for a locale, and the
// conversion of such bytes to UTF-16 through the C library's iconv (decodeCodePage of
// platform/desktop.h lives here).
#pragma once

#include <cstdint>
#include <string_view>

namespace cadora::platform {

// The ANSI code page Wine gives a process running in this locale ("zh_CN.UTF-8" → 936,
// "zh_TW" → 950, "ja_JP" → 932, "ko_KR" → 949, ...); 1252 for "C", an empty or unknown one.
uint32_t codePageOfLocale (std::string_view locale);

} // namespace cadora::platform
