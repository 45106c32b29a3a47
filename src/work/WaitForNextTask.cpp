#include "WaitForNextTask.h"

#include "MessageBoxes.h"

#include <QLabel>
#include <QPushButton>

namespace {
const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
const QString kFontFamily = QStringLiteral("宋体");
}

TfrmWaitForNextTask::TfrmWaitForNextTask(QWidget *AOwner) : QDialog(AOwner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("请您等待"));
    setModal(true);
    setFixedSize(416, 156);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kSkyBlue);
    setPalette(colours);
    setAutoFillBackground(true);
    QFont font(kFontFamily);
    font.setPixelSize(12);
    setFont(font);

    lbl_Info = new QLabel(QStringLiteral("距离下次任务开始还有 0 秒"), this);
    lbl_Info->setObjectName(QStringLiteral("lbl_Info"));
    lbl_Info->setGeometry(19, 40, 378, 29);
    QFont infoFont(kFontFamily);
    infoFont.setPixelSize(29);
    infoFont.setBold(true);
    lbl_Info->setFont(infoFont);

    btn_StopTask = new QPushButton(QStringLiteral("停止任务"), this);
    btn_StopTask->setObjectName(QStringLiteral("btn_StopTask"));
    btn_StopTask->setGeometry(59, 88, 297, 32);
    btn_StopTask->setAutoDefault(false);
    connect(btn_StopTask, &QPushButton::clicked, this, [this] { btn_StopTaskClick(); });
}

void TfrmWaitForNextTask::btn_StopTaskClick()
{
    const auto answer = messageBoxes().show(this, QStringLiteral("确定要停止任务吗？"), QStringLiteral("提示"),
                                            MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo);
    if (answer != MessageBoxes::Answer::Yes)
        return;
    if (onStopConfirmed)
        onStopConfirmed();
    done(QDialog::Rejected);
}

void TfrmWaitForNextTask::reject() {}
