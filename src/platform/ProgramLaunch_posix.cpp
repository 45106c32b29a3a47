#include "ProgramLaunch.h"
#include "ArgumentSplit.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern char **environ;

namespace {

// Linux searches neither the working folder nor the program's folder for a bare name, so the
// caller's folder is applied here; other relative paths stay relative to our own current folder.
std::string resolveProgram(const std::string &program, const std::string &workDir)
{
    if (program.find('/') == std::string::npos)
        return (std::filesystem::path(workDir.empty() ? "." : workDir) / program).string();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(program, error);
    return error ? program : absolute.string();
}

// Everything the child needs, prepared before fork: the child may only make async-signal-safe calls.
struct ChildArguments {
    std::string path;
    std::vector<std::string> storage;
    std::vector<char *> argv;

    ChildArguments(const std::string &program, const std::string &arguments, const std::string &workDir)
        : path(resolveProgram(program, workDir))
    {
        storage.push_back(path);
        for (std::string &argument : zarnik::platform::splitArguments(arguments))
            storage.push_back(std::move(argument));
        for (std::string &s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
    }
};

void restoreSignalsInChild()
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &dfl, nullptr);
}

void writeErrorAndExit(int fd, int error)
{
    ssize_t ignored = write(fd, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

bool isStartable(const std::string &path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

} // namespace

bool LaunchDetached(const std::string &program, const std::string &arguments, const std::string &workDir)
{
    ChildArguments child(program, arguments, workDir);
    if (!isStartable(child.path))
        return false;
    const char *dir = workDir.empty() ? nullptr : workDir.c_str();

    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;

    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (middle == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0)
            writeErrorAndExit(report[1], errno);
        if (grandchild > 0)
            _exit(0);
        restoreSignalsInChild();
        // Descriptors the caller forgot to mark close-on-exec must not leak into the program.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        if (dir != nullptr && ::chdir(dir) != 0)
            writeErrorAndExit(report[1], errno);
        ::execve(child.path.c_str(), child.argv.data(), environ);
        writeErrorAndExit(report[1], errno);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int childError = 0;
    ssize_t n;
    while ((n = ::read(report[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return n == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunHiddenAndWait(const std::string &program, const std::string &arguments, const std::string &workDir)
{
    ChildArguments child(program, arguments, workDir);
    if (!isStartable(child.path))
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, child.path.c_str(), &actions, &attributes, child.argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}
