#pragma once

#include <chrono>

// Every interval of the program in one value; tests shrink them, the code never sleeps for a literal.
struct Timings {
    using ms = std::chrono::milliseconds;

    // Request channel
    ms connectTimeout{10'000};
    ms exchangeTimeout{60'000};
    ms pollInterval{10};

    // Main window timers
    ms firstTaskListLoad{100};
    ms checkResult{1000};
    ms countdownTick{1000};
    int countdownSeconds{20};
    ms adRotationTick{1000};
    int adRotationSteps{5};
    ms selfTaskListReload{300'000};
    ms checkSafeSoft{500};

    // Work cycle
    ms taskFilePause{500};
    ms cleanerPoll{10};

    // Heartbeat: stepsBeforeRequest waits of heartbeatStep each
    ms heartbeatStep{100};
    int heartbeatStepsBeforeRequest{3000};

    // Local pipe
    ms pipeBusyWait{2000};
};

// The process-wide timings; the running program keeps the defaults.
Timings &AppTimings();
