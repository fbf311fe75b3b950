#!/usr/bin/env python3
"""servolt-cli rez create, then rez extract, gives back the same tree.

    rez_round_trip.py --cli servolt-cli [--wine-run scripts/wine-run]

One generated tree holds what an archive must carry exactly: empty files, a
100 MB file, a deep folder chain, names made of every byte a name may hold,
and contents each method wins on. Under Wine the program sees the names in
the ANSI code page (Windows-1252), so the tree is written with the
characters those bytes stand for.
"""
import argparse
import hashlib
import os
import random
import subprocess
import sys
import unittest

from cli_harness import ProcessTest

ARGS = None
FORBIDDEN = set(b'<>:"/\\|?*')
# The bytes a name may hold inside a part (the program refuses the rest).
ALLOWED = [b for b in range(0x20, 0x100) if b not in FORBIDDEN]
UNASSIGNED = (0x81, 0x8D, 0x8F, 0x90, 0x9D)


def ansi_name(raw):
    """What a name of ANSI bytes is called on the Linux side: the bytes
    themselves natively, their Windows-1252 characters (the five unassigned
    bytes as the control characters of the same number) under Wine."""
    if ARGS.wine_run is None:
        return raw
    return "".join(chr(b) if b in UNASSIGNED else bytes([b]).decode("cp1252") for b in raw)


class RezRoundTrip(ProcessTest):
    PREFIX = "servolt-rez-"

    def run_cli(self, *args):
        command = [ARGS.cli, *args]
        if self.wine:
            command = [ARGS.wine_run, *command]
        done = subprocess.run(command, cwd=self.root, capture_output=True, timeout=900)
        return done.returncode, done.stdout, done.stderr.decode("latin-1")

    def host(self, *parts):
        return os.path.join(os.fsencode(self.root), *[os.fsencode(p) for p in parts])

    def write(self, relative, data):
        path = os.path.join(self.host("tree"), *[os.fsencode(ansi_name(p)) for p in relative])
        self.written += 1
        if data is None:  # an empty folder
            os.makedirs(path)
            return
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def make_tree(self):
        self.written = 0
        rng = random.Random(7)
        self.write([b"empty"], b"")
        self.write([b"maps", b"dm", b"empty.bsp"], b"")
        self.write([b"maps", b"empty folder"], None)
        # 100 MB: stretches of noise, runs and repeated text, so that every
        # method's decoder meets a long entry.
        block = bytearray()
        while len(block) < 1 << 20:
            kind = rng.randrange(3)
            length = rng.randrange(1, 4096)
            block += (rng.randbytes(length) if kind == 0 else bytes([rng.randrange(256)]) * length if kind == 1
                      else (b"set sv_maxplayers 16\r\n" * (length // 22 + 1))[:length])
        big = bytes(block[:1 << 20]) * 100
        self.write([b"big", b"large.dat"], big)
        self.write([b"d"] * 50 + [b"deep.txt"], b"at the bottom\r\n")
        for i in range(0, len(ALLOWED), 12):
            # A number first: names that differ only in letter case would be
            # one file on Windows.
            part = ("%02d " % (i // 12)).encode() + bytes(ALLOWED[i:i + 12]) + b"x"
            self.write([b"names", part], part * 3)
        for method_food in (b"a" * 5000, bytes(range(256)) * 40, b"abcabcab" * 900):
            self.write([b"kinds", ("%d.bin" % len(method_food)).encode()], method_food)

    def tree_of(self, top):
        found = {}
        for folder, folders, files in os.walk(top):
            if not folders and not files:
                found[os.path.relpath(folder, top)] = "folder"
            for name in files:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    found[os.path.relpath(path, top)] = hashlib.sha256(f.read()).hexdigest()
        return found

    def test_create_then_extract_gives_back_the_tree(self):
        self.make_tree()
        expected = self.tree_of(self.host("tree"))
        self.assertEqual(len(expected), self.written)  # every name became a file of its own
        for method in ("best", "none"):
            with self.subTest(method=method):
                code, out, err = self.run_cli("rez", "create", self.path(method + ".rez"), self.path("tree"),
                                              "--method", method)
                self.assertEqual(code, 0, err)
                code, out, err = self.run_cli("rez", "extract", self.path(method + ".rez"), "-C",
                                              self.path("out-" + method))
                self.assertEqual(code, 0, err)
                self.assertEqual(self.tree_of(self.host("out-" + method)), expected)
                os.remove(self.host(method + ".rez"))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--wine-run")
    ARGS, rest = parser.parse_known_args()
    ProcessTest.args = ARGS
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
