#pragma once

#include <string>
#include <string_view>

namespace zarnik::service {

// Standard alphabet with "=" fill, no line breaks.
std::string encodeBase64(std::string_view bytes);

// Characters outside the alphabet (line breaks, blanks, stray symbols) are skipped; decoding
// stops at the first "=". Trailing bits that do not make a whole byte are dropped.
std::string decodeBase64(std::string_view text);

} // namespace zarnik::service
