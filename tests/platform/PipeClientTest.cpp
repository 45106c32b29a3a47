#include "PipeClient.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace std::chrono_literals;
using zarnik::testing::TempDir;

namespace {

TPipeData sampleData()
{
    TPipeData data;
    data.hasStoppedTask = true;
    data.clickSum = 12;
    return data;
}

std::vector<uint8_t> asVector(const std::array<uint8_t, 20> &bytes)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

#ifdef _WIN32

const wchar_t kPipeName[] = L"\\\\.\\pipe\\Zarnik";

// One server instance of the pipe, as the companion program creates it.
class PipeServer {
public:
    PipeServer()
        : m_pipe(CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                                  4096, 4096, 0, nullptr))
    {
    }
    ~PipeServer()
    {
        if (m_pipe != INVALID_HANDLE_VALUE)
            CloseHandle(m_pipe);
    }
    bool valid() const { return m_pipe != INVALID_HANDLE_VALUE; }

    // Accepts one client and reads until it closes.
    std::vector<uint8_t> receiveAll()
    {
        // A client that has already written and closed leaves its bytes to be read (ERROR_NO_DATA).
        if (!ConnectNamedPipe(m_pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED
            && GetLastError() != ERROR_NO_DATA)
            return {};
        std::vector<uint8_t> received;
        uint8_t buffer[64];
        DWORD n = 0;
        while (ReadFile(m_pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
            received.insert(received.end(), buffer, buffer + n);
        DisconnectNamedPipe(m_pipe);
        return received;
    }

private:
    HANDLE m_pipe;
};

TEST(SendPipeData, WritesTheTwentyBytesToThePipeServer)
{
    PipeServer server;
    ASSERT_TRUE(server.valid());
    std::vector<uint8_t> received;
    std::thread reader([&] { received = server.receiveAll(); });
    const bool sent = SendPipeData(sampleData(), {}, 2000ms);
    reader.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(received, asVector(sampleData().bytes()));
}

TEST(SendPipeData, FailsAtOnceWithoutAPipe)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendPipeData(sampleData(), {}, 5000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2000ms);
}

TEST(SendPipeData, WaitsNoLongerThanItsBoundForABusyInstance)
{
    PipeServer server;
    ASSERT_TRUE(server.valid());
    // The only instance is taken by another client.
    const HANDLE other = CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendPipeData(sampleData(), {}, 400ms));
    const auto waited = std::chrono::steady_clock::now() - start;
    CloseHandle(other);
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 3000ms);
}

#else

// A listener like the one QLocalServer opens for the name "Zarnik" in a temp folder.
class SocketListener {
public:
    SocketListener(const std::filesystem::path &dir, int backlog)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const std::string path = (dir / "Zarnik").string();
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
            && ::listen(m_fd, backlog) == 0;
    }
    ~SocketListener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool valid() const { return m_ok; }
    int fd() const { return m_fd; }

    std::vector<uint8_t> receiveAll()
    {
        const int client = ::accept(m_fd, nullptr, nullptr);
        if (client < 0)
            return {};
        std::vector<uint8_t> received;
        uint8_t buffer[64];
        ssize_t n;
        while ((n = ::read(client, buffer, sizeof buffer)) > 0)
            received.insert(received.end(), buffer, buffer + n);
        ::close(client);
        return received;
    }

private:
    int m_fd = -1;
    bool m_ok = false;
};

class SendPipeDataFolder : public ::testing::TestWithParam<bool> {};

TEST_P(SendPipeDataFolder, WritesTheTwentyBytesAndCloses)
{
    TempDir dir;
    SocketListener listener(dir.path(), 5);
    ASSERT_TRUE(listener.valid());
    std::vector<uint8_t> received;
    std::thread reader([&] { received = listener.receiveAll(); });
    const std::string folder = dir.path().string() + (GetParam() ? "/" : "");
    const bool sent = SendPipeData(sampleData(), folder, 2000ms);
    reader.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(received, asVector(sampleData().bytes()));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutTrailingSlash, SendPipeDataFolder, ::testing::Bool());

TEST(SendPipeData, FailsAtOnceWithoutAListener)
{
    TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendPipeData(sampleData(), dir.path().string(), 5000ms));
    {
        // A socket file left behind by a listener that has gone.
        SocketListener gone(dir.path(), 5);
        ASSERT_TRUE(gone.valid());
    }
    EXPECT_FALSE(SendPipeData(sampleData(), dir.path().string(), 5000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
}

// Fills the listener's queue so that the next connection has to wait for room.
int occupyQueue(const std::filesystem::path &dir)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    (dir / "Zarnik").string().copy(address.sun_path, sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST(SendPipeData, WaitsNoLongerThanItsBoundForABusyListener)
{
    TempDir dir;
    SocketListener listener(dir.path(), 0);
    ASSERT_TRUE(listener.valid());
    const int occupant = occupyQueue(dir.path());
    ASSERT_GE(occupant, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendPipeData(sampleData(), dir.path().string(), 400ms));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 350ms);
    EXPECT_LT(waited, 2000ms);
    EXPECT_FALSE(SendPipeData(sampleData(), dir.path().string(), 0ms));
    ::close(occupant);
}

TEST(SendPipeData, DeliversWhenTheBusyListenerFreesUpInTime)
{
    TempDir dir;
    SocketListener listener(dir.path(), 0);
    ASSERT_TRUE(listener.valid());
    const int occupant = occupyQueue(dir.path());
    ASSERT_GE(occupant, 0);
    std::vector<uint8_t> received;
    std::thread server([&] {
        std::this_thread::sleep_for(200ms);
        const int first = ::accept(listener.fd(), nullptr, nullptr);
        ::close(first);
        received = listener.receiveAll();
    });
    const bool sent = SendPipeData(sampleData(), dir.path().string(), 5000ms);
    server.join();
    ::close(occupant);
    EXPECT_TRUE(sent);
    EXPECT_EQ(received, asVector(sampleData().bytes()));
}

#endif

} // namespace
