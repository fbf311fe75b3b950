#include "web/web_guard.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

const char kSessionCookie[] = "servolt_session";
const char kCsrfHeader[] = "x-servolt-csrf";

namespace {

constexpr std::int64_t kThrottleFirstMs = 1000;
constexpr std::int64_t kThrottleLongestMs = 16000;
constexpr std::int64_t kThrottleForgetMs = 10 * 60 * 1000;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool FillRandom(unsigned char* bytes, std::size_t size) {
#if defined(_WIN32)
    return BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
#else
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = getrandom(bytes + filled, size - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    if (filled == size) return true;
    // A kernel older than getrandom: its device gives the same source.
    std::FILE* device = std::fopen("/dev/urandom", "rb");
    if (device == nullptr) return false;
    const bool read = std::fread(bytes, 1, size, device) == size;
    std::fclose(device);
    return read;
#endif
}

}  // namespace

bool ConstantTimeEquals(const std::string& a, const std::string& b) {
    // Every byte of the longer text is looked at whatever the other holds;
    // only the lengths (never secret here: tokens have one length) show.
    const std::size_t length = std::max(a.size(), b.size());
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference = static_cast<unsigned char>(difference | (x ^ y));
    }
    return difference == 0;
}

bool RandomHex(std::size_t bytes, std::string& hex) {
    std::vector<unsigned char> random(bytes);
    hex.clear();
    if (bytes > 0 && !FillRandom(random.data(), bytes)) return false;
    static const char kDigits[] = "0123456789abcdef";
    for (const unsigned char byte : random) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return true;
}

std::string CookieValue(const WebRequest& request, const std::string& name) {
    for (const auto& header : request.headers) {
        if (header.first != "cookie") continue;
        const std::string& text = header.second;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find(';', start);
            if (end == std::string::npos) end = text.size();
            const std::string pair = Trim(text.substr(start, end - start));
            const std::size_t equals = pair.find('=');
            if (equals != std::string::npos && pair.compare(0, equals, name) == 0 && equals == name.size()) {
                return pair.substr(equals + 1);
            }
            start = end + 1;
        }
    }
    return std::string();
}

std::string BearerToken(const WebRequest& request) {
    const std::string* authorization = request.Header("authorization");
    if (authorization == nullptr) return std::string();
    const std::string text = Trim(*authorization);
    if (text.size() < 7 || !SameIgnoringCase(text.substr(0, 7), "bearer ")) return std::string();
    return Trim(text.substr(7));
}

bool HostAllowed(const WebRequest& request, const std::vector<std::string>& hosts) {
    const std::string* host = nullptr;
    for (const auto& header : request.headers) {
        if (header.first != "host") continue;
        if (host != nullptr) return false;
        host = &header.second;
    }
    if (host == nullptr) return false;
    const std::string name = Trim(*host);
    return std::any_of(hosts.begin(), hosts.end(),
                       [&](const std::string& allowed) { return SameIgnoringCase(name, allowed); });
}

bool ChangesState(const std::string& method) { return method != "GET" && method != "HEAD"; }

bool FromOwnOrigin(const WebRequest& request, bool bearer) {
    const std::string* host = request.Header("host");
    const std::string* origin = request.Header("origin");
    const std::string* site = request.Header("sec-fetch-site");
    if (site != nullptr && Trim(*site) != "same-origin") return false;
    if (origin != nullptr) return host != nullptr && SameIgnoringCase(Trim(*origin), "http://" + Trim(*host));
    return site != nullptr || bearer;
}

