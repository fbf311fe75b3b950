// Who may ask what of `servolt-cli serve`, decided over a request as a plain
// value: no socket, no clock of its own (every time is handed in, in
// milliseconds of a steady clock), so that each rule is tested as a table.
//
// The page runs in a browser that also visits other sites. Those sites can
// make the browser send requests here, by name (DNS rebinding: a name of
// theirs that resolves to 127.0.0.1) or by forms and scripts. Hence: the
// Host must be one of ours, a change must come from our own origin and carry
// the session's CSRF token, the session cookie is never sent by a browser
// for another site's request, and nobody answers without the printed token
// or the operator's password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "web/web_http.h"

// The name of the session cookie and the header that carries the CSRF token.
extern const char kSessionCookie[];
extern const char kCsrfHeader[];  // lower case, as WebRequest keeps header names

// Whether two texts are equal, in a time that depends on their lengths alone,
// never on where they first differ.
bool ConstantTimeEquals(const std::string& a, const std::string& b);

// `bytes` bytes of the system's cryptographic source as lower-case hex. False
// when the source failed: there is no weaker stand-in.
bool RandomHex(std::size_t bytes, std::string& hex);

// The value of the cookie `name` in the request's Cookie headers; empty when
// absent.
std::string CookieValue(const WebRequest& request, const std::string& name);
// T of "Authorization: Bearer T"; empty when there is none.
std::string BearerToken(const WebRequest& request);

// Whether the request's one Host header is one of `hosts` ("127.0.0.1:8580",
// "localhost:8580"; letter case ignored). Two Host headers are refused.
bool HostAllowed(const WebRequest& request, const std::vector<std::string>& hosts);

// Everything but GET and HEAD may change something.
bool ChangesState(const std::string& method);

// Whether a request that changes something comes from the page's own origin:
// an Origin of "http://" and the Host, or no Origin and "Sec-Fetch-Site:
// same-origin". A script with the bearer token sends neither, and may: but a
// foreign Origin or a Sec-Fetch-Site other than same-origin is refused for it
// too, since only a browser sends them.
bool FromOwnOrigin(const WebRequest& request, bool bearer);

// The headers every answer carries: no framing, no sniffing, no caching, no
// referrer, nothing loaded from elsewhere.
const std::vector<std::pair<std::string, std::string>>& SecurityHeaders();

struct WebSession {
    std::string id;    // the cookie's value
    std::string csrf;  // what X-Servolt-CSRF must carry
    std::int64_t created = 0;
};

// The sessions of logged-in browsers, bounded in number (the oldest goes
// first) and in age.
class SessionTable {
public:
    explicit SessionTable(std::size_t maxSessions = 32, std::int64_t maxAgeMs = 12LL * 3600 * 1000);
    // A new session; nullptr when the random source failed.
    const WebSession* Create(std::int64_t now);
    // The session with that id, compared in constant time; nullptr when none
    // or too old (it is then forgotten).
    const WebSession* Find(const std::string& id, std::int64_t now);
    void End(const std::string& id);
    std::size_t Size() const { return sessions_.size(); }

private:
    void Expire(std::int64_t now);

    std::size_t maxSessions_;
    std::int64_t maxAgeMs_;
    std::list<WebSession> sessions_;  // oldest first; a list keeps pointers valid
};

// Failed logins slow down the next attempts of the same peer: after the n-th
// failure in a row the peer is held back for 1, 2, 4 ... at most 16 seconds,
// and an attempt made meanwhile is answered at the end of that time without
// its token or password being looked at. A peer is forgotten after ten quiet
// minutes or a success; the table is bounded (the peer that failed longest
// ago goes first).
class LoginThrottle {
public:
    explicit LoginThrottle(std::size_t maxPeers = 1024);
    // How long `peer` is still held back (0: not at all).
    std::int64_t HeldMs(const std::string& peer, std::int64_t now) const;
    // Records a failure; how long the answer to it waits.
    std::int64_t Failed(const std::string& peer, std::int64_t now);
    void Succeeded(const std::string& peer);
    std::size_t Size() const { return peers_.size(); }

private:
    struct Peer {
        std::string address;
        unsigned failures = 0;
        std::int64_t last = 0;       // of the last failure
        std::int64_t heldUntil = 0;
    };
    std::size_t maxPeers_;
    std::vector<Peer> peers_;
};

// What serve was started with.
struct GuardConfig {
    std::vector<std::string> hosts;  // the Host values it answers to, lower case
    std::string token;               // the printed token
    std::string password;            // empty: no login by password
};

enum class Caller { Nobody, Session, Bearer };

struct GuardVerdict {
    int status = 0;  // 0: let through; else the status of the refusal (401, 403)
    std::string why;
    Caller caller = Caller::Nobody;
    const WebSession* session = nullptr;
    // A wrong bearer token: a failed login of the peer.
    bool badToken = false;
};

// The guard's decision. `publicFile`: the path names one of the page's files
// anyone may fetch (the login form's), so no caller is needed; "/login" is
// always open, and needs no CSRF token. `held`: the peer is held back by the
// throttle, so a bearer token is refused unread.
GuardVerdict JudgeRequest(const WebRequest& request, const GuardConfig& config, SessionTable& sessions,
                          std::int64_t now, bool publicFile, bool held = false);
