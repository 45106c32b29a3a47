#include "ProgramLaunch.h"
#include "WideText.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

using zarnik::platform::toWide;

// The shell may hand the work to COM objects, which need COM on the calling thread.
class ComScope {
public:
    ComScope() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope()
    {
        if (m_ok)
            CoUninitialize();
    }
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;

private:
    bool m_ok;
};

// A bare name is looked up in workDir first, as the shell does for the current folder.
std::wstring resolveProgram(const std::string &program, const std::string &workDir)
{
    if (workDir.empty() || program.find_first_of("\\/:") != std::string::npos)
        return toWide(program);
    std::wstring path = toWide(workDir);
    if (path.back() != L'\\' && path.back() != L'/')
        path.push_back(L'\\');
    return path + toWide(program);
}

const wchar_t *orNull(const std::wstring &text)
{
    return text.empty() ? nullptr : text.c_str();
}

} // namespace

bool LaunchDetached(const std::string &program, const std::string &arguments, const std::string &workDir)
{
    ComScope com;
    const std::wstring file = resolveProgram(program, workDir);
    const std::wstring parameters = toWide(arguments);
    const std::wstring directory = toWide(workDir);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", file.c_str(), orNull(parameters), orNull(directory), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool RunHiddenAndWait(const std::string &program, const std::string &arguments, const std::string &workDir)
{
    ComScope com;
    const std::wstring file = resolveProgram(program, workDir);
    const std::wstring parameters = toWide(arguments);
    const std::wstring directory = toWide(workDir);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = orNull(parameters);
    info.lpDirectory = orNull(directory);
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info))
        return false;
    if (info.hProcess != nullptr) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
    }
    return true;
}
