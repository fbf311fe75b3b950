#!/usr/bin/env python3
"""servolt-cli driven as an operator drives it, natively or under Wine.

    cli_tests.py --cli servolt-cli [--wine-run scripts/wine-run]

Each test runs the program in a fresh folder and checks its exit code, what
it printed and the bytes it wrote. Expected server.cfg bytes come from the
golden files of the core tests.
"""
import json
import os
import random
import unittest

import cli_harness as harness
from cli_harness import ProcessTest, pe_header

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "unit", "servercfg", "golden")


def golden(name):
    with open(os.path.join(GOLDEN, name), "rb") as f:
        return f.read()


class Cli(ProcessTest):
    PREFIX = "servolt-cli-"

    # ---- help, version, bad arguments

    def test_help_version_and_bad_arguments(self):
        code, out, _ = self.run_cli("--version")
        self.assertEqual(code, 0)
        self.assertRegex(out.decode(), r"^servolt-cli \d+\.\d+\.\d+\s*$")
        code, out, _ = self.run_cli("--help")
        self.assertEqual(code, 0)
        for command in ("write", "import", "check", "maps", "mods", "rez"):
            self.assertIn(command, out.decode())
        code, out, _ = self.run_cli("write", "--help")
        self.assertEqual(code, 0)
        self.assertIn("--stdout", out.decode())
        code, _, err = self.run_cli("write", "--no-such-option")
        self.assertEqual(code, 2)
        self.assertIn("--no-such-option", err)
        code, _, err = self.run_cli()
        self.assertEqual(code, 2)

    # ---- write

    def test_write_stdout_gives_the_default_server_cfg_and_writes_nothing(self):
        ini = self.write_ini("empty.ini", {})
        code, out, err = self.run_cli("write", "--ini", ini, "--stdout")
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, golden("default.cfg"))

    def test_write_into_a_folder_with_mods_in_use(self):
        ini = self.write_ini("s.ini", {"Mods": {"ModuleUseList": "modA 1 mod&B 0 "}})
        os.makedirs(os.path.join(self.root, "out", "moddir"))
        code, out, err = self.run_cli("write", "--ini", ini, "--out", self.path("out"))
        self.assertEqual((code, err), (0, ""))
        with open(os.path.join(self.root, "out", "moddir", "usedmods.cfg"), "rb") as f:
            self.assertEqual(f.read(), b'<use priority="4" downloadable="true">modA</use>\r\n'
                                       b'<use priority="2" downloadable="false">mod&amp;B</use>\r\n')
        with open(os.path.join(self.root, "out", "server.cfg"), "rb") as f:
            self.assertEqual(f.read().count(b"\r\n"), golden("default.cfg").count(b"\r\n"))
        self.assertEqual(sorted(os.listdir(os.path.join(self.root, "out"))), ["moddir", "server.cfg"])

    def test_write_refusals(self):
        code, _, err = self.run_cli("write", "--ini", self.path("missing.ini"))
        self.assertEqual(code, 2)
        self.assertIn("missing.ini: no such settings file", err)
        ini = self.write_ini("s.ini", {})
        code, _, err = self.run_cli("write", "--ini", ini, "--out", self.path("nowhere"))
        self.assertEqual(code, 2)
        self.assertIn("Can not write configuration to: ", err)
        self.assertIn("nowhere", err)
        code, _, err = self.run_cli("write", "--ini", self.path("x" * 300 + ".ini"))
        self.assertEqual(code, 2)
        self.assertIn("longer than 259 characters", err)

    def test_messages_about_a_file_name_it_and_the_reason(self):
        sep = "\\" if self.wine else "/"
        ini = self.write_ini("s.ini", {})
        with open(os.path.join(self.root, "server.cfg"), "wb") as f:
            f.write(golden("default.cfg"))
        os.makedirs(os.path.join(self.root, "taken", "server.cfg"))
        read_only = self.write_ini("read-only.ini", {})
        os.chmod(os.path.join(self.root, "read-only.ini"), 0o444)
        # Permissions do not bind root, natively or under Wine: the settings
        # file then fails through a folder that is not there.
        binding = os.geteuid() != 0
        cases = [
            ("missing --out folder", ("write", "--ini", ini, "--out", self.path("nowhere")),
             "Can not write configuration to: " + self.path("nowhere") + sep + "server.cfg: "),
            ("a folder where server.cfg goes", ("write", "--ini", ini, "--out", self.path("taken")),
             "Can not write configuration to: " + self.path("taken") + sep + "server.cfg: "),
            ("an unreadable server.cfg to import", ("import", self.path("missing.cfg"), "--ini", ini),
             self.path("missing.cfg") + ": cannot be read: "),
        ]
        ini_head = "Error while reading or writing INI: %s: WriteSettingsString failed with error "
        if binding:
            cases.append(("read-only settings file", ("import", self.path("server.cfg"), "--ini", read_only),
                          ini_head % read_only))
        else:
            cases.append(("settings file in a missing folder",
                          ("import", self.path("server.cfg"), "--ini", self.path("gone", "s.ini")),
                          ini_head % self.path("gone", "s.ini")))
        for what, args, head in cases:
            with self.subTest(what):
                code, _, err = self.run_cli(*args)
                self.assertEqual(code, 2, err)
                line = next((l for l in err.splitlines() if head in l), None)
                self.assertIsNotNone(line, "%r not in %r" % (head, err))
                # The system's reason follows the file: words, not a bare code.
                self.assertRegex(line[line.index(head) + len(head):], r"^\d*:? ?[A-Za-z][A-Za-z ,.'-]*\S")
        if binding:
            with open(os.path.join(self.root, "read-only.ini"), "rb") as f:
                self.assertEqual(f.read(), b"")  # nothing of the import reached it

    def test_write_into_a_folder_named_in_the_ansi_code_page(self):
        ini = self.write_ini("s.ini", {})
        name = "Dossier d'\u00e9t\u00e9"
        os.makedirs(os.path.join(self.root, name))
        code, _, err = self.run_cli("write", "--ini", ini, "--out", self.path(name))
        self.assertEqual((code, err), (0, ""))
        with open(os.path.join(self.root, name, "server.cfg"), "rb") as f:
            self.assertEqual(f.read(), golden("default.cfg"))

    def test_write_to_the_user_folder_says_once_that_the_defaults_are_used(self):
        if self.wine:
            self.skipTest("the Wine user folder is the prefix's; the end-to-end suite covers it")
        code, _, err = self.run_cli("write")
        self.assertEqual(code, 0)
        self.assertEqual(err.count("no settings file at"), 1)
        user = os.path.join(self.home, "Documents", "Brenmoor", "Vantrel(tm)")
        with open(os.path.join(user, "server.cfg"), "rb") as f:
            self.assertEqual(f.read(), golden("default.cfg"))

    def test_prefix_names_the_user_folder_inside_a_wine_prefix(self):
        prefix = os.path.join(self.root, "prefix")
        user = os.path.join(prefix, "drive_c", "users", "operator", "Documents", "Brenmoor", "Vantrel(tm)")
        os.makedirs(os.path.join(user, "moddir", "modA"))
        open(os.path.join(user, "moddir", "modA", "moddesc.xml"), "wb").close()
        if self.wine:
            code, _, err = self.run_cli("mods", "--prefix", self.path("prefix"))
            self.assertEqual(code, 2)
            self.assertIn("--prefix", err)
            return
        for args, env in ((("mods", "--prefix", prefix), {}), (("mods",), {"WINEPREFIX": prefix})):
            code, out, err = self.run_cli(*args, env=dict(env, USER="operator"))
            self.assertEqual(code, 0, err)
            self.assertEqual(out.decode().split(), ["modA"])
        code, _, err = self.run_cli("write", "--prefix", prefix, env={"USER": "operator"})
        self.assertEqual(code, 0, err)
        self.assertTrue(os.path.exists(os.path.join(user, "server.cfg")))
        code, _, err = self.run_cli("mods", "--prefix", prefix, env={"USER": "nobody-here"})
        self.assertEqual(code, 2)
        self.assertIn("no user folder in the Wine prefix", err)

    # ---- import

    def test_import_round_trip_of_generated_settings(self):
        """write, import what was written, write again: the same bytes."""
        rng = random.Random(20261207)
        pieces = ["a", "Z", " ", "\\\\", "\\n", "'", ";", "=", "%s", "\xe9", "x y"]
        for n in range(self.args.round_trips):
            sections = {
                "Basic": {"ServerName": "".join(rng.choice(pieces) for _ in range(rng.randrange(12))).strip() or "s",
                          "WelcomeMessage": "Hello\\nWorld %d" % n,
                          "GameType": str(rng.choice([0, 1, 2, 7, -3])),
                          "HealRate": str(rng.randrange(-1, 6)),
                          "MaxPlayers": str(rng.choice([0, 1, 2147483647, -2147483648])),
                          "FastRunSpeed": str(rng.randrange(2))},
                "Advanced": {"AdditionalOptions": "set a %d\\nexec other.cfg" % n,
                             "SpawnDelay": rng.choice(["0.5", "1e30", "-2.25", "3"])},
                "Team": {"PlayerSpawn": str(rng.randrange(-1, 11)), "AutoBalance": str(rng.randrange(-1, 4))},
                "Weapons": {"PistolAmmoInit": str(rng.choice([-1, 0, 30])), "ClientTracer": str(rng.randrange(3))},
                "Maps": {"MapName": rng.choice(["", "maps/dm/start"]),
                         "MapRotationList": " ".join("dm/m%d %d" % (i, rng.randrange(2)) for i in range(rng.randrange(4))) + " "},
                "Mods": {"NoHealth": str(rng.randrange(2)), "InstantItems": str(rng.randrange(2))},
            }
            ini = self.write_ini("r%d.ini" % n, sections)
            code, first, err = self.run_cli("write", "--ini", ini, "--stdout")
            self.assertEqual((code, err), (0, ""))
            with open(os.path.join(self.root, "r%d.cfg" % n), "wb") as f:
                f.write(first)
            code, _, err = self.run_cli("import", self.path("r%d.cfg" % n), "--ini", self.path("i%d.ini" % n))
            self.assertEqual(code, 0, err)
            code, second, err = self.run_cli("write", "--ini", self.path("i%d.ini" % n), "--stdout")
            self.assertEqual(code, 0, err)
            self.assertEqual(second, first, "record %d" % n)

    def test_import_keeps_the_mods_and_the_old_file_and_dry_run_writes_nothing(self):
        ini = self.write_ini("s.ini", {"Mods": {"ModuleUseList": "modA 1 "}, "Basic": {"ServerName": "Old"}})
        cfg = golden("default.cfg").replace(b'sv_hostname "Nameless Battle"', b'sv_hostname "Imported"')
        cfg += b"exec extra.cfg\r\n"
        with open(os.path.join(self.root, "server.cfg"), "wb") as f:
            f.write(cfg)
        with open(os.path.join(self.root, "s.ini"), "rb") as f:
            original = f.read()
        code, out, err = self.run_cli("import", self.path("server.cfg"), "--ini", ini, "--dry-run")
        self.assertEqual((code, err), (0, ""))
        self.assertIn("line 553: carried into additional options: unknown command \"exec\"", out.decode())
        self.assertFalse(os.path.exists(os.path.join(self.root, "s.ini.bak")))
        with open(os.path.join(self.root, "s.ini"), "rb") as f:
            self.assertEqual(f.read(), original)
        code, out, err = self.run_cli("import", self.path("server.cfg"), "--ini", ini)
        self.assertEqual(code, 0, err)
        with open(os.path.join(self.root, "s.ini.bak"), "rb") as f:
            self.assertEqual(f.read(), original)
        code, written, _ = self.run_cli("write", "--ini", ini, "--stdout")
        self.assertIn(b'sv_hostname "Imported"', written)
        with open(os.path.join(self.root, "s.ini"), "rb") as f:
            self.assertIn(b"ModuleUseList=modA 1", f.read())
        code, _, err = self.run_cli("import", self.path("no-such.cfg"), "--ini", ini)
        self.assertEqual(code, 2)
        self.assertIn("no-such.cfg: cannot be read", err)

    # ---- maps, mods, check

    def test_maps_lists_what_the_maps_page_shows(self):
        game = self.make_game(["beta", "alpha"])
        ini = self.write_ini("s.ini", {"Basic": {"GameType": "1"}})
        code, out, err = self.run_cli("maps", "--ini", ini, "--game", game)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(sorted(out.decode().split()), ["maps/dm/alpha", "maps/dm/beta"])
        code, out, _ = self.run_cli("maps", "--ini", ini, "--game", game, "--json")
        self.assertEqual(sorted(json.loads(out)), ["maps/dm/alpha", "maps/dm/beta"])
        if not self.wine:
            # A name in the ANSI code page is not UTF-8: shown, not fatal.
            open(os.path.join(game.encode(), b"mainmp/maps/dm/caf\xe9.bsp"), "wb").close()
            code, out, _ = self.run_cli("maps", "--ini", ini, "--game", game, "--json")
            self.assertEqual((code, sorted(json.loads(out))), (0, ["maps/dm/alpha", "maps/dm/beta", "maps/dm/caf\ufffd"]))

    def test_check_exit_codes(self):
        game = self.make_game(["alpha"])
        self.write_file("game/vantrel_server.exe", pe_header())
        os.makedirs(os.path.join(self.root, "out"))
        ini = self.write_ini("s.ini", {"Maps": {"MapName": "maps/dm/alpha", "MapRotationList": "dm/alpha 0 "}})
        code, out, err = self.run_cli("check", "--ini", ini, "--game", game, "--out", self.path("out"))
        self.assertEqual(code, 2)  # check has no --out: a bad argument
        code, _, err = self.run_cli("write", "--ini", ini, "--out", self.path("out"))
        self.assertEqual(code, 0, err)
        # The findings name server.cfg of the user folder until it is written there.
        code, out, _ = self.run_cli("check", "--ini", ini, "--game", game, "--json")
        findings = json.loads(out)
        self.assertEqual(code, 1)
        self.assertEqual([f["severity"] for f in findings], ["warning"])
        self.assertTrue(findings[0]["message"].startswith("not written yet"))
        ini = self.write_ini("t.ini", {"Maps": {"MapName": "maps/dm/gamma", "MapRotationList": "dm/alpha 0 "}})
        code, out, _ = self.run_cli("check", "--ini", ini, "--game", game)
        self.assertEqual(code, 1)
        self.assertIn('error: MapName: start map "maps/dm/gamma" is not installed', out.decode())
        code, _, err = self.run_cli("check", "--ini", self.path("missing.ini"))
        self.assertEqual(code, 2)

    # ---- rez list, cat, extract

    def write_rez(self, name, files, method="none"):
        """A .rez of the {name: bytes} files, packed by rez create itself.
        Names are ANSI bytes: under Wine the host file is named by their
        Windows-1252 characters."""
        stage = os.path.join(os.fsencode(self.root), b"stage-" + name.encode())
        for entry, data in files.items():
            host = entry.decode("cp1252").encode() if self.wine else entry
            os.makedirs(os.path.dirname(os.path.join(stage, host)), exist_ok=True)
            with open(os.path.join(stage, host), "wb") as f:
                f.write(data)
        code, _, err = self.run_cli("rez", "create", self.path(name), self.path(os.fsdecode(stage)),
                                    "--method", method)
        self.assertEqual(code, 0, err)
        return self.path(name)

    def damage_rez(self, name, change):
        """Rewrites the archive's bytes as `change` returns them: what
        another writer, or an attacker, could have made."""
        with open(os.path.join(self.root, name), "r+b") as f:
            data = bytearray(f.read())
            change(data)
            f.seek(0)
            f.write(data)

    def test_rez_list_and_cat(self):
        binary = b"line\r\nnext\nnul\0\x1a\r\r\n" + bytes(range(256))
        # RLE stores 150 bytes without runs as two literal packets: 152.
        rez = self.write_rez("a.rez", {b"maps/dm/x.bsp": binary, b"Text.TXT": b"abc" * 50}, "rle")
        code, out, err = self.run_cli("rez", "list", rez)
        self.assertEqual((code, err), (0, ""))
        lines = out.decode().splitlines()
        columns = [line.split() for line in lines[:2]]
        binary_stored = int(columns[1][2])
        self.assertEqual(columns, [["Text.TXT", "150", "152", "RLE"],
                                   ["maps/dm/x.bsp", str(len(binary)), str(binary_stored), "RLE"]])
        self.assertGreater(binary_stored, len(binary))  # these bytes have too few runs
        self.assertEqual(lines[2], "2 entries, %d bytes, %d stored" % (len(binary) + 150, binary_stored + 152))
        code, out, _ = self.run_cli("rez", "list", rez, "--json")
        self.assertEqual(json.loads(out), {
            "entries": [{"name": "Text.TXT", "size": 150, "stored": 152, "method": "RLE", "records": 1},
                        {"name": "maps/dm/x.bsp", "size": len(binary), "stored": binary_stored, "method": "RLE",
                         "records": 1}],
            "totals": {"entries": 2, "size": len(binary) + 150, "stored": binary_stored + 152}})
        latin = self.write_rez("b.rez", {b"caf\xe9": b""})
        code, out, _ = self.run_cli("rez", "list", latin, "--json")
        self.assertEqual((code, json.loads(out)["entries"][0]["name"]), (0, "caf\ufffd"))
        code, out, _ = self.run_cli("rez", "cat", rez, "MAPS/DM/X.BSP")
        self.assertEqual((code, out), (0, binary))
        code, out, err = self.run_cli("rez", "cat", rez, "nothing")
        self.assertEqual((code, out), (2, b""))
        self.assertIn("servolt-cli: ", err)

    def test_rez_extract_exit_codes_and_files(self):
        entries = {"a/b.txt": b"b\r\n\0", "c.txt": b"c" * 300}
        rez = self.write_rez("a.rez", {name.encode(): data for name, data in entries.items()}, "best")
        code, _, err = self.run_cli("rez", "extract", rez, "-C", self.path("out"))
        self.assertEqual((code, err), (0, ""))
        for name, data in entries.items():
            with open(os.path.join(self.root, "out", name), "rb") as f:
                self.assertEqual(f.read(), data)
        code, _, err = self.run_cli("rez", "extract", rez, "-C", self.path("out"))
        self.assertEqual(code, 1)
        self.assertIn("a.rez: a/b.txt: exists already", err)
        bad = self.write_rez("bad.rez", {b"xx/up.txt": b"x", b"ok.txt": b"ok"})
        self.damage_rez("bad.rez", lambda data: data.__setitem__(slice(None), data.replace(b"xx/up", b"../up")))
        code, _, err = self.run_cli("rez", "extract", bad, "-C", self.path("bad"))
        self.assertEqual(code, 1)
        self.assertIn("bad.rez: ../up.txt: ", err)
        self.assertEqual(sorted(n for n in os.listdir(self.root) if not n.startswith("stage-")),
                         ["a.rez", "bad", "bad.rez", "home", "out"])
        self.assertEqual(os.listdir(os.path.join(self.root, "bad")), ["ok.txt"])
        shared = self.write_rez("shared.rez", {b"one": b"x" * 64, b"two": b"y" * 64})
        # Both records in one group: the second's data offset becomes the first's.
        self.damage_rez("shared.rez", lambda data: data.__setitem__(slice(48, 52), data[32:36]))
        code, _, err = self.run_cli("rez", "extract", shared, "-C", self.path("shared"))
        self.assertEqual(code, 2)
        self.assertIn('shared.rez: two: its stored bytes overlap those of "one"', err)
        self.assertFalse(os.path.exists(os.path.join(self.root, "shared")))


    # ---- names of strangers, memory, shared names

    def test_names_from_an_archive_or_a_tree_are_shown_escaped_everywhere(self):
        cases = [  # (the name's bytes, as shown)
            (b"\x1b]0;title\x07", rb"\x1B]0;title\x07"),
            (b"a\nmaps/dm/forged", rb"a\x0Amaps/dm/forged"),
            (b"\x7f\x01\x1f", rb"\x7F\x01\x1F"),
            ("\u009b2J".encode(), rb"\xC2\x9B2J"),  # CSI as UTF-8
            ("\u0080\u009f".encode(), rb"\xC2\x80\xC2\x9F"),
            ("x\u202eexe.txt".encode(), rb"x\xE2\x80\xAEexe.txt"),
            ("\u200e\u200f\u202a\u2066\u2069".encode(),
             rb"\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\xAA\xE2\x81\xA6\xE2\x81\xA9"),
            # Printable characters stay, UTF-8 (no-break space, dash, U+2065) or not.
            ("caf\u00e9\u00a0\u2014\u2065".encode(), "caf\u00e9\u00a0\u2014\u2065".encode()),
            (b"caf\xe9\xc2", b"caf\xe9\xc2"),
        ]
        # Written with stand-ins of the same length, then given the real names.
        stand_in = lambda i, raw: b"/%02d" % i + b"_" * len(raw) + b".bsp"
        rez = self.write_rez("evil.rez", {b"maps/dm" + stand_in(i, raw): b"x" for i, (raw, _) in enumerate(cases)})
        def rename(data):
            for i, (raw, _) in enumerate(cases):
                data[:] = data.replace(stand_in(i, raw), b"/%02d" % i + raw + b".bsp")
        self.damage_rez("evil.rez", rename)
        shown = sorted(b"maps/dm/%02d%s.bsp" % (i, text) for i, (_, text) in enumerate(cases))

        code, out, err = self.run_cli("rez", "list", rez)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(sorted(line.split()[0] for line in out.splitlines()[:-1]), shown)
        game = self.make_game([])
        os.makedirs(os.path.join(self.root, "game", "mainmp"))
        os.rename(os.path.join(self.root, "evil.rez"), os.path.join(self.root, "game", "mainmp", "evil.rez"))
        ini = self.write_ini("s.ini", {"Basic": {"GameType": "1"}})
        code, out, err = self.run_cli("maps", "--ini", ini, "--game", game)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(sorted(out.splitlines()), shown)
        code, out, err = self.run_cli("rez", "extract", self.path("game", "mainmp", "evil.rez"), "-C", self.path("out"))
        for raw, text in cases[:3]:  # the others are names a file may have
            self.assertIn(text.decode(), err)
        for output in (out.decode("latin-1"), err):
            self.assertNotRegex(output, "[\x00-\x09\x0b\x0c\x0e-\x1f\x7f]")  # line ends are the program's own
        self.assertEqual((code, len(err.splitlines())), (1, 3))
        if not self.wine:  # a name Windows itself would not take
            stage = os.path.join(os.fsencode(self.root), b"tree")
            os.makedirs(stage)
            open(os.path.join(stage, b"a\x1b]0;title\x07\nb"), "wb").close()
            code, _, err = self.run_cli("rez", "create", self.path("t.rez"), self.path("tree"))
            self.assertEqual(code, 2)
            self.assertIn("servolt-cli: a\\x1B]0;title\\x07\\x0Ab: ", err)
            self.assertNotRegex(err, "[\x00-\x09\x0b-\x1f]")

    def test_rez_cat_streams_an_entry_and_memory_runs_out_with_a_message(self):
        if self.wine:
            self.skipTest("the address space is limited natively only")
        # Room for the program and a block of the entry, not for the entry.
        memory = 48 << 20
        code, _, err = self.run_cli("--version", memory=memory)
        if code != 0 and "Sanitizer" in err:
            self.skipTest("a sanitizer build reserves more address space than the limit leaves")
        big = bytes(range(256)) * (64 << 12)  # 64 MiB
        plain = self.write_rez("plain.rez", {b"big.bin": big})
        packed = self.write_rez("packed.rez", {b"zeros.bin": bytes(64 << 20)}, "rle")
        code, out, err = self.run_cli("rez", "cat", plain, "big.bin", memory=memory)
        self.assertEqual((code, err), (0, ""))
        self.assertTrue(out == big)
        # A compressed entry is decoded whole: there is no room for it.
        code, out, err = self.run_cli("rez", "cat", packed, "zeros.bin", memory=memory)
        self.assertEqual((code, out), (2, b""), err)
        self.assertIn("packed.rez: zeros.bin: out of memory", err)
        code, _, err = self.run_cli("rez", "extract", plain, "-C", self.path("out"), memory=memory)
        self.assertEqual(code, 1, err)
        self.assertIn("plain.rez: big.bin: out of memory", err)
        self.assertNotIn("damaged", err)
        self.assertEqual(os.listdir(os.path.join(self.root, "out")), [])

    def test_rez_list_shows_records_of_one_name_once_with_their_count(self):
        rez = self.write_rez("dup.rez", {b"dup-a": b"aa", b"dup-b": b"b" * 5, b"dup-c": b"c", b"other": b"o"})
        self.damage_rez("dup.rez", lambda data: data.__setitem__(slice(None), data.replace(b"dup-b", b"dup-a")
                                                                .replace(b"dup-c", b"dup-a")))
        code, out, err = self.run_cli("rez", "list", rez)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual([line.split() for line in out.decode().splitlines()],
                         [["dup-a", "2", "2", "NONE", "(x3", "records)"], ["other", "1", "1", "NONE"],
                          ["4", "entries,", "9", "bytes,", "9", "stored"]])
        code, out, _ = self.run_cli("rez", "list", rez, "--json")
        self.assertEqual(json.loads(out), {
            "entries": [{"name": "dup-a", "size": 2, "stored": 2, "method": "NONE", "records": 3},
                        {"name": "other", "size": 1, "stored": 1, "method": "NONE", "records": 1}],
            "totals": {"entries": 4, "size": 9, "stored": 9}})


    # ---- rez create

    def test_rez_create_packs_a_folder_the_maps_command_then_reads(self):
        stage = os.path.join(self.root, "stage", "maps", "dm")
        os.makedirs(stage)
        with open(os.path.join(stage, "packed.bsp"), "wb") as f:
            f.write(b"BSP " * 5000)
        game = self.make_game(["loose"])
        archive = self.path("game", "mainmp", "packed.rez")
        code, out, err = self.run_cli("rez", "create", archive, self.path("stage"))
        self.assertEqual((code, err), (0, ""))
        self.assertRegex(out.decode(), r"packed\.rez: 1 entry, 20000 bytes, \d+ stored \(\d+\.\d%\); archive \d+ bytes")
        ini = self.write_ini("s.ini", {"Basic": {"GameType": "1"}})
        code, out, err = self.run_cli("maps", "--ini", ini, "--game", game)
        # Archive entries keep their extension in the list, loose maps lose it.
        self.assertEqual((code, sorted(out.decode().split())), (0, ["maps/dm/loose", "maps/dm/packed.bsp"]))

        with open(os.path.join(self.root, "game", "mainmp", "packed.rez"), "rb") as f:
            before = f.read()
        code, _, err = self.run_cli("rez", "create", archive, self.path("no-such-folder"))
        self.assertEqual(code, 2)
        self.assertIn("no-such-folder: no such folder", err)
        if not self.wine:  # a name Windows itself would not take
            open(os.path.join(stage, "what?.bsp"), "wb").close()
            code, _, err = self.run_cli("rez", "create", archive, self.path("stage"), "--method", "lzss")
            self.assertEqual(code, 2)
            self.assertIn("maps/dm/what?.bsp: holds a character", err)
        with open(os.path.join(self.root, "game", "mainmp", "packed.rez"), "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertEqual(sorted(os.listdir(os.path.join(self.root, "game", "mainmp"))), ["maps", "packed.rez"])
        code, _, err = self.run_cli("rez", "create", archive, self.path("stage"), "--method", "zip")
        self.assertEqual(code, 2)


    def test_rez_messages_about_files_give_the_systems_reason(self):
        rez = self.write_rez("a.rez", {b"a.txt": b"a"})
        cases = [
            (("rez", "create", self.path("missing", "x.rez"), self.path("stage-a.rez")),
             "x.rez: cannot be created: "),
            (("rez", "extract", rez, "-C", self.path("missing", "out")),
             "a.rez: the folder "),
        ]
        for args, start in cases:
            code, _, err = self.run_cli(*args)
            self.assertEqual(code, 2, err)
            line = next((line for line in err.splitlines() if start in line), "")
            # The reason follows what failed, and is the system's text, not a bare code.
            self.assertRegex(line, r"(cannot be created|cannot be made): \w", err)
            self.assertNotRegex(line, r"error \d+$", err)
        self.assertFalse(os.path.exists(os.path.join(self.root, "missing")))


def main():
    harness.main(lambda parser: parser.add_argument("--round-trips", type=int, default=200))


if __name__ == "__main__":
    main()
