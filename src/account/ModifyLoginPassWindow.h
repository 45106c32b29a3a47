#pragma once

#include "AccountWidgets.h"
#include "UserInfo.h"

class QLineEdit;
class QPushButton;

// Changes the member's password at the service; the member record follows only on success.
class TfrmModifyLoginPass : public TAccountDialog {
    Q_OBJECT

public:
    TfrmModifyLoginPass(QWidget *AOwner, TUserInfo &userInfo = gUserInfo);

    void btn_OKClick();
    void btn_CloseClick();

private:
    void modify();

    TUserInfo &m_userInfo;
    QLineEdit *edt_Oldpass = nullptr;
    QLineEdit *edt_NewPass = nullptr;
    QLineEdit *edt_ConfirmNewPass = nullptr;
    QPushButton *btn_OK = nullptr;
    QPushButton *btn_Close = nullptr;
};
