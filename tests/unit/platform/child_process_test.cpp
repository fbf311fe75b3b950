// A wait without time, as an event loop polls its children: it hands over
// what has arrived and returns, however much the child goes on writing.
#include <gtest/gtest.h>

#include <string>

#include "platform/process.h"

#if !defined(_WIN32)
#include <unistd.h>

namespace {

void StartShell(platform::ChildProcess& child, const std::string& script) {
    platform::ProcessStart start;
    start.program = "/bin/sh";
    start.arguments = {"-c", script};
    start.folder = "/";
    std::string error;
    ASSERT_TRUE(child.Start(start, error)) << error;
}

TEST(ChildProcess, AWaitWithoutTimeHandsOverWhatHasArrivedAndReturns) {
    const struct {
        const char* script;
        bool endless;  // writes without pause: the look is bounded, not the pipe's end
    } cases[] = {{"printf ready; exec sleep 60", false}, {"exec yes", true}};
    for (const auto& c : cases) {
        platform::ChildProcess child;
        StartShell(child, c.script);
        std::string got;
        const platform::OutputSink sink = [&got](const char* data, std::size_t size) { got.append(data, size); };
        for (int look = 0; look < 2000 && got.empty(); ++look) {
            ASSERT_EQ(child.Wait(0, sink, false), platform::WaitResult::TimedOut) << c.script;
            if (got.empty()) usleep(5000);
        }
        if (c.endless) {
            EXPECT_FALSE(got.empty());
            EXPECT_LE(got.size(), (1u << 20) + 65536u);
        } else {
            EXPECT_EQ(got, "ready");
        }
        child.Kill();
        EXPECT_EQ(child.Wait(-1, [](const char*, std::size_t) {}, false), platform::WaitResult::Ended) << c.script;
    }
}

}  // namespace
#endif
