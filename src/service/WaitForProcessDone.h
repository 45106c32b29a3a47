#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

class QLabel;
class QMovie;

// A thread-safe way to tell one wait window that its work is done. Any thread may call postDone();
// once the window is gone it does nothing, so a late worker never touches a freed window.
class WaitDoneHandle {
public:
    void postDone() const;

private:
    friend class TfrmWaitForProcessDone;
    mutable std::mutex m_lock;
    QObject *m_window = nullptr;
};

// The modal "please wait" window. Showing it starts the work it was given; only the work's own
// WM_WaitForProcessDone closes it (Esc, Alt+F4 and other close requests are refused).
// The work runs on the UI thread when the window is shown and must hand the real job to a thread
// of its own that calls done->postDone() as its last act, whatever happened before.
class TfrmWaitForProcessDone : public QDialog {
    Q_OBJECT

public:
    using Work = std::function<void(std::shared_ptr<const WaitDoneHandle> done)>;

    TfrmWaitForProcessDone(QWidget *AOwner, const QString &text, Work work);
    ~TfrmWaitForProcessDone() override;

    // Posts WM_WaitForProcessDone through the handle; safe from any thread.
    static void PostDone(const std::shared_ptr<const WaitDoneHandle> &done);

    std::shared_ptr<const WaitDoneHandle> doneHandle() const { return m_doneHandle; }
    bool bWorkDone() const { return m_bWorkDone; }

    QString FMsg;

public Q_SLOTS:
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    Work FThread;
    QLabel *img_Windup = nullptr;
    QLabel *lbl_Msg = nullptr;
    QMovie *m_windup = nullptr;
    std::shared_ptr<WaitDoneHandle> m_doneHandle;
    bool m_bWorkDone = false;
    bool m_bDragByHand = false;
    QPoint m_dragOffset;
};

// The wait window most recently shown by the channel or the exit flow; never cleared by them.
extern QPointer<TfrmWaitForProcessDone> gWaitWindow;
