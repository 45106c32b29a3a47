#include "AdviceWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
const QString kCaption = QStringLiteral("意见建议");
const QString kQQLabel = QStringLiteral("您的QQ号码：");
const QString kAdviceLabel = QStringLiteral("您的意见建议：");
const QString kSubmit = QStringLiteral("提  交");
constexpr int kLeft = 10;
constexpr int kWidth = 297;
}

TfrmAdvice::TfrmAdvice(QWidget *AOwner)
    : CentredDialog(AOwner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                                | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAdvice"));
    setWindowTitle(kCaption);
    setFixedSize(316, 379);

    auto *qqLabel = new QLabel(kQQLabel, this);
    qqLabel->move(kLeft, 14);
    edt_QQ = new QLineEdit(this);
    edt_QQ->setObjectName(QStringLiteral("edt_QQ"));
    edt_QQ->setGeometry(kLeft, 34, kWidth, 22);

    auto *adviceLabel = new QLabel(kAdviceLabel, this);
    adviceLabel->move(kLeft, 70);
    mmo_advvice = new QPlainTextEdit(this);
    mmo_advvice->setObjectName(QStringLiteral("mmo_advvice"));
    mmo_advvice->setGeometry(kLeft, 90, kWidth, 185);

    btn_Submit = new QPushButton(kSubmit, this);
    btn_Submit->setObjectName(QStringLiteral("btn_Submit"));
    btn_Submit->setGeometry(kLeft, 320, kWidth, 34);
    btn_Submit->setAutoDefault(false);
}
