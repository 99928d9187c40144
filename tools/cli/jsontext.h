// JSON string literals for cadora-cli's line-per-object output: always valid JSON, the
// text in UTF-8 with only the characters JSON requires escaped.
#pragma once

#include <string>
#include <string_view>

namespace cadora::cli {

// text as a quoted JSON string. Quotes, backslashes and control characters are escaped;
// ill-formed UTF-8 becomes U+FFFD, so the result is valid JSON whatever the bytes.
std::string jsonString (std::string_view text);

} // namespace cadora::cli
