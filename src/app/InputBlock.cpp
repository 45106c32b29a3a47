#include "InputBlock.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool bIsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlock::InputBlock(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

void InputBlock::setBlocked(bool bBlocked)
{
    if (bBlocked == m_bBlocked)
        return;
    m_bBlocked = bBlocked;
    if (bBlocked)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool InputBlock::eventFilter(QObject *watched, QEvent *event)
{
    if (!bIsUserInput(event->type()) || !watched->isWidgetType() || !m_window)
        return false;
    return static_cast<QWidget *>(watched)->window() == m_window;
}
