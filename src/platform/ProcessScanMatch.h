#pragma once

#include <string_view>

// Name comparison shared by the process scans of every platform.
namespace zarnik::platform {

// Only a to z change: names are compared byte for byte otherwise (UTF-8 stays intact).
constexpr char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameNameIgnoringAsciiCase(std::string_view a, std::string_view b);

// The part after the last "/" or "\".
std::string_view fileNamePart(std::string_view path);

// Whether the file-name part of executable, or else the whole of it, equals wanted; an empty
// wanted matches nothing.
bool executableNameMatches(std::string_view executable, std::string_view wanted);

} // namespace zarnik::platform
