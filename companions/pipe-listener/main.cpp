// Stand-in for the companion program at the pipe "Zarnik": prints one line per 20-byte summary
// it receives, "flag=F sum=S". On Windows it serves "\\.\pipe\Zarnik"; elsewhere it listens on the
// AF_UNIX socket FOLDER/Zarnik, where FOLDER is the temp folder (TMPDIR, else /tmp) unless --dir
// names one, which is where a client whose temp folder is FOLDER delivers.
//   zarnik-pipe-listener [--dir FOLDER] [--count N]     (--count: end after N summaries)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kSummarySize = 20;

void printSummary(const unsigned char *bytes, size_t size)
{
    if (size < kSummarySize) {
        std::fprintf(stderr, "short message: %zu bytes\n", size);
        return;
    }
    const uint32_t sum = static_cast<uint32_t>(bytes[4]) | static_cast<uint32_t>(bytes[5]) << 8
        | static_cast<uint32_t>(bytes[6]) << 16 | static_cast<uint32_t>(bytes[7]) << 24;
    std::printf("flag=%u sum=%d\n", static_cast<unsigned>(bytes[1]), static_cast<int32_t>(sum));
    std::fflush(stdout);
}

int usage()
{
    std::fprintf(stderr, "usage: zarnik-pipe-listener [--dir FOLDER] [--count N]\n");
    return 2;
}

#ifdef _WIN32

HANDLE createInstance()
{
    const HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\Zarnik", PIPE_ACCESS_DUPLEX,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                         4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        std::fprintf(stderr, "cannot create the pipe (error %lu)\n", GetLastError());
    return pipe;
}

int serve(const std::string &, long count)
{
    HANDLE pipe = createInstance();
    if (pipe == INVALID_HANDLE_VALUE)
        return 1;
    std::printf("listening on \\\\.\\pipe\\Zarnik\n");
    std::fflush(stdout);
    for (long served = 0; pipe != INVALID_HANDLE_VALUE; ++served) {
        // A client may have connected, written and gone before we got here: its bytes are still there.
        const bool connected = ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED
            || GetLastError() == ERROR_NO_DATA;
        // The next instance exists before this one goes, so a client never finds the pipe missing.
        const HANDLE next = (count <= 0 || served + 1 < count) ? createInstance() : INVALID_HANDLE_VALUE;
        if (connected) {
            unsigned char bytes[kSummarySize];
            size_t size = 0;
            DWORD n = 0;
            while (size < kSummarySize
                   && ReadFile(pipe, bytes + size, static_cast<DWORD>(kSummarySize - size), &n, nullptr) && n > 0)
                size += n;
            printSummary(bytes, size);
            DisconnectNamedPipe(pipe);
        }
        CloseHandle(pipe);
        pipe = next;
    }
    return 0;
}

#else

bool bindSocket(int fd, const sockaddr_un &address)
{
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return true;
    if (errno != EADDRINUSE)
        return false;
    // A socket file is there: take it over only when nobody listens on it any more.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool alive = ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(probe);
    if (alive) {
        std::fprintf(stderr, "another listener already serves %s\n", address.sun_path);
        return false;
    }
    ::unlink(address.sun_path);
    return ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
}

int serve(const std::string &dir, long count)
{
    std::string path = dir;
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path += "Zarnik";
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        std::fprintf(stderr, "socket path too long: %s\n", path.c_str());
        return 1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || !bindSocket(fd, address) || ::listen(fd, 16) != 0) {
        std::fprintf(stderr, "cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    std::printf("listening on %s\n", path.c_str());
    std::fflush(stdout);
    for (long served = 0; count <= 0 || served < count; ++served) {
        const int client = ::accept(fd, nullptr, nullptr);
        if (client < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        unsigned char bytes[kSummarySize];
        size_t size = 0;
        ssize_t n;
        while (size < kSummarySize && (n = ::read(client, bytes + size, kSummarySize - size)) > 0)
            size += static_cast<size_t>(n);
        ::close(client);
        printSummary(bytes, size);
    }
    ::close(fd);
    ::unlink(path.c_str());
    return 0;
}

#endif

std::string defaultFolder()
{
#ifdef _WIN32
    return {};
#else
    const char *tmp = std::getenv("TMPDIR");
    return (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
#endif
}

} // namespace

int main(int argc, char **argv)
{
    std::string dir = defaultFolder();
    long count = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            dir = argv[++i];
        } else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
            char *end = nullptr;
            count = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || count < 1)
                return usage();
        } else {
            return usage();
        }
    }
    return serve(dir, count);
}
