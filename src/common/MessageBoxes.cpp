#include "MessageBoxes.h"

#include <QMessageBox>

namespace {
class QtMessageBoxes final : public MessageBoxes {
public:
    Answer show(QWidget *parent, const QString &text, const QString &title, Icon icon,
                Buttons buttons) override
    {
        QMessageBox box(toQt(icon), title, text, toQt(buttons), parent);
        switch (box.exec()) {
        case QMessageBox::Cancel: return Answer::Cancel;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Ok;
        }
    }

private:
    static QMessageBox::Icon toQt(Icon icon)
    {
        switch (icon) {
        case Icon::Information: return QMessageBox::Information;
        case Icon::Warning: return QMessageBox::Warning;
        case Icon::Error: return QMessageBox::Critical;
        case Icon::Question: return QMessageBox::Question;
        }
        return QMessageBox::NoIcon;
    }

    static QMessageBox::StandardButtons toQt(Buttons buttons)
    {
        switch (buttons) {
        case Buttons::Ok: return QMessageBox::Ok;
        case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        }
        return QMessageBox::Ok;
    }
};

QtMessageBoxes qtBoxes;
MessageBoxes *current = &qtBoxes;
}

MessageBoxes &messageBoxes()
{
    return *current;
}

void setMessageBoxes(MessageBoxes *boxes)
{
    current = boxes ? boxes : &qtBoxes;
}
