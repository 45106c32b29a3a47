#include "ZarnikProgram.h"

#include "AdviceWindow.h"
#include "AlipayWindow.h"
#include "AppWiring.h"
#include "MainWindow.h"
#include "Timings.h"
#include "UpdateWindow.h"

ZarnikProgram::ZarnikProgram(const AppPaths &paths)
{
    frmMain = std::make_unique<TfrmMain>(MakeAppWiring(paths), paths, AppTimings());
    auto *frmUpdate = new TfrmUpdate(frmMain.get());
    auto *frmAdvice = new TfrmAdvice(frmMain.get());
    auto *frmAlipay = new TfrmAlipay(frmMain.get());
    frmMain->SetSideWindows(frmUpdate, frmAdvice, frmAlipay);
}

ZarnikProgram::~ZarnikProgram() = default;
