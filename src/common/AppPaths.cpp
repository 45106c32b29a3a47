#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString withSlash(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}
}

AppPaths AppPaths::fromProcess()
{
    AppPaths paths;
    paths.exeFile = QCoreApplication::applicationFilePath();
    paths.exeDir = withSlash(QFileInfo(paths.exeFile).absolutePath());
    paths.currentDir = withSlash(QDir::currentPath());
    paths.tempDir = withSlash(QDir::tempPath());
    return paths;
}
