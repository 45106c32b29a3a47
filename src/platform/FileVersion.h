#pragma once

#include <string>

// The path is UTF-8.

// The file version "a.b.c.d" of an executable: on Windows from its version resource, elsewhere
// the version compiled into this program; "0.0.0.0" when there is none.
std::string GetFileVersionStr(const std::string &exePath);
