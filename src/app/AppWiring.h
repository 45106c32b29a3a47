#pragma once

#include "AppPaths.h"
#include "MainWindowWiring.h"

// The main window's wiring to the real subsystems of the running program.
MainWindowWiring MakeAppWiring(const AppPaths &paths);
