#pragma once

#include "CentredDialog.h"

// The update window: an empty, resizable window.
class TfrmUpdate : public CentredDialog {
    Q_OBJECT

public:
    explicit TfrmUpdate(QWidget *AOwner = nullptr);
};
