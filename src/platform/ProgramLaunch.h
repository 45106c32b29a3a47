#pragma once

#include <string>

// Paths and arguments are UTF-8. On Windows the arguments are passed as one parameter text; elsewhere
// they are split the way a Windows program's runtime would split them.

// Starts a program detached (nothing to wait for, no zombie left behind).
// program is resolved in workDir when it is a bare file name. Returns whether it started.
bool LaunchDetached(const std::string &program, const std::string &arguments, const std::string &workDir);

// Starts a program hidden with the given arguments and waits without limit until it has ended.
// program is resolved in workDir when it is a bare file name. The system's own error box for a
// program that cannot be started is suppressed. Returns whether it started.
bool RunHiddenAndWait(const std::string &program, const std::string &arguments, const std::string &workDir);
