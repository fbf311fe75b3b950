"""What the command-line process suites share: a fresh folder per test with a
home of its own, paths as the program takes them (Z:\\... under Wine), the
program run as an operator runs it, and one way of starting a suite.

Every suite is started as

    SUITE.py --cli servolt-cli [--fake fake_console_server] [--wine-run scripts/wine-run]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest


def run_to_end(command, timeout=120, **options):
    """subprocess.run with the output captured in files rather than pipes:
    under Wine a program may start the prefix's own services, which inherit
    its handles and outlive it, and a pipe would then never reach its end."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command, stdout=out, stderr=err, timeout=timeout, **options)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(command, done.returncode, out.read(), err.read())


def end_readers(process, readers, timeout):
    """Waits for `process`, then for the threads reading its output pipes.

    Under Wine a process of the prefix (the desktop's explorer.exe) may be
    started by the program, inherit its pipes and outlive it: what the
    program wrote is read within moments, but the end of the pipe never
    comes. A reader still waiting then is left to it, its stream unclosed,
    since closing a stream waits for the read that holds it."""
    code = process.wait(timeout=timeout)
    for reader in readers:
        reader.join(5)
    for reader, stream in zip(readers, (process.stdout, process.stderr)):
        if not reader.is_alive():
            stream.close()
    return code


class ProcessTest(unittest.TestCase):
    """Subclasses may set PREFIX; `args` holds the parsed options."""

    PREFIX = "servolt-test-"
    args = None

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix=self.PREFIX)
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    @property
    def wine(self):
        return self.args.wine_run is not None

    def path(self, *parts):
        """A path of the test folder as the program takes it."""
        host = os.path.join(self.root, *parts)
        return "Z:" + host.replace("/", "\\") if self.wine else host

    def run_cli(self, *args, env=None, memory=None, stdin=None, timeout=120):
        """Runs servolt-cli in the test folder: (exit code, stdout bytes,
        stderr text). `memory`: the bytes of address space the program may
        take (natively)."""
        command = [self.args.cli, *args]
        environment = dict(os.environ)
        if self.wine:
            command = [self.args.wine_run, *command]
        else:
            environment["HOME"] = self.home
            environment.pop("WINEPREFIX", None)
            for name in ("XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SERVOLT_INSTANCE"):
                environment.pop(name, None)
        environment.update(env or {})
        limit = None
        if memory is not None:
            import resource
            limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (memory, memory))
        done = run_to_end(command, cwd=self.root, env=environment, timeout=timeout, preexec_fn=limit,
                          input=stdin)
        return done.returncode, done.stdout, done.stderr.decode("latin-1")

    def write_file(self, name, data):
        """Writes bytes (or latin-1 text) under the test folder; returns the path as the program takes it."""
        host = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(host), exist_ok=True)
        with open(host, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("latin-1"))
        return self.path(name)

    def read_file(self, name):
        with open(os.path.join(self.root, name), "rb") as f:
            return f.read()

    def write_ini(self, name, sections):
        """A settings file as the window writes one: {section: {key: value}}."""
        text = "".join("[%s]\r\n%s" % (section, "".join("%s=%s\r\n" % kv for kv in keys.items()))
                       for section, keys in sections.items())
        return self.write_file(name, text)

    def make_game(self, maps):
        """A game folder with these deathmatch maps as loose .bsp files."""
        for name in maps:
            folder = os.path.join(self.root, "game", "mainmp", "maps", "dm")
            os.makedirs(folder, exist_ok=True)
            open(os.path.join(folder, name + ".bsp"), "wb").close()
        os.makedirs(os.path.join(self.root, "game"), exist_ok=True)
        return self.path("game")


def pe_header(machine=0x8664):
    """The first bytes of a Windows program for that machine (0x8664: x64,
    0x14C: i386): enough for a stand-in server that check takes as one."""
    header = bytearray(256)
    header[0:2] = b"MZ"
    header[0x3C:0x40] = (0x80).to_bytes(4, "little")
    header[0x80:0x86] = b"PE\0\0" + machine.to_bytes(2, "little")
    return bytes(header)


def main(extra_options=None):
    """Parses the suite's options into ProcessTest.args and runs the suite;
    `extra_options(parser)` adds a suite's own."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--fake")
    parser.add_argument("--wine-run")
    if extra_options:
        extra_options(parser)
    args, rest = parser.parse_known_args()
    ProcessTest.args = args
    unittest.main(module="__main__", argv=[sys.argv[0], *rest], verbosity=2)
    return args
