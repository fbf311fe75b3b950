#include "web/server_routes.h"

#include <memory>

#include "core/supervise/instance_files.h"
#include "core/supervise/run_status.h"
#include "platform/instance_lock.h"
#include "platform/platform.h"
#include "web/server_log.h"
#include "web/server_supervisor.h"

namespace {

// What is known of one instance: its status file and lock, and the run this
// process has of it.
struct Looked {
    InstanceFiles files;
    bool held = false;
    unsigned long holder = 0;
    bool hasFile = false;
    std::string bytes;
    RunStatus status;
    bool parsed = false;
    bool ours = false;
    std::string supervisor;  // "serve", "run" or ""
};

Looked LookAt(const ServerSupervisor& supervisor, const std::string& name) {
    Looked look;
    look.files = FilesOfInstance(name);
    look.ours = supervisor.IsRunning(name);
    if (!look.files.lock.empty()) {
        // The lock before the file, as status reads them: a supervisor that
        // ends in between leaves a file that says so.
        look.held = platform::IsLockHeld(look.files.lock, look.holder);
        look.hasFile = platform::PathExists(look.files.status.c_str()) &&
                       platform::ReadFileContents(look.files.status.c_str(), look.bytes);
        look.parsed = look.hasFile && ParseRunStatus(look.bytes, look.status);
    }
    const unsigned long ourId = supervisor.RunId(name);
    if (look.held) look.supervisor = look.ours && (look.holder == 0 || look.holder == ourId) ? "serve" : "run";
    else if (look.ours) look.supervisor = "serve";
    return look;
}

nlohmann::json StatusJson(const ServerSupervisor& supervisor, const std::string& name, const Looked& look) {
    const RunStatus& s = look.status;
    // The file tells of the supervisor that holds the lock now.
    const bool current = look.parsed && look.held && IsActiveState(s.state) &&
                         (look.holder == 0 || s.supervisorPid == 0 || s.supervisorPid == look.holder);
    // ...or of the last one, when none holds it.
    const bool past = look.parsed && !look.held && !look.ours;
    std::string state = "stopped";
    if (look.ours && supervisor.IsStopping(name)) state = "stopping";
    else if (current) state = RunStateName(s.state);
    else if (look.held || look.ours) state = "starting";
    else if (past && !IsActiveState(s.state)) state = RunStateName(s.state);

    const bool serverUp = current && (s.state == RunState::Running || s.state == RunState::Stopping);
    std::string summary = DescribeInstance(look.hasFile ? &look.bytes : nullptr, look.held, look.holder).summary;
    if (look.ours && !look.held) summary = "starting (here)";
    nlohmann::json status = {
        {"state", state},
        {"supervisor", look.supervisor},
        {"supervisorPid", look.held ? look.holder : supervisor.RunId(name)},
        {"pid", serverUp ? s.serverPid : 0},
        {"since", serverUp ? s.serverStarted : (current || past ? s.updated : 0)},
        {"restarts", current || past ? s.restarts : 0},
        {"lastExit", current || past ? Cp1252ToUtf8(s.lastExit) : std::string()},
        {"nextRestart", current ? s.nextRestart : 0},
        {"summary", Cp1252ToUtf8(summary)},
    };
    if (!look.ours && !look.held) status["failure"] = Cp1252ToUtf8(supervisor.LastFailure(name));
    return status;
}

// The instance of the site by that name; false with the answer to give.
bool FindSiteInstance(const WebSite& site, const std::string& name, Instance& instance, WebResponse& refusal) {
    std::vector<Instance> instances;
    std::string why;
    if (!ListSiteInstances(site, instances, why)) {
        refusal = ErrorResponse(500, Cp1252ToUtf8(why));
        return false;
    }
    const Instance* found = FindInstance(instances, name);
    if (found == nullptr) {
        refusal = ErrorResponse(404, "no instance \"" + Cp1252ToUtf8(name) + "\"");
        return false;
    }
    instance = *found;
    return true;
}

WebResponse Done(const ServerSupervisor& supervisor, const std::string& name) {
    return JsonResponse({{"ok", true}, {"status", StatusJson(supervisor, name, LookAt(supervisor, name))}});
}

WebResponse HeldElsewhere(const Instance& instance, const Looked& look) {
    return ErrorResponse(409, "the instance \"" + Cp1252ToUtf8(instance.name) +
                                  "\" is supervised by a servolt-cli run outside this page" +
                                  (look.holder != 0 ? " (pid " + std::to_string(look.holder) + ")" : "") +
                                  "; stop or start it there");
}

WebResponse StartRun(ServerSupervisor& supervisor, const Instance& instance) {
    std::string why;
    if (!supervisor.Start(instance, why)) return ErrorResponse(500, Cp1252ToUtf8(why));
    return Done(supervisor, instance.name);
}

// The log the instance's supervisor writes: the one its status file names
// (run --log), else the instance's own.
std::string LogOf(const Looked& look) {
    return look.parsed && !look.status.log.empty() ? look.status.log : look.files.log;
}

bool ParseOffset(const std::string& text, std::uint64_t& offset) {
    if (text.empty() || text.size() > 19) return false;
    offset = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        offset = offset * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

}  // namespace

void AddServerRoutes(WebRoutes& routes, WebSite& site) {
    const auto supervisor = std::make_shared<ServerSupervisor>(site);
    site.onTick.push_back([supervisor] { supervisor->Tick(); });
    site.onStop.push_back([supervisor] { supervisor->StopAll(); });
    const WebSite* place = &site;

    routes.Add("GET", "/api/instances", [supervisor, place](const WebRequest&, const RouteParams&) {
        std::vector<Instance> instances;
        std::string why;
        if (!ListSiteInstances(*place, instances, why)) return ErrorResponse(500, Cp1252ToUtf8(why));
        nlohmann::json list = nlohmann::json::array();
        for (const Instance& instance : instances) {
            const Looked look = LookAt(*supervisor, instance.name);
            const std::string game = instance.game.empty() ? place->gameFolder : instance.game;
            list.push_back({{"name", Cp1252ToUtf8(instance.name)},
                            {"game", Cp1252ToUtf8(game)},
                            {"status", StatusJson(*supervisor, instance.name, look)},
                            {"control", look.supervisor != "run"}});
        }
        return JsonResponse({{"instances", list}});
    });

    routes.Add("POST", "/api/i/{instance}/start", [supervisor, place](const WebRequest&, const RouteParams& params) {
        Instance instance;
        WebResponse refusal;
        if (!FindSiteInstance(*place, params.at("instance"), instance, refusal)) return refusal;
        const Looked look = LookAt(*supervisor, instance.name);
        if (look.ours) {
            return ErrorResponse(409, "the instance \"" + Cp1252ToUtf8(instance.name) + "\" is already running");
        }
        if (look.held) return HeldElsewhere(instance, look);
        return StartRun(*supervisor, instance);
    });

    routes.Add("POST", "/api/i/{instance}/stop", [supervisor, place](const WebRequest&, const RouteParams& params) {
        Instance instance;
        WebResponse refusal;
        if (!FindSiteInstance(*place, params.at("instance"), instance, refusal)) return refusal;
        const Looked look = LookAt(*supervisor, instance.name);
        if (look.supervisor == "run") return HeldElsewhere(instance, look);
        if (!supervisor->Stop(instance.name)) {
            return ErrorResponse(409, "the instance \"" + Cp1252ToUtf8(instance.name) + "\" is not running");
        }
        return Done(*supervisor, instance.name);
    });

    routes.Add("POST", "/api/i/{instance}/restart", [supervisor, place](const WebRequest&, const RouteParams& params) {
        Instance instance;
        WebResponse refusal;
        if (!FindSiteInstance(*place, params.at("instance"), instance, refusal)) return refusal;
        const Looked look = LookAt(*supervisor, instance.name);
        if (look.supervisor == "run") return HeldElsewhere(instance, look);
        if (supervisor->Restart(instance)) return Done(*supervisor, instance.name);
        return StartRun(*supervisor, instance);  // not running: a restart is a start
    });

    routes.Add("GET", "/api/i/{instance}/log", [supervisor, place](const WebRequest& request, const RouteParams& params) {
        Instance instance;
        WebResponse refusal;
        if (!FindSiteInstance(*place, params.at("instance"), instance, refusal)) return refusal;
        // A sentinel no decoded parameter can be: absent and empty differ.
        const std::string afterText = request.Query("after", std::string(1, '\0'));
        std::uint64_t after = 0;
        const bool following = afterText != std::string(1, '\0');
        if (following && !ParseOffset(afterText, after)) {
            return ErrorResponse(400, "after: a byte offset of the log (digits) is expected");
        }
        const Looked look = LookAt(*supervisor, instance.name);
        const std::string path = LogOf(look);
        LogPiece piece;
        piece.next = after;
        if (!path.empty()) piece = following ? ReadLogAfter(path, after) : ReadLogTail(path);
        nlohmann::json lines = nlohmann::json::array();
        for (const std::string& line : piece.lines) lines.push_back(Cp1252ToUtf8(line));
        return JsonResponse({{"lines", lines}, {"next", piece.next}, {"skipped", piece.skipped}});
    });
}
