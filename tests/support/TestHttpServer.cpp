#include "TestHttpServer.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <stdexcept>

namespace {

// One request while it is being received and answered.
struct Pending {
    TestHttpServer::Request request;
};

enum MHD_Result collectHeader(void *cls, enum MHD_ValueKind, const char *key, const char *value)
{
    auto *request = static_cast<TestHttpServer::Request *>(cls);
    request->headers.emplace_back(QByteArray(key), QByteArray(value ? value : ""));
    return MHD_YES;
}

} // namespace

struct TestHttpServer::Callbacks {
    static enum MHD_Result access(void *cls, MHD_Connection *connection, const char *url, const char *method,
                                  const char *version, const char *uploadData, size_t *uploadSize,
                                  void **context)
    {
        auto *server = static_cast<TestHttpServer *>(cls);
        auto *pending = static_cast<Pending *>(*context);
        if (!pending) {
            pending = new Pending;
            pending->request.method = method;
            pending->request.url = url;
            pending->request.version = version;
            MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader, &pending->request);
            *context = pending;
            return MHD_YES;
        }
        if (*uploadSize > 0) {
            pending->request.body.append(uploadData, static_cast<qsizetype>(*uploadSize));
            *uploadSize = 0;
            return MHD_YES;
        }
        return static_cast<enum MHD_Result>(server->answer(connection, pending->request));
    }

    static void completed(void *, MHD_Connection *, void **context, enum MHD_RequestTerminationCode)
    {
        delete static_cast<Pending *>(*context);
        *context = nullptr;
    }
};

TestHttpServer::TestHttpServer()
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    m_daemon = MHD_start_daemon(MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD, 0, nullptr,
                                nullptr, &Callbacks::access, this, MHD_OPTION_SOCK_ADDR, &address,
                                MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::completed, this, MHD_OPTION_END);
    if (!m_daemon)
        throw std::runtime_error("the test HTTP server did not start");
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : 0;
}

TestHttpServer::~TestHttpServer()
{
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    MHD_stop_daemon(m_daemon);
}

void TestHttpServer::setReply(int status, QByteArray body)
{
    setHandler([status, body = std::move(body)](const Request &) {
        Reply reply;
        reply.status = status;
        reply.body = body;
        return reply;
    });
}

void TestHttpServer::setHandler(Handler handler)
{
    std::lock_guard guard(m_lock);
    m_handler = std::move(handler);
}

void TestHttpServer::releaseStalls()
{
    {
        std::lock_guard guard(m_lock);
        ++m_releaseGeneration;
    }
    m_changed.notify_all();
}

std::vector<TestHttpServer::Request> TestHttpServer::requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

bool TestHttpServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock guard(m_lock);
    return m_changed.wait_for(guard, timeout, [&] { return m_requests.size() >= count; });
}

QByteArray TestHttpServer::base64Json(const QString &json)
{
    return json.toUtf8().toBase64();
}

int TestHttpServer::answer(MHD_Connection *connection, const Request &request)
{
    Handler handler;
    std::uint64_t generation = 0;
    {
        std::lock_guard guard(m_lock);
        m_requests.push_back(request);
        handler = m_handler;
        generation = m_releaseGeneration;
    }
    m_changed.notify_all();

    Reply reply;
    if (handler)
        reply = handler(request);
    if (reply.stall) {
        std::unique_lock guard(m_lock);
        m_changed.wait(guard, [&] { return m_stopping || m_releaseGeneration != generation; });
        if (m_stopping)
            return MHD_NO;
    }

    MHD_Response *response = MHD_create_response_from_buffer(static_cast<size_t>(reply.body.size()),
                                                             const_cast<char *>(reply.body.constData()),
                                                             MHD_RESPMEM_MUST_COPY);
    for (const auto &[name, value] : reply.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const enum MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
    MHD_destroy_response(response);
    return queued;
}

QByteArray TestHttpServer::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool TestHttpServer::Request::hasHeader(const QByteArray &name) const
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
