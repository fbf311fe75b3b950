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

}  // namespace platform
