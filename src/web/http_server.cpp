// One thread and one event loop serve every connection: the handler runs to
// its end between two network events, so nothing in the site needs a lock,
// and the MinGW build (whose runtime has no std::thread or std::mutex) is
// the same program. Asio is told it has no threads; on Windows it is also
// kept from IOCP, whose timers need a thread of their own, and uses select.
#if defined(_WIN32)
#define BOOST_ASIO_DISABLE_IOCP
#endif
#define BOOST_ASIO_DISABLE_THREADS

#include "web/http_server.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

#include <array>
#include <chrono>
#include <exception>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "web/web_guard.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using boost::system::error_code;

namespace {

// Answers that wait for a full table are few and short: beyond this many
// the connection is closed at once.
constexpr std::size_t kMostRefusing = 64;
constexpr std::int64_t kRefusalMs = 2000;
// After the last answer of a connection, what the peer still sends is read
// and dropped for a moment, so that closing does not reset the connection
// before the peer has read the answer (a 413 sent while a body arrives).
constexpr std::int64_t kLingerMs = 2000;
constexpr std::size_t kLingerBytes = 2 * 1024 * 1024;

std::string Lowered(beast::string_view text) {
    std::string out(text.data(), text.size());
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

bool IsParseError(const error_code& ec) {
    return ec.category() == http::make_error_code(http::error::bad_method).category();
}

}  // namespace

std::string ListenAddress::HostText() const {
    return (IsV6() ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

bool ParseListenAddress(const std::string& text, ListenAddress& address, std::string& why) {
    std::string host;
    std::string port;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find("]:");
        if (close == std::string::npos) {
            why = text + ": give the address and a port, as [::1]:8580";
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos) {
            why = text + ": give the address and a port, as 127.0.0.1:8580";
            return false;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.find(':') != std::string::npos) {
            why = text + ": an IPv6 address goes in brackets, as [::1]:8580";
            return false;
        }
    }
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(port) > 65535) {
        why = text + ": the port is not a number from 0 to 65535";
        return false;
    }
    if (host == "localhost") host = "127.0.0.1";
    error_code ec;
    const asio::ip::address ip = asio::ip::make_address(host, ec);
    if (ec) {
        why = text + ": " + host + " is not an IP address";
        return false;
    }
    address.address = ip.to_string();
    address.port = static_cast<unsigned short>(std::stoul(port));
    return true;
}

bool IsLoopback(const ListenAddress& address) {
    error_code ec;
    const asio::ip::address ip = asio::ip::make_address(address.address, ec);
    if (ec) return false;
    if (ip.is_v6() && ip.to_v6().is_v4_mapped()) {
        return asio::ip::make_address_v4(asio::ip::v4_mapped, ip.to_v6()).is_loopback();
    }
    return ip.is_loopback();
}

bool IsUnspecified(const ListenAddress& address) {
    error_code ec;
    const asio::ip::address ip = asio::ip::make_address(address.address, ec);
    return !ec && ip.is_unspecified();
}

class Connection;

struct HttpServer::Impl {
    explicit Impl(const HttpLimits& limits) : limits(limits) {}

    void Accept(tcp::acceptor& acceptor);
    void Tick();
    void Stop();

    HttpLimits limits;
    Handler handler;
    std::function<bool()> tick;
    std::int64_t tickMs = 250;
    bool stopping = false;
    // Before the event loop: connections leave this set as the loop's
    // destruction frees them.
    std::set<Connection*> connections;
    std::size_t refusing = 0;
    asio::io_context io;
    asio::steady_timer ticker{io};
    std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
};

// One TCP connection: requests read and answered one after another, each
// step within its own deadline.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(HttpServer::Impl& server, tcp::socket socket, bool refused)
        : server_(server), socket_(std::move(socket)), deadline_(server.io), hold_(server.io), refused_(refused) {
        server_.connections.insert(this);
        if (refused_) ++server_.refusing;
    }
    ~Connection() {
        server_.connections.erase(this);
        if (refused_) --server_.refusing;
    }

    void Start() {
        error_code ec;
        const tcp::endpoint remote = socket_.remote_endpoint(ec);
        if (!ec) peer_ = remote.address().to_string();
        socket_.set_option(tcp::no_delay(true), ec);
        ReadHeader();
    }

    // The table is full: this newest one is told so and closed.
    void Refuse() {
        Prepare(ErrorResponse(503, "too many connections; try again shortly"), false, false);
        Write(kRefusalMs);
    }

