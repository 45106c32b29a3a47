#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zarnik::service {

// The command line of zarnik-service, without the program name. Returns the exit code:
// 0 done, 1 failed, 2 usage error. "serve" returns only after SIGINT or SIGTERM.
int runAdminCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

} // namespace zarnik::service
