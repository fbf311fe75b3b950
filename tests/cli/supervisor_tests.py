#!/usr/bin/env python3
"""servolt-cli run as a supervisor that holds: nothing outlives it, one run
per instance, a second stop ends the server at once, the status file and
`status`, `logs` (-f across a rotation) and scheduled restarts.

    supervisor_tests.py --cli servolt-cli --fake fake_console_server [--wine-run scripts/wine-run]

Natively the fake server runs through a launcher script; under Wine
servolt-cli.exe starts the fake's .exe itself. Scheduled times come from
SERVOLT_RUN_CLOCK (the supervisor's clock starts there), never from waiting.
"""
import calendar
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

import cli_harness
from cli_harness import ProcessTest, run_to_end


class Running:
    """A process in the background, its output read as it comes."""

    def __init__(self, command, env, cwd):
        self.process = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out, self.err = bytearray(), bytearray()
        self.lock = threading.Lock()
        self.readers = [threading.Thread(target=self._read, args=(s, b), daemon=True)
                        for s, b in ((self.process.stdout, self.out), (self.process.stderr, self.err))]
        for reader in self.readers:
            reader.start()

    def _read(self, stream, into):
        for chunk in iter(lambda: stream.read1(4096), b""):
            with self.lock:
                into.extend(chunk)

    def text(self, stream):
        with self.lock:
            return bytes(self.err if stream == "err" else self.out).decode("latin-1").replace("\r\n", "\n")

    def wait_for(self, stream, pattern, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = re.search(pattern, self.text(stream))
            if found:
                return found
            if self.process.poll() is not None and all(not r.is_alive() for r in self.readers):
                break
            time.sleep(0.02)
        raise AssertionError("no %r on std%s; stderr so far:\n%s" % (pattern, stream, self.text("err")))

    def finish(self, timeout=60):
        code = cli_harness.end_readers(self.process, self.readers, timeout)
        return code, self.text("out"), self.text("err")


def events(err):
    """The supervisor's lines, pids and times taken out."""
    found = [l[len("servolt-cli: "):] for l in err.splitlines() if l.startswith("servolt-cli: ")]
    found = [re.sub(r"\(pid \d+\)", "(pid N)", l) for l in found]
    return [re.sub(r"after [\d.]+ s$", "after T", l) for l in found]


def group_members(group):
    """Processes of a process group that still run (zombies are gone)."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[2]) == group and fields[0] != "Z":
            members.append(int(entry))
    return members


class Supervise(ProcessTest):
    PREFIX = "servolt-super-"

    @classmethod
    def setUpClass(cls):
        # Under Wine, a Wine server kept up by a program whose output nobody
        # reads. Otherwise the first program of a test to find none starts
        # one, which holds that program's output pipes while any Wine
        # program runs (a `logs -f` beside a `run`): the test would wait on
        # it for ever.
        cls.keeper = None
        if cls.args.wine_run:
            cls.keeper_folder = tempfile.mkdtemp(prefix="servolt-super-keeper-")
            cls.keeper = subprocess.Popen([cls.args.wine_run, cls.args.fake, "hang"], cwd=cls.keeper_folder,
                                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 120
            while not os.path.exists(os.path.join(cls.keeper_folder, "alive.txt")) and time.monotonic() < deadline:
                time.sleep(0.1)

    @classmethod
    def tearDownClass(cls):
        if cls.keeper:
            cls.keeper.kill()
            cls.keeper.wait()
            shutil.rmtree(cls.keeper_folder, ignore_errors=True)

    def setUp(self):
        super().setUp()
        self.game = os.path.join(self.root, "game")
        os.makedirs(self.game)
        shutil.copy(self.args.fake, os.path.join(self.game, "vantrel_server.exe"))
        self.launcher = self.script("launch.sh", 'exec "$@"')
        self.env = {}
        if self.wine:
            # Wine sets %APPDATA% and %LOCALAPPDATA% from the prefix, which
            # every test shares (CMake keeps run_tests and instance_tests from
            # running at the same time): each test starts without any
            # instance's files, and without the instances another suite named.
            for folder in self.instance_folders():
                for name in os.listdir(folder):
                    if name.endswith((".status", ".lock", ".log")):
                        os.remove(os.path.join(folder, name))
                instances = os.path.join(os.path.dirname(folder), "instances.ini")
                if os.path.isfile(instances):
                    os.remove(instances)

    def instance_folders(self):
        wine = os.environ.get("SERVOLT_WINE_DIR") or \
            os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(self.args.wine_run))), "build", "wine")
        wine = os.path.join(wine, os.environ.get("SERVOLT_WINE_SUBDIR", ""))
        users = os.path.join(wine, "prefix", "drive_c", "users")
        found = []
        for user in os.listdir(users) if os.path.isdir(users) else []:
            for part in (("Local", "Servolt"), ("Roaming", "Servolt", "logs")):
                folder = os.path.join(users, user, "AppData", *part)
                if os.path.isdir(folder):
                    found.append(folder)
        return found

    def log_folder(self):
        if not self.wine:
            return os.path.join(self.home, ".config", "servolt", "logs")
        return [f for f in self.instance_folders() if f.endswith("logs")][0]

    def script(self, name, body):
        path = os.path.join(self.root, name)
        with open(path, "w") as f:
            f.write("#!/bin/sh\n%s\n" % body)
        os.chmod(path, 0o755)
        return path

    def environment(self, env=None):
        environment = dict(os.environ, SERVOLT_RUN_TIME_SCALE="0.01", **self.env)
        if not self.wine:
            environment["HOME"] = self.home
            for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SERVOLT_INSTANCE"):
                environment.pop(name, None)
        environment.update(env or {})
        return environment

    def command(self, *args):
        command = [self.args.cli, *args]
        return [self.args.wine_run, *command] if self.wine else command

    def run_args(self, args, launcher=None):
        args = ["run", "--game", self.path("game"), "--no-write", *args]
        if not self.wine:
            args[1:1] = ["--launcher", launcher or self.launcher]
        return args

    def start(self, command, env=None):
        running = Running(command, self.environment(env), self.root)
        # A test that fails half-way leaves nothing running.
        self.addCleanup(lambda: running.process.poll() is None and running.process.kill())
        return running

    def start_run(self, *args, env=None, launcher=None):
        return self.start(self.command(*self.run_args(args, launcher)), env)

    def cli(self, *args, env=None):
        done = run_to_end(self.command(*args), cwd=self.root, env=self.environment(env), stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout.decode("latin-1").replace("\r\n", "\n"), \
            done.stderr.decode("latin-1").replace("\r\n", "\n")

    def started(self, launcher=None):
        return "started vantrel_server.exe" + ("" if self.wine else " through " + (launcher or self.launcher)) + \
            " (pid N)"

    def status(self, *args, env=None):
        code, out, err = self.cli("status", *args, env=env)
        self.assertEqual(err, "")
        return code, out

    def wait_status(self, pattern, timeout=30, env=None):
        deadline = time.monotonic() + timeout
        while True:
            code, out = self.status("default", env=env)
            if re.search(pattern, out) or time.monotonic() > deadline:
                return code, out
            time.sleep(0.1)

    # ---- nothing outlives the supervisor

    def test_nothing_the_launcher_started_outlives_a_killed_supervisor(self):
        if self.wine:
            self.skipTest("Windows ends the job object with the supervisor; run_tests kills it under Wine")
        # A wrapper that does not exec: the server is its child, beyond the
        # parent-death signal's reach, and hears no polite signal at all.
        wrapper = self.script("wrapper.sh", '"$@"\necho wrapper: the server ended')
        running = self.start_run("--", "hang", "deaf", launcher=wrapper)
        group = int(running.wait_for("err", r"through .*wrapper.sh \(pid (\d+)\)").group(1))
        server = int(running.wait_for("out", r"fake: started pid (\d+)").group(1))
        self.assertIn(server, group_members(group))
        self.assertNotEqual(server, group)  # the wrapper did not exec
        running.process.kill()
        self.assertEqual(running.finish()[0], -signal.SIGKILL)
        deadline = time.monotonic() + 10
        while group_members(group) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(group_members(group), [])
        # The lock went with it: the instance runs again at once.
        code, out = self.status("default")
        self.assertEqual(code, 3, out)

    # ---- one run per instance

    def test_a_second_run_of_an_instance_is_refused_naming_the_first(self):
        first = self.start_run("--", "hang")
        first.wait_for("out", "fake: started")
        supervisor = int(re.search(r"supervisor pid (\d+)", self.wait_status(r"server pid")[1]).group(1))
        code, out, err = self.cli(*self.run_args(["--", "exit=0"]))
        self.assertEqual((code, out), (2, ""))
        self.assertEqual(err, 'servolt-cli: the instance "default" is already running under servolt-cli (pid %d); '
                              "not starting a second server\n" % supervisor)
        with open(os.path.join(self.game, "runs.txt")) as f:
            self.assertEqual(len(f.readlines()), 1)
        first.process.send_signal(signal.SIGINT if self.wine else signal.SIGTERM)
        self.assertEqual(first.finish()[0], 0)
        code, out, err = self.cli(*self.run_args(["--restart", "never", "--", "exit=0"]))
        self.assertEqual(code, 0, err)

    # ---- stopping

    def test_a_second_request_during_the_grace_ends_the_server_at_once(self):
        how, name = (signal.SIGINT, "Ctrl+C") if self.wine else (signal.SIGTERM, "SIGTERM")
        running = self.start_run("--grace", "60", "--", "hang", "ignore-stop")
        running.wait_for("out", "fake: started")
        running.process.send_signal(how)
        running.wait_for("err", "waiting up to 1 min 00 s")
        began = time.monotonic()
        running.process.send_signal(how)
        # Wine turns SIGINT into Ctrl+C itself, and on a loaded machine has
        # been seen to drop one that closely follows another: pressed again,
        # as an operator would, until it is answered.
        while self.wine and time.monotonic() - began < 20:
            try:
                running.process.wait(timeout=2)
                break
            except subprocess.TimeoutExpired:
                running.process.send_signal(how)
        code, out, err = running.finish()
        self.assertLess(time.monotonic() - began, 20)
        self.assertEqual(code, 0, err)
        self.assertEqual(events(err), [
            self.started(), "stopping (%s): asked the server to end, waiting up to 1 min 00 s" % name,
            "ended by force at once (%s again)" % name, "stopped"])
        code, out = self.status("default")
        self.assertEqual(code, 3)
        self.assertRegex(out, r"^default: not running \(stopped at [\d-]+ [\d:]+, last exit by force at ")

    def test_clean_ends_that_repeat_are_a_restart_loop(self):
        code, _, err = self.cli(*self.run_args(["--restart", "always", "--max-restarts", "1", "--", "exit=0"]))
        self.assertEqual(code, 1, err)
        self.assertEqual(events(err)[-1], "restart loop: more than 1 restarts within 300 s; giving up")
        self.assertRegex(self.status("default")[1], r"^default: not running \(restart loop at ")

    # ---- status

    def test_status_after_a_crash_loop_and_after_the_supervisor_is_killed(self):
        code, out = self.status()
        lines = out.splitlines()
        if self.wine:  # the prefix's status files are shared with the other suites
            lines = [line for line in lines if line.startswith("default:")]
        self.assertEqual((code, lines), (3, ["default: not running (never run)"]))
        code, _, err = self.cli(*self.run_args(["--max-restarts", "1", "--", "exit=5"]))
        self.assertEqual(code, 1, err)
        self.assertEqual(events(err)[-1], "crash loop: more than 1 restarts within 300 s; giving up")
        code, out = self.status("default")
        self.assertEqual(code, 3)
        self.assertRegex(out, r"^default: not running \(crash loop at [\d-]+ [\d:]+, last exit with code 5 at "
                              r"[\d-]+ [\d:]+, after 1 restart\)\n$")

        running = self.start_run("--", "hang")
        server = running.wait_for("out", r"fake: started pid (\d+)").group(1)
        code, out = self.wait_status(r"server pid")
        self.assertEqual(code, 0, out)
        # A new supervisor's own account: the crash loop before it is history.
        self.assertRegex(out, r"^default: running \(server pid %s up since [\d-]+ [\d:]+, 0 restarts; "
                              r"supervisor pid \d+\)\n$" % server)
        code, out = self.status("--json")
        report = json.loads(out)["default"]
        self.assertEqual((code, report["running"], report["state"], report["serverPid"]),
                         (0, True, "running", int(server)))
        # Another instance, never run: the exit code says one is down.
        code, out = self.status("match")
        self.assertEqual((code, out), (3, "match: not running (never run)\n"))
        self.assertEqual(self.cli("status", "no/such")[0], 2)

        running.process.kill()
        running.finish()
        code, out = self.status()
        self.assertEqual(code, 3)
        self.assertRegex(out, r"^default: not running \(supervisor ended at [\d-]+ [\d:]+\)\n$")
        self.assertFalse(json.loads(self.status("default", "--json")[1])["default"]["running"])

    # ---- logs

    def test_logs_shows_the_last_lines_and_follows_across_a_rotation(self):
        code, _, err = self.cli("logs", "default")
        self.assertEqual(code, 2)
        self.assertIn("no log at ", err)
        follower = self.start(self.command("logs", "default", "-n", "0", "-f"))
        follower.wait_for("err", r"yet: waiting for it")  # else a slow start misses the first lines
        # 0.002 MB = 2,097 bytes: some 19 lines of 100 characters a file, so
        # the 60 lines, one each 40 ms, rotate it three times while it is followed.
        code, _, err = self.cli(*self.run_args(["--restart", "never", "--log-max-size", "0.002", "--",
                                                "print=60", "width=100", "pace=40"]))
        self.assertEqual(code, 0, err)
        follower.wait_for("out", r"servolt-cli: ended with code 0 after")
        follower.process.kill()
        _, followed, _ = follower.finish()
        logs = self.log_folder()
        self.assertTrue(os.path.exists(os.path.join(logs, "default.log.3")), os.listdir(logs))
        numbers = [int(n) for n in re.findall(r"fake: line (\d+) of 60", followed)]
        self.assertEqual(numbers, list(range(1, 61)))  # every line once, in order
        self.assertEqual(len(re.findall(r"servolt-cli: started", followed)), 1)

        # The last lines, across the rotation where the newest file holds fewer.
        code, out, err = self.cli("logs", "default", "-n", "3")
        self.assertEqual(code, 0, err)
        shown = out.splitlines()
        self.assertEqual(len(shown), 3, out)
        self.assertEqual(shown[:2], ["fake: line 60 of 60" + "." * 81, "fake: ending with code 0"])
        self.assertRegex(shown[2], r"servolt-cli: ended with code 0 after [\d.]+ s$")

    # ---- scheduled restarts

    def test_a_scheduled_restart_in_the_skipped_hour_runs_at_the_first_valid_minute(self):
        if self.wine:
            self.skipTest("the Windows C runtime reads no zone names from TZ")
        # 01:59:58 CET on the night the clocks go forward: 02:30 does not
        # exist; it is due at 03:00 CEST, two seconds on.
        clock = calendar.timegm((2026, 3, 29, 0, 59, 58))
        berlin = {"TZ": "Europe/Berlin"}
        running = self.start_run("--max-restarts", "0", "--restart-at", "02:30", "--", "hang",
                                 env=dict(berlin, SERVOLT_RUN_CLOCK=str(clock)))
        running.wait_for("err", "restarting as scheduled")
        running.wait_for("out", r"fake: started[^\n]*\n(.|\n)*fake: started")
        code, out = self.wait_status(r"1 scheduled", env=berlin)
        self.assertEqual(code, 0, out)
        self.assertIn("1 restart (1 scheduled)", out)
        self.assertIn("up since 2026-03-29 03:00:0", out)
        self.assertIn("next restart at 2026-03-30 02:30:00", out)
        running.process.send_signal(signal.SIGTERM)
        code, _, err = running.finish()
        self.assertEqual(code, 0, err)
        self.assertEqual(events(err), [
            self.started(), "scheduled restart: asked the server to end, waiting up to 10.0 s",
            "ended with code 0 after T", "restarting as scheduled", self.started(),
            "stopping (SIGTERM): asked the server to end, waiting up to 10.0 s", "ended with code 0 after T",
            "stopped"])
        # In the log, at the clock's time.
        with open(os.path.join(self.home, ".config", "servolt", "logs", "default.log"), "rb") as f:
            self.assertIn(b"2026-03-29 03:00:0", f.read().split(b"scheduled restart")[0][-40:])

    def test_restart_every_is_not_a_crash_loop(self):
        if self.wine:
            # Seen once on a loaded machine: the Ctrl+C sent after the third
            # scheduled restart was not answered within 60 s. Until that is
            # understood, the schedule's restarts are proven natively.
            self.skipTest("a Ctrl+C right after a scheduled restart under Wine is being looked into")
        how = signal.SIGTERM
        # 0.0005 hours: 1.8 s up, then restarted, again and again; more
        # restarts than --max-restarts allows, none of them a failure.
        running = self.start_run("--max-restarts", "1", "--grace", "1", "--restart-every", "0.0005", "--", "hang")
        for _ in range(3):
            running.wait_for("err", "(restarting as scheduled(.|\n)*){%d}" % (_ + 1), timeout=60)
        running.process.send_signal(how)
        code, _, err = running.finish()
        self.assertEqual(code, 0, err)
        self.assertNotIn("loop", err)
        self.assertGreaterEqual(events(err).count("restarting as scheduled"), 3)

    def test_bad_schedules_are_refused(self):
        for bad in (["--restart-at", "25:00"], ["--restart-at", "4:00"], ["--restart-every", "0"]):
            code, out, err = self.cli(*self.run_args(bad))
            self.assertEqual((code, out), (2, ""), bad)
            self.assertIn(bad[0], err)
        self.assertFalse(os.path.exists(os.path.join(self.game, "runs.txt")))


if __name__ == "__main__":
    cli_harness.main()
