#pragma once

#include <QString>

// The folders a running program works in; tests give every case folders of its own.
struct AppPaths {
    QString exeFile;    // full path of the executable
    QString exeDir;     // its folder, ending in '/'
    QString currentDir; // the process's current folder, ending in '/'
    QString tempDir;    // the temp folder, ending in '/'

    // Filled from the running process (QCoreApplication must exist).
    static AppPaths fromProcess();
};
