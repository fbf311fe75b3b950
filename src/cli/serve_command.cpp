// servolt-cli serve: the settings pages and the servers' controls in a
// browser, served by this process until it is asked to stop. Loopback only,
// unless the operator sets a password; the first line printed is the
// address to open, with a token nobody else can know.
#include <CLI/CLI.hpp>

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/supervise/instance_files.h"
#include "platform/host.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "web/http_server.h"
#include "web/web_app.h"
#include "web/web_guard.h"
#include "web/web_site.h"

namespace {

constexpr unsigned short kDefaultPort = 8580;

struct ServeOptions {
    std::vector<std::string> listen;
    std::vector<std::string> allowHosts;
    std::string passwordFile;
    std::string tokenFile;
    std::string instances;
    std::string prefix;
    std::string game;
};

// This program's own file, which the servers are started through
// (`run --instance NAME`); empty when the system does not say.
std::string OwnProgram() {
#if defined(_WIN32)
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
#else
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::string();
    path.resize(static_cast<std::size_t>(length));
    return path;
#endif
}

// The first line of the file, without its line end.
bool ReadPassword(const std::string& file, std::string& password, std::string& why) {
    std::string bytes;
    if (!platform::ReadFileContents(file.c_str(), bytes)) {
        why = platform::LastError(file).Describe();
        return false;
    }
    password = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (password.empty()) {
        why = ShownPath(file) + ": the first line, the password, is empty";
        return false;
    }
    return true;
}

// The token, readable by this user alone: a new file, made exclusively
// beside the old one, that replaces it whole.
bool WriteTokenFile(const std::string& file, const std::string& token, std::string& why) {
    const std::string::size_type cut = file.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0) MakeFolders(file.substr(0, cut));
#if !defined(_WIN32)
    const mode_t mask = umask(077);
#endif
    const bool written = platform::WriteNewFile(file.c_str(), token.data(), token.size(), true);
#if !defined(_WIN32)
    umask(mask);
#endif
    if (!written) why = platform::LastError(file).Describe();
    return written;
}

// The Host values a browser sends for the addresses listened on: the
// loopback names on each port, the address itself, and the operator's own
// names (a bare name on every port).
std::vector<std::string> HostNames(const std::vector<ListenAddress>& bound, const std::vector<std::string>& allowed) {
    std::vector<std::string> hosts;
    const auto add = [&](const std::string& name) {
        std::string lower = name;
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        for (const std::string& known : hosts) {
            if (known == lower) return;
        }
        hosts.push_back(lower);
    };
    for (const ListenAddress& address : bound) {
        const std::string port = ":" + std::to_string(address.port);
        for (const char* loopback : {"127.0.0.1", "localhost", "[::1]"}) {
            add(loopback + port);
            if (address.port == 80) add(loopback);
        }
        if (!IsUnspecified(address)) add(address.HostText());
        for (const std::string& name : allowed) {
            const std::string::size_type colon = name.rfind(':');
            const bool hasPort = colon != std::string::npos && name.find(']', colon) == std::string::npos;
            add(hasPort ? name : name + port);
            if (!hasPort && address.port == 80) add(name);
        }
    }
    return hosts;
}

