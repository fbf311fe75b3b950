// The run log as the page reads it: the last lines, then what is appended,
// by offsets, within bounded reads. Logs are generated (LF and CR LF ends,
// bytes of every value, lines longer than the window) and written in pieces
// that end anywhere, as a supervisor appends its server's output.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "test_support.h"
#include "web/server_log.h"

namespace {

struct RawLine {
    std::string text;    // without its end
    std::string ending;  // "\n" or "\r\n"
};

std::string Generate(std::mt19937& random, std::size_t count, std::size_t longest, std::vector<RawLine>& lines) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        RawLine line;
        const std::size_t length = random() % (longest + 1);
        for (std::size_t k = 0; k < length; ++k) {
            char c = static_cast<char>(random() % 256);
            if (c == '\n' || (c == '\r' && k + 1 == length)) c = 'x';
            line.text += c;
        }
        line.ending = random() % 2 ? "\n" : "\r\n";
        bytes += line.text + line.ending;
        lines.push_back(line);
    }
    return bytes;
}

void Append(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(platform::HostPath(path.c_str()).c_str(), "ab");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

class ServerLog : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeTempFolder(); }
    void TearDown() override { RemoveTree(folder_); }
    std::string Log() const { return folder_ + "\\run.log"; }
    std::string folder_;
};

// Whatever the pieces, a reader that starts at the tail and follows the
// offsets gets every line once, in order, at most maxLines an answer; a line
// too long for the window comes as its first part, cut, and says so.
TEST_F(ServerLog, FollowingTheOffsetsGivesEveryLineOnceInPieces) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const std::size_t window = 16 + random() % 64;
        const std::size_t maxLines = 1 + random() % 6;
        const bool longLines = seed % 3 == 0;
        std::vector<RawLine> lines;
        const std::string bytes = Generate(random, random() % 40, longLines ? window + 10 : window - 3, lines);
        WriteBytes(Log(), "");
        LogPiece piece = ReadLogTail(Log(), maxLines, window);
        ASSERT_TRUE(piece.lines.empty());
        std::vector<std::string> got;
        std::vector<bool> skips;
        for (std::size_t at = 0; at <= bytes.size();) {
            const std::size_t size = std::min<std::size_t>(bytes.size() - at, random() % (2 * window));
            Append(Log(), bytes.substr(at, size));
            at += size;
            for (int asked = 0; asked < 1000; ++asked) {
                const std::uint64_t before = piece.next;
                piece = ReadLogAfter(Log(), piece.next, maxLines, window);
                ASSERT_LE(piece.lines.size(), maxLines) << seed;
                got.insert(got.end(), piece.lines.begin(), piece.lines.end());
                for (std::size_t k = 0; k < piece.lines.size(); ++k) skips.push_back(piece.skipped);
                if (piece.next == before) break;
            }
            if (size == 0 && at == bytes.size()) break;
        }
        ASSERT_EQ(piece.next, bytes.size()) << seed;
        ASSERT_EQ(got.size(), lines.size()) << seed;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string raw = lines[i].text + lines[i].ending.substr(0, lines[i].ending.size() - 1);
            if (raw.size() >= window) {
                EXPECT_EQ(got[i], raw.substr(0, window)) << seed << " line " << i;
                EXPECT_TRUE(skips[i]) << seed << " line " << i;
            } else {
                EXPECT_EQ(got[i], lines[i].text) << seed << " line " << i;
            }
        }
    }
}

