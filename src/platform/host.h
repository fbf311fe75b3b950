// What the host system tells a front end about where a Windows program run
// under Wine keeps its user's files. Only a Linux host runs Windows programs
// through a Wine prefix; on Windows there is no prefix to name.
#pragma once

#include <string>

namespace platform {

// The prefix named by $WINEPREFIX; empty when unset, and always on Windows
// (a Windows program started by Wine sees the variable too).
std::string WinePrefixFromEnvironment();

// The documents folder of the user a program run in the Wine `prefix` is
// run as (Wine names it after the Linux user), as this interface names a
// folder. False, with the reason in `error`, when the prefix has no such
// user, or on Windows.
bool WinePrefixDocumentsFolder(const std::string& prefix, std::string& folder, std::string& error);

// The utility's own folders, not created here: where it keeps what it knows
// of the host (the instances), and where a supervisor keeps what lasts only
// while it runs (status files, locks). On Linux $XDG_CONFIG_HOME/servolt (else
// ~/.config/servolt) and $XDG_RUNTIME_DIR/servolt (else the configuration
// folder); on Windows %APPDATA%\Servolt and %LOCALAPPDATA%\Servolt. Empty when
// the environment names no home at all.
std::string UtilityConfigFolder();
std::string UtilityRuntimeFolder();

}  // namespace platform
