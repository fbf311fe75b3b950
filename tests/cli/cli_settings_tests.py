#!/usr/bin/env python3
"""servolt-cli get, set, rotation and mods against the pages' rules: every
setting set to a generated value and read back, the settings file then as
the window's pages would have stored it, the refusals, and the list edits."""
import json
import os
import random

import cli_harness as harness

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN_INI = os.path.join(HERE, "..", "unit", "servercfg", "golden", "default_settings.ini")


def default_ini():
    with open(GOLDEN_INI, "rb") as f:
        return f.read()


def ini_with(base, values):
    """The settings file `base` with each key's line replaced: {key: stored text}."""
    lines = base.split(b"\r\n")
    for key, value in values.items():
        prefix = key.encode() + b"="
        index = [i for i, line in enumerate(lines) if line.startswith(prefix)]
        assert len(index) == 1, key
        lines[index[0]] = prefix + value.encode("latin-1")
    return b"\r\n".join(lines)


def generate(rng, info, wine):
    """A valid value for a setting: (argument, shown by get, stored in the file)."""
    allowed, kind = info["allowed"], info["kind"]
    if kind == "list choice":
        index = rng.randrange(len(info["choices"]))
        text = info["choices"][index]
        return (text.upper() if rng.random() < 0.5 else str(index)), text, str(index)
    if kind == "check box":
        word = rng.choice(["on", "off", "1", "0", "true", "false"])
        bit = "1" if word in ("on", "1", "true") else "0"
        return word, bit, bit
    if kind == "three-valued check box":
        value = str(rng.randrange(3))
        return value, value, value
    if "from 0 to 4294967295" in allowed:
        value = rng.randrange(2 ** 32)
        return str(value), str(value), str(value if value < 2 ** 31 else value - 2 ** 32)
    if "or nothing" in allowed:
        if rng.random() < 0.3:
            return "", "", "-1"
        value = str(rng.randrange(100000))
        return value, value, value
    if "whole number" in allowed:
        value = str(rng.randrange(-2 ** 31, 2 ** 31))
        return value, value, value
    if "decimal" in allowed:
        shown = "%f" % (rng.randrange(-400000, 400000) / 4)
        return shown.rstrip("0"), shown, shown
    # Texts: no blank or quote at either end, which the file would quote.
    alphabet = "abcXYZ019-_.,:/\\!;=$%"
    if "first 32 characters" in allowed:
        argument = "".join(rng.choice(alphabet) for _ in range(rng.randrange(1, 45)))
        text = stored = argument[:32]  # the page keeps 32 characters
    else:
        text = "".join(rng.choice(alphabet + " ") for _ in range(rng.randrange(1, 45))).strip(" ") or "x"
        argument = stored = text
        if "on one line" not in allowed and not wine and len(text) > 3:
            argument = text[:2] + "\n" + text[2:]  # a line break typed as LF, stored CR LF
            text = stored = text[:2] + "\r\n" + text[2:]
    file_text = stored.replace("\\", "\\\\").replace("\r\n", "\\n")
    return argument, text, file_text


