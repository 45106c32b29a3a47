#include "Timings.h"

Timings &AppTimings()
{
    static Timings timings;
    return timings;
}
