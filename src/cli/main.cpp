// servolt-cli: the utility's command-line companion for headless hosts. It
// runs the same core as the window; what the window shows in boxes it prints
// on standard error.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "cli/cli_output.h"
#include "cli/command.h"

namespace {

const char kProgram[] = "servolt-cli";

int Run(int argc, char** argv) {
    CLI::App app{"Vantrel(tm) Server Launch Utility, command line: writes, imports and checks the "
                 "dedicated server's configuration, and runs the server, without a window.",
                 kProgram};
    app.set_version_flag("--version", std::string(kProgram) + " " SERVOLT_VERSION);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
        return CommandLineFailure(failed, e, kProgram);
    });

    CommandSet commands(app);
    AddWriteCommand(commands);
    AddImportCommand(commands);
    AddCheckCommand(commands);
    AddListCommands(commands);
    AddSettingsCommands(commands);
    AddRotationCommand(commands);
    AddRunCommand(commands);
    AddStatusCommand(commands);
    AddLogsCommand(commands);
    AddInstanceCommand(commands);
    AddPathsCommand(commands);
    AddHistoryCommand(commands);
    AddRezCommand(commands);
    AddServeCommand(commands);
    AddHelpCommand(commands);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kExitFailed;
    }
    return commands.RunChosen();
}

}  // namespace

int main(int argc, char** argv) {
    BufferStandardStreams();
    // Whatever escapes a command (memory above all, which an archive of a
    // stranger can ask for) ends it with a message and the exit code of a
    // command that could not be done, never with an abort. The message is
    // written without a string made for it: there may be no memory for one.
    const char* what = "internal error: an unknown exception";
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        what = "out of memory";
    } catch (const std::exception& e) {
        std::cout.flush();
        std::fprintf(stderr, "%s: internal error: %s\n", kProgram, e.what());
        std::fflush(stderr);
        return kExitFailed;
    } catch (...) {
    }
    std::cout.flush();
    std::fprintf(stderr, "%s: %s\n", kProgram, what);
    std::fflush(stderr);
    return kExitFailed;
}
