#pragma once

#include <string>
#include <vector>

namespace zarnik::platform {

// Splits a Windows-style parameter text into arguments: blanks separate, double quotes group,
// a backslash before a quote makes it literal (the rules the C runtime of a Windows program uses).
std::vector<std::string> splitArguments(const std::string &arguments);

} // namespace zarnik::platform
