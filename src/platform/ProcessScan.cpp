#include "ProcessScan.h"
#include "ProcessScanMatch.h"

#include <array>

bool bSafeSoftRunning()
{
    static const std::array<const char *, 3> names = {"360tray.exe", "KSafeSvc.exe", "QQPCTray.exe"};
    for (const char *name : names) {
        if (bProcessRunning(name))
            return true;
    }
    return false;
}

namespace zarnik::platform {

bool sameNameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    }
    return true;
}

std::string_view fileNamePart(std::string_view path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool executableNameMatches(std::string_view executable, std::string_view wanted)
{
    if (wanted.empty())
        return false;
    return sameNameIgnoringAsciiCase(fileNamePart(executable), wanted)
        || sameNameIgnoringAsciiCase(executable, wanted);
}

} // namespace zarnik::platform
