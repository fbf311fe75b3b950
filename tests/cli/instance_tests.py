"""Servers by name (instances.ini), --cfg, paths and the history of
configurations, driven as an operator drives servolt-cli: natively and, as
servolt-cli.exe, under Wine.

    instance_tests.py --cli servolt-cli [--fake fake_console_server] [--wine-run scripts/wine-run]
"""
import glob
import json
import os
import shutil
import subprocess
import tempfile

import cli_harness
from cli_harness import ProcessTest, pe_header

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Instances(ProcessTest):
    PREFIX = "servolt-inst-"

    def setUp(self):
        super().setUp()
        self.instances = self.path("config", "instances.ini")
        self.game = self.make_game(["dm_a"])

    def cli(self, *args, **kw):
        return self.run_cli(*args, "--instances", self.instances, **kw)

    def add(self, name, *args):
        return self.cli("instance", "add", name, "--game", self.game, *args)

    def ini(self, name, server, mods=""):
        return self.write_ini(name, {"Basic": {"ServerName": server}, "Mods": {"ModuleUseList": mods}})

    def test_add_list_remove_and_what_add_refuses(self):
        code, out, err = self.add("match", "--ini", self.path("u", "match.ini"), "--cfg", "match.cfg")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.read_file("config/instances.ini"),
                         ("[match]\r\nGame=%s\r\nIni=%s\r\nCfg=match.cfg\r\n"
                          % (self.game, self.path("u", "match.ini"))).encode())
        for args, reason in [
            (("match", "--ini", self.path("u", "m2.ini"), "--cfg", "m2.cfg"), "already in"),
            (("Match", "--ini", self.path("u", "m2.ini"), "--cfg", "m2.cfg"), "already in"),
            (("a b",), "is not an instance name"),
            (("public",), "would share the settings file Servolt.ini of the user folder with default"),
            (("public", "--ini", self.path("u", "p.ini")), "would share the console script server.cfg with default"),
            (("public", "--ini", self.path("u", "p.ini"), "--cfg", "MATCH.cfg"), "console script MATCH.cfg with match"),
            (("public", "--ini", self.path("u", "match.ini"), "--cfg", "p.cfg"), "share the settings file"),
            (("public", "--ini", self.path("u", "p.ini"), "--cfg", "p.txt"), "ending in .cfg"),
            (("public", "--ini", self.path("u", "p.ini"), "--cfg", "..\\p.cfg"), "ending in .cfg"),
            (("default", "--cfg", "d.cfg"), "the default instance keeps Servolt.ini and server.cfg"),
        ]:
            before = self.read_file("config/instances.ini")
            code, _, err = self.add(*args)
            self.assertEqual(code, 2, args)
            self.assertIn(reason, err, args)
            self.assertEqual(self.read_file("config/instances.ini"), before, args)

        code, out, err = self.cli("instance", "list", "--json")
        self.assertEqual(code, 0, err)
        listed = json.loads(out)
        self.assertEqual([(i["name"], i["implicit"], i["cfg"]) for i in listed],
                         [("default", True, None), ("match", False, "match.cfg")])
        self.assertEqual(listed[1]["ini"], self.path("u", "match.ini").replace("\\", "/") if not self.wine
                         else self.path("u", "match.ini"))

        self.write_file("u/match.ini", "[Basic]\r\n")
        code, _, err = self.cli("instance", "remove", "nothing")
        self.assertEqual(code, 2)
        self.assertIn("no instance nothing", err)
        code, out, err = self.cli("instance", "remove", "match")
        self.assertEqual((code, self.read_file("config/instances.ini")), (0, b""), err)
        self.assertEqual(self.read_file("u/match.ini"), b"[Basic]\r\n", "its files stay")
        code, _, err = self.cli("write", "--instance", "match")
        self.assertEqual(code, 2)
        self.assertIn("no instance match", err)

    def test_two_instances_in_one_user_folder_write_their_own_console_scripts(self):
        default_ini = self.ini("u/Servolt.ini", "Public Server")
        self.ini("u/match.ini", "Match Server")
        code, _, err = self.add("match", "--ini", self.path("u", "match.ini"), "--cfg", "match.cfg")
        self.assertEqual(code, 0, err)
        out_folder = self.path("out")
        os.makedirs(os.path.join(self.root, "out"))
        for args in (("--ini", default_ini), ("--instance", "match")):
            code, _, err = self.cli("write", "--out", out_folder, *args)
            self.assertEqual(code, 0, err)
        public = self.read_file("out/server.cfg")
        match = self.read_file("out/match.cfg")
        self.assertIn(b"Public Server", public)
        self.assertIn(b"Match Server", match)
        self.assertNotIn(b"Public Server", match)
        # The environment names the instance as --instance does.
        code, out, err = self.cli("write", "--stdout", env={"SERVOLT_INSTANCE": "match"})
        self.assertEqual((code, out), (0, match), err)

        # run starts the server with the instance's console script.
        shutil.copy(self.args.fake, os.path.join(self.root, "game", "vantrel_server.exe"))
        launcher = []
        if not self.wine:
            script = os.path.join(self.root, "launch.sh")
            with open(script, "w") as f:
                f.write('#!/bin/sh\nexec "$@"\n')
            os.chmod(script, 0o755)
            launcher = ["--launcher", script]
        code, out, err = self.run_cli("run", "--instances", self.instances, "--instance", "match", "--no-write",
                                      "--restart", "never", *launcher, "--", "exit=0")
        self.assertEqual(code, 0, err)
        self.assertIn(b"command line [ +exec match.cfg exit=0]" if self.wine else b"args [+exec] [match.cfg] [exit=0]",
                      out)

    def test_different_mods_in_one_user_folder_are_warned_and_found(self):
        self.ini("u/a.ini", "A", "modA 1 ")
        self.ini("u/b.ini", "B", "modB 1 ")
        self.assertEqual(self.add("a", "--ini", self.path("u", "a.ini"), "--cfg", "a.cfg")[0], 0)
        code, _, err = self.add("b", "--ini", self.path("u", "b.ini"), "--cfg", "b.cfg")
        self.assertEqual(code, 0, err)
        self.assertIn("warning: b and a share one moddir\\usedmods.cfg but use different mods", err)
        code, out, err = self.cli("check", "--instance", "a", "--json")
        self.assertEqual(code, 1, err)
        messages = [f["message"] for f in json.loads(out) if f["setting"].endswith("usedmods.cfg")]
        self.assertTrue(any(m.startswith("the instance b shares this user folder's usedmods.cfg but uses other "
                                         "mods (modB 1") for m in messages), messages)
        # Alike mods are no finding.
        self.ini("u/b.ini", "B", "modA 1 ")
        code, out, err = self.cli("check", "--instance", "a", "--json")
        self.assertFalse(any("instance b" in f["message"] for f in json.loads(out)), out)

    def test_paths_names_every_file_of_the_instance(self):
        self.assertEqual(self.add("match", "--ini", self.path("u", "match.ini"), "--cfg", "match.cfg")[0], 0)
        code, out, err = self.cli("paths", "--instance", "match", "--out", self.path("out"), "--json")
        self.assertEqual(code, 0, err)
        paths = json.loads(out)
        shown = (lambda p: p) if self.wine else (lambda p: p.replace("\\", "/"))
        sep = "\\" if self.wine else "/"
        self.assertEqual(paths["instance"], "match")
        self.assertEqual(paths["settings_file"], shown(self.path("u", "match.ini")))
        self.assertEqual(paths["console_script"], shown(self.path("out")) + sep + "match.cfg")
        self.assertEqual(paths["usedmods_cfg"], shown(self.path("out")) + sep + "moddir" + sep + "usedmods.cfg")
        self.assertEqual(paths["game_folder"], shown(self.game))
        self.assertEqual(paths["history"], shown(self.path("u")) + sep + "history-match")
        for key, name in (("log", "match.log"), ("status_file", "match.status"), ("lock_file", "match.lock")):
            self.assertTrue(paths[key].endswith(sep + name), paths[key])
        self.assertEqual(sorted(paths), sorted(["instance", "settings_file", "console_script", "usedmods_cfg",
                                                "user_folder", "game_folder", "mods_folder", "history", "log",
                                                "status_file", "lock_file", "prefix"]))
        code, out, err = self.cli("paths", "--instance", "nothing")
        self.assertEqual(code, 2)
        self.assertIn("no instance nothing", err)

    def test_history_list_diff_restore_and_undo(self):
        self.assertEqual(self.add("match", "--ini", self.path("u", "match.ini"), "--cfg", "match.cfg")[0], 0)
        os.makedirs(os.path.join(self.root, "out", "moddir"))
        write = lambda: self.cli("write", "--instance", "match", "--out", self.path("out"))
        files = lambda: [self.read_file(n) if os.path.exists(os.path.join(self.root, n)) else None
                         for n in ("u/match.ini", "out/match.cfg", "out/moddir/usedmods.cfg")]
        history = lambda: json.loads(self.cli("history", "--instance", "match", "--out", self.path("out"),
                                              "list", "--json")[1])
        states = []
        for count, name in ((2, "First"), (4, "Second"), (6, "Third")):
            self.ini("u/match.ini", name, "modA 1 ")
            # The settings file before its first write, then the files that write left.
            for _ in range(3):
                self.assertEqual(write()[0], 0)
            self.assertEqual(len(history()), count, "the same files again make no entry")
            states.append(files())
        entries = history()
        self.assertEqual([e["reason"] for e in entries], ["write"] * 6)
        # Entries 2, 4 and 6 hold the files each name's writes left.
        code, out, err = self.cli("history", "diff", "2", "4", "--instance", "match", "--out", self.path("out"))
        self.assertEqual(code, 0, err)
        text = out.decode("latin-1").replace("\r\n", "\n")
        self.assertIn("match.ini:\n  Basic: Server Name: \"First\" -> \"Second\"\n", text)
        self.assertIn("match.cfg:\n", text)
        self.assertTrue(any(l.startswith("  - ") and "First" in l for l in text.splitlines()), text)
        self.assertTrue(any(l.startswith("  + ") and "Second" in l for l in text.splitlines()), text)

        # An edit not yet written, then a restore: what it replaced is an entry of its own.
        self.ini("u/match.ini", "Edited", "modB 1 ")
        edited = files()
        code, out, err = self.cli("history", "--instance", "match", "--out", self.path("out"), "restore", "2")
        self.assertEqual(code, 0, err)
        self.assertEqual(files(), states[0])
        entries = history()
        self.assertEqual((len(entries), entries[-1]["reason"]), (7, "restore " + entries[1]["id"]))
        self.assertIn(("kept as %s" % entries[-1]["id"]).encode(), out)
        # The restore undone by restoring that entry.
        code, _, err = self.cli("history", "--instance", "match", "--out", self.path("out"), "restore", "7")
        self.assertEqual(code, 0, err)
        self.assertEqual(files(), edited)
        code, _, err = self.cli("history", "--instance", "match", "restore", "99")
        self.assertEqual(code, 2)
        self.assertIn("no history entry 99", err)

    def test_history_that_cannot_be_kept_does_not_stop_the_write(self):
        ini = self.ini("u/s.ini", "One")
        os.makedirs(os.path.join(self.root, "out"))
        self.assertEqual(self.cli("write", "--ini", ini, "--out", self.path("out"))[0], 0)
        shutil.rmtree(os.path.join(self.root, "u", "history-s"))
        self.write_file("u/history-s", "a file where the history folder goes")
        self.ini("u/s.ini", "Two")
        code, _, err = self.cli("write", "--ini", ini, "--out", self.path("out"))
        self.assertEqual(code, 0, err)
        self.assertIn("could not be kept in the history", err)
        self.assertIn(b"Two", self.read_file("out/server.cfg"))

    def test_check_reads_the_server_program_s_header(self):
        game = os.path.join(self.root, "game", "vantrel_server.exe")
        ini = self.ini("u/s.ini", "S")
        wine32 = self.wine or any(glob.glob(d + "/wine/i386-windows/ntdll.dll") for d in (
            "/usr/lib/i386-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/usr/lib", "/usr/lib32", "/usr/lib64",
            "/usr/local/lib", "/usr/local/lib32", "/usr/local/lib64", "/opt/wine-*/lib", "/opt/wine-*/lib64"))
        wine_found = self.wine or shutil.which("wine") is not None
        for content, expected in [(b"#!/bin/sh\n", "not a Windows program"),
                                  (pe_header(0x14C), None if wine32 or not wine_found else "a 32-bit Windows program"),
                                  (pe_header(0x8664), None),
                                  (pe_header(0xAA64), "another processor (machine 0xAA64)")]:
            with open(game, "wb") as f:
                f.write(content)
            code, out, err = self.cli("check", "--ini", ini, "--game", self.game, "--json")
            found = [f["message"] for f in json.loads(out) if f["setting"].endswith("vantrel_server.exe")]
            if expected is None:
                self.assertEqual(found, [], content[:4])
            else:
                self.assertEqual(len(found), 1, found)
                self.assertIn(expected, found[0])

    def test_the_systemd_unit_verifies(self):
        if self.wine:
            self.skipTest("a unit of a Linux host")
        analyze = shutil.which("systemd-analyze")
        if analyze is None:
            self.skipTest("systemd-analyze is not installed")
        with open(os.path.join(SOURCE, "docs", "servolt@.service")) as f:
            unit = f.read()
        self.assertIn("ExecStart=/usr/local/bin/servolt-cli run --instance %i\n", unit)
        # The unit as installed, with the program it starts where this build has it.
        folder = os.path.join(self.root, "units")
        os.makedirs(folder)
        with open(os.path.join(folder, "servolt@.service"), "w") as f:
            f.write(unit.replace("/usr/local/bin/servolt-cli", os.path.abspath(self.args.cli)))
        done = subprocess.run([analyze, "verify", os.path.join(folder, "servolt@match.service")], cwd=folder,
                              capture_output=True, text=True, timeout=120)
        if done.returncode != 0 and ("Failed to" in done.stderr and "bus" in done.stderr.lower()):
            self.skipTest("systemd-analyze cannot run here: " + done.stderr.strip())
        self.assertEqual((done.returncode, done.stderr.strip()), (0, ""))


if __name__ == "__main__":
    cli_harness.main()
