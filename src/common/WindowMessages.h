#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

// The program's private window messages. Each is a posted QEvent whose type is the message value
// (all lie in Qt's user event range); receivers handle them in event().
enum WindowMessage : int {
    WM_ShowMainForm = 1025,
    WM_ExitApp = 1026,
    WM_RefreshSelfTaskList = 1027,
    WM_RefreshTaskList = 1028,
    WM_StartWork = 1030,
    WM_WaitForProcessDone = 5121,
};

inline QEvent::Type EventTypeOf(WindowMessage message)
{
    return static_cast<QEvent::Type>(int(message));
}

// Posts the message (both parameters 0); safe from any thread while the receiver lives.
inline void PostWindowMessage(QObject *receiver, WindowMessage message)
{
    QCoreApplication::postEvent(receiver, new QEvent(EventTypeOf(message)));
}
