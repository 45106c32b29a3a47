#pragma once

#include <QFrame>
#include <QString>

#include <array>

class QLabel;

// The main window's status bar: three panels, 200 and 400 wide, the last one taking the rest.
class StatusPanels : public QFrame {
    Q_OBJECT

public:
    explicit StatusPanels(QWidget *parent = nullptr);

    void SetText(int panel, const QString &text);
    QString Text(int panel) const;

private:
    std::array<QLabel *, 3> m_panels{};
};
