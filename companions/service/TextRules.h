#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarnik::service {

using TimePoint = std::chrono::system_clock::time_point;

// Removes leading and trailing blanks and control characters, as the client does before it sends.
std::string_view trimText(std::string_view text);

bool isValidUtf8(std::string_view text);

// A decimal integer in the 32-bit signed range, optionally signed; nothing else around it.
std::optional<std::int32_t> parseInt32(std::string_view text);

// "yyyy-mm-dd hh:mm:ss" and "yyyy-mm-dd" in the service's local time.
std::string formatLocalDateTime(TimePoint when);
std::string formatLocalDate(TimePoint when);

// A real calendar date written "YYYY-MM-DD".
bool isValidDate(std::string_view text);

// Makes a client-supplied text safe for a one-line log entry.
std::string loggable(std::string_view text, std::size_t maxLength = 64);

} // namespace zarnik::service
