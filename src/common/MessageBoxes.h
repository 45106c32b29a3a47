#pragma once

#include <QString>

class QWidget;

// Every message box of the program goes through this seam, so tests can answer and inspect them.
class MessageBoxes {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~MessageBoxes() = default;
    virtual Answer show(QWidget *parent, const QString &text, const QString &title, Icon icon,
                        Buttons buttons) = 0;
};

// The process-wide seam: QMessageBox unless a test installed its own.
MessageBoxes &messageBoxes();
void setMessageBoxes(MessageBoxes *boxes); // nullptr restores the QMessageBox one
