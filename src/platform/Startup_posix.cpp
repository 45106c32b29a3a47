#include "Startup.h"

void SetStartupErrorMode() {}
