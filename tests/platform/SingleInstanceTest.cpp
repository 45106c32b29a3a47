#include "Startup.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace std::chrono_literals;

namespace {

struct WindowState {
    HANDLE secondProcess = nullptr;
    int showMessages = 0;
    bool secondProcessRanWhileHandled = false;
};

WindowState *g_state = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kShowMainFormMessage && g_state != nullptr) {
        ++g_state->showMessages;
        g_state->secondProcessRanWhileHandled = WaitForSingleObject(g_state->secondProcess, 0) == WAIT_TIMEOUT;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class MarkedWindow {
public:
    MarkedWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ZarnikSingleInstanceTest";
        RegisterClassW(&windowClass);
        // Hidden and top-level: never shown, but still among the windows a second start walks.
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"Zarnik", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                   nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~MarkedWindow()
    {
        if (m_window != nullptr) {
            RemoveInstanceMark(m_window);
            DestroyWindow(m_window);
        }
    }
    HWND handle() const { return m_window; }

private:
    HWND m_window = nullptr;
};

// Runs the probe that plays the second start, handling our window's messages until it has ended.
int runSecondStart(WindowState &state)
{
    const std::wstring program = zarnik::testing::probeProgram().wstring();
    std::wstring commandLine = L"\"" + program + L"\" /FINDMARKED";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &info))
        return -1;
    state.secondProcess = info.hProcess;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (std::chrono::steady_clock::now() > deadline)
            TerminateProcess(info.hProcess, 99);
    }
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    state.secondProcess = nullptr;
    return static_cast<int>(code);
}

TEST(SingleInstance, SecondStartFindsTheMarkedHiddenWindowAndWaitsUntilItHandledTheMessage)
{
    WindowState state;
    g_state = &state;
    MarkedWindow window;
    ASSERT_NE(window.handle(), nullptr);
    ASSERT_TRUE(SetInstanceMark(window.handle()));
    EXPECT_EQ(runSecondStart(state), 0);
    EXPECT_EQ(state.showMessages, 1);
    EXPECT_TRUE(state.secondProcessRanWhileHandled);
    g_state = nullptr;
}

TEST(SingleInstance, WindowWithoutTheMarkIsPassedOver)
{
    WindowState state;
    g_state = &state;
    MarkedWindow window;
    ASSERT_NE(window.handle(), nullptr);
    // A property of another value is not the mark.
    SetPropW(window.handle(), kInstanceMarkProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(2)));
    EXPECT_EQ(runSecondStart(state), 3);
    EXPECT_EQ(state.showMessages, 0);
    g_state = nullptr;
}

TEST(SetStartupErrorMode, SetsTheFourFlags)
{
    SetStartupErrorMode();
    EXPECT_EQ(GetErrorMode(), 0x8007u);
}

} // namespace
