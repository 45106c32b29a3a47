#pragma once

#include <QLabel>

// A picture or text that acts on a left click (the banner, the logo, the ad picture, the links).
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
