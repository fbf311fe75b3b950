// servolt-cli check: what would make the server start wrongly.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/check/config_check.h"
#include "core/check/host_findings.h"
#include "core/settings/server_settings.h"

namespace {

int RunCheck(const CliPlaces& options, const ServerContext& context, bool json) {
    const auto settings = LoadSettings(context);
    std::vector<Finding> findings = CheckConfiguration(*settings, context.places);
    AppendInstanceFindings(options, *settings, findings);
    AppendProgramFindings(context.places, findings);
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const Finding& finding : findings) {
            list.push_back({{"severity", SeverityName(finding.severity)},
                            {"setting", ShownPath(finding.setting)},
                            {"message", finding.message}});
        }
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        for (const Finding& finding : findings) {
            std::cout << SeverityName(finding.severity) << ": " << ShownPath(finding.setting) << ": "
                      << finding.message << '\n';
        }
    }
    return findings.empty() ? 0 : kExitSome;
}

}  // namespace

void AddCheckCommand(CommandSet& commands) {
    const auto json = std::make_shared<bool>(false);
    CLI::App* check = commands.App().add_subcommand("check", "report what would make the server start wrongly");
    commands.AddPlaceOptions(check, CommandSet::kIni | CommandSet::kGame);
    check->add_flag("--json", *json, "print the findings as a JSON array");
    commands.AddPlaceOptions(check, CommandSet::kPrefix);
    const CliPlaces& places = commands.Places();
    commands.Add(check, [json, &places] {
        ServerContext context;
        if (!OpenServer(places, true, context) || !GameFolderExists(context)) return kExitFailed;
        return RunCheck(places, context, *json);
    });
}
