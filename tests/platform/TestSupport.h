#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zarnik::testing {

// A fresh folder under the system's temp folder, removed again with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The folder of the running test program.
std::filesystem::path executableDir();

// The folder the build places the programs in (the stand-ins beside the client).
std::filesystem::path programsDir();

// The small probe program built beside the platform tests.
std::filesystem::path probeProgram();

// ".exe" on Windows, nothing elsewhere.
std::string executableSuffix();

unsigned long currentProcessId();

std::string readFile(const std::filesystem::path &path);
void writeFile(const std::filesystem::path &path, const std::string &bytes);

void setEnvironment(const char *name, const char *value);

// Polls every 20 ms; returns whether condition became true before the limit.
bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds limit);

// A program started directly (without the code under test), ended by the destructor if still running.
class ChildProcess {
public:
    // With stdoutFile, the program's standard output goes to that file.
    ChildProcess(const std::filesystem::path &program, const std::vector<std::string> &arguments,
                 const std::filesystem::path &workDir, const std::filesystem::path &stdoutFile = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const;
    unsigned long id() const;
    // Ends the process and collects it.
    void kill();
    // Waits for the end; returns the exit code, or -1 when it did not end within the limit.
    int waitForExit(std::chrono::milliseconds limit);

private:
    struct Impl;
    Impl *m_impl;
};

} // namespace zarnik::testing
