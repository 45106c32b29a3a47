#include "CentredDialog.h"

#include <QScreen>

void CentredDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *desktop = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        move(frame.topLeft());
    }
}
