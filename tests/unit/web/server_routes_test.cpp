// The servers as the page sees them: each instance with its status and who
// supervises it, start, stop and restart of the runs this process starts
// (natively through a stand-in for `run`), and the run log by offsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/supervise/instance_files.h"
#include "core/supervise/run_status.h"
#include "platform/instance_lock.h"
#include "test_support.h"
#include "web/server_routes.h"
#include "web/server_supervisor.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void SetVariable(const std::string& name, const std::string& value) {
#if defined(_WIN32)
    _putenv((name + "=" + value).c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

class ServerRoutes : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = MakeTempFolder();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "APPDATA", "LOCALAPPDATA"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value != nullptr ? value : ""});
        }
#if defined(_WIN32)
        SetVariable("APPDATA", root_ + "\\config");
        SetVariable("LOCALAPPDATA", root_ + "\\run");
#else
        SetVariable("XDG_CONFIG_HOME", root_ + "/config");
        SetVariable("XDG_RUNTIME_DIR", root_ + "/run");
#endif
        site_.instancesFile = root_ + "\\instances.ini";
        site_.gameFolder = root_ + "\\game";
        site_.program = root_ + "\\run.sh";
        std::string why;
        ASSERT_TRUE(WriteInstances(site_.instancesFile,
                                   {{"alpha", root_ + "\\alpha", "", "", "", {}}, {"beta", "", "", "", "", {}}}, why))
            << why;
        ASSERT_TRUE(MakeFolders(FilesOfInstance("default").logFolder));
        const std::string lock = FilesOfInstance("default").lock;
        ASSERT_TRUE(MakeFolders(lock.substr(0, lock.find_last_of('\\'))));
        AddServerRoutes(routes_, site_);
    }
    void TearDown() override {
        for (auto& stop : site_.onStop) stop();
        for (const auto& variable : saved_) SetVariable(variable.first, variable.second);
        RemoveTree(root_);
    }

    WebResponse Ask(const std::string& method, const std::string& target) {
        WebRequest request;
        request.method = method;
        const std::size_t mark = target.find('?');
        request.path = target.substr(0, mark);
        if (mark != std::string::npos) request.query = target.substr(mark + 1);
        return routes_.Dispatch(request);
    }
    nlohmann::json AskJson(const std::string& method, const std::string& target, int status = 200) {
        const WebResponse response = Ask(method, target);
        EXPECT_EQ(response.status, status) << method << " " << target << ": " << response.body;
        return nlohmann::json::parse(response.body);
    }
    nlohmann::json Entry(const std::string& name) {
        const nlohmann::json list = AskJson("GET", "/api/instances");
        for (const auto& instance : list["instances"]) {
            if (instance["name"] == name) return instance;
        }
        ADD_FAILURE() << "no instance " << name;
        return nlohmann::json();
    }
    // Ticks until `done` holds (the site's loop ticks four times a second).
    template <typename Done>
    bool TickUntil(Done done) {
        for (int i = 0; i < 1000; ++i) {
            for (auto& tick : site_.onTick) tick();
            if (done()) return true;
#if defined(_WIN32)
            Sleep(10);
#else
            usleep(10000);
#endif
        }
        return false;
    }

    std::string root_;
    std::vector<std::pair<std::string, std::string>> saved_;
    WebSite site_;
    WebRoutes routes_;
};

