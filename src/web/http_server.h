// The transport of `servolt-cli serve`: HTTP/1.1 over TCP on one thread and
// one event loop, every request bounded in size and in time, each answer
// given the security headers. The only part of the program that sees Boost
// (its one translation unit includes Asio and Beast), so nothing else pays
// for compiling them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "web/web_http.h"

// An address to listen on, as --listen gives it: "127.0.0.1:8580",
// "[::1]:8580", "localhost:8580" (127.0.0.1), "0.0.0.0:8580"; port 0 takes
// a free port (Listen fills in which).
struct ListenAddress {
    std::string address;  // "127.0.0.1", "::1"
    unsigned short port = 0;

    bool IsV6() const { return address.find(':') != std::string::npos; }
    // As a Host header or a URL names it: "127.0.0.1:8580", "[::1]:8580".
    std::string HostText() const;
};

// False, with the reason, for a text that is no IP address and port.
bool ParseListenAddress(const std::string& text, ListenAddress& address, std::string& why);
// 127.0.0.0/8, ::1 (and 127.x mapped into IPv6).
bool IsLoopback(const ListenAddress& address);
// 0.0.0.0 or ::, every address of the host.
bool IsUnspecified(const ListenAddress& address);

struct HttpLimits {
    std::size_t headerBytes = 8 * 1024;                  // request line and headers
    std::size_t bodyBytes = 1024 * 1024 + 64 * 1024;     // an import's 1 MB and its margin
    std::size_t connections = 256;                       // open at once; the next are told 503
    std::int64_t headerMs = 10000;                       // for a request's header, idle ones included
    std::int64_t bodyMs = 30000;                         // for its body, once the header is in
    std::int64_t writeMs = 30000;                        // for an answer to be taken
};

class HttpServer {
public:
    // Answers one request of `peer` (its address); `delayMs`: how long the
    // answer is held back first (0: not at all). Never blocks on the network.
    using Handler = std::function<WebResponse(const WebRequest& request, const std::string& peer,
                                              std::int64_t& delayMs)>;

    explicit HttpServer(const HttpLimits& limits = HttpLimits());
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    enum class ListenResult {
        Listening,
        Unavailable,  // the host has no such address or address family (no IPv6)
        Failed,
    };
    // Binds and listens; a port 0 is replaced by the port taken. `why` says
    // what failed.
    ListenResult Listen(ListenAddress& address, std::string& why);

    // Serves until `tick`, called about every `tickMs` milliseconds, returns
    // false; then closes every connection and returns.
    void Run(const Handler& handler, const std::function<bool()>& tick, std::int64_t tickMs = 250);

    // Connections open now (tests and benchmarks).
    std::size_t OpenConnections() const;

    // The event loop and its connections, inside http_server.cpp.
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
