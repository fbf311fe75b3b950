#!/usr/bin/env python3
"""servolt-cli saying what is so: write and run leave an operator's files
alone, check names what differs and why, folders that are not there are
refused, and the help tells placeholders, ranges, exit codes and examples.

    truth_tests.py --cli servolt-cli [--fake fake_console_server] [--wine-run scripts/wine-run]

Under Wine the user folder lies in a prefix the suites share, so the cases
that put files there run natively only.
"""
import os
import re
import shutil

import cli_harness as harness
from cli_harness import ProcessTest, pe_header

HAND_WRITTEN = b"// my server\r\nset sv_hostname \"Mine\"\r\nset sv_maxclients 24\r\n"
OLD_USED_MODS = b'<use priority="2" downloadable="true">Gone</use>\r\n'
MAPS = {"Maps": {"MapName": "maps/dm/alpha", "MapRotationList": "dm/alpha 0 "}}


def append(path, data):
    with open(path, "ab") as f:
        f.write(data)


class Truth(ProcessTest):
    PREFIX = "servolt-truth-"

    def text(self, err):
        return err.replace("\r\n", "\n")

    def user_folder(self):
        return os.path.join(self.home, "Documents", "Brenmoor", "Vantrel(tm)")

    def no_settings_file(self):
        """Whether the default settings file is missing (under Wine the
        shared prefix may hold one)."""
        code, _, err = self.run_cli("write", "--stdout")
        return code == 0 and "no settings file at" in err

    def game(self, server=True):
        game = self.make_game(["alpha"])
        if server:
            self.write_file("game/vantrel_server.exe", pe_header())
        return game

    # ---- write and run with no settings file

    def test_write_leaves_files_it_did_not_make_from_the_defaults_alone(self):
        if not self.no_settings_file():
            self.skipTest("the Wine prefix holds a settings file")
        _, defaults, _ = self.run_cli("write", "--stdout")
        # (server.cfg before, usedmods.cfg before, --force, exit code, replaced)
        cases = [
            (None, None, False, 0, True),
            (b"", None, False, 0, True),
            (defaults, None, False, 0, True),
            (defaults.replace(b"\r\n", b"\n"), b"", False, 0, True),
            (HAND_WRITTEN, None, False, 2, False),
            (defaults + b"set g_allowvote 0\r\n", None, False, 2, False),
            (None, OLD_USED_MODS, False, 2, False),
            (HAND_WRITTEN, None, True, 0, True),
            (None, OLD_USED_MODS, True, 0, True),
        ]
        for config, used_mods, force, expected, replaced in cases:
            with self.subTest(config=config and config[:20], used_mods=used_mods, force=force):
                out = os.path.join(self.root, "out")
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(os.path.join(out, "moddir"))
                for name, data in (("server.cfg", config), ("moddir/usedmods.cfg", used_mods)):
                    if data is not None:
                        self.write_file("out/" + name, data)
                code, _, err = self.run_cli("write", "--out", self.path("out"), *(["--force"] if force else []))
                self.assertEqual(code, expected, err)
                after_config = self.read_file("out/server.cfg") if os.path.exists(out + "/server.cfg") else None
                after_mods = self.read_file("out/moddir/usedmods.cfg") \
                    if os.path.exists(out + "/moddir/usedmods.cfg") else None
                if replaced:
                    self.assertEqual(after_config, defaults)
                    self.assertEqual(after_mods, None if used_mods is None else b"")
                    self.assertNotIn("left as it is", err)
                else:
                    self.assertEqual((after_config, after_mods), (config, used_mods))
                    self.assertIn("is left as it is", err)
                    self.assertIn("give --force to replace it with the defaults", err)
                    if config is not None:
                        self.assertIn("run 'servolt-cli import %s' to keep its settings"
                                      % self.path("out", "server.cfg").replace("\\", "/" if not self.wine else "\\"),
                                      err)

    def test_write_with_a_settings_file_replaces_server_cfg(self):
        ini = self.write_ini("s.ini", MAPS)
        self.write_file("out/server.cfg", HAND_WRITTEN)
        code, _, err = self.run_cli("write", "--ini", ini, "--out", self.path("out"))
        self.assertEqual((code, err), (0, ""))
        self.assertNotEqual(self.read_file("out/server.cfg"), HAND_WRITTEN)

    def test_run_leaves_a_hand_written_server_cfg_alone_unless_forced(self):
        if self.wine or not self.args.fake:
            self.skipTest("the user folder of the shared Wine prefix is not this test's")
        game = self.game(server=False)
        shutil.copy(self.args.fake, os.path.join(self.root, "game", "vantrel_server.exe"))
        launcher = self.write_file("launch.sh", '#!/bin/sh\nexec "$@"\n')
        os.chmod(launcher, 0o755)
        os.makedirs(self.user_folder())
        config = os.path.join(self.user_folder(), "server.cfg")
        with open(config, "wb") as f:
            f.write(HAND_WRITTEN)
        for force, expected in ((False, 2), (True, 0)):
            with self.subTest(force=force):
                code, _, err = self.run_cli("run", "--game", game, "--launcher", launcher, "--restart", "never",
                                            *(["--force"] if force else []), "--", "exit=0")
                self.assertEqual(code, expected, err)
                with open(config, "rb") as f:
                    self.assertEqual(f.read() == HAND_WRITTEN, not force)
                self.assertEqual("started vantrel_server.exe" in err, force)
                if not force:
                    self.assertIn("servolt-cli import", err)
                    self.assertIn("--force", err)

    # ---- usedmods.cfg with no mod in use

    def test_write_with_no_mod_in_use_empties_usedmods_cfg_and_makes_none(self):
        ini = self.write_ini("s.ini", {"Mods": {"ModuleUseList": ""}})
        for before, after in ((OLD_USED_MODS, b""), (None, None)):
            with self.subTest(before=before):
                shutil.rmtree(os.path.join(self.root, "out"), ignore_errors=True)
                os.makedirs(os.path.join(self.root, "out", "moddir"))
                if before is not None:
                    self.write_file("out/moddir/usedmods.cfg", before)
                code, _, err = self.run_cli("write", "--ini", ini, "--out", self.path("out"))
                self.assertEqual((code, err), (0, ""))
                path = os.path.join(self.root, "out", "moddir", "usedmods.cfg")
                self.assertEqual(self.read_file("out/moddir/usedmods.cfg") if os.path.exists(path) else None, after)

    # ---- check

    def check_lines(self, ini, game):
        code, out, err = self.run_cli("check", "--ini", ini, "--game", game)
        self.assertIn(code, (0, 1), err)
        return set(out.decode("latin-1").replace("\r\n", "\n").splitlines())

    def test_check_findings(self):
        """Each set-up gives its own finding line, beside those of a clean
        configuration."""
        user = self.user_folder() if not self.wine else None
        in_user = lambda name: os.path.join(user, *name.split("/"))
        # (what, settings, the game folder holds the server, a change before the check, the finding's line)
        cases = [
            ("no server", MAPS, False, None,
             "error: %s: holds no vantrel_server.exe; the server cannot be started from this folder"
             % self.path("game").replace("\\", "\\" if self.wine else "/")),
            ("no map", {"Maps": {"MapName": "", "MapRotationList": ""}}, True, None,
             "warning: MapName: neither a start map nor a rotation is set; the server starts without a map until "
             "one is given at its console"),
            ("carried line overruling a setting", dict(MAPS, Advanced={"AdditionalOptions": "seta sv_maxclients 24"}),
             True, None,
             'warning: AdditionalOptions: a carried line sets sv_maxclients to "24", which the MaxPlayers setting '
             'sets to "16" earlier in server.cfg; the server ends with "24"'),
            ("carried line overruled by a setting",
             dict(MAPS, Advanced={"AdditionalOptions": 'set my_note "a;b"; sets SV_ABLEGROUPNAME "A team" // c'}),
             True, None,
             'warning: AdditionalOptions: a carried line sets sv_ablegroupname to "A team", which the AbleGroupName '
             'setting sets to "Able" later in server.cfg; the server ends with "Able"'),
        ]
        if user is not None:
            cases += [
                ("server.cfg not written", MAPS, True, lambda: os.remove(in_user("server.cfg")),
                 "warning: %s: not written yet: run write" % in_user("server.cfg")),
                ("server.cfg edited", MAPS, True, lambda: append(in_user("server.cfg"), b"set x 1\r\n"),
                 "warning: %s: differs from what write would make (edited by hand, or older): run write"
                 % in_user("server.cfg")),
                ("usedmods.cfg not written", dict(MAPS, Mods={"ModuleUseList": "modA 1 "}), True,
                 lambda: os.remove(in_user("moddir/usedmods.cfg")),
                 "warning: %s: not written yet: run write" % in_user("moddir/usedmods.cfg")),
                ("usedmods.cfg left from before", MAPS, True,
                 lambda: append(in_user("moddir/usedmods.cfg"), OLD_USED_MODS),
                 "warning: %s: differs from what write would make (edited by hand, or older): run write"
                 % in_user("moddir/usedmods.cfg")),
            ]
        # Natively each case writes its files first, and a clean configuration
        # has no finding; under Wine the findings of a clean one are taken out.
        clean = self.check_lines(self.write_ini("base.ini", MAPS), self.game()) if user is None else set()
        for what, settings, server, change, finding in cases:
            with self.subTest(what):
                shutil.rmtree(os.path.join(self.root, "game"), ignore_errors=True)
                game = self.game(server)
                ini = self.write_ini("s.ini", settings)
                if user is not None:
                    os.makedirs(os.path.join(user, "moddir", "modA"), exist_ok=True)
                    open(os.path.join(user, "moddir", "modA", "moddesc.xml"), "wb").close()
                    code, _, err = self.run_cli("write", "--ini", ini)
                    self.assertEqual(code, 0, err)
                if change:
                    change()
                self.assertEqual(self.check_lines(ini, game) - clean, {finding})

    # ---- folders that are not there

    def test_missing_folders_and_files_exit_2(self):
        ini = self.write_ini("s.ini", MAPS)
        cases = [
            (["check", "--ini", ini, "--game", self.path("nowhere")], "nowhere: no such game folder"),
            (["maps", "--ini", ini, "--game", self.path("nowhere")], "nowhere: no such game folder"),
            (["check", "--ini", ini, "--game", ini], "s.ini: not a folder"),
            (["mods", "--ini", self.path("nowhere", "s.ini")], "s.ini: no such settings file"),
            (["check", "--ini", self.path("nowhere", "s.ini")], "s.ini: no such settings file"),
        ]
        for args, message in cases:
            with self.subTest(args=args[:1] + args[-1:]):
                code, out, err = self.run_cli(*args)
                self.assertEqual((code, out), (2, b""), err)
                self.assertIn(message, err)

    # ---- help

    COMMANDS = ["write", "import", "check", "maps", "mods", "get", "set", "rotation", "rotation add", "run",
                "status", "logs", "instance add", "instance list", "instance remove", "paths", "history list",
                "history diff", "history restore", "rez create", "rez list", "rez cat", "rez extract", "rez verify",
                "serve", "help"]

    def test_unknown_commands_are_named_with_the_commands_there_are(self):
        for args, named in ((["bogus"], "bogus"), (["rez", "bogus", "x.rez"], "rez bogus"), (["help", "bogus"], "bogus")):
            with self.subTest(args=args):
                code, out, err = self.run_cli(*args)
                self.assertEqual((code, out), (2, b""))
                lines = self.text(err).splitlines()
                self.assertEqual(lines[0], "servolt-cli: unknown command '%s'" % named)
                commands = "create, list, cat, extract, verify" if args[0] == "rez" else \
                    "write, import, check, maps, mods, get, set, rotation, run, status, logs, instance, paths, history, rez, serve, help"
                self.assertEqual(lines[1], "Commands: " + commands)

    def test_each_commands_help_ends_with_exit_codes_and_an_example(self):
        for command in self.COMMANDS:
            with self.subTest(command=command):
                code, by_option, _ = self.run_cli(*command.split(), "--help")
                self.assertEqual(code, 0)
                code, by_command, err = self.run_cli("help", *command.split())
                self.assertEqual((code, err), (0, ""))
                self.assertEqual(by_command, by_option)
                text = by_option.decode().replace("\r\n", "\n")
                self.assertIn("servolt-cli " + command, text)
                self.assertRegex(text, r"\nExit codes: 0 [^\n]*\.\n\nExample:\n  servolt-cli %s [^\n]+\n$"
                                 % re.escape(command))
                for type_name in ("TEXT", "FLOAT", "INT", "UINT"):
                    self.assertNotRegex(text, r"\b%s\b" % type_name)
        code, out, _ = self.run_cli("help")
        self.assertEqual(code, 0)
        self.assertIn("help", out.decode())
        run_help = self.run_cli("help", "run")[1].decode()
        for option, placeholder in (("--grace", "SECONDS"), ("--within", "SECONDS"), ("--log-max-size", "MB"),
                                    ("--max-restarts", "N"), ("--log", "FILE"), ("--ini", "FILE"),
                                    ("--game", "DIR")):
            self.assertRegex(run_help, r"%s %s\b" % (option, placeholder))

    def test_range_errors_say_the_range_in_plain_numbers(self):
        cases = [
            (["--grace", "90000"], "--grace: 90000 is not within 0 to 86400 seconds"),
            (["--grace", "-1"], "--grace: -1 is not within 0 to 86400 seconds"),
            (["--within", "1e9"], "--within: 1e9 is not within 0 to 100000000 seconds, and more than 0"),
            (["--within", "0"], "--within: 0 is not within 0 to 100000000 seconds, and more than 0"),
            (["--log-max-size", "2000000"], "--log-max-size: 2000000 is not within 0 to 1000000 MB, and more than 0"),
            (["--max-restarts", "-3"], "--max-restarts: -3 is not 0 or more"),
            (["--grace", "soon"], "--grace: soon is not a number of seconds"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                code, _, err = self.run_cli("run", *args)
                self.assertEqual(code, 2)
                self.assertEqual(self.text(err).splitlines()[0], "servolt-cli: " + message)


if __name__ == "__main__":
    harness.main()
