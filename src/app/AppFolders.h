#pragma once

#include <QString>

// The program's folders beside the executable, fixed when the main window is created.
extern QString gLogDir; // "logs/" in the executable's folder
extern QString gDbFile; // "db/data.db" in the executable's folder