// The last lines: as many as maxLines, or as the window holds when they are
// long; the line still being written waits for its end; `next` follows on.
TEST_F(ServerLog, TailIsTheLastWholeLinesThatFitTheWindow) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const std::size_t window = 16 + random() % 200;
        const std::size_t maxLines = 1 + random() % 8;
        std::vector<RawLine> lines;
        std::string bytes = Generate(random, random() % 30, window - 3, lines);
        const std::string partial = seed % 2 ? std::string(random() % 10, 'p') : std::string();
        WriteBytes(Log(), bytes + partial);
        std::size_t count = 0;
        std::size_t span = partial.size();
        while (count < std::min(maxLines, lines.size())) {
            const RawLine& line = lines[lines.size() - 1 - count];
            if (span + line.text.size() + line.ending.size() > window) break;
            span += line.text.size() + line.ending.size();
            ++count;
        }
        const LogPiece piece = ReadLogTail(Log(), maxLines, window);
        EXPECT_EQ(piece.next, bytes.size()) << seed;
        if (count == 0 && !lines.empty()) {
            // Not even the last line fits beside the one being written: its end, cut.
            const std::size_t from = bytes.size() + partial.size() - window;
            std::string end = bytes.substr(from, bytes.size() - 1 - from);
            if (!end.empty() && end.back() == '\r') end.pop_back();
            EXPECT_EQ(piece.lines, std::vector<std::string>{end}) << seed;
            EXPECT_TRUE(piece.skipped) << seed;
            continue;
        }
        ASSERT_EQ(piece.lines.size(), count) << seed;
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(piece.lines[i], lines[lines.size() - count + i].text) << seed << " line " << i;
        EXPECT_EQ(piece.skipped, count < maxLines && count < lines.size()) << seed;
    }
}

// A rotation: the log is LOG.1 now and a new, shorter one is begun. A reader
// past the new log's end is told lines were skipped and reads the new log
// from its start; the last lines reach back into LOG.1 when the new log is
// short of them.
TEST_F(ServerLog, RotationIsToldAndTheTailReachesIntoTheRotatedLog) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        std::vector<RawLine> old, fresh;
        const std::string oldBytes = Generate(random, 10 + random() % 10, 30, old);
        const std::string freshBytes = Generate(random, random() % 4, 30, fresh).substr(0, oldBytes.size() / 2);
        fresh.clear();
        for (std::size_t at = 0; at < freshBytes.size();) {
            const std::size_t end = freshBytes.find('\n', at);
            if (end == std::string::npos) break;
            std::string text = freshBytes.substr(at, end - at);
            if (!text.empty() && text.back() == '\r') text.pop_back();
            fresh.push_back({text, "\n"});
            at = end + 1;
        }
        WriteBytes(Log() + ".1", oldBytes);
        WriteBytes(Log(), freshBytes);

        const LogPiece followed = ReadLogAfter(Log(), oldBytes.size());
        EXPECT_TRUE(followed.skipped) << seed;
        ASSERT_EQ(followed.lines.size(), fresh.size()) << seed;
        for (std::size_t i = 0; i < fresh.size(); ++i) EXPECT_EQ(followed.lines[i], fresh[i].text) << seed;

        const std::size_t maxLines = 8;
        const LogPiece tail = ReadLogTail(Log(), maxLines);
        ASSERT_EQ(tail.lines.size(), maxLines) << seed;
        EXPECT_FALSE(tail.skipped) << seed;
        std::vector<std::string> expected;
        for (const RawLine& line : old) expected.push_back(line.text);
        // The new log's unfinished last line is not shown yet.
        for (const RawLine& line : fresh) expected.push_back(line.text);
        expected.erase(expected.begin(), expected.end() - static_cast<std::ptrdiff_t>(maxLines));
        EXPECT_EQ(tail.lines, expected) << seed;
    }
}

TEST_F(ServerLog, MissingLogIsNoLinesAndKeepsTheOffset) {
    const LogPiece tail = ReadLogTail(Log());
    EXPECT_TRUE(tail.lines.empty());
    EXPECT_EQ(tail.next, 0u);
    const LogPiece followed = ReadLogAfter(Log(), 1234);
    EXPECT_TRUE(followed.lines.empty());
    EXPECT_EQ(followed.next, 1234u);
    EXPECT_FALSE(followed.skipped);
}

// A log far larger than the window is read from its end only, and a single
// line longer than the window shows as its last part, cut.
TEST_F(ServerLog, TailOfOneLongLineIsItsEndCut) {
    const std::string line(kLogWindowBytes * 3, 'a');
    WriteBytes(Log(), "first\r\n" + line + "b\r\n");
    const LogPiece piece = ReadLogTail(Log());
    ASSERT_EQ(piece.lines.size(), 1u);
    EXPECT_TRUE(piece.skipped);
    EXPECT_EQ(piece.lines[0].size(), kLogWindowBytes - 2);  // the window less "\r\n"
    EXPECT_EQ(piece.lines[0].back(), 'b');
    EXPECT_EQ(piece.next, 7 + line.size() + 3);
}

}  // namespace
