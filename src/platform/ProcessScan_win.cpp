#include "ProcessScan.h"
#include "ProcessScanMatch.h"
#include "WideText.h"

#include <windows.h>
#include <tlhelp32.h>

bool bProcessRunning(const std::string &exeName)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry = {};
    // The structure's own size: 556 is the 32-bit layout and makes a 64-bit walk fail at once.
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (zarnik::platform::executableNameMatches(zarnik::platform::toUtf8(entry.szExeFile), exeName))
            found = true;
    }
    CloseHandle(snapshot);
    return found;
}
