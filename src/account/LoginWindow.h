#pragma once

#include "AccountWidgets.h"
#include "UserInfo.h"

#include <QString>

struct AppPaths;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QStatusBar;

// The login window. Its modal showing returns only after a successful login has filled the member
// record; every other way out ends the process with exit code 0.
class TfrmLogin : public TAccountDialog {
    Q_OBJECT

public:
    TfrmLogin(QWidget *AOwner, const AppPaths &paths, TUserInfo &userInfo = gUserInfo);

    bool FbCloseAfterLogin() const { return m_bCloseAfterLogin; }

    void btn_LoginClick();
    void btn_CloseClick();
    void img_LogoClick();
    void lbl_registerClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void login();

    TUserInfo &m_userInfo;
    QString m_credentialsFile;
    bool m_bCloseAfterLogin = false;

    TClickLabel *img_Logo = nullptr;
    QLabel *lbl_username = nullptr;
    QLineEdit *lbledt_username = nullptr;
    QLabel *lbl_password = nullptr;
    QLineEdit *lbledt_password = nullptr;
    QCheckBox *chk_Saveconfig = nullptr;
    TClickLabel *lbl_register = nullptr;
    QPushButton *btn_Login = nullptr;
    QPushButton *btn_Close = nullptr;
    QStatusBar *stat_main = nullptr;
};
