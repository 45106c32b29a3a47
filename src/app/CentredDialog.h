#pragma once

#include <QDialog>

// A side window that comes up centred on the desktop each time it is shown; closing it hides it
// with its contents unchanged.
class CentredDialog : public QDialog {
    Q_OBJECT

public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent *event) override;
};
