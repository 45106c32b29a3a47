#include "ProcessScan.h"
#include "ProcessScanMatch.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

using zarnik::platform::executableNameMatches;
using zarnik::platform::sameNameIgnoringAsciiCase;

// The kernel keeps the first 15 bytes of a program's file name as its comm.
constexpr size_t kCommLength = 15;

std::string readWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct StatLine {
    bool valid = false;
    std::string comm;
    char state = '?';
};

// "PID (comm) S ...": comm may itself hold blanks and parentheses, so the last ")" ends it.
StatLine readStat(const std::string &procDir)
{
    StatLine result;
    const std::string text = readWholeFile(procDir + "/stat");
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open || close + 2 >= text.size())
        return result;
    result.comm = text.substr(open + 1, close - open - 1);
    result.state = text[close + 2];
    result.valid = true;
    return result;
}

std::string readExeLink(const std::string &procDir)
{
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink((procDir + "/exe").c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size())
        return {};
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

std::string readFirstArgument(const std::string &procDir)
{
    const std::string cmdline = readWholeFile(procDir + "/cmdline");
    return cmdline.substr(0, cmdline.find('\0'));
}

bool processMatches(const std::string &procDir, const std::string &exeName)
{
    const StatLine stat = readStat(procDir);
    if (!stat.valid || stat.state == 'Z')
        return false;
    if (sameNameIgnoringAsciiCase(stat.comm, std::string_view(exeName).substr(0, kCommLength)))
        return true;
    const std::string exe = readExeLink(procDir);
    if (!exe.empty() && executableNameMatches(exe, exeName))
        return true;
    const std::string first = readFirstArgument(procDir);
    return !first.empty() && executableNameMatches(first, exeName);
}

bool isProcessId(const char *name)
{
    if (*name == '\0')
        return false;
    for (; *name != '\0'; ++name) {
        if (!std::isdigit(static_cast<unsigned char>(*name)))
            return false;
    }
    return true;
}

} // namespace

bool bProcessRunning(const std::string &exeName)
{
    if (exeName.empty())
        return false;
    const std::unique_ptr<DIR, int (*)(DIR *)> proc(::opendir("/proc"), &::closedir);
    if (!proc)
        return false;
    while (const dirent *entry = ::readdir(proc.get())) {
        if (isProcessId(entry->d_name) && processMatches(std::string("/proc/") + entry->d_name, exeName))
            return true;
    }
    return false;
}
