#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct MHD_Connection;
struct MHD_Daemon;

namespace zarnik::service {

class UserApi;
struct ApiReply;

struct ServerOptions {
    std::string address = "127.0.0.1"; // IPv4, numeric
    std::uint16_t port = 80;            // 0 = any free port
    unsigned threads = 4;
    // Receives one line per request, without a line end; empty = no log.
    std::function<void(std::string_view)> log;
};

// libmicrohttpd behind RAII: answers form POSTs at "/userapi.php" through the UserApi and GETs
// of the web pages. Runs on its own thread pool from construction until destruction.
class HttpServer {
public:
    static constexpr std::size_t kMaxBodyBytes = 64 * 1024;

    // Throws std::runtime_error when the address is bad or cannot be bound.
    HttpServer(UserApi &api, ServerOptions options);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    std::uint16_t port() const { return m_port; }
    const std::string &address() const { return m_options.address; }

    // Bodies up to this size are read and thrown away before the refusal, so the client sees it.
    static constexpr std::size_t kMaxDiscardBytes = 1024 * 1024;

    // State of one request and its answer, for libmicrohttpd's callbacks.
    struct Exchange;
    bool answer(MHD_Connection *connection, const Exchange &exchange, std::string_view path,
                std::string_view method);

private:
    void writeLog(MHD_Connection *connection, const Exchange &exchange, std::string_view method,
                  std::string_view path, unsigned status, const ApiReply *reply) const;

    UserApi &m_api;
    ServerOptions m_options;
    MHD_Daemon *m_daemon = nullptr;
    std::uint16_t m_port = 0;
};

// "ADDR:PORT" with a numeric IPv4 address and a port 0-65535.
bool parseListenAddress(std::string_view text, std::string &address, std::uint16_t &port);

} // namespace zarnik::service
