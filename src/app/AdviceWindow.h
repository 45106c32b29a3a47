#pragma once

#include "CentredDialog.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The advice window: keeps whatever the member typed between showings; its button does nothing,
// as the service has no action for advice.
class TfrmAdvice : public CentredDialog {
    Q_OBJECT

public:
    explicit TfrmAdvice(QWidget *AOwner = nullptr);

private:
    QLineEdit *edt_QQ = nullptr;
    QPlainTextEdit *mmo_advvice = nullptr;
    QPushButton *btn_Submit = nullptr;
};
