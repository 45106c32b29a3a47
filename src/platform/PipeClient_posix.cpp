#include "PipeClient.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

class SocketHandle {
public:
    explicit SocketHandle(int fd) : m_fd(fd) {}
    ~SocketHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SocketHandle(const SocketHandle &) = delete;
    SocketHandle &operator=(const SocketHandle &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

bool SendPipeData(const TPipeData &data, const std::string &socketDir, std::chrono::milliseconds busyWait)
{
    std::string path = socketDir;
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    path += "Zarnik";

    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const bool waitForRoom = busyWait.count() > 0;
    SocketHandle socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (waitForRoom ? 0 : SOCK_NONBLOCK), 0));
    if (socket.get() < 0)
        return false;
    if (waitForRoom) {
        // A blocking connect to a listener whose queue is full sleeps until a place frees up,
        // bounded by the send time-out; a missing or dead listener fails at once either way.
        timeval limit = {};
        limit.tv_sec = static_cast<time_t>(busyWait.count() / 1000);
        limit.tv_usec = static_cast<suseconds_t>((busyWait.count() % 1000) * 1000);
        if (::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0)
            return false;
    }
    int connected;
    while ((connected = ::connect(socket.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address)) != 0
           && errno == EINTR) {
    }
    if (connected != 0)
        return false;

    const std::array<uint8_t, 20> bytes = data.bytes();
    const ssize_t written = ::send(socket.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return written == static_cast<ssize_t>(bytes.size());
}
