#pragma once

#include "AccountWidgets.h"
#include "UserInfo.h"

class QLineEdit;
class QPushButton;

// Binds (FbModify false) or changes (FbModify true) the member's payment account at the service.
class TfrmBindModifyPayInformation : public TAccountDialog {
    Q_OBJECT

public:
    TfrmBindModifyPayInformation(QWidget *AOwner, bool FbModify, TUserInfo &userInfo = gUserInfo);

    void btn_BindClick();
    void btn_CloseClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void bind();

    const bool FbModify;
    TUserInfo &m_userInfo;
    QLineEdit *edt_alipayusername = nullptr;
    QLineEdit *edt_alipayaccount = nullptr;
    QPushButton *btn_Bind = nullptr;
    QPushButton *btn_Close = nullptr;
};

// The start-up prompt: a lifetime member with either payment field empty is told so and offered
// the binding window once.
void PromptPayInformationBinding(QWidget *mainWindow, TUserInfo &userInfo = gUserInfo);
