// A copy of the settings file kept before something rewrites it wholesale
// (an import), so that the operator can go back.
#pragma once

#include <string>

// Copies the file at `path` to `path` + ".bak" (replacing an older copy),
// complete on disk before it returns, so that the file can then be
// rewritten. True when it is copied or when there is no such file.
bool BackUpSettingsFile(const std::string& path);
