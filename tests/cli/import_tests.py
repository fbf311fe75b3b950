#!/usr/bin/env python3
"""servolt-cli import with the kinds of server.cfg that long-running servers
carry, judged by what the server is told: the file and the server.cfg that
write then makes are read by a small model of the console, and every
variable that ends otherwise must be named by the import, which then exits 1.

    import_tests.py --cli servolt-cli [--wine-run scripts/wine-run]
"""
import os
import re

import cli_harness as harness
from cli_harness import ProcessTest

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "unit", "servercfg", "golden")


def golden(name):
    with open(os.path.join(GOLDEN, name), "rb") as f:
        return f.read()


# ---- the console, as small as it can be

def console_values(script):
    """{lower-case name: final value} of a script: lines end at LF, CR LF or
    CR; ';' outside quotes ends a command and '//' outside quotes the line;
    set, seta, sets, setu and the bare form assign; the last one wins."""
    values = {}
    for line in re.split(r"\r\n|\r|\n", script.decode("latin-1")):
        commands, words, i = [], [], 0
        while i < len(line):
            c = line[i]
            if c in " \t":
                i += 1
            elif c == ";":
                commands.append(words)
                words, i = [], i + 1
            elif line.startswith("//", i):
                break
            elif c == '"':
                close = line.find('"', i + 1)
                close = len(line) if close < 0 else close
                words.append(line[i + 1:close])
                i = close + 1
            else:
                m = re.compile(r'[^ \t;"]+?(?=[ \t;"]|//|$)').match(line, i)
                words.append(m.group(0))
                i = m.end()
        commands.append(words)
        for words in commands:
            if not words or not words[0] or words[0].startswith("#"):
                continue
            at = 1 if words[0].lower() in ("set", "seta", "sets", "setu") else 0
            if len(words) >= at + 2 and words[at]:
                values[words[at].lower()] = " ".join(words[at + 1:])
    return values


def same_for_server(name, a, b):
    if a == b:
        return True
    number = r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$"
    if re.match(number, a) and re.match(number, b):
        import struct
        f = lambda s: struct.unpack("f", struct.pack("f", float(s)))[0]
        def whole(s):  # the whole part as atoi reads it
            sign, digits = re.match(r"([+-]?)(\d*)", s).groups()
            return int(digits or 0) * (-1 if sign == "-" else 1)
        return f(a) == f(b) and whole(a) == whole(b)
    if name == "sv_maplist":
        maps = lambda s: ["TeamSwap" if m.strip(" ").lower() == "teamswap" else m.strip(" ")
                          for m in s.split(";") if m.strip(" ")]
        return maps(a) == maps(b)
    return False


def differing(told, written):
    """The variables the file assigns that the written file ends otherwise."""
    return sorted(name for name, value in told.items()
                  if name not in written or not same_for_server(name, value, written[name]))


# ---- the kinds of file the operators have

def edited_export():
    cfg = golden("default.cfg")
    cfg = cfg.replace(b'sv_hostname "Nameless Battle"', b'sv_hostname "Edited"')
    cfg = cfg.replace(b"set sv_pure 0\r\n", b"")  # the value line removed, set in the options instead
    cfg = cfg.replace(b"custom options.\r\n\r\n", b"custom options.\r\nset sv_pure 1\r\nexec bans.cfg\r\n\r\n")
    return cfg + b"set sv_maxclients 24\r\n"


KINDS = [
    # name, bytes, exit code, variables that end otherwise
    ("CR LF with // and # comments",
     b"// Night server\r\n# kept by hand\r\nsv_hostname \"Night Ops // EU\"\r\nset sv_maxclients 24 // more slots\r\n"
     b"# set sv_pure 1\r\nset g_gametype 1\r\nsv_maplist \"1 dm/a; 1 dm/b; teamswap\"\r\nmap dm/a\r\n",
     0, []),
    ("bare and seta forms",
     b"seta sv_hostname \"Clan\"\nseta sv_maxclients 24\nset sv_maxclients 32\nseta dmflags 8\ng_allowvote 0\n"
     b"sets sv_pure 1\nsetu g_motd \"hi there\"\ndm_mgCoolRate 2.5\n",
     0, []),
    ("several commands on one line",
     b"set g_allowvote 0; set sv_pure 1; set timelimit 20\nset g_motd \"a;b\"; seta fraglimit 10\n"
     b"set g_gametype 2;sv_maplist \"2 dm/x;2 dm/y\"; map dm/x\n",
     0, []),
    ("a configuration for a different game",
     b"seta sv_hostname \"^1Frag Zone\"\nseta rconpassword \"secret\"\nseta g_gametype 4\nseta sv_maxclients 16\n"
     b"seta sv_pure 1\nseta dmflags 1024\nbind F1 \"vote yes\"\nseta fraglimit 35\nseta timelimit 15\n"
     b"set sv_maplist \"q3dm17 q3tourney2\"\nmap q3dm17\nseta capturelimit 8\n",
     1, ["dmflags"]),
    ("this utility's own output edited by hand", edited_export(), 0, []),
]


