#pragma once

#include "AppPaths.h"

#include <memory>

class AppSubsystems;
class TfrmMain;

// The running program's long-lived windows and subsystems, created hidden in their order.
class ZarnikProgram {
public:
    explicit ZarnikProgram(const AppPaths &paths);
    ~ZarnikProgram();

    TfrmMain *mainWindow() const { return frmMain.get(); }

private:
    std::unique_ptr<AppSubsystems> m_subsystems;
    std::unique_ptr<TfrmMain> frmMain; // destroyed first: its windows refer to the subsystems
};
