// Where the files of one supervised server live, named after its instance:
// its status file and lock in the utility's runtime folder (they matter only
// while a supervisor runs), and its run log in the configuration folder
// (kept across reboots, which may empty the runtime folder).
#pragma once

#include <string>

struct InstanceFiles {
    std::string status;     // RUNTIME\NAME.status
    std::string lock;       // RUNTIME\NAME.lock
    std::string logFolder;  // CONFIG\logs
    std::string log;        // CONFIG\logs\NAME.log, the run log when none is named
};

// The files of the instance `name`; every path empty when the environment
// names no home for the utility's folders.
InstanceFiles FilesOfInstance(const std::string& name);

// Makes `folder` and every missing folder above it. False when it is not
// there afterwards.
bool MakeFolders(const std::string& folder);
