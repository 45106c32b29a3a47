#include "ZarnikApplication.h"

#include <gtest/gtest.h>

// Tests of the client run under its own application object, error boundary included. Closing a
// test's last window must not quit the nested event loops the tests wait in.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef ZARNIK_WEBENGINE
    // Tests run as root on the build machines, where Chromium refuses its sandbox.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    ZarnikApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
