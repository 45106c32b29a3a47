#pragma once

#include <string>

namespace zarnik::platform {

// UTF-8 to and from the UTF-16 that the wide Windows calls take.
std::wstring toWide(const std::string &utf8);
std::string toUtf8(const std::wstring &wide);

} // namespace zarnik::platform
