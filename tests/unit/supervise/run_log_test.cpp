// The supervised server's log: CR LF line ends however the output arrives,
// the supervisor's lines on lines of their own, appends, and the rotation.
#include "core/supervise/run_log.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

class RunLogTest : public ::testing::Test {
protected:
    void SetUp() override { root_ = MakeTempFolder(); }
    void TearDown() override { RemoveTree(root_); }
    std::string Path(const std::string& name = "server.log") const { return root_ + "\\" + name; }

    std::string root_;
};

TEST_F(RunLogTest, LineEndsBecomeCrLfWhereverTheOutputIsCut) {
    const std::string output = "a\nb\r\nc\rd\n\n\r\n\r\re\n";
    const std::string expected = "a\r\nb\r\nc\rd\r\n\r\n\r\n\r\re\r\n";
    for (std::size_t cut = 0; cut <= output.size(); ++cut) {
        const std::string name = "cut" + std::to_string(cut) + ".log";
        {
            RunLog log;
            ASSERT_TRUE(log.Open(Path(name), 1 << 20));
            EXPECT_TRUE(log.WriteOutput(output.data(), cut));
            EXPECT_TRUE(log.WriteOutput(output.data() + cut, output.size() - cut));
        }
        EXPECT_EQ(ReadBytes(Path(name)), expected) << "cut at " << cut;
    }
    RunLog bytes;  // one byte at a time
    ASSERT_TRUE(bytes.Open(Path("bytes.log"), 1 << 20));
    for (char c : output) bytes.WriteOutput(&c, 1);
    EXPECT_EQ(ReadBytes(Path("bytes.log")), expected);
}

TEST_F(RunLogTest, SupervisorLinesStandOnLinesOfTheirOwnAfterWhatIsThere) {
    WriteBytes(Path(), "earlier run, cut short");  // a killed supervisor's last line
    {
        RunLog log;
        ASSERT_TRUE(log.Open(Path(), 1 << 20));
        log.WriteLine("started");
        log.WriteOutput("half", 4);
        log.WriteLine("ended");
        log.WriteOutput("whole\n", 6);
        log.WriteLine("stopped");
    }
    EXPECT_EQ(ReadBytes(Path()), "earlier run, cut short\r\nstarted\r\nhalf\r\nended\r\nwhole\r\nstopped\r\n");
    {
        RunLog log;  // the next run appends
        ASSERT_TRUE(log.Open(Path(), 1 << 20));
        log.WriteLine("again");
    }
    EXPECT_EQ(ReadBytes(Path()), "earlier run, cut short\r\nstarted\r\nhalf\r\nended\r\nwhole\r\nstopped\r\nagain\r\n");
}

TEST_F(RunLogTest, RotationKeepsFiveFilesAndTheNewestBytesInOrder) {
    const std::size_t maxSize = 100;
    RunLog log;
    ASSERT_TRUE(log.Open(Path(), maxSize));
    std::string all;  // every byte written, as written to the files
    for (int i = 0; i < 60; ++i) {
        const std::string piece = std::string(1 + i * 7 % 45, char('a' + i % 26)) + "\n";
        ASSERT_TRUE(log.WriteOutput(piece.data(), piece.size()));
        all += piece.substr(0, piece.size() - 1) + "\r\n";
        if (i % 9 == 0) {
            ASSERT_TRUE(log.WriteLine("event " + std::to_string(i)));
            all += "event " + std::to_string(i) + "\r\n";
        }

        ASSERT_FALSE(FileExists(Path("server.log.6")));
        std::string kept;
        for (int n = kRunLogKeep; n >= 1; --n) {
            const std::string rotated = Path("server.log." + std::to_string(n));
            if (!FileExists(rotated)) continue;
            const std::string bytes = ReadBytes(rotated);
            // Never past the limit, and rotated only when the next line did
            // not fit (the longest is 47 bytes).
            EXPECT_LE(bytes.size(), maxSize);
            EXPECT_GT(bytes.size(), maxSize - 47);
            EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
            kept += bytes;
        }
        kept += ReadBytes(Path());
        ASSERT_LE(kept.size(), all.size());
        ASSERT_EQ(kept, all.substr(all.size() - kept.size())) << "after piece " << i;
    }
    EXPECT_TRUE(FileExists(Path("server.log.5")));
    EXPECT_EQ(log.Failure(), "");
}

TEST_F(RunLogTest, ALineLongerThanTheLimitIsCutAcrossFiles) {
    RunLog log;
    ASSERT_TRUE(log.Open(Path(), 8));
    ASSERT_TRUE(log.WriteOutput("ab\n0123456789abcdef\n", 20));
    EXPECT_EQ(ReadBytes(Path("server.log.3")), "ab\r\n");
    EXPECT_EQ(ReadBytes(Path("server.log.2")), "01234567");
    EXPECT_EQ(ReadBytes(Path("server.log.1")), "89abcdef");
    EXPECT_EQ(ReadBytes(Path()), "\r\n");
}

TEST_F(RunLogTest, ARotationThatCannotRenameKeepsAppendingAndTellsWhy) {
    // Folders, not empty, in the way of every rotated name: no rename can be made.
    for (int n = 1; n <= kRunLogKeep; ++n) {
        const std::string folder = Path("server.log." + std::to_string(n));
        ASSERT_TRUE(platform::CreateFolder(folder.c_str()));
        WriteBytes(folder + "\\keep.txt", "x");
    }
    RunLog log;
    ASSERT_TRUE(log.Open(Path(), 10));
    EXPECT_TRUE(log.WriteOutput("0123456789\n", 11));
    EXPECT_TRUE(log.WriteOutput("more\n", 5));  // due to rotate: fails, appends anyway
    EXPECT_NE(log.Failure().find("cannot rename it to"), std::string::npos) << log.Failure();
    EXPECT_EQ(ReadBytes(Path()), "0123456789\r\nmore\r\n");

    for (int n = 1; n <= kRunLogKeep; ++n) RemoveTree(Path("server.log." + std::to_string(n)));
    EXPECT_TRUE(log.WriteLine("after"));
    EXPECT_EQ(log.Failure(), "");
    EXPECT_EQ(ReadBytes(Path("server.log.1")), "0123456789\r\nmore\r\n");
    EXPECT_EQ(ReadBytes(Path()), "after\r\n");
}

TEST_F(RunLogTest, AFolderThatIsMissingIsRefusedAtOpen) {
    RunLog log;
    EXPECT_FALSE(log.Open(Path("missing\\server.log"), 100));
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(platform::LastErrorCode(), 3u);  // path not found
}

TEST(RunTime, ReadsAsTheOperatorExpects) {
    const struct {
        std::int64_t ms;
        const char* text;
    } cases[] = {{-5, "0.0 s"},           {0, "0.0 s"},           {1234, "1.2 s"},
                 {59999, "59.9 s"},       {60000, "1 min 00 s"},  {3599999, "59 min 59 s"},
                 {3600000, "1 h 00 min"}, {90061000, "25 h 01 min"}};
    for (const auto& c : cases) EXPECT_EQ(FormatRunTime(c.ms), c.text) << c.ms;
}

TEST(RunTime, LogTimeHasOneShape) {
    const std::string text = FormatLogTime(std::time_t(1700000000));
    ASSERT_EQ(text.size(), 19u) << text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '9';
        if (expected == '9') EXPECT_TRUE(text[i] >= '0' && text[i] <= '9') << text;
        else EXPECT_EQ(text[i], expected) << text;
    }
    EXPECT_EQ(text.substr(0, 8), "2023-11-");  // 14 or 15 November, by the time zone
}

}  // namespace
