#pragma once

#include "CentredDialog.h"

class QLabel;

// The payment QR window behind the main window's payment link.
class TfrmAlipay : public CentredDialog {
    Q_OBJECT

public:
    explicit TfrmAlipay(QWidget *AOwner = nullptr);

private:
    QLabel *lbl_Tip = nullptr;
    QLabel *img_QR = nullptr;
};