TEST_F(ServerRoutes, InstancesShowTheirStatusAndWhoSupervisesThem) {
    // beta: a run of another process holds it (this one, for the test).
    const InstanceFiles beta = FilesOfInstance("beta");
    platform::InstanceLock lock;
    unsigned long holder = 0;
    platform::Error error;
    ASSERT_EQ(lock.Take(beta.lock, holder, error), platform::LockOutcome::Taken) << error.text;
    RunStatus running;
    running.state = RunState::Running;
    running.supervisorPid = platform::CurrentProcessId();
    running.serverPid = 4242;
    running.serverStarted = 1765190000;
    running.restarts = 2;
    running.lastExit = "with code 3";
    running.nextRestart = 1765200000;
    ASSERT_TRUE(WriteRunStatus(beta.status, running));
    // alpha: its supervisor was killed; the file still tells of the run.
    RunStatus stale = running;
    stale.supervisorPid = 999999;
    stale.updated = 1765190100;
    ASSERT_TRUE(WriteRunStatus(FilesOfInstance("alpha").status, stale));

    const nlohmann::json list = AskJson("GET", "/api/instances")["instances"];
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]["name"], "default");
    EXPECT_EQ(list[0]["game"], site_.gameFolder);
    EXPECT_EQ(list[1]["game"], root_ + "\\alpha");

    const struct {
        const char* name;
        const char* state;
        const char* supervisor;
        bool control;
        unsigned long pid;
        std::int64_t since;
        int restarts;
        std::int64_t nextRestart;
        const char* summaryStart;
    } cases[] = {
        {"default", "stopped", "", true, 0, 0, 0, 0, "not running (never run)"},
        {"alpha", "stopped", "", true, 0, stale.updated, 2, 0, "not running (supervisor ended"},
        {"beta", "running", "run", false, 4242, running.serverStarted, 2, running.nextRestart, "running (server pid 4242"},
    };
    for (const auto& c : cases) {
        const nlohmann::json instance = Entry(c.name);
        const nlohmann::json& status = instance["status"];
        EXPECT_EQ(status["state"], c.state) << c.name;
        EXPECT_EQ(status["supervisor"], c.supervisor) << c.name;
        EXPECT_EQ(instance["control"], c.control) << c.name;
        EXPECT_EQ(status["pid"], c.pid) << c.name;
        EXPECT_EQ(status["since"], c.since) << c.name;
        EXPECT_EQ(status["restarts"], c.restarts) << c.name;
        EXPECT_EQ(status["nextRestart"], c.nextRestart) << c.name;
        EXPECT_EQ(status["summary"].get<std::string>().rfind(c.summaryStart, 0), 0u) << c.name << ": " << status;
    }
    EXPECT_EQ(Entry("beta")["status"]["lastExit"], "with code 3");
    EXPECT_EQ(Entry("beta")["status"]["supervisorPid"], platform::CurrentProcessId());

    // Another run's instance is left alone; what does not run cannot stop;
    // what is not an instance of the site is not found.
    const struct {
        const char* method;
        const char* target;
        int status;
        const char* error;
    } refusals[] = {
        {"POST", "/api/i/beta/start", 409, "outside this page"},
        {"POST", "/api/i/beta/stop", 409, "outside this page"},
        {"POST", "/api/i/BETA/restart", 409, "outside this page"},
        {"POST", "/api/i/default/stop", 409, "is not running"},
        {"POST", "/api/i/gamma/start", 404, "no instance"},
        {"POST", "/api/i/gamma/stop", 404, "no instance"},
        {"POST", "/api/i/gamma/restart", 404, "no instance"},
        {"GET", "/api/i/gamma/log", 404, "no instance"},
        {"GET", "/api/i/default/log?after=x1", 400, "offset"},
        {"GET", "/api/i/default/log?after=-1", 400, "offset"},
        {"GET", "/api/i/default/log?after=", 400, "offset"},
        {"GET", "/api/i/default/log?after=99999999999999999999", 400, "offset"},
        {"GET", "/api/i/default/start", 405, "not allowed"},
    };
    for (const auto& r : refusals) {
        const nlohmann::json answer = AskJson(r.method, r.target, r.status);
        EXPECT_NE(answer["error"].get<std::string>().find(r.error), std::string::npos) << r.target << ": " << answer;
    }
    EXPECT_NE(AskJson("POST", "/api/i/beta/stop", 409)["error"].get<std::string>().find(
                  "pid " + std::to_string(platform::CurrentProcessId())),
              std::string::npos);
}

