#include "TestSupport.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace fs = std::filesystem;

namespace zarnik::testing {

TempDir::TempDir()
{
    static int counter = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = fs::temp_directory_path()
        / ("zarnik-test-" + std::to_string(currentProcessId()) + "-" + std::to_string(++counter) + "-"
           + std::to_string(stamp % 1000000));
    fs::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

fs::path executableDir()
{
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    return fs::path(buffer).parent_path();
#else
    return fs::read_symlink("/proc/self/exe").parent_path();
#endif
}

fs::path programsDir()
{
    return (executableDir() / ZARNIK_TEST_PROGRAMS_DIR).lexically_normal();
}

fs::path probeProgram()
{
    return executableDir() / ("platform-probe" + executableSuffix());
}

std::string executableSuffix()
{
#ifdef _WIN32
    return ".exe";
#else
    return {};
#endif
}

unsigned long currentProcessId()
{
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void setEnvironment(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

#ifdef _WIN32

struct ChildProcess::Impl {
    PROCESS_INFORMATION info = {};
    bool started = false;
};

namespace {
std::wstring quoted(const std::wstring &text)
{
    return L"\"" + text + L"\"";
}
} // namespace

ChildProcess::ChildProcess(const fs::path &program, const std::vector<std::string> &arguments,
                           const fs::path &workDir, const fs::path &stdoutFile)
    : m_impl(new Impl)
{
    std::wstring commandLine = quoted(program.wstring());
    for (const std::string &argument : arguments)
        commandLine += L" " + quoted(fs::path(argument).wstring());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!stdoutFile.empty()) {
        SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        output = CreateFileW(stdoutFile.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    // No console of its own: Wine's console host for a child that is ended early can outlive it,
    // holding the test's output open so that ctest waits for it.
    m_impl->started = CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr,
                                     output != INVALID_HANDLE_VALUE, DETACHED_PROCESS, nullptr,
                                     workDir.wstring().c_str(), &startup, &m_impl->info)
        != FALSE;
    if (!m_impl->started)
        std::fprintf(stderr, "CreateProcessW(%s) failed with error %lu\n", program.string().c_str(),
                     static_cast<unsigned long>(GetLastError()));
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
}

ChildProcess::~ChildProcess()
{
    kill();
    delete m_impl;
}

bool ChildProcess::started() const
{
    return m_impl->started;
}

unsigned long ChildProcess::id() const
{
    return m_impl->info.dwProcessId;
}

void ChildProcess::kill()
{
    if (!m_impl->started)
        return;
    TerminateProcess(m_impl->info.hProcess, 1);
    WaitForSingleObject(m_impl->info.hProcess, INFINITE);
    CloseHandle(m_impl->info.hProcess);
    CloseHandle(m_impl->info.hThread);
    m_impl->started = false;
}

int ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (!m_impl->started)
        return -1;
    if (WaitForSingleObject(m_impl->info.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_impl->info.hProcess, &code);
    CloseHandle(m_impl->info.hProcess);
    CloseHandle(m_impl->info.hThread);
    m_impl->started = false;
    return static_cast<int>(code);
}

#else

struct ChildProcess::Impl {
    pid_t pid = -1;
};

ChildProcess::ChildProcess(const fs::path &program, const std::vector<std::string> &arguments,
                           const fs::path &workDir, const fs::path &stdoutFile)
    : m_impl(new Impl)
{
    std::vector<std::string> storage{program.string()};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    if (!stdoutFile.empty())
        posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // A group of its own, so that ending it also ends what it started (a script's commands).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    if (posix_spawn(&m_impl->pid, storage[0].c_str(), &actions, &attributes, argv.data(), environ) != 0)
        m_impl->pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    kill();
    delete m_impl;
}

bool ChildProcess::started() const
{
    return m_impl->pid > 0;
}

unsigned long ChildProcess::id() const
{
    return static_cast<unsigned long>(m_impl->pid);
}

void ChildProcess::kill()
{
    if (m_impl->pid <= 0)
        return;
    ::kill(-m_impl->pid, SIGKILL);
    ::waitpid(m_impl->pid, nullptr, 0);
    m_impl->pid = -1;
}

int ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (m_impl->pid <= 0)
        return -1;
    int status = 0;
    const bool ended = waitUntil([&] { return ::waitpid(m_impl->pid, &status, WNOHANG) == m_impl->pid; }, limit);
    if (!ended)
        return -1;
    m_impl->pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

} // namespace zarnik::testing
