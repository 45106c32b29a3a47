#pragma once

#include "AppPaths.h"
#include "MainWindowWiring.h"
#include "Timings.h"

#include <QMainWindow>
#include <QPointer>

class AdBrowserPane;
class ClickLabel;
class InputBlock;
class QAction;
class QBuffer;
class QGroupBox;
class QLabel;
class QMenu;
class QMovie;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class StatusPanels;
class TfrmAdvice;
class TfrmAlipay;
class TfrmUpdate;

// The program's main window: layout, menus, actions, tray icon, status bar, the private messages,
// the start-up hooks and the exit flow. What the commands do is the other subsystems' business;
// the window reaches them through its wiring.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    TfrmMain(MainWindowWiring wiring, AppPaths paths, const Timings &timings, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The side windows, created once at start-up after this window and kept hidden.
    void SetSideWindows(TfrmUpdate *update, TfrmAdvice *advice, TfrmAlipay *alipay);

    void SetStatusText(int panel, const QString &text);
    QString StatusText(int panel) const;
    // Blocks or unblocks the user's input to this window; windows opened over it stay usable.
    void SetInputBlocked(bool bBlocked);
    bool bInputBlocked() const;

    bool bClosing() const { return FbClosing; }
    QSystemTrayIcon *trayIcon() const { return TrayIcon1; }

    // Log-off or shutdown: the clean-up without a question, then the process ends with 0.
    void OnSessionEnd();

    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void BuildTopPanel(QWidget *central);
    void BuildMiddle(QWidget *central);
    void BuildRightColumn(QWidget *column);
    void BuildBottomPanel(QWidget *central);
    void BuildActions();
    void BuildMenus();
    void BuildTray();
    void BuildTimers();

    void FormCreate();
    void FormShow();
    void FormActivate();
    void ApplicationMinimize();

    void OnWM_ShowMainForm();
    void OnWM_ExitApp();
    void OnWM_RefreshSelfTaskList();
    void OnWM_RefreshTaskList();
    void OnWM_StartWork();

    void tmr_GetTaskListTimer();
    void tmr_GetSelfTaskListTimer();
    void tmr_PICTimer();

    void OnAdPictureArrived(const QByteArray &bytes);
    void StopTimersForExit();
    void ReleaseAdGif();
    void OpenUrl(const QUrl &url) const;
    void ShowModal(QWidget *window) const;

    MainWindowWiring FWiring;
    AppPaths FPaths;
    const Timings &FTimings;

    bool FbFirstShow = true;
    bool FbFirstActivate = true;
    bool FbClosing = false;
    bool FbPlaced = false;

    QLabel *img_Banner = nullptr;
    ClickLabel *img_Logo = nullptr;
    ClickLabel *img_Recharge = nullptr;
    QLabel *img_ToolbarIcon = nullptr;
    QPushButton *btn_AddTask = nullptr;
    QPushButton *btn_StartTask = nullptr;
    QPushButton *btn_MemberCentre = nullptr;
    QPushButton *btn_Recharge = nullptr;
    QWidget *lv_Task = nullptr;
    QGroupBox *grp_UserCentre = nullptr;
    QLabel *lbl_UserName = nullptr;
    QLabel *lbl_userlevel = nullptr;
    QLabel *lbl_ExpiredTime = nullptr;
    ClickLabel *img_Support = nullptr;
    ClickLabel *lbl_Alipay = nullptr;
    ClickLabel *img_ad = nullptr;
    QLabel *img_alipay = nullptr;
    AdBrowserPane *wb_ad = nullptr;
    StatusPanels *stat_main = nullptr;

    QAction *act_ShowMainForm = nullptr;
    QAction *act_ExitApp = nullptr;
    QAction *act_Update = nullptr;
    QAction *act_HomePage = nullptr;
    QAction *act_About = nullptr;
    QAction *act_AddTask = nullptr;
    QAction *act_DeleteTask = nullptr;
    QAction *act_RefreshSelfTaskList = nullptr;
    QAction *act_StartWork = nullptr;
    QAction *act_ModifyLoginPass = nullptr;
    QAction *act_ConnectQQ = nullptr;
    QAction *act_Recharge = nullptr;
    QAction *act_advice = nullptr;
    QAction *Q1 = nullptr;

    QSystemTrayIcon *TrayIcon1 = nullptr;
    QMenu *pm_Tray = nullptr;

    QTimer *tmr_GetTaskList = nullptr;
    QTimer *tmr_PIC = nullptr;
    int FPicTag = 0;
    QTimer *tmr_GetSelfTaskList = nullptr;

    QMovie *m_builtInAd = nullptr;
    QBuffer *m_adGifBytes = nullptr;
    QMovie *FAdGif = nullptr;

    QPointer<TfrmUpdate> frmUpdate;
    QPointer<TfrmAdvice> frmAdvice;
    QPointer<TfrmAlipay> frmAlipay;

    InputBlock *m_inputBlock = nullptr;
};
