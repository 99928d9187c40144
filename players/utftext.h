// Conversions between the UTF-16 texts the desktop hands over and the UTF-8 texts the
// plug-in stores and draws. Our own, so that the detection logic needs no OS header.
// Nothing fails: an unpaired surrogate or an ill-formed UTF-8 sequence becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace cadora {

std::string toUtf8 (std::u16string_view text);
std::u16string toUtf16 (std::string_view text);

// The text with A..Z lower-cased and every other unit unchanged: how player names, noise
// titles and executable names are compared.
std::u16string lowerAscii (std::u16string_view text);

} // namespace cadora
