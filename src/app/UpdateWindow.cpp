#include "UpdateWindow.h"

TfrmUpdate::TfrmUpdate(QWidget *AOwner)
    : CentredDialog(AOwner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("更新升级"));
    resize(635, 299);
}
