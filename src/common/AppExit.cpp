#include "AppExit.h"

#include <cstdio>
#include <cstdlib>

namespace {
class ProcessExit final : public AppExit {
public:
    void exitNow(int code) override
    {
        std::fflush(nullptr);
        std::_Exit(code);
    }
};

ProcessExit processExit;
AppExit *current = &processExit;
}

AppExit &appExit()
{
    return *current;
}

void setAppExit(AppExit *exit)
{
    current = exit ? exit : &processExit;
}