    void Close() {
        error_code ec;
        socket_.close(ec);
        ++generation_;
        deadline_.cancel();
        hold_.cancel();
    }

private:
    // The connection is closed when `ms` pass before the next Arm or
    // Disarm.
    void Arm(std::int64_t ms) {
        const unsigned generation = ++generation_;
        deadline_.expires_after(std::chrono::milliseconds(ms));
        deadline_.async_wait([self = shared_from_this(), generation](const error_code& ec) {
            if (!ec && generation == self->generation_) self->Close();
        });
    }
    void Disarm() {
        ++generation_;
        deadline_.cancel();
    }

    void ReadHeader() {
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(server_.limits.headerBytes));
        parser_->body_limit(server_.limits.bodyBytes);
        Arm(server_.limits.headerMs);
        http::async_read_header(socket_, buffer_, *parser_,
                                [self = shared_from_this()](const error_code& ec, std::size_t) { self->OnHeader(ec); });
    }

    void OnHeader(const error_code& ec) {
        if (Failed(ec)) return;
        if (parser_->is_done()) return Answer();
        Arm(server_.limits.bodyMs);
        const auto expect = parser_->get().find(http::field::expect);
        if (expect != parser_->get().end() && Lowered(expect->value()) == "100-continue") {
            static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
            asio::async_write(socket_, asio::buffer(kContinue, sizeof kContinue - 1),
                              [self = shared_from_this()](const error_code& ec, std::size_t) {
                                  if (ec) return self->Close();
                                  self->ReadBody();
                              });
            return;
        }
        ReadBody();
    }

    void ReadBody() {
        http::async_read(socket_, buffer_, *parser_,
                         [self = shared_from_this()](const error_code& ec, std::size_t) {
                             if (!self->Failed(ec)) self->Answer();
                         });
    }

    // Whether reading ended the request; answers what the peer should hear
    // of it.
    bool Failed(const error_code& ec) {
        if (!ec) return false;
        if (!socket_.is_open() || ec == asio::error::operation_aborted || ec == http::error::end_of_stream) {
            Close();
        } else if (ec == http::error::header_limit) {
            Fail(431, "the request's header is larger than 8 KB");
        } else if (ec == http::error::body_limit) {
            Fail(413, "the request's body is too large");
        } else if (IsParseError(ec)) {
            Fail(400, "the request is not valid HTTP");
        } else {
            Close();
        }
        return true;
    }

    void Fail(int status, const std::string& why) {
        Prepare(ErrorResponse(status, why), false, false);
        Write(server_.limits.writeMs);
    }

    void Answer() {
        auto& message = parser_->get();
        WebRequest request;
        request.method = std::string(message.method_string());
        const std::string target(message.target());
        const std::size_t mark = target.find('?');
        request.path = target.substr(0, mark);
        if (mark != std::string::npos) request.query = target.substr(mark + 1);
        for (const auto& field : message) request.headers.emplace_back(Lowered(field.name_string()), std::string(field.value()));
        request.body = std::move(message.body());
        // HEAD is GET without the body: the same checks, the same headers.
        const bool head = request.method == "HEAD";
        if (head) request.method = "GET";
        const bool keepAlive = message.keep_alive();

        std::int64_t delayMs = 0;
        WebResponse response;
        try {
            response = server_.handler(request, peer_, delayMs);
        } catch (...) {
            response = ErrorResponse(500, "the request could not be answered");
            delayMs = 0;
        }
        Disarm();
        Prepare(std::move(response), keepAlive, head);
        if (delayMs <= 0) return Write(server_.limits.writeMs);
        hold_.expires_after(std::chrono::milliseconds(delayMs));
        hold_.async_wait([self = shared_from_this()](const error_code& ec) {
            if (!ec) self->Write(self->server_.limits.writeMs);
        });
    }

    void Prepare(WebResponse response, bool keepAlive, bool head) {
        response_ = {};
        response_.version(11);
        const int status = response.status >= 200 && response.status <= 599 ? response.status : 500;
        response_.result(static_cast<unsigned>(status));
        response_.set(http::field::content_type, response.contentType);
        for (const auto& header : SecurityHeaders()) response_.set(header.first, header.second);
        for (const auto& header : response.headers) {
            if (!HasLineBreak(header.first) && !HasLineBreak(header.second)) response_.insert(header.first, header.second);
        }
        response_.keep_alive(keepAlive);
        const std::size_t size = response.body.size();
        if (!head) response_.body() = std::move(response.body);
        response_.content_length(size);
    }

    void Write(std::int64_t ms) {
        Arm(ms);
        http::async_write(socket_, response_, [self = shared_from_this()](const error_code& ec, std::size_t) {
            if (ec) return self->Close();
            if (self->response_.keep_alive() && !self->refused_ && !self->server_.stopping) return self->ReadHeader();
            self->Linger();
        });
    }

    void Linger() {
        error_code ec;
        socket_.shutdown(tcp::socket::shutdown_send, ec);
        if (ec) return Close();
        Arm(kLingerMs);
        Drain();
    }

    void Drain() {
        socket_.async_read_some(asio::buffer(drain_), [self = shared_from_this()](const error_code& ec, std::size_t n) {
            self->drained_ += n;
            if (ec || self->drained_ > kLingerBytes) return self->Close();
            self->Drain();
        });
    }

    HttpServer::Impl& server_;
    tcp::socket socket_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::string_body> response_;
    asio::steady_timer deadline_;
    asio::steady_timer hold_;
    unsigned generation_ = 0;
    std::string peer_;
    bool refused_;
    std::array<char, 4096> drain_{};
    std::size_t drained_ = 0;
};

