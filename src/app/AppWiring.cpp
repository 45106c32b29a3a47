#include "AppWiring.h"

#include "Endpoints.h"
#include "GlobalLoger.h"
#include "HeartbeatThread.h"
#include "ReleaseAppResources.h"
#include "TaskList.h"
#include "Timings.h"

#include <QDesktopServices>
#include <QWidget>

namespace {
const QString kSupportNumber = QStringLiteral("2850071234");
}

MainWindowWiring MakeAppWiring(const AppPaths &paths)
{
    MainWindowWiring wiring;
    wiring.homePage = WebSiteUrl(QStringLiteral("/"));
    wiring.adPage = WebSiteUrl(QStringLiteral("/ads/ad.htm"));
    wiring.adPicture = WebSiteUrl(QStringLiteral("/ads/pic/ad.gif"));
    wiring.rechargePage = ApiHostUrl(QStringLiteral("/recharge.php"));
    wiring.userCentrePage = ApiHostUrl(QStringLiteral("/"));
    wiring.supportNumber = kSupportNumber;
    wiring.openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };

    const QString logDir = paths.exeDir + QStringLiteral("logs/");
    wiring.afterLogin = [logDir](QWidget *) {
        gTaskList = std::make_unique<TTaskList>();
        gGlobalLoger = std::make_unique<TGlobalLoger>(logDir);
        StartHeartbeat(AppTimings());
    };

    wiring.releaseAppResources = ReleaseAppResources;
    return wiring;
}
