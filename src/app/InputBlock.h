#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Blocks the user's input to one window and its controls while windows opened over it (wait
// windows, message boxes, the countdown) stay usable. Disabling the window would not do: Qt
// disables a disabled window's child dialogs as well.
class InputBlock : public QObject {
    Q_OBJECT

public:
    explicit InputBlock(QWidget *window);

    void setBlocked(bool bBlocked);
    bool bBlocked() const { return m_bBlocked; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_bBlocked = false;
};