int Serve(const ServeOptions& options, const CliPlaces& places) {
    std::vector<ListenAddress> addresses;
    std::vector<bool> optional;  // the default [::1], skipped on a host without IPv6
    for (const std::string& text : options.listen) {
        ListenAddress address;
        std::string why;
        if (!ParseListenAddress(text, address, why)) {
            Say("--listen " + why);
            return kExitFailed;
        }
        addresses.push_back(address);
        optional.push_back(false);
    }
    if (addresses.empty()) {
        addresses = {{"127.0.0.1", kDefaultPort}, {"::1", kDefaultPort}};
        optional = {false, true};
    }
    for (const ListenAddress& address : addresses) {
        if (!IsLoopback(address) && options.passwordFile.empty()) {
            Say("refusing to listen on " + address.HostText() +
                " without --password-file: anyone who reaches it could change the servers' settings and start "
                "programs; keep serve on 127.0.0.1 and reach it through an SSH tunnel (README: \"In a browser\")");
            return kExitFailed;
        }
    }

    WebAppOptions app;
    app.version = SERVOLT_VERSION;
    if (!options.passwordFile.empty()) {
        std::string why;
        if (!ReadPassword(options.passwordFile, app.password, why)) {
            Say("--password-file " + why);
            return kExitFailed;
        }
    }
    if (!RandomHex(32, app.token)) {
        Say("no random numbers from the system for the token");
        return kExitFailed;
    }

    WebSite site;
    CliPlaces instances;
    instances.instances = options.instances.empty() ? std::string() : Absolute(options.instances);
    site.instancesFile = InstancesFileOf(instances);
    site.program = OwnProgram();
    site.winePrefix = options.prefix.empty() ? std::string() : Absolute(options.prefix);
    site.gameFolder = options.game.empty() ? std::string() : Absolute(options.game);
    site.keepHistory = places.keepHistory;
    {
        std::vector<Instance> known;
        std::string why;
        if (!ListSiteInstances(site, known, why)) {
            Say(why);
            return kExitFailed;
        }
    }

    // From here on Ctrl+C and SIGTERM end the loop, not the process: the
    // servers this process started are stopped first.
    platform::CatchStopRequests();
    HttpServer server;
    std::vector<ListenAddress> bound;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        std::string why;
        const HttpServer::ListenResult result = server.Listen(addresses[i], why);
        if (result == HttpServer::ListenResult::Listening) {
            bound.push_back(addresses[i]);
        } else if (result == HttpServer::ListenResult::Unavailable && optional[i]) {
            Say(addresses[i].address + " skipped: this host has no IPv6 (" + why + ")");
        } else {
            Say("cannot listen on " + why);
            return kExitFailed;
        }
    }
    app.hosts = HostNames(bound, options.allowHosts);

    std::string tokenFile = options.tokenFile;
    if (tokenFile.empty()) {
        const std::string runtime = platform::UtilityRuntimeFolder();
        if (!runtime.empty()) tokenFile = runtime + "\\serve.token";
    }
    if (tokenFile.empty()) {
        Say("no token file: the environment names no home folder for it (--token-file names one)");
    } else {
        std::string why;
        if (!WriteTokenFile(tokenFile, app.token, why)) {
            Say("the token file could not be written: " + why);
            return kExitFailed;
        }
    }

    // A wildcard address is reached at the loopback address of its family.
    ListenAddress shown = bound.front();
    if (IsUnspecified(shown)) shown.address = shown.IsV6() ? "::1" : "127.0.0.1";
    std::cout << "Servolt: http://" << shown.HostText() << "/login?token=" << app.token << std::endl;
    std::string listening;
    for (const ListenAddress& address : bound) listening += (listening.empty() ? "" : ", ") + address.HostText();
    Say("serving on " + listening + (tokenFile.empty() ? "" : "; the token is in " + ShownPath(tokenFile)) +
        "; Ctrl+C stops");

    WebApp web(site, app);
    server.Run(
        [&web](const WebRequest& request, const std::string& peer, std::int64_t& delayMs) {
            return web.Handle(request, peer, delayMs);
        },
        [&site] {
            for (const auto& tick : site.onTick) tick();
            return !platform::StopRequested();
        });
    for (const auto& stop : site.onStop) stop();
    Say("stopped (" + platform::StopRequestName() + ")");
    platform::StopRequestHandled();
    return 0;
}

}  // namespace

void AddServeCommand(CommandSet& commands) {
    const auto options = MakeOptions<ServeOptions>();
    CLI::App* serve = commands.App().add_subcommand(
        "serve", "serve the settings pages and the servers' controls to a browser, until stopped");
    serve->add_option("--listen", options->listen,
                      "address and port to listen on, again for more (default: 127.0.0.1:8580 and [::1]:8580; "
                      "port 0: a free port); other than loopback only with --password-file")
        ->option_text("ADDR:PORT");
    serve->add_option("--allow-host", options->allowHosts,
                      "another name the browser may reach this by (a name behind a tunnel or proxy), again for more")
        ->option_text("NAME");
    serve->add_option("--password-file", options->passwordFile,
                      "file whose first line is a password that logs in at /login, besides the printed address")
        ->option_text("FILE");
    serve->add_option("--token-file", options->tokenFile,
                      "file the token is written to, for scripts (default: serve.token in the utility's runtime "
                      "folder)")
        ->option_text("FILE");
    serve->add_option("--instances", options->instances,
                      "the instances file (default: instances.ini of the utility's configuration folder)")
        ->option_text("FILE");
    serve->add_option("--prefix", options->prefix,
                      "Wine prefix of the default instance when instances.ini gives none (default: $WINEPREFIX)")
        ->option_text("DIR");
    serve->add_option("--game", options->game,
                      "game folder of the default instance when instances.ini gives none (default: the current "
                      "folder)")
        ->option_text("DIR");
    commands.AddPlaceOptions(serve, CommandSet::kHistory);
    commands.Add(serve, [options, &commands] { return Serve(*options, commands.Places()); });
}
