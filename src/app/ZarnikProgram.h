#pragma once

#include "AppPaths.h"

#include <memory>

class TfrmMain;

// The running program's long-lived windows, created hidden in their order.
class ZarnikProgram {
public:
    explicit ZarnikProgram(const AppPaths &paths);
    ~ZarnikProgram();

    TfrmMain *mainWindow() const { return frmMain.get(); }

private:
    std::unique_ptr<TfrmMain> frmMain;
};
