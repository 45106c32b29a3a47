#pragma once

#include <QDialog>
#include <QLabel>

class QPushButton;
class QFont;

// A picture or text that reacts to a click of the left mouse button.
class TClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The account windows' common frame: fixed client size, only the close box, centred on the desktop,
// and neither Esc nor Enter does anything (no button is default, none takes the focus).
class TAccountDialog : public QDialog {
    Q_OBJECT

public:
    TAccountDialog(QWidget *AOwner, const QSize &clientSize, const QFont &font);

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // A push button that takes no focus and is never pressed by Enter.
    QPushButton *makeButton(const QString &text, const QRect &geometry);
    // The font the window's design names, by family and pixel height.
    static QFont designFont(const QString &family, int pixelHeight);
};
