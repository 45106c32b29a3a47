#include "AlipayWindow.h"

#include "AppPictures.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("扫一扫，立即付款升级！");
const QString kTip = QStringLiteral("请使用支付宝扫描一下二维码，进行支付");
const QString kMaskedPayee = QStringLiteral("*锐");
constexpr int kTopPanelHeight = 65;
}

TfrmAlipay::TfrmAlipay(QWidget *AOwner)
    : CentredDialog(AOwner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                                | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    InitAppPictures();
    setObjectName(QStringLiteral("frmAlipay"));
    setWindowTitle(kCaption);
    setFixedSize(420, 558);

    auto *topPanel = new QFrame(this);
    topPanel->setObjectName(QStringLiteral("pnl_Top"));
    topPanel->setGeometry(0, 0, width(), kTopPanelHeight);
    lbl_Tip = new QLabel(kTip + QStringLiteral("  ") + QLatin1Char('\n') + QLatin1Char('(') + kMaskedPayee
                             + QLatin1Char(')'),
                         topPanel);
    lbl_Tip->setObjectName(QStringLiteral("lbl_Tip"));
    lbl_Tip->setAlignment(Qt::AlignCenter);
    lbl_Tip->setGeometry(0, 0, width(), kTopPanelHeight - 2);
    auto *bevel = new QFrame(topPanel);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, kTopPanelHeight - 2, width(), 2);

    img_QR = new QLabel(this);
    img_QR->setObjectName(QStringLiteral("img_QR"));
    img_QR->setAlignment(Qt::AlignCenter);
    img_QR->setPixmap(AppPicture(AppPictureId::PaymentQr));
    img_QR->setGeometry(0, kTopPanelHeight, width(), height() - kTopPanelHeight);
}
