#include "ZarnikProgram.h"

#include "AdviceWindow.h"
#include "AlipayWindow.h"
#include "AppSubsystems.h"
#include "MainWindow.h"
#include "Timings.h"
#include "UpdateWindow.h"

ZarnikProgram::ZarnikProgram(const AppPaths &paths)
    : m_subsystems(std::make_unique<AppSubsystems>(paths))
{
    frmMain = std::make_unique<TfrmMain>(m_subsystems->Wiring(), paths, AppTimings());
    m_subsystems->SetMainWindow(frmMain.get());
    m_subsystems->CreateDatabase();
    auto *frmUpdate = new TfrmUpdate(frmMain.get());
    auto *frmAdvice = new TfrmAdvice(frmMain.get());
    auto *frmAlipay = new TfrmAlipay(frmMain.get());
    frmMain->SetSideWindows(frmUpdate, frmAdvice, frmAlipay);
}

ZarnikProgram::~ZarnikProgram() = default;
