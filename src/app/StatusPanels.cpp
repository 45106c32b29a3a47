#include "StatusPanels.h"

#include <QHBoxLayout>
#include <QLabel>

StatusPanels::StatusPanels(QWidget *parent)
    : QFrame(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    constexpr int kWidths[] = {200, 400, 50};
    constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignCenter, Qt::AlignCenter};
    for (int panel = 0; panel < 3; ++panel) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("stat_panel%1").arg(panel));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(kAlignments[panel]);
        label->setMinimumWidth(kWidths[panel]);
        if (panel < 2)
            label->setFixedWidth(kWidths[panel]);
        row->addWidget(label, panel == 2 ? 1 : 0);
        m_panels[size_t(panel)] = label;
    }
}

void StatusPanels::SetText(int panel, const QString &text)
{
    if (panel >= 0 && panel < 3)
        m_panels[size_t(panel)]->setText(text);
}

QString StatusPanels::Text(int panel) const
{
    return panel >= 0 && panel < 3 ? m_panels[size_t(panel)]->text() : QString();
}
