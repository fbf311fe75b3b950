// Who may ask what of serve: the guard's decisions over plain requests, the
// sessions' bounds, the slowing of failed logins, and the answers of the
// site's entry point that no route of its parts gives (login, session,
// logout, the page's files).
#include <gtest/gtest.h>

#include <set>

#include "web/static_files.h"
#include "web/web_app.h"
#include "web/web_guard.h"

namespace {

const char kHost[] = "127.0.0.1:8580";
const std::string kToken(64, 'a');

enum Credential { kNone, kGood, kBad };

struct Case {
    const char* method;
    const char* path;
    const char* host;    // nullptr: no Host header
    const char* origin;  // nullptr: no Origin
    const char* site;    // Sec-Fetch-Site; nullptr: none
    Credential cookie;
    Credential csrf;
    Credential bearer;
    bool publicFile;
    int status;
    Caller caller;
};

TEST(WebGuard, DecidesByHostOriginCsrfAndCredentials) {
    const char* own = "http://127.0.0.1:8580";
    const char* foreign = "http://evil.example";
    const Case cases[] = {
        // Host: only the names listened as.
        {"GET", "/api/session", kHost, nullptr, nullptr, kGood, kNone, kNone, false, 0, Caller::Session},
        {"GET", "/api/session", "LOCALHOST:8580", nullptr, nullptr, kGood, kNone, kNone, false, 0, Caller::Session},
        {"GET", "/api/session", nullptr, nullptr, nullptr, kGood, kNone, kNone, false, 403, Caller::Nobody},
        {"GET", "/api/session", "evil.example:8580", nullptr, nullptr, kGood, kNone, kNone, false, 403, Caller::Nobody},
        {"GET", "/api/session", "127.0.0.1:8581", nullptr, nullptr, kNone, kNone, kGood, false, 403, Caller::Nobody},
        {"GET", "/login", "127.0.0.1", nullptr, nullptr, kNone, kNone, kNone, false, 403, Caller::Nobody},
        // Who asks: a session, the bearer token, nobody.
        {"GET", "/api/session", kHost, nullptr, nullptr, kNone, kNone, kNone, false, 401, Caller::Nobody},
        {"GET", "/api/session", kHost, nullptr, nullptr, kBad, kNone, kNone, false, 401, Caller::Nobody},
        {"GET", "/api/session", kHost, nullptr, nullptr, kNone, kNone, kGood, false, 0, Caller::Bearer},
        {"GET", "/api/session", kHost, nullptr, nullptr, kGood, kNone, kBad, false, 401, Caller::Nobody},
        {"GET", "/", kHost, nullptr, nullptr, kNone, kNone, kNone, false, 401, Caller::Nobody},
        {"GET", "/app.css", kHost, nullptr, nullptr, kNone, kNone, kNone, true, 0, Caller::Nobody},
        {"GET", "/login", kHost, nullptr, nullptr, kNone, kNone, kNone, false, 0, Caller::Nobody},
        // Changes: own origin, and the session's CSRF token.
        {"POST", "/api/i/default/save", kHost, own, "same-origin", kGood, kGood, kNone, false, 0, Caller::Session},
        {"POST", "/api/i/default/save", kHost, nullptr, "same-origin", kGood, kGood, kNone, false, 0, Caller::Session},
        {"PUT", "/api/i/default/save", kHost, "HTTP://127.0.0.1:8580", nullptr, kGood, kGood, kNone, false, 0,
         Caller::Session},
        {"POST", "/api/i/default/save", kHost, foreign, "cross-site", kGood, kGood, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, foreign, nullptr, kGood, kGood, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, "null", nullptr, kGood, kGood, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, "http://127.0.0.1:8580.evil", nullptr, kGood, kGood, kNone, false,
         403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, own, "cross-site", kGood, kGood, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, nullptr, nullptr, kGood, kGood, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, nullptr, "none", kGood, kGood, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, own, nullptr, kGood, kNone, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, own, nullptr, kGood, kBad, kNone, false, 403, Caller::Session},
        {"DELETE", "/api/i/default/save", kHost, own, nullptr, kGood, kBad, kNone, false, 403, Caller::Session},
        {"POST", "/api/i/default/save", kHost, own, nullptr, kNone, kGood, kNone, false, 401, Caller::Nobody},
        {"POST", "/logout", kHost, own, nullptr, kGood, kNone, kNone, false, 403, Caller::Session},
        // A script: no CSRF token needed, but never a foreign origin.
        {"POST", "/api/i/default/save", kHost, nullptr, nullptr, kNone, kNone, kGood, false, 0, Caller::Bearer},
        {"POST", "/api/i/default/save", kHost, own, nullptr, kNone, kNone, kGood, false, 0, Caller::Bearer},
        {"POST", "/api/i/default/save", kHost, foreign, nullptr, kNone, kNone, kGood, false, 403, Caller::Bearer},
        {"POST", "/api/i/default/save", kHost, nullptr, "cross-site", kNone, kNone, kGood, false, 403,
         Caller::Bearer},
        // Login: open, without CSRF token, but from the page's own origin.
        {"POST", "/login", kHost, own, nullptr, kNone, kNone, kNone, false, 0, Caller::Nobody},
        {"POST", "/login", kHost, foreign, nullptr, kNone, kNone, kNone, false, 403, Caller::Nobody},
        {"POST", "/login", kHost, own, nullptr, kGood, kNone, kNone, false, 0, Caller::Session},
    };
    for (const Case& c : cases) {
        SessionTable sessions;
        const WebSession* session = sessions.Create(0);
        ASSERT_NE(session, nullptr);
        GuardConfig config;
        config.hosts = {"127.0.0.1:8580", "localhost:8580", "[::1]:8580"};
        config.token = kToken;
        WebRequest request;
        request.method = c.method;
        request.path = c.path;
        if (c.host) request.headers.emplace_back("host", c.host);
        if (c.origin) request.headers.emplace_back("origin", c.origin);
        if (c.site) request.headers.emplace_back("sec-fetch-site", c.site);
        if (c.cookie != kNone) {
            request.headers.emplace_back("cookie", "theme=dark; servolt_session=" +
                                                       (c.cookie == kGood ? session->id : std::string(64, '0')));
        }
        if (c.csrf != kNone) request.headers.emplace_back("x-servolt-csrf", c.csrf == kGood ? session->csrf : "0");
        if (c.bearer != kNone) {
            request.headers.emplace_back("authorization", "Bearer " + (c.bearer == kGood ? kToken : kToken + "0"));
        }
        const GuardVerdict verdict = JudgeRequest(request, config, sessions, 1000, c.publicFile);
        const std::string what = std::string(c.method) + " " + c.path + " host=" + (c.host ? c.host : "-") +
                                 " origin=" + (c.origin ? c.origin : "-") + " site=" + (c.site ? c.site : "-");
        EXPECT_EQ(verdict.status, c.status) << what;
        if (c.status == 0 || c.status == 403) {
            EXPECT_EQ(static_cast<int>(verdict.caller), static_cast<int>(c.caller)) << what;
        }
        EXPECT_EQ(verdict.badToken, c.bearer == kBad && c.status == 401) << what;
    }
}

TEST(WebGuard, TokensCookiesAndTimeConstantComparison) {
    std::string a;
    std::string b;
    ASSERT_TRUE(RandomHex(32, a));
    ASSERT_TRUE(RandomHex(32, b));
    EXPECT_EQ(a.size(), 64u);
    EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(a, b);
    EXPECT_TRUE(ConstantTimeEquals(a, a));
    EXPECT_FALSE(ConstantTimeEquals(a, b));
    EXPECT_FALSE(ConstantTimeEquals(a, a.substr(0, 63)));
    EXPECT_FALSE(ConstantTimeEquals(a + "0", a));
    EXPECT_FALSE(ConstantTimeEquals("", a));
    EXPECT_TRUE(ConstantTimeEquals("", ""));

    WebRequest request;
    request.headers = {{"cookie", "xservolt_session=1; servolt_session_old=2"},
                       {"cookie", " a=b ;servolt_session=abc; c=d"},
                       {"authorization", "bearer   tok "}};
    EXPECT_EQ(CookieValue(request, "servolt_session"), "abc");
    EXPECT_EQ(CookieValue(request, "missing"), "");
    EXPECT_EQ(BearerToken(request), "tok");
    request.headers = {{"authorization", "Basic dXNlcjpwYXNz"}};
    EXPECT_EQ(BearerToken(request), "");
    // Two Host headers are one too many, whatever they say.
    request.headers = {{"host", "127.0.0.1:8580"}, {"host", "127.0.0.1:8580"}};
    EXPECT_FALSE(HostAllowed(request, {"127.0.0.1:8580"}));
}

TEST(WebGuard, SessionsAreBoundedInNumberAndAge) {
    SessionTable sessions(3, 1000);
    std::vector<std::string> ids;
    std::set<std::string> csrfs;
    for (int i = 0; i < 4; ++i) {
        const WebSession* session = sessions.Create(i);
        ASSERT_NE(session, nullptr);
        ids.push_back(session->id);
        csrfs.insert(session->csrf);
    }
    EXPECT_EQ(csrfs.size(), 4u);
    EXPECT_EQ(sessions.Size(), 3u);
    EXPECT_EQ(sessions.Find(ids[0], 10), nullptr);  // the oldest went for the fourth
    ASSERT_NE(sessions.Find(ids[1], 10), nullptr);
    EXPECT_EQ(sessions.Find(ids[1], 10)->id, ids[1]);
    sessions.End(ids[2]);
    EXPECT_EQ(sessions.Find(ids[2], 10), nullptr);
    EXPECT_NE(sessions.Find(ids[3], 1002), nullptr);
    EXPECT_EQ(sessions.Find(ids[3], 1003), nullptr);  // a session lives 1000 ms here
    EXPECT_EQ(sessions.Find("", 0), nullptr);
}

TEST(WebGuard, FailedLoginsHoldThePeerBackLongerEachTime) {
    LoginThrottle throttle(2);
    std::int64_t now = 0;
    std::int64_t previous = 0;
    for (int i = 0; i < 8; ++i) {
        const std::int64_t delay = throttle.Failed("10.0.0.1", now);
        EXPECT_GE(delay, previous) << i;
        EXPECT_GE(delay, 1000) << i;
        EXPECT_LE(delay, 16000) << i;
        EXPECT_EQ(throttle.HeldMs("10.0.0.1", now), delay);
        previous = delay;
        now += delay;
        EXPECT_EQ(throttle.HeldMs("10.0.0.1", now), 0);
    }
    EXPECT_EQ(previous, 16000);
    EXPECT_EQ(throttle.HeldMs("10.0.0.2", now), 0);
    // The table keeps two peers: the one that failed longest ago goes.
    throttle.Failed("10.0.0.2", now);
    throttle.Failed("10.0.0.3", now + 1);
    EXPECT_EQ(throttle.Size(), 2u);
    EXPECT_EQ(throttle.HeldMs("10.0.0.1", now), 0);
    EXPECT_GT(throttle.HeldMs("10.0.0.3", now + 1), 0);
    throttle.Succeeded("10.0.0.3");
    EXPECT_EQ(throttle.HeldMs("10.0.0.3", now + 1), 0);
    // Ten quiet minutes and a peer starts over.
    EXPECT_EQ(throttle.Failed("10.0.0.2", now + 10 * 60 * 1000 + 1), 1000);
}

WebRequest Get(const std::string& target, const std::string& cookie = std::string()) {
    WebRequest request;
    request.method = "GET";
    const std::size_t mark = target.find('?');
    request.path = target.substr(0, mark);
    if (mark != std::string::npos) request.query = target.substr(mark + 1);
    request.headers.emplace_back("host", kHost);
    if (!cookie.empty()) request.headers.emplace_back("cookie", "servolt_session=" + cookie);
    return request;
}

std::string HeaderOf(const WebResponse& response, const std::string& name) {
    for (const auto& header : response.headers) {
        if (header.first == name) return header.second;
    }
    return std::string();
}

TEST(WebApp, LoginSessionLogoutAndTheEmbeddedFiles) {
    WebSite site;
    WebAppOptions options;
    options.hosts = {kHost};
    options.token = kToken;
    options.password = "open sesame";
    options.version = "9.8.7";
    WebApp app(site, options);

    std::int64_t delay = 0;
    WebResponse response = app.Handle(Get("/login?token=" + kToken + "0"), "10.0.0.9", delay);
    EXPECT_EQ(response.status, 401);
    EXPECT_GE(delay, 1000);
    // Held back: even the right token is not looked at until the time is up.
    response = app.Handle(Get("/login?token=" + kToken), "10.0.0.9", delay);
    EXPECT_EQ(response.status, 401);
    EXPECT_GT(delay, 0);
    EXPECT_EQ(app.SessionCount(), 0u);

    response = app.Handle(Get("/login?token=" + kToken), "10.0.0.1", delay);
    EXPECT_EQ(response.status, 303);
    EXPECT_EQ(delay, 0);
    EXPECT_EQ(HeaderOf(response, "Location"), "/");
    const std::string cookie = HeaderOf(response, "Set-Cookie");
    ASSERT_EQ(cookie.find("servolt_session="), 0u) << cookie;
    for (const char* attribute : {"; HttpOnly", "; SameSite=Strict", "; Path=/"}) {
        EXPECT_NE(cookie.find(attribute), std::string::npos) << attribute;
    }
    const std::string id = cookie.substr(16, cookie.find(';') - 16);
    EXPECT_EQ(id.size(), 64u);

    response = app.Handle(Get("/api/session", id));
    ASSERT_EQ(response.status, 200);
    const nlohmann::json session = nlohmann::json::parse(response.body);
    EXPECT_EQ(session["version"], "9.8.7");
    EXPECT_EQ(session["instances"], nlohmann::json::array({"default"}));
    const std::string csrf = session["csrf"];
    EXPECT_EQ(csrf.size(), 64u);

    // The page's files by their exact names only.
    for (std::size_t i = 0; i < kStaticFileCount; ++i) {
        const std::string name = kStaticFiles[i].name;
        response = app.Handle(Get("/" + name, id));
        EXPECT_EQ(response.status, 200) << name;
        EXPECT_EQ(response.body, std::string(reinterpret_cast<const char*>(kStaticFiles[i].data), kStaticFiles[i].size));
        EXPECT_EQ(response.contentType, StaticContentType(name));
    }
    EXPECT_EQ(app.Handle(Get("/", id)).body, app.Handle(Get("/index.html", id)).body);
    EXPECT_EQ(app.Handle(Get("/", id)).contentType, "text/html; charset=utf-8");
    EXPECT_EQ(app.Handle(Get("/")).status, 401);
    EXPECT_EQ(app.Handle(Get("/")).contentType, "text/html; charset=utf-8");
    for (const char* target : {"/../index.html", "/%2e%2e/index.html", "/index%2ehtml", "/%5cindex.html",
                               "//index.html", "/index.html/", "/INDEX.HTML", "/C:/Windows/win.ini",
                               "/etc/passwd", "/static/index.html", "/api/%2e%2e/index.html"}) {
        EXPECT_EQ(app.Handle(Get(target, id)).status, 404) << target;
    }
    // The login form with a password set; the password logs in.
    response = app.Handle(Get("/login"));
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, std::string(reinterpret_cast<const char*>(FindStaticFile("login.html")->data),
                                         FindStaticFile("login.html")->size));
    WebRequest post = Get("/login");
    post.method = "POST";
    post.headers.emplace_back("origin", "http://127.0.0.1:8580");
    post.body = "password=open+sesame";
    EXPECT_EQ(app.Handle(post, "10.0.0.2", delay).status, 303);
    post.body = "password=open+sesam";
    EXPECT_EQ(app.Handle(post, "10.0.0.3", delay).status, 401);
    EXPECT_GE(delay, 1000);
    EXPECT_EQ(app.SessionCount(), 2u);

    WebRequest logout = Get("/logout", id);
    logout.method = "POST";
    logout.headers.emplace_back("origin", "http://127.0.0.1:8580");
    logout.headers.emplace_back("x-servolt-csrf", csrf);
    response = app.Handle(logout);
    EXPECT_EQ(response.status, 200);
    EXPECT_NE(HeaderOf(response, "Set-Cookie").find("Max-Age=0"), std::string::npos);
    EXPECT_EQ(app.Handle(Get("/api/session", id)).status, 401);
    EXPECT_EQ(app.SessionCount(), 1u);
}

}  // namespace
