#include "cli/rez_create.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "core/archive/archive_writer.h"
#include "platform/platform.h"

#if defined(_WIN32)
#include <io.h>
#define SERVOLT_ISATTY _isatty
#else
#include <unistd.h>
#define SERVOLT_ISATTY isatty
#endif

namespace {

constexpr int kExitFailed = 2;

void Say(const std::string& line) { std::cerr << "servolt-cli: " << line << '\n'; }

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
    return create;
}

int RunRezCreate(const RezCreateOptions& options) {
    // Progress only for an operator watching a terminal, and only as the
    // whole percent changes.
    const bool terminal = SERVOLT_ISATTY(fileno(stderr)) != 0;
    int shown = -1;
    const auto progress = [&](const rezwriter::PackProgress& p) {
        const int percent = p.byteCount ? int(p.bytesDone * 100 / p.byteCount) : 100;
        if (!terminal || percent == shown) return;
        shown = percent;
        std::cerr << "\rservolt-cli: packing " << p.entriesDone << "/" << p.entryCount << " entries (" << percent
                  << "%)" << std::flush;
    };
    const rezwriter::PackResult result =
        rezwriter::PackFolder(options.folder, options.archive, MethodNamed(options.method), progress);
    if (shown >= 0) std::cerr << '\r' << std::string(60, ' ') << '\r' << std::flush;

    for (const std::string& skipped : result.skipped) Say("skipped " + skipped);
    for (const std::string& problem : result.problems) Say(problem);
    if (!result.written) {
        Say(platform::HostPath(options.archive.c_str()) + ": not written");
        return kExitFailed;
    }
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.1f%%",
                  result.bytes ? 100.0 * double(result.storedBytes) / double(result.bytes) : 100.0);
    std::cout << platform::HostPath(options.archive.c_str()) << ": " << result.entries
              << (result.entries == 1 ? " entry, " : " entries, ") << result.bytes << " bytes, "
              << result.storedBytes << " stored (" << ratio << "); archive " << result.archiveBytes << " bytes\n";
    return 0;
}
