#include "PipeClient.h"

#include <windows.h>

#include <algorithm>

bool SendPipeData(const TPipeData &data, const std::string &, std::chrono::milliseconds busyWait)
{
    static const wchar_t pipeName[] = L"\\\\.\\pipe\\Zarnik";
    // A time-out of 0 would mean the pipe's default wait, which the server chooses.
    const auto wait = static_cast<DWORD>(std::clamp<long long>(busyWait.count(), 1, 0x7FFFFFFF));
    if (!WaitNamedPipeW(pipeName, wait))
        return false;
    const HANDLE pipe = CreateFileW(pipeName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return false;
    const std::array<uint8_t, 20> bytes = data.bytes();
    DWORD written = 0;
    const BOOL ok = WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(pipe);
    return ok && written == bytes.size();
}