// serve's --game and --prefix stand for an instance that names none; the
// rest is the same for every run; nothing is started without a program.
TEST_F(ServerRoutes, TheRunIsThisProgramWithServesPlacesForAnInstanceWithoutItsOwn) {
    site_.winePrefix = root_ + "\\prefix";
    site_.keepHistory = 7;
    ServerSupervisor supervisor(site_);
    const std::vector<std::string> common = {"--grace", "10", "--instances", site_.instancesFile};
    const struct {
        ::Instance instance;
        std::vector<std::string> places;
    } cases[] = {
        {{"default", "", "", "", "", {}}, {"--game", site_.gameFolder, "--prefix", site_.winePrefix}},
        {{"alpha", "A", "", "", "", {}}, {"--prefix", site_.winePrefix}},
        {{"beta", "", "Q", "", "", {}}, {"--game", site_.gameFolder}},
        {{"gamma", "A", "Q", "x.ini", "x.cfg", {}}, {}},
    };
    for (const auto& c : cases) {
        platform::ProcessStart start;
        std::string why;
        ASSERT_TRUE(supervisor.RunCommand(c.instance, start, why)) << why;
        std::vector<std::string> expected = {"run", "--instance", c.instance.name};
        expected.insert(expected.end(), common.begin(), common.end());
        expected.insert(expected.end(), c.places.begin(), c.places.end());
        expected.insert(expected.end(), {"--keep-history", "7"});
        EXPECT_EQ(start.program, site_.program);
        EXPECT_EQ(start.arguments, expected) << c.instance.name;
        EXPECT_FALSE(start.folder.empty());
    }
    site_.program.clear();
    platform::ProcessStart start;
    std::string why;
    EXPECT_FALSE(supervisor.RunCommand(cases[0].instance, start, why));
    EXPECT_FALSE(supervisor.Start(cases[0].instance, why));
    EXPECT_NE(why.find("not known"), std::string::npos);
}

// The log the status file names (run --log) or the instance's own, its
// Windows-1252 bytes as UTF-8, the line being written left for later.
TEST_F(ServerRoutes, LogIsReadByOffsetsAsUtf8) {
    const std::string own = FilesOfInstance("default").log;
    WriteBytes(own, "caf\xE9 \x80\r\nsecond\r\npart");
    nlohmann::json piece = AskJson("GET", "/api/i/default/log");
    EXPECT_EQ(piece["lines"], nlohmann::json({"caf\xC3\xA9 \xE2\x82\xAC", "second"}));
    EXPECT_EQ(piece["next"], 16);
    EXPECT_EQ(piece["skipped"], false);
    piece = AskJson("GET", "/api/i/default/log?after=16");
    EXPECT_TRUE(piece["lines"].empty());
    EXPECT_EQ(piece["next"], 16);
    WriteBytes(own, "caf\xE9 \x80\r\nsecond\r\npartial\n");
    piece = AskJson("GET", "/api/i/default/log?after=16");
    EXPECT_EQ(piece["lines"], nlohmann::json({"partial"}));
    EXPECT_EQ(piece["next"], 24);

    const std::string named = root_ + "\\elsewhere.log";
    WriteBytes(named, "from run --log\n");
    RunStatus status;
    status.state = RunState::Stopped;
    status.log = named;
    ASSERT_TRUE(WriteRunStatus(FilesOfInstance("alpha").status, status));
    EXPECT_EQ(AskJson("GET", "/api/i/alpha/log")["lines"], nlohmann::json({"from run --log"}));
    // Never run: no log yet, nothing to show.
    piece = AskJson("GET", "/api/i/beta/log?after=0");
    EXPECT_TRUE(piece["lines"].empty());
    EXPECT_EQ(piece["next"], 0);
}

#if !defined(_WIN32)
// A stand-in for `servolt-cli run`: notes its arguments, says it stopped on
// SIGINT, and with a file "fail" beside it refuses as run refuses.
void WriteStandIn(const std::string& root, bool ignoresInterrupt) {
    const std::string script = "#!/bin/sh\n"
                               "printf '%s\\n' \"$*\" >> '" + root + "/starts.txt'\n"
                               "if [ -e '" + root + "/fail' ]; then echo 'servolt-cli: refused for a reason'; exit 2; fi\n" +
                               (ignoresInterrupt ? "trap '' INT\n" : "trap 'echo stopped; exit 0' INT\n") +
                               "while :; do sleep 0.05; done\n";
    WriteBytes(root + "/run.sh", script);
    chmod((root + "/run.sh").c_str(), 0755);
}

