#!/usr/bin/env python3
"""servolt-cli run with a fake server, natively or under Wine.

    run_tests.py --cli servolt-cli --fake fake_console_server [--wine-run scripts/wine-run]

Natively the fake server, named vantrel_server.exe in a game folder, is
started through a launcher script that execs it, as wine would be. Under
Wine servolt-cli.exe starts the fake server's .exe itself. The waits between
restarts are scaled down (SERVOLT_RUN_TIME_SCALE), so no test waits for a
real backoff; the lines printed keep the real figures.
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from cli_harness import ProcessTest, end_readers, run_to_end

ARGS = None
SCALE = "0.01"


def lines(err):
    """The supervisor's standard error as text (CR LF on Windows)."""
    return bytes(err).decode("latin-1").replace("\r\n", "\n")


class Running:
    """A supervisor started in the background; its output read as it comes."""

    def __init__(self, command, env, cwd, ignore=()):
        def ignored():  # as nohup leaves them
            for number in ignore:
                signal.signal(number, signal.SIG_IGN)
        self.process = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=ignored)
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

    def wait_for(self, stream, text, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with self.lock:
                if text.encode() in (self.err if stream == "err" else self.out):
                    return
            if self.process.poll() is not None and all(not r.is_alive() for r in self.readers):
                break
            time.sleep(0.02)
        raise AssertionError("no %r on std%s; stderr so far:\n%s" % (text, stream, self.err.decode("latin-1")))

    def finish(self, timeout=60):
        code = end_readers(self.process, self.readers, timeout)
        return code, bytes(self.out), lines(self.err)


class Run(ProcessTest):
    PREFIX = "servolt-run-"

    def setUp(self):
        super().setUp()
        self.game = os.path.join(self.root, "game")
        os.makedirs(self.game)
        shutil.copy(ARGS.fake, os.path.join(self.game, "vantrel_server.exe"))
        self.launcher = os.path.join(self.root, "launch.sh")
        with open(self.launcher, "w") as f:
            f.write('#!/bin/sh\nexec "$@"\n')
        os.chmod(self.launcher, 0o755)

    def command(self, args, launcher=True):
        command = [ARGS.cli, "run", "--game", self.path("game"), *args]
        if not self.wine and launcher and "--launcher" not in args:
            command[2:2] = ["--launcher", self.launcher]
        return [ARGS.wine_run, *command] if self.wine else command

    def environment(self, env):
        environment = dict(os.environ, SERVOLT_RUN_TIME_SCALE=SCALE)
        if not self.wine:
            environment["HOME"] = self.home
            environment.pop("WINEPREFIX", None)
        environment.update(env or {})
        return {k: v for k, v in environment.items() if v is not None}

    def run_cli(self, *args, env=None, launcher=True):
        done = run_to_end(self.command(args, launcher), cwd=self.root, env=self.environment(env),
                          stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout, lines(done.stderr)

    def start_cli(self, *args, env=None, ignore=()):
        return Running(self.command(args), self.environment(env), self.root, ignore)

    def runs(self):
        """How many times the fake server started."""
        with open(os.path.join(self.game, "runs.txt")) as f:
            return len(f.readlines())

    def events(self, err):
        """The supervisor's lines, numbers and times taken out."""
        lines = [l[len("servolt-cli: "):] for l in err.splitlines() if l.startswith("servolt-cli: ")]
        lines = [re.sub(r"\(pid \d+\)", "(pid N)", l) for l in lines]
        return [re.sub(r"after [\d.]+ s$", "after T", l) for l in lines]

    @property
    def started(self):
        return "started vantrel_server.exe" + ("" if self.wine else " through " + self.launcher) + " (pid N)"

    @property
    def newline(self):
        # The Windows fake writes in text mode; the bytes are passed on as they come.
        return b"\r\n" if self.wine else b"\n"

    # ---- restart policies

    def test_never_starts_the_server_once_as_the_window_does_and_returns_its_code(self):
        code, out, err = self.run_cli("--no-write", "--restart", "never", "--", "exit=3", "print=2", "stderr",
                                      'say "two words"')
        self.assertEqual(code, 3, err)
        self.assertEqual(self.events(err), [self.started, "ended with code 3 after T"])
        first = out.split(self.newline)[0].decode("latin-1")
        if self.wine:
            # The window's command line, byte for byte, in the game folder.
            self.assertIn(r'command line [ +exec server.cfg exit=3 print=2 stderr "say \"two words\""] folder [%s]'
                          % self.path("game"), first)
        else:
            self.assertIn('args [+exec] [server.cfg] [exit=3] [print=2] [stderr] [say "two words"] folder [%s]'
                          % self.game, first)
        # Standard output and error of the server, passed on unchanged.
        for line in (b"fake: line 1 of 2", b"fake: line 2 of 2", b"fake: on standard error"):
            self.assertIn(line + self.newline, out)
        self.assertEqual(self.runs(), 1)

        code, _, err = self.run_cli("--no-write", "--restart", "never", "--", "crash")
        self.assertEqual(code, 5 if self.wine else 128 + signal.SIGSEGV)  # Wine: 0xC0000005 cut to 8 bits
        self.assertEqual(self.events(err)[1], "ended with code 0xC0000005 after T" if self.wine
                         else "ended by signal %d after T" % signal.SIGSEGV)

    def test_a_launcher_gets_the_server_s_path_and_the_arguments(self):
        if self.wine:
            # A program that only says how it was started stands in for the launcher.
            shutil.copy(ARGS.fake, os.path.join(self.root, "launcher.exe"))
            code, out, err = self.run_cli("--no-write", "--restart", "never", "--launcher",
                                          self.path("launcher.exe"), "--", "exit=0", "a b")
            self.assertEqual(code, 0, err)
            self.assertIn('command line [%s %s\\vantrel_server.exe +exec server.cfg exit=0 "a b"]'
                          % (self.path("launcher.exe"), self.path("game")), out.decode("latin-1"))
            self.assertIn("started vantrel_server.exe through %s (pid " % self.path("launcher.exe"), err)
            return
        with open(self.launcher, "w") as f:  # says what it got, then runs it
            f.write('#!/bin/sh\nprintf "launcher [%s]\\n" "$@"\nexec "$@"\n')
        code, out, err = self.run_cli("--no-write", "--restart", "never", "--", "exit=0", "a b")
        self.assertEqual(code, 0, err)
        self.assertTrue(out.startswith(("launcher [%s]\nlauncher [+exec]\nlauncher [server.cfg]\nlauncher [exit=0]\n"
                                        "launcher [a b]\nfake: started" % os.path.join(self.game, "vantrel_server.exe"))
                                       .encode()), out)

    def test_on_failure_restarts_with_growing_waits_until_a_clean_end(self):
        code, _, err = self.run_cli("--no-write", "--", "exit=0")
        self.assertEqual((code, self.events(err)), (0, [self.started, "ended with code 0 after T"]))
        os.remove(os.path.join(self.game, "runs.txt"))
        code, _, err = self.run_cli("--no-write", "--", "fail-times=2", "exit=4")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.events(err), [
            self.started, "ended with code 4 after T", "restarting in 1 s (1 of 5)",
            self.started, "ended with code 4 after T", "restarting in 2 s (2 of 5)",
            self.started, "ended with code 0 after T"])
        self.assertEqual(self.runs(), 3)

    def test_always_restarts_after_clean_ends_until_the_crash_loop(self):
        code, _, err = self.run_cli("--no-write", "--restart", "always", "--max-restarts", "2", "--", "exit=0")
        self.assertEqual(code, 1, err)
        self.assertEqual(self.events(err)[-3:], [
            self.started, "ended with code 0 after T", "restart loop: more than 2 restarts within 300 s; giving up"])
        self.assertEqual(self.runs(), 3)

    def test_a_crashing_server_is_a_crash_loop(self):
        began = time.monotonic()
        code, _, err = self.run_cli("--no-write", "--max-restarts", "3", "--within", "600", "--", "crash")
        self.assertEqual(code, 1, err)
        events = self.events(err)
        self.assertEqual([e for e in events if e.startswith("restarting")],
                         ["restarting in 1 s (1 of 3)", "restarting in 2 s (2 of 3)", "restarting in 4 s (3 of 3)"])
        self.assertEqual(events[-1], "crash loop: more than 3 restarts within 600 s; giving up")
        self.assertEqual(self.runs(), 4)
        self.assertLess(time.monotonic() - began, 30)  # 7 s of waits, scaled down

    # ---- stopping

    def stop(self, running, how):
        running.wait_for("err", "started vantrel_server.exe")
        running.wait_for("out", "fake: started")
        running.process.send_signal(how)
        return running.finish()

    def test_sigint_and_sigterm_ask_a_polite_server_to_end(self):
        if self.wine:
            # Ctrl+Break cannot be sent to a process group under Wine 8
            # (GenerateConsoleCtrlEvent fails); a windowed server gets WM_CLOSE.
            if not os.environ.get("DISPLAY"):
                self.skipTest("a window under Wine needs a display")
            cases = [(signal.SIGINT, "Ctrl+C", "window")]
        else:
            cases = [(signal.SIGINT, "SIGINT", "hang"), (signal.SIGTERM, "SIGTERM", "hang")]
        for how, name, mode in cases:
            began = time.monotonic()
            code, out, err = self.stop(self.start_cli("--no-write", "--", "hang", mode), how)
            self.assertEqual(code, 0, err)
            self.assertIn(b"fake: asked to stop", out)
            self.assertEqual(self.events(err), [
                self.started, "stopping (%s): asked the server to end, waiting up to 10.0 s" % name,
                "ended with code 0 after T", "stopped"])
            self.assertLess(time.monotonic() - began, 9)  # well inside the grace

    def test_sighup_stops_unless_it_was_ignored(self):
        if self.wine:
            self.skipTest("no hang-up signal on Windows")
        for ignore in ((), (signal.SIGHUP,)):
            running = self.start_cli("--no-write", "--", "hang", ignore=ignore)
            running.wait_for("out", "fake: started")
            running.process.send_signal(signal.SIGHUP)
            if ignore:
                time.sleep(0.3)
                self.assertIsNone(running.process.poll())
                running.process.send_signal(signal.SIGTERM)
            code, out, err = running.finish()
            self.assertEqual(code, 0, err)
            self.assertIn("stopping (%s)" % ("SIGTERM" if ignore else "SIGHUP"), err)

    def test_a_server_that_ignores_the_stop_is_ended_after_the_grace(self):
        how, name = (signal.SIGINT, "Ctrl+C") if self.wine else (signal.SIGTERM, "SIGTERM")
        running = self.start_cli("--no-write", "--grace", "0.5", "--", "hang", "ignore-stop", "window")
        running.wait_for("out", "fake: started")
        self.wait_alive()
        began = time.monotonic()
        code, out, err = self.stop(running, how)
        self.assertEqual(code, 0, err)
        self.assertNotIn(b"asked to stop", out)
        self.assertEqual(self.events(err), [
            self.started, "stopping (%s): asked the server to end, waiting up to 0.5 s" % name,
            "ended by force after the 0.5 s grace", "stopped"])
        self.assertGreaterEqual(time.monotonic() - began, 0.5)
        self.assert_gone()

    def test_a_stop_during_the_wait_ends_at_once_without_a_restart(self):
        how, name = (signal.SIGINT, "Ctrl+C") if self.wine else (signal.SIGINT, "SIGINT")
        running = self.start_cli("--no-write", "--", "exit=2", env={"SERVOLT_RUN_TIME_SCALE": "30"})
        running.wait_for("err", "restarting in 1 s (1 of 5)")  # 30 s, scaled
        began = time.monotonic()
        running.process.send_signal(how)
        code, _, err = running.finish()
        self.assertLess(time.monotonic() - began, 20)
        self.assertEqual(code, 0, err)
        self.assertEqual(self.events(err)[-1], "stopped (%s) before the restart" % name)
        self.assertEqual(self.runs(), 1)

    def assert_gone(self):
        """The fake server has stopped beating (alive.txt grows every 50 ms while it runs)."""
        alive = os.path.join(self.game, "alive.txt")
        deadline = time.monotonic() + 10
        size = -1
        while time.monotonic() < deadline:
            time.sleep(0.5)
            now = os.path.getsize(alive)
            if now == size:
                return
            size = now
        self.fail("the server still runs")

    def wait_alive(self):
        alive = os.path.join(self.game, "alive.txt")
        deadline = time.monotonic() + 60
        while not os.path.exists(alive) and time.monotonic() < deadline:
            time.sleep(0.05)

    def test_the_server_does_not_outlive_a_killed_supervisor(self):
        # SIGKILL everywhere; under Wine SIGTERM too, which ends a Wine
        # process at once: either way the supervisor gets no say.
        for how in (signal.SIGKILL, signal.SIGTERM) if self.wine else (signal.SIGKILL,):
            running = self.start_cli("--no-write", "--", "hang")
            running.wait_for("out", "fake: started")
            self.wait_alive()
            running.process.send_signal(how)
            code, _, err = running.finish()
            self.assertEqual(code, -how, err)
            self.assert_gone()

    # ---- the log

    def test_the_log_has_the_output_and_dated_lines_in_cr_lf(self):
        log = os.path.join(self.root, "server.log")
        with open(log, "wb") as f:
            f.write(b"kept from before\r\n")
        code, _, err = self.run_cli("--no-write", "--restart", "never", "--log", self.path("server.log"),
                                    "--", "print=1", "exit=7")
        self.assertEqual(code, 7, err)
        with open(log, "rb") as f:
            lines = f.read().split(b"\r\n")
        self.assertEqual(lines[0], b"kept from before")
        self.assertEqual(lines[-1], b"")
        date = rb"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d servolt-cli: "
        expected = [date + re.escape(self.started.encode()).replace(b"N", rb"\d+"), rb"fake: started .*",
                    rb"fake: line 1 of 1", rb"fake: ending with code 7", date + rb"ended with code 7 after [\d.]+ s"]
        self.assertEqual(len(lines[1:-1]), len(expected), lines)
        for line, pattern in zip(lines[1:-1], expected):
            self.assertRegex(line, b"^" + pattern + b"$")
            self.assertNotIn(b"\n", line)
            self.assertNotIn(b"\r", line)

    def test_the_log_is_rotated_keeping_five(self):
        # 0.005 MB = 5,242 bytes; 400 lines of 100 characters fill about eight.
        code, _, err = self.run_cli("--no-write", "--restart", "never", "--log", self.path("server.log"),
                                    "--log-max-size", "0.005", "--", "print=400", "width=100")
        self.assertEqual(code, 0, err)
        names = sorted(n for n in os.listdir(self.root) if n.startswith("server.log"))
        self.assertEqual(names, ["server.log"] + ["server.log.%d" % n for n in range(1, 6)])
        text = b""
        for name in ["server.log.%d" % n for n in range(5, 0, -1)] + ["server.log"]:
            with open(os.path.join(self.root, name), "rb") as f:
                part = f.read()
            if name != "server.log":  # full: the next line did not fit
                self.assertLessEqual(len(part), 5242, name)
                self.assertGreater(len(part), 5242 - 103, name)
            text += part
        self.assertEqual(text.count(b"\n"), text.count(b"\r\n"))
        # The newest lines, in order and none missing, then the end of the run.
        numbers = [int(n) for n in re.findall(rb"fake: line (\d+) of 400", text)]
        self.assertEqual(numbers, list(range(numbers[0], 401)))
        self.assertLess(numbers[0], 400 - 5 * 5242 // 103)
        self.assertRegex(text, rb"servolt-cli: ended with code 0 after [\d.]+ s\r\n$")

    # ---- refusals

    def test_a_missing_server_or_a_path_too_long_is_refused_before_anything_is_written(self):
        os.remove(os.path.join(self.game, "vantrel_server.exe"))
        ini = os.path.join(self.root, "s.ini")
        with open(ini, "wb") as f:
            f.write(b"[Maps]\r\nMapName=maps/dm/x\r\n")
        code, out, err = self.run_cli("--ini", self.path("s.ini"))
        self.assertEqual((code, out), (2, b""))
        shown = os.path.join(self.game, "vantrel_server.exe") if not self.wine else \
            self.path("game") + "\\vantrel_server.exe"
        self.assertEqual(err, "servolt-cli: Failed to locate: %s\n" % shown)
        self.assertFalse(os.path.exists(os.path.join(self.home, "Documents")))

        deep = os.path.join(self.root, "d" * 200, "e" * 60)
        os.makedirs(deep)
        shutil.copy(ARGS.fake, os.path.join(deep, "vantrel_server.exe"))
        command = self.command(["--no-write"])
        command[command.index("--game") + 1] = self.path("d" * 200, "e" * 60)
        done = run_to_end(command, cwd=self.root, env=self.environment({}), stdin=subprocess.DEVNULL)
        self.assertEqual(done.returncode, 2)
        self.assertIn("Failed to locate: ", lines(done.stderr))
        self.assertIn("e" * 60 + ("\\" if self.wine else "/") + "vantrel_server.exe\n", lines(done.stderr))
        self.assertFalse(os.path.exists(os.path.join(deep, "runs.txt")))

    def test_a_missing_launcher_is_refused_before_anything_starts(self):
        code, out, err = self.run_cli("--no-write", "--launcher", "no-such-launcher")
        self.assertEqual((code, out), (2, b""))
        self.assertEqual(err, 'servolt-cli: the launcher "no-such-launcher" is not found on PATH\n')
        code, _, err = self.run_cli("--no-write", "--launcher", self.path("no", "launcher"))
        self.assertEqual(code, 2)
        self.assertIn("is not found\n", err)
        if not self.wine:
            # The default, wine, on a PATH without it.
            empty = os.path.join(self.root, "empty")
            os.makedirs(empty)
            code, _, err = self.run_cli("--no-write", launcher=False, env={"PATH": empty})
            self.assertEqual(code, 2)
            self.assertIn('the launcher "wine" is not found on PATH (install Wine', err)
        self.assertFalse(os.path.exists(os.path.join(self.game, "runs.txt")))

    def test_options_out_of_range_are_refused(self):
        for bad in (["--restart", "sometimes"], ["--max-restarts", "-1"], ["--within", "0"], ["--grace", "-1"],
                    ["--grace", "1e9"], ["--log-max-size", "0"]):
            code, out, err = self.run_cli("--no-write", *bad)
            self.assertEqual((code, out), (2, b""), bad)
            self.assertIn(bad[0], err)
        self.assertFalse(os.path.exists(os.path.join(self.game, "runs.txt")))

    # ---- writing first

    def test_writes_the_configuration_first_and_passes_the_prefix_to_the_launcher(self):
        if self.wine:
            # It would write into the user folder of the prefix that every
            # test under Wine shares, and cli_tests reads; the writing is
            # servolt-cli write's, tested there.
            self.skipTest("the Wine user folder is the shared prefix's")
        with open(os.path.join(self.root, "map.ini"), "wb") as f:
            f.write(b"[Maps]\r\nMapName=maps/dm/x\r\n")
        with open(os.path.join(self.root, "none.ini"), "wb") as f:
            f.write(b"[Maps]\r\nMapName=\r\nMapRotationList=\r\n")
        prefix = os.path.join(self.root, "prefix")
        user = os.path.join(prefix, "drive_c", "users", "operator", "Documents", "Brenmoor", "Vantrel(tm)")
        os.makedirs(user)
        code, out, err = self.run_cli("--ini", "map.ini", "--prefix", "prefix", "--restart", "never",
                                      env={"USER": "operator"})
        self.assertEqual((code, self.events(err)), (0, [self.started, "ended with code 0 after T"]))
        with open(os.path.join(user, "server.cfg"), "rb") as f:
            self.assertTrue(b'\r\nmap "maps/dm/x"\r\n' in f.read())
        self.assertIn(("WINEPREFIX [%s]" % prefix).encode(), out)  # made absolute
        code, _, err = self.run_cli("--ini", "none.ini", "--restart", "never",
                                    env={"USER": "operator", "WINEPREFIX": prefix})
        self.assertEqual(code, 0, err)
        self.assertEqual(self.events(err)[0], "warning: neither a start map nor a rotation is set; give the server "
                                              "one at its console (map <mapname>, sv_maplist <maps>)")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--fake", required=True)
    parser.add_argument("--wine-run")
    ARGS, rest = parser.parse_known_args()
    ProcessTest.args = ARGS
    keeper = None
    if ARGS.wine_run:
        # A Wine program that runs as long as the tests keep the Wine server
        # up. Otherwise each supervisor that finds none starts one, which
        # holds the supervisor's output pipes until it shuts down, seconds
        # after the last program: every test would wait for it.
        folder = tempfile.mkdtemp(prefix="servolt-run-keeper-")
        keeper = subprocess.Popen([ARGS.wine_run, ARGS.fake, "hang"], cwd=folder, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        tests = unittest.main(argv=[sys.argv[0], *rest], verbosity=2, exit=False)
    finally:
        if keeper:
            keeper.kill()
            keeper.wait()
            shutil.rmtree(folder, ignore_errors=True)
    sys.exit(0 if tests.result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
