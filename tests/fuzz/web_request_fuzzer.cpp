// Any bytes as a request to serve, answered by the site's one entry point
// over a throw-away folder: an instances file naming two instances, their
// settings files and a game folder, in a home of its own. No server is ever
// started (the site has no program to start one with).
//
// The input: one byte of flags (bit 0: the right Host; bit 1: the bearer
// token; bit 2: a logged-in session's cookie and CSRF token; bit 3: the page's
// Origin), then "METHOD TARGET", header lines "name: value" and, after an
// empty line, the body. Whatever the answer, it must be a status of HTTP,
// JSON where it says so, and the guard's: a wrong Host is refused, the API
// answers no one without credentials, and nothing is changed from another
// origin.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "web/web_app.h"
#include "web/web_guard.h"

namespace {

const char kHost[] = "127.0.0.1:8580";
const std::string kToken(64, 'c');
std::string gFolder;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Require(file != nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// The files as every input first finds them.
void ResetFiles() {
    WriteFile(gFolder + "/instances.ini", "[default]\r\nGame=" + gFolder + "/game\r\nIni=" + gFolder +
                                              "/default.ini\r\n[second]\r\nGame=" + gFolder + "/game\r\nIni=" +
                                              gFolder + "/second.ini\r\n");
    const std::string settings = "[Server]\r\nServerName=Fuzzed\r\nMaxPlayers=16\r\n";
    WriteFile(gFolder + "/default.ini", settings);
    WriteFile(gFolder + "/second.ini", settings);
}

std::string HeaderValue(const WebResponse& response, const std::string& name) {
    for (const auto& header : response.headers) {
        if (header.first == name) return header.second;
    }
    return std::string();
}

bool StartsWith(const std::string& text, const char* start) { return text.compare(0, std::strlen(start), start) == 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Never the real home: everything the site finds or writes is here.
    char pattern[] = "/tmp/servolt-web-fuzz-XXXXXX";
    Require(mkdtemp(pattern) != nullptr);
    gFolder = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(gFolder, ignored);
    });
    for (const char* folder : {"/home", "/game", "/game/mainmp", "/game/mainmp/maps", "/game/mainmp/maps/dm"}) {
        Require(::mkdir((gFolder + folder).c_str(), 0700) == 0);
    }
    WriteFile(gFolder + "/game/mainmp/maps/dm/alpha.bsp", "");
    setenv("HOME", (gFolder + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (gFolder + "/home/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (gFolder + "/home/runtime").c_str(), 1);
    unsetenv("WINEPREFIX");
    unsetenv("SERVOLT_INSTANCE");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    ResetFiles();

    WebSite site;
    site.instancesFile = gFolder + "/instances.ini";
    site.keepHistory = 3;
    WebAppOptions options;
    options.hosts = {kHost, "localhost:8580"};
    options.token = kToken;
    options.password = "fuzz";
    options.version = "0.0.0";
    // A new site for every input: sessions and the throttle start empty, so
    // an input's answer does not hang on the inputs before it.
    WebApp app(site, options);

    WebRequest request;
    std::size_t at = text.find('\n');
    const std::string first = text.substr(0, at);
    const std::size_t blank = first.find(' ');
    request.method = first.substr(0, blank);
    const std::string target = blank == std::string::npos ? std::string() : first.substr(blank + 1);
    const std::size_t mark = target.find('?');
    request.path = target.substr(0, mark);
    if (mark != std::string::npos) request.query = target.substr(mark + 1);
    while (at != std::string::npos) {
        const std::size_t start = at + 1;
        at = text.find('\n', start);
        const std::string line = text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (line.empty()) {
            if (at != std::string::npos) request.body = text.substr(at + 1);
            break;
        }
        const std::size_t colon = line.find(':');
        std::string name = line.substr(0, colon);
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
        if (!value.empty() && value[0] == ' ') value.erase(0, 1);
        request.headers.emplace_back(name, value);
    }
    if (flags & 1) request.headers.emplace_back("host", kHost);
    if (flags & 2) request.headers.emplace_back("authorization", "Bearer " + kToken);
    if (flags & 4) {
        WebRequest login;
        login.method = "GET";
        login.path = "/login";
        login.query = "token=" + kToken;
        login.headers.emplace_back("host", kHost);
        const WebResponse loggedIn = app.Handle(login);
        Require(loggedIn.status == 303);
        const std::string cookie = HeaderValue(loggedIn, "Set-Cookie");
        const std::string pair = cookie.substr(0, cookie.find(';'));
        WebRequest ask;
        ask.method = "GET";
        ask.path = "/api/session";
        ask.headers = {{"host", kHost}, {"cookie", pair}};
        const WebResponse session = app.Handle(ask);
        Require(session.status == 200);
        const nlohmann::json value = nlohmann::json::parse(session.body);
        request.headers.emplace_back("cookie", pair);
        request.headers.emplace_back(kCsrfHeader, value.at("csrf").get<std::string>());
    }
    if (flags & 8) request.headers.emplace_back("origin", std::string("http://") + kHost);

    std::int64_t delayMs = 0;
    const WebResponse response = app.Handle(request, "fuzzer", delayMs);
    Require(response.status >= 100 && response.status <= 599);
    Require(delayMs >= 0 && delayMs <= 16000);
    if (StartsWith(response.contentType, "application/json")) {
        Require(!nlohmann::json::parse(response.body, nullptr, false).is_discarded());
    }
    if (!HostAllowed(request, options.hosts)) Require(response.status == 403);
    if (request.Header("authorization") == nullptr && request.Header("cookie") == nullptr &&
        StartsWith(request.path, "/api/")) {
        Require(response.status == 401 || response.status == 403);
    }
    if (ChangesState(request.method) && response.status < 400) Require(FromOwnOrigin(request, true));
    return 0;
}