std::vector<std::string> Starts(const std::string& root) {
    std::vector<std::string> lines;
    const std::string text = ReadBytes(root + "/starts.txt");
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

TEST_F(ServerRoutes, StartStopAndRestartDriveTheRunOfThisProgram) {
    WriteStandIn(root_, false);
    const auto state = [this](const char* name) { return Entry(name)["status"]["state"].get<std::string>(); };
    const auto starts = [this] { return Starts(root_).size(); };

    nlohmann::json answer = AskJson("POST", "/api/i/default/start");
    EXPECT_EQ(answer["ok"], true);
    EXPECT_EQ(answer["status"]["supervisor"], "serve");
    EXPECT_EQ(answer["status"]["state"], "starting");
    EXPECT_NE(AskJson("POST", "/api/i/default/start", 409)["error"].get<std::string>().find("already running"),
              std::string::npos);
    AskJson("POST", "/api/i/alpha/start");
    ASSERT_TRUE(TickUntil([&] { return starts() == 2; }));
    // serve's game folder stands for the instance that names none.
    const std::string common = " --grace 10 --instances " + site_.instancesFile;
    std::vector<std::string> expected = {
        "run --instance default" + common + " --game " + site_.gameFolder + " --keep-history 50",
        "run --instance alpha" + common + " --keep-history 50"};
    std::vector<std::string> got = Starts(root_);
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);

    answer = AskJson("POST", "/api/i/default/stop");
    EXPECT_EQ(answer["status"]["state"], "stopping");
    ASSERT_TRUE(TickUntil([&] { return state("default") == "stopped"; }));
    EXPECT_EQ(Entry("default")["status"]["supervisor"], "");
    EXPECT_EQ(Entry("default")["status"]["failure"], "");
    EXPECT_EQ(state("alpha"), "starting");

    // Restart: stopped, then started again once the run has ended; of one
    // that does not run, a start.
    EXPECT_EQ(AskJson("POST", "/api/i/alpha/restart")["status"]["state"], "stopping");
    ASSERT_TRUE(TickUntil([&] { return starts() == 3 && state("alpha") == "starting"; }));
    EXPECT_EQ(AskJson("POST", "/api/i/default/restart")["status"]["state"], "starting");
    ASSERT_TRUE(TickUntil([&] { return starts() == 4; }));

    // A run that refuses: its last words are the failure shown.
    AskJson("POST", "/api/i/alpha/stop");
    ASSERT_TRUE(TickUntil([&] { return state("alpha") == "stopped"; }));
    WriteBytes(root_ + "/fail", "");
    AskJson("POST", "/api/i/alpha/start");
    ASSERT_TRUE(TickUntil([&] { return state("alpha") == "stopped"; }));
    EXPECT_EQ(Entry("alpha")["status"]["failure"], "servolt-cli: refused for a reason");

    // serve's end stops what it started.
    EXPECT_EQ(state("default"), "starting");
    for (auto& stop : site_.onStop) stop();
    EXPECT_EQ(state("default"), "stopped");
    EXPECT_EQ(Entry("default")["status"]["failure"], "");
}

TEST_F(ServerRoutes, ARunThatDoesNotStopIsEndedByForce) {
    WriteStandIn(root_, true);
    ServerSupervisor supervisor(site_);
    supervisor.SetStopTimeout(0.3);
    std::string why;
    ASSERT_TRUE(supervisor.Start({"beta", "", "", "", "", {}}, why)) << why;
    ASSERT_TRUE(TickUntil([&] {
        supervisor.Tick();
        return Starts(root_).size() == 1;
    }));
    ASSERT_TRUE(supervisor.Stop("beta"));
    EXPECT_TRUE(supervisor.IsStopping("beta"));
    ASSERT_TRUE(TickUntil([&] {
        supervisor.Tick();
        return !supervisor.IsRunning("beta");
    }));
    EXPECT_NE(supervisor.LastFailure("beta").find("ended by force"), std::string::npos);
}
#endif

}  // namespace
