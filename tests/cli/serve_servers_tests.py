#!/usr/bin/env python3
"""The servers of `servolt-cli serve`: started as this program's own run, so
that `status` and the run log tell of them as of any run; stopped, restarted,
and stopped with serve; an instance that a run outside serve holds is shown
and left alone.

    serve_servers_tests.py --cli servolt-cli --fake fake_console_server [--wine-run scripts/wine-run]

Natively the runs start the fake server through a stand-in for wine (the
launcher run uses by default) first on PATH; under Wine servolt-cli.exe
starts the fake's .exe itself. The fake is told to stay up through its
environment, since serve's runs give it no words of their own.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import time
import urllib.error
import urllib.request

import cli_harness
import supervisor_tests
from cli_harness import ProcessTest, run_to_end


class ServeServers(ProcessTest):
    PREFIX = "servolt-serve-servers-"

    setUpClass = classmethod(supervisor_tests.Supervise.setUpClass.__func__)
    tearDownClass = classmethod(supervisor_tests.Supervise.tearDownClass.__func__)
    instance_folders = supervisor_tests.Supervise.instance_folders

    def setUp(self):
        super().setUp()
        self.game = os.path.join(self.root, "game")
        os.makedirs(self.game)
        shutil.copy(self.args.fake, os.path.join(self.game, "vantrel_server.exe"))
        self.env = {"FAKE_SERVER_WORDS": "hang print=3"}
        # Under Wine a console server cannot be asked to stop (no Ctrl+Break
        # reaches a process group there); a windowed one gets WM_CLOSE.
        self.polite = not self.wine or bool(os.environ.get("DISPLAY"))
        if self.wine and self.polite:
            self.env["FAKE_SERVER_WORDS"] += " window"
        if self.wine:
            # The prefix's instance files are shared by the suites (CMake
            # runs them one at a time): each test starts without any.
            for folder in self.instance_folders():
                for name in os.listdir(folder):
                    if name.endswith((".status", ".lock", ".log")) or ".log." in name:
                        os.remove(os.path.join(folder, name))
                instances = os.path.join(os.path.dirname(folder), "instances.ini")
                if os.path.isfile(instances):
                    os.remove(instances)
        else:
            bin_folder = os.path.join(self.root, "bin")
            os.makedirs(bin_folder)
            self.launcher = os.path.join(bin_folder, "wine")
            with open(self.launcher, "w") as f:
                f.write('#!/bin/sh\nexec "$@"\n')
            os.chmod(self.launcher, 0o755)
            self.env["PATH"] = bin_folder + os.pathsep + os.environ.get("PATH", "")
            self.env["HOME"] = self.home

    def environment(self):
        environment = dict(os.environ, **self.env)
        if not self.wine:
            for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SERVOLT_INSTANCE"):
                environment.pop(name, None)
        return environment

    def command(self, *args):
        command = [self.args.cli, *args]
        return [self.args.wine_run, *command] if self.wine else command

    def cli(self, *args):
        done = run_to_end(self.command(*args), cwd=self.root, env=self.environment(), stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout.decode("latin-1").replace("\r\n", "\n"), \
            done.stderr.decode("latin-1").replace("\r\n", "\n")

    def start(self, *args):
        running = supervisor_tests.Running(self.command(*args), self.environment(), self.root)
        # A test that fails half-way leaves nothing running.
        self.addCleanup(lambda: running.process.poll() is None and running.process.kill())
        return running

    def serve(self):
        serving = self.start("serve", "--listen", "127.0.0.1:0", "--game", self.path("game"))
        found = None
        deadline = time.monotonic() + 120
        while found is None and time.monotonic() < deadline:
            found = re.search(r"(http://[^\s/]+)/login\?token=([^\s&]+)", serving.text("out") + serving.text("err"))
            if found is None:
                if serving.process.poll() is not None:
                    self.fail("serve ended: %s" % serving.text("err"))
                time.sleep(0.05)
        self.assertIsNotNone(found, serving.text("err"))
        self.origin, self.token = found.group(1), found.group(2)
        return serving

    def ask(self, method, path):
        """(status, JSON answer) of the site, as a script asks it."""
        request = urllib.request.Request(self.origin + path, method=method, data=b"" if method == "POST" else None,
                                         headers={"Authorization": "Bearer " + self.token, "Origin": self.origin})
        try:
            with urllib.request.urlopen(request, timeout=60) as answer:
                return answer.status, json.loads(answer.read())
        except urllib.error.HTTPError as error:
            return error.code, json.loads(error.read())

    def instance(self, name="default"):
        status, answer = self.ask("GET", "/api/instances")
        self.assertEqual(status, 200, answer)
        return [i for i in answer["instances"] if i["name"] == name][0]

    def wait_state(self, state, name="default", timeout=60):
        deadline = time.monotonic() + timeout
        while True:
            instance = self.instance(name)
            if instance["status"]["state"] == state or time.monotonic() > deadline:
                self.assertEqual(instance["status"]["state"], state, instance)
                return instance
            time.sleep(0.1)

    def log_lines(self, pattern, count=1, timeout=60):
        """Follows the log by offsets until `count` lines match; every line read."""
        lines, after, deadline = [], None, time.monotonic() + timeout
        while time.monotonic() < deadline:
            status, piece = self.ask("GET", "/api/i/default/log" + ("" if after is None else "?after=%d" % after))
            self.assertEqual(status, 200, piece)
            lines += piece["lines"]
            after = piece["next"]
            if sum(1 for line in lines if re.search(pattern, line)) >= count:
                return lines
            time.sleep(0.1)
        self.fail("no %r in the log: %r" % (pattern, lines))

    def test_start_shows_in_status_and_the_log_then_stop_and_restart(self):
        serving = self.serve()
        self.assertEqual(self.instance()["status"]["state"], "stopped")
        status, answer = self.ask("POST", "/api/i/default/start")
        self.assertEqual((status, answer["ok"], answer["status"]["supervisor"]), (200, True, "serve"), answer)
        running = self.wait_state("running")
        self.assertEqual((running["status"]["supervisor"], running["control"]), ("serve", True))
        first = running["status"]["pid"]
        self.assertNotEqual(first, 0)
        # The run serve started is every run's: status sees it.
        code, out, err = self.cli("status", "default")
        self.assertEqual(code, 0, out + err)
        self.assertRegex(out, r"^default: running \(server pid \d+ ")
        lines = self.log_lines(r"fake: line 3 of 3")
        self.assertTrue(any("servolt-cli: started vantrel_server.exe" in line for line in lines), lines)
        self.assertEqual(self.ask("POST", "/api/i/default/start")[0], 409)

        status, answer = self.ask("POST", "/api/i/default/restart")
        self.assertEqual(status, 200, answer)
        running = self.wait_state("running")
        self.assertNotEqual(running["status"]["pid"], first)
        self.assertEqual(running["status"]["supervisor"], "serve")
        # Up, not only started: a stop asked sooner would find no window.
        self.log_lines(r"^fake: line 3 of 3$", count=2)

        status, answer = self.ask("POST", "/api/i/default/stop")
        self.assertEqual((status, answer["status"]["state"]), (200, "stopping"), answer)
        stopped = self.wait_state("stopped")
        self.assertEqual((stopped["status"]["supervisor"], stopped["status"]["pid"]), ("", 0))
        # Each run was asked (as Ctrl+C would ask it) and asked its server:
        # the restart's, then this one.
        lines = self.log_lines(r"servolt-cli: stopped$", count=2)
        asked = [line for line in lines
                 if re.search(r"servolt-cli: stopping \((SIGINT|Ctrl\+Break)\): asked the server", line)]
        self.assertEqual(len(asked), 2, lines)
        if self.polite:
            self.assertEqual(lines.count("fake: asked to stop"), 2, lines)
        code, out, _ = self.cli("status", "default")
        self.assertEqual(code, 3)
        self.assertRegex(out, r"^default: not running \(stopped at ")
        self.assertEqual(self.ask("POST", "/api/i/default/stop")[0], 409)
        serving.process.send_signal(signal.SIGINT)
        serving.finish()

    def test_serve_stops_its_servers_as_it_ends(self):
        serving = self.serve()
        self.assertEqual(self.ask("POST", "/api/i/default/start")[0], 200)
        self.wait_state("running")
        serving.process.send_signal(signal.SIGINT)
        serving.finish(timeout=60)
        code, out, _ = self.cli("status", "default")
        self.assertEqual(code, 3, out)
        self.assertRegex(out, r"^default: not running \(stopped at ")

    def test_nothing_outlives_a_killed_serve(self):
        if self.wine:
            self.skipTest("Windows ends the job objects with serve; run_tests kills a run under Wine")
        # A launcher that does not exec: the server is its child, beyond the
        # parent-death signal's reach; only the run's guard can end it.
        with open(self.launcher, "w") as f:
            f.write('#!/bin/sh\n"$@"\n')
        serving = self.serve()
        self.assertEqual(self.ask("POST", "/api/i/default/start")[0], 200)
        self.wait_state("running")
        # Running is the run's word once the launcher is started: the server
        # itself is up when it first says so in its file.
        alive = os.path.join(self.game, "alive.txt")
        deadline = time.monotonic() + 60
        while not os.path.exists(alive) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertTrue(os.path.exists(alive), "the server never started")
        serving.process.kill()
        serving.finish()
        deadline, before = time.monotonic() + 10, -1
        while time.monotonic() < deadline:
            size = os.path.getsize(alive)
            if size == before:
                break
            before = size
            time.sleep(0.5)
        self.assertEqual(os.path.getsize(alive), before, "the server outlived serve")
        code, out, _ = self.cli("status", "default")
        self.assertEqual(code, 3, out)

    def test_an_instance_an_outside_run_holds_is_shown_and_left_alone(self):
        args = ["run", "--game", self.path("game"), "--no-write"]
        outside = self.start(*args)
        outside.wait_for("out", "fake: started")
        serving = self.serve()
        instance = self.wait_state("running")
        self.assertEqual((instance["status"]["supervisor"], instance["control"]), ("run", False))
        for action in ("start", "stop", "restart"):
            status, answer = self.ask("POST", "/api/i/default/" + action)
            self.assertEqual(status, 409, answer)
            self.assertIn("outside this page", answer["error"])
        # Left alone: still the same server.
        self.assertEqual(self.instance()["status"]["pid"], instance["status"]["pid"])
        outside.process.send_signal(signal.SIGINT)
        self.assertEqual(outside.finish()[0], 0)
        self.assertEqual(self.wait_state("stopped")["control"], True)
        serving.process.send_signal(signal.SIGINT)
        serving.finish()


if __name__ == "__main__":
    cli_harness.main()