class SettingsCommandTests(harness.ProcessTest):
    def get_all(self, ini):
        code, out, err = self.run_cli("get", "--json", "--ini", ini)
        self.assertEqual(code, 0, err)
        return json.loads(out)

    def test_every_setting_set_to_a_generated_value_reads_back_and_stores_as_the_page(self):
        ini = self.path("s.ini")
        # Set once to the default: the file is the window's default file.
        code, _, err = self.run_cli("set", "--ini", ini, "ServerName=Nameless Battle")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.read_file("s.ini"), default_ini())
        described = self.get_all(ini)
        self.assertEqual(len(described), 158)
        self.assertEqual(described["GameType"]["choices"], ["Free For All", "Team Deathmatch", "Invader"])
        self.assertEqual(described["MaxPlayers"]["variables"], ["sv_maxclients"])
        self.assertEqual((described["MaxPlayers"]["page"], described["MaxPlayers"]["label"]), ("Basic", "Max Players"))
        rng = random.Random(20261207)
        for _ in range(2 if self.wine else 4):
            arguments, shown, stored = [], {}, {}
            for key, info in described.items():
                if info["kind"] == "marked list":
                    continue
                argument, shown[key], stored[key] = generate(rng, info, self.wine)
                arguments.append("%s=%s" % (key, argument))
            code, _, err = self.run_cli("set", "--ini", ini, *arguments)
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(self.read_file("s.ini"), ini_with(default_ini(), stored))
            got = self.get_all(ini)
            self.assertEqual({key: got[key]["value"] for key in shown}, shown)

    def test_get_by_key_or_server_variable(self):
        ini = self.write_ini("s.ini", {"Basic": {"MaxPlayers": "24", "GameType": "1"}})
        code, out, err = self.run_cli("get", "--ini", ini, "sv_maxclients", "gametype", "FFAAlliedPistol")
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out.decode().splitlines(), ["MaxPlayers=24", "GameType=Team Deathmatch", "FFAAlliedPistol="])
        code, out, _ = self.run_cli("get", "--ini", ini, "--verbose", "MaxPlayers")
        self.assertEqual(out.decode().splitlines(), ["MaxPlayers=24    # Basic: Max Players (number box)"])
        code, out, _ = self.run_cli("get", "--ini", ini)
        self.assertEqual(len(out.decode().splitlines()), 158)

    def test_refusals_write_nothing(self):
        ini = self.write_ini("s.ini", {"Basic": {"MaxPlayers": "24"}})
        before = self.read_file("s.ini")
        cases = [
            (["MaxPlayers=-5"], "MaxPlayers: \"-5\" is not allowed; allowed: a whole number from 0 to 4294967295"),
            (["sv_maxclients=abc"], "MaxPlayers: \"abc\" is not allowed"),
            (["GameType=Deathmatch"], 'allowed: 0 "Free For All", 1 "Team Deathmatch", 2 "Invader"'),
            (["HealRate=4"], '3 "20 secs"'),
            (["HealthDrop=maybe"], "1 or 0 (on or off)"),
            (["SpawnDelay=2.5x"], "a decimal number"),
            (["AllowAllSkins=3"], "2 (the standard skins)"),
            (["ServerPassword=a\nb"] if not self.wine else ["ServerPassword=" + "p" * 4096], "ServerPassword:"),
            (["NoSuchKey=1"], "unknown setting 'NoSuchKey'"),
            (["MaxPlayers"], "'MaxPlayers' is not KEY=VALUE"),
            (["MapRotationList=dm/a 0"], "servolt-cli rotation"),
            (["MaxPlayers=20", "HealthDrop=maybe"], "HealthDrop:"),
        ]
        for arguments, message in cases:
            with self.subTest(arguments=arguments):
                code, out, err = self.run_cli("set", "--ini", ini, *arguments)
                self.assertEqual(code, 2)
                self.assertIn(message, err)
                self.assertEqual(self.read_file("s.ini"), before)
        code, _, err = self.run_cli("get", "--ini", ini, "nosuch")
        self.assertEqual(code, 2)
        self.assertIn("unknown setting 'nosuch'", err)


