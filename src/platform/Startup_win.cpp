#include "Startup.h"

#include <windows.h>

void SetStartupErrorMode()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOALIGNMENTFAULTEXCEPT | SEM_NOOPENFILEERRORBOX);
}

namespace {

// The property's value is a handle-sized number; only exactly 1 counts as the mark.
HANDLE markValue()
{
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1));
}

BOOL CALLBACK showIfMarked(HWND window, LPARAM found)
{
    if (GetPropW(window, kInstanceMarkProperty) != markValue())
        return TRUE;
    SendMessageW(window, kShowMainFormMessage, 0, 0);
    *reinterpret_cast<bool *>(found) = true;
    return FALSE;
}

} // namespace

bool SetInstanceMark(void *windowHandle)
{
    return SetPropW(static_cast<HWND>(windowHandle), kInstanceMarkProperty, markValue()) != FALSE;
}

void RemoveInstanceMark(void *windowHandle)
{
    RemovePropW(static_cast<HWND>(windowHandle), kInstanceMarkProperty);
}

bool FindMarkedWindowAndShow()
{
    bool found = false;
    EnumWindows(showIfMarked, reinterpret_cast<LPARAM>(&found));
    return found;
}
