#include "cli/rez_create.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "core/archive/archive_writer.h"
#include "platform/platform.h"

namespace {

rezwriter::Method MethodNamed(const std::string& name) {
    if (name == "none") return rezwriter::Method::None;
    if (name == "lzss") return rezwriter::Method::Lzss;
    if (name == "rle") return rezwriter::Method::Rle;
    return rezwriter::Method::Best;
}

}  // namespace

CLI::App* AddRezCreateCommand(CLI::App& rez, RezCreateOptions& options) {
    CLI::App* create = rez.add_subcommand(
        "create", "pack every file below a folder into an archive (names relative to the folder; links are skipped)");
    create->add_option("ARCHIVE", options.archive, "the archive to write (replaced once complete)")->required();
    create->add_option("DIR", options.folder, "the folder to pack")->required();
    create->add_option("--method", options.method,
                       "how entries are stored; best takes the smallest form of each (default: best)")
        ->check(CLI::IsMember({"none", "lzss", "rle", "best"}));
    create->add_option("--exclude", options.exclude,
                       "leave out what matches: a path relative to DIR or a name at any depth (* and ?); "
                       "a closing / matches folders only, e.g. --exclude .git/ --exclude '*.bak' (repeatable)")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    return create;
}

int RunRezCreate(const RezCreateOptions& options) {
    ProgressLine line("packing");
    const auto progress = [&line](const ArchiveProgress& p) { line.Update(p); };
    const rezwriter::PackResult result =
        rezwriter::PackFolder(options.folder, options.archive, MethodNamed(options.method), progress, options.exclude);
    line.End();

    // The names are those of a tree that may have come from anyone.
    for (const std::string& skipped : result.skipped) Say("skipped " + ShownName(skipped));
    for (const rezwriter::PackProblem& problem : result.problems)
        Say(ShownName(problem.subject) + ": " + ShownName(problem.reason) +
            (problem.error.Failed() ? ": " + problem.error.text : ""));
    if (!result.written) {
        Say(ShownPath(options.archive) + ": not written");
        return kExitFailed;
    }
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.1f%%",
                  result.bytes ? 100.0 * double(result.storedBytes) / double(result.bytes) : 100.0);
    std::cout << ShownPath(options.archive) << ": " << result.entries
              << (result.entries == 1 ? " entry, " : " entries, ") << result.bytes << " bytes, "
              << result.storedBytes << " stored (" << ratio << "); archive " << result.archiveBytes << " bytes\n";
    return 0;
}
