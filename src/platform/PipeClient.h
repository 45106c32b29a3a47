#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

// The 20-byte summary of the member's own tasks, little-endian.
struct TPipeData {
    bool hasStoppedTask = false; // byte 1: some own task has status 0
    int32_t clickSum = 0;        // bytes 4..7: the sum of the done visits

    std::array<uint8_t, 20> bytes() const;
};

// Writes the summary to the local pipe "Zarnik" in one write. On Windows the pipe
// "\\.\pipe\Zarnik"; elsewhere the AF_UNIX socket socketDir + "Zarnik" (a QLocalServer named
// "Zarnik" listens there). Waits at most busyWait for a free instance. Returns whether delivered.
bool SendPipeData(const TPipeData &data, const std::string &socketDir, std::chrono::milliseconds busyWait);