class ListCommandTests(harness.ProcessTest):
    def listed(self, command, ini, *extra):
        code, out, err = self.run_cli(command, "list", "--json", "--ini", ini, *extra)
        self.assertEqual(code, 0, err)
        return [(entry["name"], entry["swap" if command == "rotation" else "download"]) for entry in json.loads(out)]

    def stored(self, key):
        """The list as the settings file holds it: (name, mark) pairs."""
        for line in self.read_file("s.ini").decode("latin-1").split("\r\n"):
            if line.startswith(key + "="):
                words = line[len(key) + 1:].strip('"').split()
                return [(name, mark == "1") for name, mark in zip(words[::2], words[1::2])]
        return []

    def run_table(self, command, ini, extra, steps):
        key = "MapRotationList" if command == "rotation" else "ModuleUseList"
        for operation, expected, exit_code in steps:
            with self.subTest(operation=operation):
                code, _, err = self.run_cli(command, *operation, "--ini", ini, *extra)
                self.assertEqual(code, exit_code, err)
                self.assertEqual(self.stored(key), expected)
        self.assertEqual(self.listed(command, ini, *extra), expected)

    def test_rotation_edits_as_the_maps_page(self):
        game = self.make_game(["alpha", "beta", "gamma", "with blank"])
        ini = self.write_ini("s.ini", {"Maps": {"MapRotationList": ""}})
        a, b, g = "maps/dm/alpha", "maps/dm/beta", "maps/dm/gamma"
        self.run_table("rotation", ini, ("--game", game), [
            (("add", a, b), [(a, False), (b, False)], 0),
            (("add", a), [(a, False), (b, False)], 0),               # already there: no change
            (("add", g, "maps/dm/nosuch"), [(a, False), (b, False)], 2),  # all or nothing
            (("add", "maps/dm/with blank"), [(a, False), (b, False)], 2),
            (("swap", b, "on"), [(a, False), (b, True)], 0),
            (("move", b, "up"), [(b, True), (a, False)], 0),
            (("move", b, "up"), [(b, True), (a, False)], 0),          # at the top already
            (("add", g), [(b, True), (a, False), (g, False)], 0),
            (("move", g, "1"), [(g, False), (b, True), (a, False)], 0),
            (("move", g, "down"), [(b, True), (g, False), (a, False)], 0),
            (("move", g, "4"), [(b, True), (g, False), (a, False)], 2),
            (("remove", b), [(g, False), (a, False)], 0),
            (("remove", b), [(g, False), (a, False)], 2),
            (("swap", b, "on"), [(g, False), (a, False)], 2),
        ])
        # Quoted in the file, which would otherwise lose the final blank.
        self.assertIn(b'MapRotationList="maps/dm/gamma 0 maps/dm/alpha 0 "\r\n', self.read_file("s.ini"))
        code, _, err = self.run_cli("rotation", "add", "maps/dm/with blank", "--ini", ini, "--game", game)
        self.assertIn("Map not added: The map name \"maps/dm/with blank\" contains a blank", err)

    def test_mods_edits_as_the_mods_page_and_bare_mods_still_lists(self):
        if self.wine:
            self.skipTest("the mods folder is the Wine prefix's user folder")
        moddir = os.path.join(self.home, "Documents", "Brenmoor", "Vantrel(tm)", "moddir")
        for mod in ("modA", "modB"):
            os.makedirs(os.path.join(moddir, mod))
            open(os.path.join(moddir, mod, "moddesc.xml"), "wb").close()
        ini = self.write_ini("s.ini", {"Mods": {"ModuleUseList": ""}})
        self.run_table("mods", ini, (), [
            (("use", "modA", "modB"), [("modA", False), ("modB", False)], 0),
            (("use", "modC"), [("modA", False), ("modB", False)], 2),
            (("download", "modA", "on"), [("modA", True), ("modB", False)], 0),
            (("move", "modB", "up"), [("modB", False), ("modA", True)], 0),
            (("unuse", "modB"), [("modA", True)], 0),
            (("unuse", "modB"), [("modA", True)], 2),
            (("download", "modA", "off"), [("modA", False)], 0),
        ])
        code, out, err = self.run_cli("mods", "--ini", ini)
        self.assertEqual((code, out.decode().split()), (0, ["modA", "modB"]))
        code, out, err = self.run_cli("mods", "list", "--ini", ini)
        self.assertEqual((code, out.decode()), (0, "[ ] modA\n"))


if __name__ == "__main__":
    harness.main()
