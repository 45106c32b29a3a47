#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// The countdown between two tasks: frameless, modal, closed only by the countdown's end or by
// the stop button confirmed with Yes.
class TfrmWaitForNextTask : public QDialog {
    Q_OBJECT

public:
    explicit TfrmWaitForNextTask(QWidget *AOwner);

    // Runs after the stop was confirmed, before the window closes.
    std::function<void()> onStopConfirmed;

    QLabel *lbl_Info = nullptr;
    QPushButton *btn_StopTask = nullptr;

    void btn_StopTaskClick();

public Q_SLOTS:
    // Esc and other close requests do nothing.
    void reject() override;
};
