// Shared helpers of the core tests: a throw-away documents folder per test,
// a recorder of notices, file helpers and the golden files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "core/common/notice.h"
#include "core/common/server_places.h"
#include "core/settings/server_settings.h"

// A new empty folder (interface path, backslashes) under the system's
// temporary folder.
std::string MakeTempFolder();
// Removes a folder and everything in it.
void RemoveTree(const std::string& folder);

std::string ReadBytes(const std::string& path);  // "" when missing
bool FileExists(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// A file of the unit tests' sources, by its path below tests/unit.
std::string TestDataPath(const std::string& relative);
// Folder of the expected files.
std::string GoldenPath(const std::string& name);
std::string ReadGolden(const std::string& name);

// Each test gets its own documents folder with the user folder created, a
// context with the window's places in it whose sink records the notices the
// core reports, and a settings record of its own reset to defaults.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string UserFolder() const { return documents_ + "\\Brenmoor\\Vantrel(tm)"; }
    std::string UserFile(const char* name) const { return UserFolder() + "\\" + name; }

    std::string root_;       // the test's temporary folder
    std::string documents_;  // the documents folder the program sees
    std::vector<Notice> notices_;  // what the core reported to its front end
    ServerContext context_;        // places in documents_, notices into notices_
    ServerSettings record_;
    ServerSettings* settings_ = &record_;
};

// Text escapes of cases.txt: \r \n \t \\ \xHH.
std::string Unescape(const std::string& text);
// Sets a field by its settings-file key from a cases.txt value.
bool SetField(ServerSettings& settings, const std::string& key, const std::string& value);

struct GoldenCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> overrides;
};
std::vector<GoldenCase> ReadGoldenCases();
// The expected server.cfg of a case: default.cfg with the case's lines of
// cases.cfgdiff put in; empty when the case has none there.
std::string ExpectedServerConfig(const std::string& caseName);
