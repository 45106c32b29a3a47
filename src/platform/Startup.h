#pragma once

// Start-up pieces that exist only on Windows.

// Sets the process error mode 0x8007 (SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
// SEM_NOALIGNMENTFAULTEXCEPT | SEM_NOOPENFILEERRORBOX). Does nothing on other systems.
void SetStartupErrorMode();

#ifdef _WIN32
// The single-instance mark: this window property reads 1 on a running instance's main window.
inline constexpr wchar_t kInstanceMarkProperty[] = L"{EA2621AC-AC51-413D-A335-5141F451BB34}";
// What a second start sends to the marked window (WM_ShowMainForm).
inline constexpr unsigned kShowMainFormMessage = 1025;

// Sets the mark on a window (an HWND passed as an opaque pointer). Returns whether it was set.
bool SetInstanceMark(void *windowHandle);
// Takes the mark off again; call it before the window is destroyed.
void RemoveInstanceMark(void *windowHandle);
// Walks the top-level windows from the top; the first that carries the mark is sent
// kShowMainFormMessage (both parameters 0), and this returns true once it has been handled.
bool FindMarkedWindowAndShow();
#endif
