#include "web/web_app.h"

#include <chrono>
#include <cstring>
#include <utility>

#include "web/server_routes.h"
#include "web/settings_routes.h"
#include "web/static_files.h"

namespace {

// No query value ever holds a NUL (PercentDecode refuses one), so it marks
// a parameter that is absent rather than empty.
const std::string kAbsent(1, '\0');

constexpr int kSessionSeconds = 12 * 3600;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool EndsWith(const std::string& text, const char* end) {
    const std::size_t length = std::strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// A short page for a person who opened an address in the browser; the
// page's scripts get JSON.
WebResponse Refusal(int status, const std::string& why, const std::string& path, const std::string& more = "") {
    if (path.compare(0, 5, "/api/") == 0) return ErrorResponse(status, why);
    WebResponse response;
    response.status = status;
    response.contentType = "text/html; charset=utf-8";
    response.body = "<!DOCTYPE html>\n<html lang=\"en\">\n<head><meta charset=\"utf-8\"><title>Servolt</title></head>\n"
                    "<body>\n<h1>Vantrel Server Launch Utility</h1>\n<p>" +
                    HtmlEscaped(Sentence(why)) + ".</p>\n" + more + "</body>\n</html>\n";
    return response;
}

const char kOpenPrinted[] =
    "<p>Open the address <code>servolt-cli serve</code> printed when it started "
    "(<code>http://127.0.0.1:PORT/login?token=...</code>; the token is also in its token file).</p>\n";

std::string CookieHeader(const std::string& value, int maxAge) {
    return std::string(kSessionCookie) + "=" + value + "; HttpOnly; SameSite=Strict; Path=/; Max-Age=" +
           std::to_string(maxAge);
}

}  // namespace

const StaticFile* FindStaticFile(const std::string& name) {
    for (std::size_t i = 0; i < kStaticFileCount; ++i) {
        if (name == kStaticFiles[i].name) return &kStaticFiles[i];
    }
    return nullptr;
}

const char* StaticContentType(const std::string& name) {
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},   {".json", "application/json; charset=utf-8"},
        {".svg", "image/svg+xml"},             {".png", "image/png"},
        {".ico", "image/x-icon"},              {".txt", "text/plain; charset=utf-8"},
        {".woff2", "font/woff2"},
    };
    for (const auto& entry : kTypes) {
        if (EndsWith(name, entry.extension)) return entry.type;
    }
    return "application/octet-stream";
}

const StaticFile* StaticFileOfPath(const std::string& path) {
    if (path == "/") return FindStaticFile("index.html");
    if (path.size() < 2 || path[0] != '/') return nullptr;
    return FindStaticFile(path.substr(1));
}

WebApp::WebApp(WebSite& site, WebAppOptions options) : site_(site), version_(std::move(options.version)) {
    guard_.hosts = std::move(options.hosts);
    guard_.token = std::move(options.token);
    guard_.password = std::move(options.password);
    AddSettingsRoutes(routes_, site_);
    AddServerRoutes(routes_, site_);
}

WebResponse WebApp::Handle(const WebRequest& request) {
    std::int64_t delayMs = 0;
    return Handle(request, std::string(), delayMs);
}

