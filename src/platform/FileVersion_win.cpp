#include "FileVersion.h"
#include "WideText.h"

#include <windows.h>

#include <cstdio>
#include <vector>

std::string GetFileVersionStr(const std::string &exePath)
{
    const std::wstring path = zarnik::platform::toWide(exePath);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return "0.0.0.0";
    std::vector<unsigned char> info(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data()))
        return "0.0.0.0";
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length) || fixed == nullptr
        || length < sizeof(VS_FIXEDFILEINFO))
        return "0.0.0.0";
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                  static_cast<int>(LOWORD(fixed->dwFileVersionMS)), static_cast<int>(HIWORD(fixed->dwFileVersionLS)),
                  static_cast<int>(LOWORD(fixed->dwFileVersionLS)));
    return text;
}
