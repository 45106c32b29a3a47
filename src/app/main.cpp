#include "AppPaths.h"
#include "MainWindow.h"
#include "SingleInstance.h"
#include "WindowMessages.h"
#include "ZarnikApplication.h"
#include "ZarnikProgram.h"

#include <QDir>
#include <QTimer>

#ifdef Q_OS_WIN
#include "Startup.h"
#endif

int main(int argc, char **argv)
{
    // The single-instance test comes before anything touches a file or folder.
#ifdef Q_OS_WIN
    if (FindMarkedWindowAndShow())
        return 0;
#else
    SingleInstance instance(QDir::tempPath());
    if (instance.Start() == SingleInstance::Role::Secondary)
        return 0;
#endif

#ifdef ZARNIK_WEBENGINE
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    ZarnikApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zarnik"));
    QApplication::setQuitOnLastWindowClosed(false);

    ZarnikProgram program(AppPaths::fromProcess());
    TfrmMain *frmMain = program.mainWindow();
#ifdef Q_OS_WIN
    SetInstanceMark(reinterpret_cast<void *>(frmMain->winId()));
#else
    instance.Listen([frmMain] {
        QEvent show(EventTypeOf(WM_ShowMainForm));
        QCoreApplication::sendEvent(frmMain, &show);
    });
#endif

    QTimer::singleShot(0, frmMain, [frmMain] { frmMain->show(); });
    return app.exec();
}