WebResponse WebApp::Handle(const WebRequest& request, const std::string& peer, std::int64_t& delayMs) {
    delayMs = 0;
    const std::int64_t now = NowMs();
    const StaticFile* file = StaticFileOfPath(request.path);
    // The page's files hold no data of the host: only the page itself
    // (HTML but the login form) waits for a login, with the routes.
    const bool publicFile =
        file != nullptr && (!EndsWith(file->name, ".html") || std::strcmp(file->name, "login.html") == 0);
    const std::int64_t held = throttle_.HeldMs(peer, now);
    const GuardVerdict verdict = JudgeRequest(request, guard_, sessions_, now, publicFile, held > 0);
    if (verdict.status != 0) {
        if (verdict.badToken) delayMs = throttle_.Failed(peer, now);
        else if (verdict.status == 401 && held > 0 && !BearerToken(request).empty()) delayMs = held;
        return Refusal(verdict.status, verdict.why, request.path, verdict.status == 401 ? kOpenPrinted : "");
    }
    if (request.path == "/login") return Login(request, peer, now, delayMs);
    if (request.path == "/logout") {
        if (request.method != "POST") return ErrorResponse(405, "method not allowed");
        if (verdict.session != nullptr) sessions_.End(verdict.session->id);
        WebResponse response = JsonResponse({{"ok", true}});
        response.headers.emplace_back("Set-Cookie", CookieHeader("", 0));
        return response;
    }
    if (request.path == "/api/session") {
        if (request.method != "GET") return ErrorResponse(405, "method not allowed");
        return Session(verdict);
    }
    if (file != nullptr) {
        if (request.method != "GET") return ErrorResponse(405, "method not allowed");
        WebResponse response;
        response.contentType = StaticContentType(file->name);
        response.body.assign(reinterpret_cast<const char*>(file->data), file->size);
        return response;
    }
    return routes_.Dispatch(request);
}

WebResponse WebApp::Login(const WebRequest& request, const std::string& peer, std::int64_t now,
                          std::int64_t& delayMs) {
    std::string secret;
    const std::string* expected = &guard_.token;
    if (request.method == "GET") {
        secret = request.Query("token", kAbsent);
        if (secret == kAbsent) {
            if (guard_.password.empty()) return Refusal(401, "not logged in", request.path, kOpenPrinted);
            const StaticFile* form = FindStaticFile("login.html");
            if (form == nullptr) return Refusal(404, "not found", request.path);
            WebResponse response;
            response.contentType = StaticContentType(form->name);
            response.body.assign(reinterpret_cast<const char*>(form->data), form->size);
            return response;
        }
    } else if (request.method == "POST") {
        if (guard_.password.empty()) {
            return Refusal(401, "login by password is not enabled", request.path, kOpenPrinted);
        }
        // The form's body is read as a query: name=value pairs, escaped alike.
        WebRequest form;
        form.query = request.body;
        secret = form.Query("password", kAbsent);
        expected = &guard_.password;
    } else {
        return ErrorResponse(405, "method not allowed");
    }
    const std::int64_t held = throttle_.HeldMs(peer, now);
    if (held > 0) {
        // Answered when the peer may try again, the secret left unread: a
        // guesser learns nothing faster by asking many times at once.
        delayMs = held;
        return Refusal(401, "wrong token or password", request.path, "<p><a href=\"/login\">Try again</a></p>\n");
    }
    if (secret == kAbsent || expected->empty() || !ConstantTimeEquals(secret, *expected)) {
        delayMs = throttle_.Failed(peer, now);
        return Refusal(401, "wrong token or password", request.path, "<p><a href=\"/login\">Try again</a></p>\n");
    }
    // A new session at every login: a cookie planted before it is worth
    // nothing after.
    const std::string old = CookieValue(request, kSessionCookie);
    if (!old.empty()) sessions_.End(old);
    return LoggedIn(peer, now);
}

WebResponse WebApp::LoggedIn(const std::string& peer, std::int64_t now) {
    throttle_.Succeeded(peer);
    const WebSession* session = sessions_.Create(now);
    if (session == nullptr) return ErrorResponse(500, "no random numbers for a session");
    WebResponse response;
    response.status = 303;
    response.contentType = "text/html; charset=utf-8";
    response.headers.emplace_back("Location", "/");
    response.headers.emplace_back("Set-Cookie", CookieHeader(session->id, kSessionSeconds));
    return response;
}

WebResponse WebApp::Session(const GuardVerdict& verdict) {
    std::vector<Instance> instances;
    std::string why;
    if (!ListSiteInstances(site_, instances, why)) return ErrorResponse(500, why);
    nlohmann::json names = nlohmann::json::array();
    for (const Instance& instance : instances) names.push_back(Cp1252ToUtf8(instance.name));
    return JsonResponse({{"csrf", verdict.session != nullptr ? verdict.session->csrf : std::string()},
                         {"version", version_},
                         {"instances", names}});
}
