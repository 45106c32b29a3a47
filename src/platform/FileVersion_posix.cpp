#include "FileVersion.h"

#include <filesystem>
#include <system_error>

std::string GetFileVersionStr(const std::string &exePath)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(exePath, error))
        return "0.0.0.0";
    return ZARNIK_FILE_VERSION;
}
