#pragma once

#include <string>

// Whether a process runs whose executable file name (or whole executable name) equals exeName,
// ASCII letters compared without case. A fresh scan every call; a scan that fails answers false.
bool bProcessRunning(const std::string &exeName);

// Whether one of the security programs "360tray.exe", "KSafeSvc.exe", "QQPCTray.exe" runs
// (checked in this order, stopping at the first found).
bool bSafeSoftRunning();
