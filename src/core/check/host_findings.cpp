#include "core/check/host_findings.h"

#include <cstdio>

#include "core/launch/launch_paths.h"
#include "core/launch/program_header.h"
#include "platform/platform.h"
#include "platform/process.h"

void AppendProgramFindings(const ServerPlaces& places, std::vector<Finding>& findings) {
    const ServerLaunchPaths paths = ComposeServerLaunchPaths(places.gameFolder);
    if (!paths.fits) return;  // the configuration's own findings tell
    const ProgramHeader header = ReadProgramHeader(paths.executable);
    switch (header.kind) {
        case ProgramKind::Unreadable:
        case ProgramKind::Windows64:
            return;
        case ProgramKind::NotWindows:
            findings.push_back(Finding{FindingSeverity::Warning, paths.executable,
                                       "not a Windows program (no MZ and PE header): the server will not start"});
            return;
        case ProgramKind::WindowsOther: {
            char text[96];
            std::snprintf(text, sizeof text, "a Windows program for another processor (machine 0x%04X)",
                          static_cast<unsigned>(header.machine));
            findings.push_back(Finding{FindingSeverity::Warning, paths.executable, text});
            return;
        }
        case ProgramKind::Windows32:
            break;
    }
    // Windows starts 32-bit programs itself; Wine only with its 32-bit part.
    const std::string launcher = platform::WindowsProgramLauncher();
    if (launcher.empty()) return;
    std::string wine;
    if (!platform::FindProgram(launcher, wine)) return;  // run says Wine is missing
    const bool can = WineHas32BitPart(wine, [](const std::string& path) {
        return platform::PathExists(path.c_str());
    });
    if (!can) {
        findings.push_back(Finding{FindingSeverity::Warning, paths.executable,
                                   "a 32-bit Windows program, and this host's Wine cannot start 32-bit programs: "
                                   "install the 32-bit Wine (dpkg --add-architecture i386, apt-get update, "
                                   "apt-get install wine32)"});
    }
}
