#include "HttpServer.h"

#include "TextRules.h"
#include "UserApi.h"
#include "WebPages.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace zarnik::service {

struct HttpServer::Exchange {
    std::chrono::steady_clock::time_point started;
    std::string body;
    std::size_t received = 0;
    bool tooLarge = false;
};

namespace {

constexpr std::string_view kApiPath = "/userapi.php";

std::string clientAddress(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "?";
    if (info && info->client_addr) {
        if (info->client_addr->sa_family == AF_INET)
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(info->client_addr)->sin_addr, text, sizeof text);
        else if (info->client_addr->sa_family == AF_INET6)
            inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(info->client_addr)->sin6_addr, text,
                      sizeof text);
    }
    return text;
}

MHD_Result send(MHD_Connection *connection, unsigned status, std::string_view contentType,
                std::string_view content, bool copy)
{
    MHD_Response *response = MHD_create_response_from_buffer(
        content.size(), const_cast<char *>(content.data()), copy ? MHD_RESPMEM_MUST_COPY : MHD_RESPMEM_PERSISTENT);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, std::string(contentType).c_str());
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result onRequest(void *cls, MHD_Connection *connection, const char *url, const char *method,
                     const char * /*version*/, const char *uploadData, size_t *uploadDataSize, void **context)
{
    auto *server = static_cast<HttpServer *>(cls);
    auto *exchange = static_cast<HttpServer::Exchange *>(*context);
    const std::string_view path = url ? url : "";
    const std::string_view verb = method ? method : "";
    const bool isApi = path == kApiPath;

    if (!exchange) {
        exchange = new HttpServer::Exchange{std::chrono::steady_clock::now(), {}, 0, false};
        *context = exchange;
        // A body too large even to throw away is refused before any of it is read; the
        // connection is closed after the answer.
        if (const char *length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                             MHD_HTTP_HEADER_CONTENT_LENGTH)) {
            unsigned long long declared = 0;
            const auto [end, error] = std::from_chars(length, length + std::strlen(length), declared);
            if (error != std::errc() || declared > HttpServer::kMaxBodyBytes) {
                exchange->tooLarge = true;
                if (error != std::errc() || declared > HttpServer::kMaxDiscardBytes)
                    return server->answer(connection, *exchange, path, verb) ? MHD_YES : MHD_NO;
            }
        }
        return MHD_YES;
    }
    if (*uploadDataSize != 0) {
        exchange->received += *uploadDataSize;
        if (exchange->received > HttpServer::kMaxDiscardBytes)
            return MHD_NO;
        if (exchange->received > HttpServer::kMaxBodyBytes) {
            exchange->tooLarge = true;
            exchange->body.clear();
        } else if (isApi && verb == MHD_HTTP_METHOD_POST) {
            exchange->body.append(uploadData, *uploadDataSize);
        }
        *uploadDataSize = 0;
        return MHD_YES;
    }
    return server->answer(connection, *exchange, path, verb) ? MHD_YES : MHD_NO;
}

void onCompleted(void * /*cls*/, MHD_Connection * /*connection*/, void **context,
                 MHD_RequestTerminationCode /*code*/)
{
    delete static_cast<HttpServer::Exchange *>(*context);
    *context = nullptr;
}

} // namespace

bool HttpServer::answer(MHD_Connection *connection, const Exchange &exchange, std::string_view path,
                        std::string_view method)
{
    constexpr std::string_view kText = "text/plain; charset=utf-8";
    const auto refuse = [&](unsigned status, std::string_view text) {
        writeLog(connection, exchange, method, path, status, nullptr);
        return send(connection, status, kText, text, false) == MHD_YES;
    };
    if (exchange.tooLarge)
        return refuse(MHD_HTTP_CONTENT_TOO_LARGE, "request too large\n");
    if (path == kApiPath) {
        if (method != MHD_HTTP_METHOD_POST)
            return refuse(MHD_HTTP_METHOD_NOT_ALLOWED, "use POST\n");
        ApiReply reply;
        try {
            reply = m_api.handle(exchange.body);
        } catch (const std::exception &error) {
            reply = ApiReply{};
            reply.httpStatus = MHD_HTTP_INTERNAL_SERVER_ERROR;
            reply.reason = error.what();
        }
        writeLog(connection, exchange, method, path, static_cast<unsigned>(reply.httpStatus), &reply);
        if (reply.httpStatus != MHD_HTTP_OK)
            return send(connection, static_cast<unsigned>(reply.httpStatus), kText, "internal error\n", false)
                == MHD_YES;
        return send(connection, MHD_HTTP_OK, kText, reply.body, true) == MHD_YES;
    }
    if (method != MHD_HTTP_METHOD_GET && method != MHD_HTTP_METHOD_HEAD)
        return refuse(MHD_HTTP_METHOD_NOT_ALLOWED, "use GET\n");
    const char *post = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "post");
    const auto page = findWebPage(path, post ? post : "");
    if (!page)
        return refuse(MHD_HTTP_NOT_FOUND, "not found\n");
    writeLog(connection, exchange, method, path, MHD_HTTP_OK, nullptr);
    return send(connection, MHD_HTTP_OK, page->contentType, page->content, false) == MHD_YES;
}

void HttpServer::writeLog(MHD_Connection *connection, const Exchange &exchange, std::string_view method,
                          std::string_view path, unsigned status, const ApiReply *reply) const
{
    if (!m_options.log)
        return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - exchange.started);
    std::string line = formatLocalDateTime(std::chrono::system_clock::now());
    line += ' ';
    line += clientAddress(connection);
    line += ' ';
    line += loggable(method, 16);
    line += ' ';
    line += loggable(path);
    line += ' ';
    line += std::to_string(status);
    if (reply) {
        line += " action=\"" + reply->action + "\" user=\"" + reply->userName
            + "\" retcode=" + std::to_string(reply->retcode);
        if (!reply->reason.empty())
            line += " reason=\"" + loggable(reply->reason) + '"';
    }
    line += ' ' + std::to_string(elapsed.count() / 1000) + '.' + std::to_string(elapsed.count() % 1000 / 100)
        + "ms";
    m_options.log(line);
}

HttpServer::HttpServer(UserApi &api, ServerOptions options)
    : m_api(api)
    , m_options(std::move(options))
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    if (inet_pton(AF_INET, m_options.address.c_str(), &address.sin_addr) != 1)
        throw std::runtime_error("not a numeric IPv4 address: " + m_options.address);
    const unsigned threads = m_options.threads == 0 ? 1 : m_options.threads;
    m_daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ERROR_LOG, m_options.port, nullptr, nullptr,
        &onRequest, this,
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<const sockaddr *>(&address),
        MHD_OPTION_THREAD_POOL_SIZE, threads,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 4096u,
        MHD_OPTION_CONNECTION_LIMIT, 4000u,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t(32 * 1024),
        MHD_OPTION_CONNECTION_TIMEOUT, 30u,
        MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, nullptr,
        MHD_OPTION_END);
    if (!m_daemon)
        throw std::runtime_error("cannot listen on " + m_options.address + ':' + std::to_string(m_options.port));
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : m_options.port;
}

HttpServer::~HttpServer()
{
    MHD_stop_daemon(m_daemon);
}

bool parseListenAddress(std::string_view text, std::string &address, std::uint16_t &port)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const std::string host(text.substr(0, colon));
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) != 1)
        return false;
    const std::string_view portText = text.substr(colon + 1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), value);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() || value > 65535)
        return false;
    address = host;
    port = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace zarnik::service
