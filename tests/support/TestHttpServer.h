#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

struct MHD_Daemon;

// An HTTP server on 127.0.0.1 and a free port, inside the test process. It records every request
// and answers each from the current handler. The destructor drops the connections of answers
// still held back, so a test that ends early never hangs on them; a handler that blocks on its
// own must be let go by the test before the server is destroyed.
class TestHttpServer {
public:
    struct Request {
        QByteArray method;
        QByteArray url;
        QByteArray version;                                  // e.g. "HTTP/1.0"
        std::vector<std::pair<QByteArray, QByteArray>> headers; // in the order received
        QByteArray body;                                     // raw bytes

        // The value of the first header with this name (ASCII case ignored), or a null array.
        QByteArray header(const QByteArray &name) const;
        bool hasHeader(const QByteArray &name) const;
    };

    struct Reply {
        int status = 200;
        QByteArray body;
        std::vector<std::pair<QByteArray, QByteArray>> headers;
        bool stall = false; // hold this answer back until releaseStalls() (or never, if not called)
    };

    using Handler = std::function<Reply(const Request &)>;

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer &) = delete;
    TestHttpServer &operator=(const TestHttpServer &) = delete;

    int port() const { return m_port; }

    // Every request from now on gets this status and body.
    void setReply(int status, QByteArray body);
    // Every request from now on is answered by the handler (called on a server thread).
    void setHandler(Handler handler);
    // Sends the answers held back so far.
    void releaseStalls();

    std::vector<Request> requests() const;
    // Waits until at least count requests have arrived in full; false after the time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

    // A reply body as the service writes one: base64 of the UTF-8 JSON text.
    static QByteArray base64Json(const QString &json);

private:
    struct Callbacks;
    friend struct Callbacks;
    int answer(struct MHD_Connection *connection, const Request &request);

    MHD_Daemon *m_daemon = nullptr;
    int m_port = 0;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    Handler m_handler;
    std::vector<Request> m_requests;
    std::uint64_t m_releaseGeneration = 0;
    bool m_stopping = false;
};