class Import(ProcessTest):
    PREFIX = "servolt-import-"

    def import_and_write(self, data, *options):
        """(exit code, report, stderr, the file's values, the written file's values)."""
        cfg = self.write_file("server.cfg", data)
        ini = self.path("s.ini")
        code, out, err = self.run_cli("import", cfg, "--ini", ini, *options)
        written = {}
        if os.path.exists(os.path.join(self.root, "s.ini")):
            _, text, _ = self.run_cli("write", "--ini", ini, "--stdout")
            written = console_values(text)
        return code, out.decode("latin-1").replace("\r\n", "\n"), err, console_values(data), written

    def test_the_kinds_of_hand_written_file(self):
        for name, data, exit_code, ends_otherwise in KINDS:
            with self.subTest(name):
                code, out, err, told, written = self.import_and_write(data)
                self.assertEqual(code, exit_code, out + err)
                self.assertEqual(differing(told, written), ends_otherwise, out)
                for variable in ends_otherwise:
                    self.assertRegex(out, r"(?im)^line \d+: %s: the file gives " % variable)
                self.assertEqual(bool(ends_otherwise), "would not tell the server all" in err, err)

    def test_a_file_that_is_no_text_or_assigns_nothing_is_not_taken(self):
        archive = b"REZMGR\x00\x01" + bytes(range(256)) * 40 + b"set sv_pure 1\n"
        cases = [
            ("an archive", archive, 2, "not a text file (it holds NUL bytes); nothing was written"),
            ("control bytes", b"\x01\x02\x03\x1b[0m set a 1\n\x05\x06", 2, "not a text file (most of it is not text)"),
            ("empty", b"", 1, "assigns no setting; the settings file was left as it is"),
            ("comments only", b"// nothing here\r\n# nor here\r\n\r\n", 1, "assigns no setting"),
        ]
        for name, data, exit_code, message in cases:
            with self.subTest(name):
                for options in ((), ("--dry-run",)):
                    code, _, err, _, written = self.import_and_write(data, *options)
                    self.assertEqual(code, exit_code, err)
                    self.assertIn(message, err)
                    self.assertEqual(written, {})
                    self.assertFalse(os.path.exists(os.path.join(self.root, "s.ini")))

    def test_merge_applies_the_file_onto_the_settings_and_counts_what_it_never_set(self):
        ini = self.write_ini("s.ini", {"Basic": {"ServerName": "Old"}, "Maps": {"MapRotationList": "dm/r 0 "}})
        cfg = self.write_file("server.cfg", b"set sv_maxclients 24\nset x_custom 1\n")
        code, out, err = self.run_cli("import", cfg, "--ini", ini, "--merge", "--dry-run", "--verbose")
        self.assertEqual((code, err), (0, ""))
        out = out.decode().replace("\r\n", "\n")
        listed = re.findall(r"(?m)^  not in the file: (\S+)$", out)
        count = int(re.search(r"server\.cfg will set (\d+) settings that the file never set "
                              r"\(the server used its own defaults for those\)", out).group(1))
        self.assertEqual(len(listed), count)
        self.assertIn("sv_hostname", listed)
        self.assertNotIn("sv_maxclients", listed)
        code, out, err = self.run_cli("import", cfg, "--ini", ini, "--merge")
        self.assertEqual((code, err), (0, ""))
        self.assertNotIn(b"not in the file", out)
        _, text, _ = self.run_cli("write", "--ini", ini, "--stdout")
        values = console_values(text)
        self.assertEqual((values["sv_hostname"], values["sv_maxclients"], values["x_custom"]), ("Old", "24", "1"))
        self.assertEqual(values["sv_maplist"], "6 dm/r;")
        # Without --merge the same file starts from the factory defaults.
        code, _, _ = self.run_cli("import", cfg, "--ini", ini)
        _, text, _ = self.run_cli("write", "--ini", ini, "--stdout")
        self.assertEqual(console_values(text)["sv_hostname"], "Nameless Battle")


if __name__ == "__main__":
    harness.main()