void HttpServer::Impl::Accept(tcp::acceptor& acceptor) {
    acceptor.async_accept([this, &acceptor](const error_code& ec, tcp::socket socket) {
        if (stopping || ec == asio::error::operation_aborted) return;
        if (ec) {
            // Out of descriptors, most likely: try again in a moment
            // rather than spin.
            auto pause = std::make_shared<asio::steady_timer>(io, std::chrono::milliseconds(100));
            pause->async_wait([this, &acceptor, pause](const error_code& waited) {
                if (!waited && !stopping) Accept(acceptor);
            });
            return;
        }
        if (connections.size() - refusing < limits.connections) {
            std::make_shared<Connection>(*this, std::move(socket), false)->Start();
        } else if (refusing < kMostRefusing) {
            std::make_shared<Connection>(*this, std::move(socket), true)->Refuse();
        }
        Accept(acceptor);
    });
}

void HttpServer::Impl::Tick() {
    ticker.expires_after(std::chrono::milliseconds(tickMs));
    ticker.async_wait([this](const error_code& ec) {
        if (ec || stopping) return;
        if (!tick()) return Stop();
        Tick();
    });
}

void HttpServer::Impl::Stop() {
    stopping = true;
    error_code ec;
    for (auto& acceptor : acceptors) acceptor->close(ec);
    const std::vector<Connection*> open(connections.begin(), connections.end());
    for (Connection* connection : open) connection->Close();
}

HttpServer::HttpServer(const HttpLimits& limits) : impl_(new Impl(limits)) {}

HttpServer::~HttpServer() = default;

HttpServer::ListenResult HttpServer::Listen(ListenAddress& address, std::string& why) {
    error_code ec;
    const asio::ip::address ip = asio::ip::make_address(address.address, ec);
    if (ec) {
        why = address.address + " is not an IP address";
        return ListenResult::Failed;
    }
    const tcp::endpoint endpoint(ip, address.port);
    auto acceptor = std::make_unique<tcp::acceptor>(impl_->io);
    const auto unavailable = [&](const error_code& error) {
#if defined(_WIN32)
        if (error.value() == WSAEADDRNOTAVAIL) return true;
#endif
        return error == asio::error::address_family_not_supported ||
               error == boost::system::errc::address_not_available;
    };
    acceptor->open(endpoint.protocol(), ec);
    if (!ec) {
#if defined(_WIN32)
        // No other program may take the port over while it is ours.
        acceptor->set_option(asio::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>(true), ec);
        ec.clear();
#else
        // A restart binds again at once, past the last run's closing
        // connections.
        acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
#endif
        if (!ec && ip.is_v6()) acceptor->set_option(asio::ip::v6_only(true), ec);
    }
    if (!ec) acceptor->bind(endpoint, ec);
    if (!ec) acceptor->listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        why = address.HostText() + ": " + ec.message();
        return unavailable(ec) ? ListenResult::Unavailable : ListenResult::Failed;
    }
    address.port = acceptor->local_endpoint(ec).port();
    impl_->acceptors.push_back(std::move(acceptor));
    return ListenResult::Listening;
}

void HttpServer::Run(const Handler& handler, const std::function<bool()>& tick, std::int64_t tickMs) {
    impl_->handler = handler;
    impl_->tick = tick;
    impl_->tickMs = tickMs;
    impl_->stopping = false;
    for (auto& acceptor : impl_->acceptors) impl_->Accept(*acceptor);
    impl_->Tick();
    impl_->io.run();
    impl_->io.restart();
}

std::size_t HttpServer::OpenConnections() const { return impl_->connections.size(); }
