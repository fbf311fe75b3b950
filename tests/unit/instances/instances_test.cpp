// instances.ini: names, the file's bytes and its reading, and the rules that
// keep two servers of one user folder apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/instances/instances.h"
#include "test_support.h"

namespace {

Instance Named(const char* name, const char* prefix = "", const char* ini = "", const char* cfg = "") {
    return Instance{name, "/srv/game", prefix, ini, cfg, {}};
}

TEST(Instances, Names) {
    for (const char* good : {"default", "match", "Test-2", "a_b", "x"}) EXPECT_TRUE(IsInstanceName(good)) << good;
    for (const char* bad : {"", "a b", "a/b", "a.b", "..", "m\xC3\xA4tch", "a\nb", "@x"})
        EXPECT_FALSE(IsInstanceName(bad)) << bad;
    EXPECT_FALSE(IsInstanceName(std::string(65, 'a')));
    EXPECT_TRUE(SameInstanceName("Match", "match"));
}

TEST(Instances, TheFileRoundTripsInCrLfAndKeepsUnknownKeys) {
    const std::string root = MakeTempFolder();
    const std::string path = root + "\\config\\servolt\\instances.ini";
    std::vector<Instance> instances{Named("public"), Named("match", "/srv/p", "/srv/u/match.ini", "match.cfg")};
    instances[1].otherKeys.emplace_back("Note", "kept");
    std::string error;
    ASSERT_TRUE(WriteInstances(path, instances, error)) << error;
    EXPECT_EQ(ReadBytes(path),
              "[public]\r\nGame=/srv/game\r\n[match]\r\nGame=/srv/game\r\nPrefix=/srv/p\r\nIni=/srv/u/match.ini\r\n"
              "Cfg=match.cfg\r\nNote=kept\r\n");
    std::vector<Instance> read;
    ASSERT_TRUE(ReadInstances(path, read, error)) << error;
    EXPECT_EQ(FormatInstances(read), FormatInstances(instances));
    ASSERT_NE(FindInstance(read, "MATCH"), nullptr);
    EXPECT_EQ(FindInstance(read, "MATCH")->cfg, "match.cfg");
    EXPECT_TRUE(ReadInstances(root + "\\missing.ini", read, error));
    EXPECT_TRUE(read.empty());
    RemoveTree(root);
}

TEST(Instances, LinesThatAreNotUnderstoodAreRefusedWithTheLine) {
    const std::string root = MakeTempFolder();
    const std::string path = root + "\\instances.ini";
    struct Case {
        const char* text;
        const char* reason;
    };
    for (const Case& c : {Case{"Game=/x\r\n", "line 1: expected [NAME]"},
                          Case{"[a b]\r\n", "line 1: \"[a b]\" is not an instance name"},
                          Case{"[m]\r\n[M]\r\n", "line 2: the instance M is named twice"},
                          Case{"; note\r\n[m]\r\nCfg=../x.cfg\r\n", "line 3: \"../x.cfg\" is not a console script"},
                          Case{"[m]\r\nCfg=a b.cfg\r\n", "line 2: \"a b.cfg\""},
                          Case{"[m]\r\njunk\r\n", "line 2: expected"}}) {
        WriteBytes(path, c.text);
        std::vector<Instance> read;
        std::string error;
        EXPECT_FALSE(ReadInstances(path, read, error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    RemoveTree(root);
}

TEST(Instances, OneUserFolderNeedsASettingsFileAndAConsoleScriptPerServer) {
    const std::vector<Instance> others = InstancesInUse({Named("public", "/srv/p1")});
    ASSERT_EQ(others.size(), 2u) << "the implicit default is in use";
    struct Case {
        Instance candidate;
        std::size_t clashes;
    };
    for (const Case& c : {
             Case{Named("match"), 2},                                       // default's Servolt.ini and server.cfg
             Case{Named("match", "", "/u/match.ini"), 1},                   // its server.cfg
             Case{Named("match", "", "/u/match.ini", "match.cfg"), 0},      // apart
             Case{Named("match", "", "/u/match.ini", "SERVER.CFG"), 1},     // one file on Windows
             Case{Named("match", "/srv/p2"), 0},                            // a prefix of its own
             Case{Named("match", "/srv/p1/"), 2},                           // public's prefix, spelled otherwise
             Case{Named("match", "/srv/p2", "/srv/p1/drive_c/x.ini"), 0},   // another folder
         }) {
        EXPECT_EQ(IsolationClashes(others, c.candidate).size(), c.clashes)
            << c.candidate.prefix << " " << c.candidate.ini << " " << c.candidate.cfg;
    }
    EXPECT_EQ(IsolationClashes(others, Named("public", "/srv/p1")).size(), 0u) << "itself is no clash";
}

}  // namespace