const std::vector<std::pair<std::string, std::string>>& SecurityHeaders() {
    static const std::vector<std::pair<std::string, std::string>> headers = {
        {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Cache-Control", "no-store"},
        {"Referrer-Policy", "no-referrer"},
        {"X-Frame-Options", "DENY"},
    };
    return headers;
}

SessionTable::SessionTable(std::size_t maxSessions, std::int64_t maxAgeMs)
    : maxSessions_(std::max<std::size_t>(maxSessions, 1)), maxAgeMs_(maxAgeMs) {}

void SessionTable::Expire(std::int64_t now) {
    sessions_.remove_if([&](const WebSession& session) { return now - session.created >= maxAgeMs_; });
}

const WebSession* SessionTable::Create(std::int64_t now) {
    WebSession session;
    if (!RandomHex(32, session.id) || !RandomHex(32, session.csrf)) return nullptr;
    session.created = now;
    Expire(now);
    while (sessions_.size() >= maxSessions_) sessions_.pop_front();
    sessions_.push_back(std::move(session));
    return &sessions_.back();
}

const WebSession* SessionTable::Find(const std::string& id, std::int64_t now) {
    Expire(now);
    if (id.empty()) return nullptr;
    const WebSession* found = nullptr;
    // Every session is compared, so the time taken tells nothing of which
    // came close.
    for (const WebSession& session : sessions_) {
        if (ConstantTimeEquals(session.id, id)) found = &session;
    }
    return found;
}

void SessionTable::End(const std::string& id) {
    // A copy: `id` may be the ending session's own.
    const std::string ending = id;
    sessions_.remove_if([&](const WebSession& session) { return ConstantTimeEquals(session.id, ending); });
}

LoginThrottle::LoginThrottle(std::size_t maxPeers) : maxPeers_(std::max<std::size_t>(maxPeers, 1)) {}

std::int64_t LoginThrottle::HeldMs(const std::string& peer, std::int64_t now) const {
    for (const Peer& entry : peers_) {
        if (entry.address == peer) return std::max<std::int64_t>(entry.heldUntil - now, 0);
    }
    return 0;
}

std::int64_t LoginThrottle::Failed(const std::string& peer, std::int64_t now) {
    peers_.erase(std::remove_if(peers_.begin(), peers_.end(),
                                [&](const Peer& entry) { return now - entry.last >= kThrottleForgetMs; }),
                 peers_.end());
    auto entry = std::find_if(peers_.begin(), peers_.end(), [&](const Peer& p) { return p.address == peer; });
    if (entry == peers_.end()) {
        if (peers_.size() >= maxPeers_) {
            peers_.erase(std::min_element(peers_.begin(), peers_.end(),
                                          [](const Peer& a, const Peer& b) { return a.last < b.last; }));
        }
        peers_.push_back(Peer{peer, 0, now, now});
        entry = peers_.end() - 1;
    }
    entry->failures = std::min(entry->failures + 1, 16u);
    std::int64_t delay = kThrottleFirstMs;
    for (unsigned i = 1; i < entry->failures && delay < kThrottleLongestMs; ++i) delay *= 2;
    delay = std::min(delay, kThrottleLongestMs);
    entry->last = now;
    entry->heldUntil = now + delay;
    return delay;
}

void LoginThrottle::Succeeded(const std::string& peer) {
    peers_.erase(std::remove_if(peers_.begin(), peers_.end(), [&](const Peer& p) { return p.address == peer; }),
                 peers_.end());
}

GuardVerdict JudgeRequest(const WebRequest& request, const GuardConfig& config, SessionTable& sessions,
                          std::int64_t now, bool publicFile, bool held) {
    GuardVerdict verdict;
    if (!HostAllowed(request, config.hosts)) {
        verdict.status = 403;
        verdict.why = "this server does not answer to that host name";
        return verdict;
    }
    const std::string bearer = BearerToken(request);
    if (!bearer.empty()) {
        if (held || config.token.empty() || !ConstantTimeEquals(bearer, config.token)) {
            verdict.status = 401;
            verdict.why = "wrong token";
            verdict.badToken = !held;
            return verdict;
        }
        verdict.caller = Caller::Bearer;
    } else if (const WebSession* session = sessions.Find(CookieValue(request, kSessionCookie), now)) {
        verdict.caller = Caller::Session;
        verdict.session = session;
    }
    const bool login = request.path == "/login";
    if (ChangesState(request.method)) {
        if (!FromOwnOrigin(request, verdict.caller == Caller::Bearer)) {
            verdict.status = 403;
            verdict.why = "a change must come from the page itself";
            return verdict;
        }
        if (verdict.caller == Caller::Session && !login) {
            const std::string* csrf = request.Header(kCsrfHeader);
            if (csrf == nullptr || !ConstantTimeEquals(*csrf, verdict.session->csrf)) {
                verdict.status = 403;
                verdict.why = "the request lacks the page's CSRF token";
                return verdict;
            }
        }
    }
    if (verdict.caller == Caller::Nobody && !login && !publicFile) {
        verdict.status = 401;
        verdict.why = "not logged in";
    }
    return verdict;
}
