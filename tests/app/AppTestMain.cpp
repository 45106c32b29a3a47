#include "ZarnikApplication.h"

#include <gtest/gtest.h>

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
    return RUN_ALL_TESTS();
}
