// Everything serve answers, behind the transport: the guard first, then the
// session's own routes (/login, /logout, /api/session), the page's embedded
// files, and the routes of the settings and the servers. A request in, an
// answer out; the fuzz target and the tests drive it without a socket.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "web/web_guard.h"
#include "web/web_http.h"
#include "web/web_routes.h"
#include "web/web_site.h"

struct WebAppOptions {
    std::vector<std::string> hosts;  // the Host values answered to
    std::string token;               // the printed token
    std::string password;            // empty: no login by password
    std::string version;             // of servolt-cli, for /api/session
};

class WebApp {
public:
    WebApp(WebSite& site, WebAppOptions options);

    WebResponse Handle(const WebRequest& request);
    // As above, for a request of `peer` (its address): failed logins of one
    // peer slow its next ones, and `delayMs` receives how long the transport
    // is to hold this answer back (0: none).
    WebResponse Handle(const WebRequest& request, const std::string& peer, std::int64_t& delayMs);

    // The sessions open now (tests).
    std::size_t SessionCount() const { return sessions_.Size(); }

private:
    WebResponse Login(const WebRequest& request, const std::string& peer, std::int64_t now, std::int64_t& delayMs);
    WebResponse LoggedIn(const std::string& peer, std::int64_t now);
    WebResponse Session(const GuardVerdict& verdict);

    WebSite& site_;
    GuardConfig guard_;
    std::string version_;
    SessionTable sessions_;
    LoginThrottle throttle_;
    WebRoutes routes_;
};

// The page's file a path names ("/" is index.html); nullptr for any other
// path.
const struct StaticFile* StaticFileOfPath(const std::string& path);
