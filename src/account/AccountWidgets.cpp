#include "AccountWidgets.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

void TClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

TAccountDialog::TAccountDialog(QWidget *AOwner, const QSize &clientSize, const QFont &font)
    : QDialog(AOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setFont(font);
    setFixedSize(clientSize);
    setSizeGripEnabled(false);
}

void TAccountDialog::reject()
{
    // Esc and other cancel requests do nothing; the close box goes through closeEvent.
}

void TAccountDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TAccountDialog::closeEvent(QCloseEvent *event)
{
    // The close box, Alt+F4 and the windows' own close buttons all end the modal showing.
    event->accept();
    done(QDialog::Rejected);
}

void TAccountDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

QPushButton *TAccountDialog::makeButton(const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, this);
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QFont TAccountDialog::designFont(const QString &family, int pixelHeight)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    return font;
}
