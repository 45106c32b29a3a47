#include "ZarnikApplication.h"

#include <gtest/gtest.h>

// The walkthrough runs the client under its own application object, error boundary included.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef ZARNIK_WEBENGINE
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    ZarnikApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
