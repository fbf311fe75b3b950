// servolt-cli status: whether each instance's supervisor runs, from its
// status file and its lock. The lock decides: a status file whose
// supervisor was killed still tells of a run, but nobody holds the lock.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/instances/instances.h"
#include "core/supervise/instance_files.h"
#include "core/supervise/run_status.h"
#include "platform/host.h"
#include "platform/instance_lock.h"
#include "platform/platform.h"

namespace {

constexpr int kExitNotRunning = 3;  // as `systemctl is-active` scripts expect

struct StatusOptions {
    std::string name;
    bool json = false;
    std::string instances;  // --instances; empty: the utility's own file
};

// The instances of instances.ini (the default one always counts, run or
// not) and any other a supervisor has run here: one status file each.
bool KnownInstances(const std::string& instancesFile, std::vector<std::string>& names) {
    std::vector<Instance> instances;
    std::string error;
    if (!instancesFile.empty() && !ReadInstances(instancesFile, instances, error)) {
        Say(error);
        return false;
    }
    names.clear();
    for (const Instance& instance : InstancesInUse(instances)) names.push_back(instance.name);
    const std::string runtime = platform::UtilityRuntimeFolder();
    const std::string suffix = ".status";
    platform::FindEntries((runtime + "\\*" + suffix).c_str(), [&](const platform::FoundEntry& entry) {
        if (!entry.isFile || entry.name.size() <= suffix.size()) return;
        const std::string name = entry.name.substr(0, entry.name.size() - suffix.size());
        // Only the exact suffix (the match ignores case) and names a
        // supervisor could have made.
        if (entry.name.compare(name.size(), suffix.size(), suffix) == 0 && IsInstanceName(name))
            names.push_back(name);
    });
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end(), SameInstanceName), names.end());
    return true;
}

InstanceReport ReportOn(const std::string& name) {
    const InstanceFiles files = FilesOfInstance(name);
    unsigned long holder = 0;
    // The lock before the file: a supervisor that ends in between leaves a
    // file that says so.
    const bool held = platform::IsLockHeld(files.lock, holder);
    std::string bytes;
    const bool hasFile = platform::PathExists(files.status.c_str()) && platform::ReadFileContents(files.status.c_str(), bytes);
    return DescribeInstance(hasFile ? &bytes : nullptr, held, holder);
}

nlohmann::ordered_json Moment(std::int64_t when) {
    return when != 0 ? nlohmann::ordered_json(FormatLocalTime(when)) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json AsJson(const InstanceReport& report) {
    const RunStatus& s = report.status;
    nlohmann::ordered_json object;
    object["running"] = report.running;
    object["summary"] = report.summary;
    object["state"] = report.hasStatus ? nlohmann::ordered_json(RunStateName(s.state)) : nlohmann::ordered_json(nullptr);
    if (report.hasStatus) {
        object["supervisorPid"] = s.supervisorPid;
        object["serverPid"] = s.serverPid != 0 ? nlohmann::ordered_json(s.serverPid) : nlohmann::ordered_json(nullptr);
        object["supervisorStarted"] = Moment(s.supervisorStarted);
        object["serverStarted"] = Moment(s.serverStarted);
        object["restarts"] = s.restarts;
        object["scheduledRestarts"] = s.scheduledRestarts;
        object["lastExit"] = s.lastExit.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(s.lastExit);
        object["lastExitAt"] = Moment(s.lastExitAt);
        object["nextRestart"] = Moment(s.nextRestart);
        object["log"] = s.log;
        object["updated"] = Moment(s.updated);
    }
    return object;
}

int RunStatusCommand(const StatusOptions& options) {
    if (platform::UtilityRuntimeFolder().empty()) {
        Say("no folder for the instances' status: set HOME (or XDG_RUNTIME_DIR)");
        return kExitFailed;
    }
    if (!options.name.empty() && !IsInstanceName(options.name)) {
        Say("\"" + ShownName(options.name) + "\" is not an instance name (letters, digits, - and _)");
        return kExitFailed;
    }
    std::vector<std::string> names{options.name};
    if (options.name.empty() &&
        !KnownInstances(options.instances.empty() ? DefaultInstancesPath() : options.instances, names)) {
        return kExitFailed;
    }
    bool all = true;
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const std::string& name : names) {
        const InstanceReport report = ReportOn(name);
        all = all && report.running;
        if (options.json) object[name] = AsJson(report);
        else std::cout << name << ": " << ShownName(report.summary) << '\n';
    }
    if (options.json) std::cout << object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    std::cout.flush();
    return all ? 0 : kExitNotRunning;
}

}  // namespace

void AddStatusCommand(CommandSet& commands) {
    const auto options = MakeOptions<StatusOptions>();
    CLI::App* status = commands.App().add_subcommand(
        "status", "whether each instance's server is supervised by a running servolt-cli run (exit 0: all run; 3: "
                  "one does not)");
    status->add_option("NAME", options->name, "the instance (default: every instance of instances.ini and every one run here)");
    status->add_option("--instances", options->instances,
                       "the instances file (default: instances.ini of the utility's configuration folder)")
        ->option_text("FILE");
    status->add_flag("--json", options->json, "print one JSON object, by instance");
    commands.Add(status, [options] { return RunStatusCommand(*options); });
}
