#include "AppFolders.h"

QString gLogDir;
QString gDbFile;
