"""End-to-end fixture for Servolt.exe under Wine.

A scenario gets a Fixture: its own temporary game folder (the program's
current folder, holding the fake vantrel_server.exe unless told otherwise),
a Wine prefix and home used only by this suite (scripts/wine-run with
SERVOLT_WINE_DIR), the user folder emptied before it starts, and a Driver
that talks to the automation program (driver/driver.cpp) over a pipe.

    with Fixture(env, "save-config") as fx:
        ui = fx.start()            # Servolt.exe runs, the driver is attached
        ui.tab(3)
        ui.focus(1001); ui.select_all(); ui.type("42"); ui.key("tab")
        ui.click(1158)
        fx.screenshot("team-page")
        assert fx.read_user_file("server.cfg") == expected

Driver methods map one to one onto the driver's commands (see driver.cpp);
each raises DriverError when the driver answers "error ...".
"""

import fcntl
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

USER_FOLDER_PARTS = ("Brenmoor", "Vantrel(tm)")
SERVER_RECORD = "server-started.txt"

# Tab indexes, in tab order.
TAB_NAMES = ("basic", "advanced", "advanced2", "team", "limits", "maps", "weapons", "explosives", "mods")

# Control bar.
LAUNCH_SERVER, EXIT, SAVE_CONFIG, USE_DEFAULTS = 1119, 1120, 1158, 1159


class DriverError(Exception):
    pass


# Assertions shared by every scenario module.
def check(condition, message):
    if not condition:
        raise AssertionError(message)


def equal(actual, expected, what):
    if actual != expected:
        raise AssertionError("%s: expected %r, got %r" % (what, expected, actual))


def escape(text):
    out = []
    for ch in text.encode("latin-1"):
        c = chr(ch)
        if c == "\\":
            out.append("\\\\")
        elif c == "\n":
            out.append("\\n")
        elif c == "\r":
            out.append("\\r")
        elif c == "\t":
            out.append("\\t")
        elif ch < 0x20 or ch >= 0x7F:
            out.append("\\x%02X" % ch)
        else:
            out.append(c)
    return "".join(out)


def unescape(text):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x":
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out += {"n": b"\n", "r": b"\r", "t": b"\t"}.get(n, n.encode("latin-1"))
            i += 2
            continue
        out += c.encode("latin-1")
        i += 1
    return out.decode("latin-1")


def install_wine_fonts(prefix):
    """Copies Wine's own fonts (Tahoma for "MS Shell Dlg", Marlett for the
    caption buttons) into the prefix's Fonts folder. The Debian build does
    not find them in its data folder, and without them dialogs fall back to
    a host font with other metrics and captions show letters for buttons."""
    source = "/usr/share/wine/fonts"
    target = os.path.join(prefix, "drive_c", "windows", "Fonts")
    if not os.path.isdir(source) or not os.path.isdir(target):
        return
    for name in os.listdir(source):
        if name.lower().endswith(".ttf") and not os.path.exists(os.path.join(target, name)):
            shutil.copyfile(os.path.join(source, name), os.path.join(target, name))


class Env:
    """Where everything is; built from the command line of run_e2e.py."""

    def __init__(self, servolt, driver, server, shots, work, wine_run):
        self.servolt = os.path.abspath(servolt)
        self.driver = os.path.abspath(driver)
        self.server = os.path.abspath(server)
        self.shots = os.path.abspath(shots)
        self.work = os.path.abspath(work)
        self.wine_run = os.path.abspath(wine_run)
        self.wine_dir = os.path.join(self.work, "wine")
        os.makedirs(self.shots, exist_ok=True)
        os.makedirs(self.wine_dir, exist_ok=True)
        self.environ = dict(os.environ)
        self.environ["SERVOLT_WINE_DIR"] = self.wine_dir
        self.environ.setdefault("WINEDEBUG", "-all")
        self._xvfb = None

    # -- display ----------------------------------------------------------------
    def ensure_display(self):
        if self.environ.get("DISPLAY"):
            return
        for n in range(120, 200):
            if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
                break
        self._xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.environ["DISPLAY"] = ":%d" % n
        for _ in range(100):
            if os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
            time.sleep(0.05)

    def stop_display(self):
        if self._xvfb:
            self._xvfb.terminate()
            self._xvfb.wait()
            self._xvfb = None

    # -- Wine prefix --------------------------------------------------------------
    def wine(self, *args, **kw):
        return subprocess.run([self.wine_run] + list(args), env=self.environ, **kw)

    def prepare_prefix(self):
        """Creates the suite's prefix once: a 1024 x 768 virtual desktop so
        that windows get their captions drawn in the screenshots."""
        with open(os.path.join(self.wine_dir, ".e2e-lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            marker = os.path.join(self.wine_dir, ".e2e-ready")
            if os.path.exists(marker):
                return
            for key, name, value in (("HKCU\\Software\\Wine\\Explorer", "Desktop", "Default"),
                                     ("HKCU\\Software\\Wine\\Explorer\\Desktops", "Default", "1024x768")):
                self.wine("reg", "add", key, "/v", name, "/d", value, "/f",
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            install_wine_fonts(os.path.join(self.wine_dir, "prefix"))
            # The desktop that wineboot opened is not a virtual one; end this
            # prefix's session so that the next program starts with the key.
            environ = dict(self.environ, WINEPREFIX=os.path.join(self.wine_dir, "prefix"))
            subprocess.run(["wineserver", "-k"], env=environ, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=environ, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            open(marker, "w").close()

    def documents_folder(self):
        users = os.path.join(self.wine_dir, "prefix", "drive_c", "users")
        for user in sorted(os.listdir(users)):
            if user.lower() in ("public", "default"):
                continue
            docs = os.path.join(users, user, "Documents")
            if os.path.exists(docs):
                return os.path.realpath(docs)
        raise RuntimeError("no Documents folder in the Wine prefix")

    def user_folder(self):
        return os.path.join(self.documents_folder(), *USER_FOLDER_PARTS)


class Driver:
    def __init__(self, env):
        self.proc = subprocess.Popen([env.wine_run, env.driver], env=env.environ, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     start_new_session=True, text=True, encoding="latin-1")

    def cmd(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        reply = self.proc.stdout.readline()
        if not reply:
            raise DriverError("driver ended during: " + line)
        reply = reply.rstrip("\r\n")
        if reply.startswith("error"):
            raise DriverError("%s -> %s" % (line, reply))
        return reply[3:] if reply.startswith("ok ") else ""

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write("quit\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()

    # -- the commands ---------------------------------------------------------------
    def attach(self, timeout_ms=60000):
        return int(self.cmd("attach %d" % timeout_ms))

    def wait_class(self, window_class, timeout_ms=60000):
        self.cmd("waitclass %s %d" % (window_class, timeout_ms))

    def gone(self, timeout_ms=10000):
        self.cmd("gone %d" % timeout_ms)

    def info(self):
        return dict(kv.split("=", 1) for kv in self.cmd("info").split(" "))

    def title(self):
        return unescape(self.cmd("title"))

    def rect(self, which="main"):
        return tuple(int(v) for v in self.cmd("rect " + which).split())

    def tabs(self):
        return unescape(self.cmd("tabs")).split("\t")

    def cursel(self):
        return int(self.cmd("cursel"))

    def tab(self, index):
        return int(self.cmd("tab %d" % index))

    def has_page(self):
        return self.cmd("haspage") == "1"

    def ids(self):
        return [int(v) for v in self.cmd("ids").split()]

    def get(self, control):
        return unescape(self.cmd("get %d" % control))

    def checked(self, control):
        return int(self.cmd("checked %d" % control))

    def visible(self, control):
        return self.cmd("visible %d" % control) == "1"

    def style(self, control):
        value, cls = self.cmd("style %d" % control).split(" ", 1)
        return int(value, 16), cls

    def selection(self, control):
        return int(self.cmd("cursor %d" % control))

    def count(self, control):
        return int(self.cmd("count %d" % control))

    def items(self, control):
        text = unescape(self.cmd("items %d" % control))
        return text.split("\t") if text else []

    def focus(self, control):
        return int(self.cmd("focus %d" % control))

    def focus_id(self):
        return int(self.cmd("focusid"))

    def select_all(self):
        self.cmd("selectall")

    def type(self, text):
        self.cmd("type " + escape(text))

    def paste(self, unit, count=1):
        return int(self.cmd("paste %d %s" % (count, escape(unit))))

    def key(self, name):
        return int(self.cmd("key " + name))

    def keys(self, text):
        """Presses the keys of unshifted letters and digits on the focused
        control, through the program's queue; returns the control's text."""
        return unescape(self.cmd("keys " + text))

    def alt_f4(self):
        self.cmd("altf4")

    def choose(self, control, index):
        return int(self.cmd("choose %d %d" % (control, index)))

    def click(self, control):
        return self.cmd("click %d" % control)

    def box(self, timeout_ms=10000):
        owner, caption, text = self.cmd("box %d" % timeout_ms).split("\t")
        return owner, unescape(caption), unescape(text)

    def no_box(self, ms=1000):
        self.cmd("nobox %d" % ms)

    def box_buttons(self):
        return [int(v) for v in self.cmd("buttons").split()]

    def answer(self, which):
        self.cmd("answer " + which)

    def close_box(self):
        """The caption's close box of the main window."""
        self.cmd("close")

    def post_close(self):
        self.cmd("post-close")

    # -- helpers built on the commands -------------------------------------------
    def enter(self, control, text):
        """Clicks into a box, replaces its text by typing, moves the focus on."""
        self.focus(control)
        self.select_all()
        self.type(text)
        self.key("tab")


class Fixture:
    def __init__(self, env, name, with_server=True, game_folder=None, keep_user_folder=False):
        self.env = env
        self.keep_user_folder = keep_user_folder
        self.name = name
        self.with_server = with_server
        self._own_game = game_folder is None
        self.game = game_folder or tempfile.mkdtemp(prefix="servolt-game-", dir=env.work)
        self.servolt = None
        self.ui = None
        self.exit_code = None

    def __enter__(self):
        self.env.ensure_display()
        self.env.prepare_prefix()
        os.makedirs(self.game, exist_ok=True)
        if self.with_server:
            shutil.copyfile(self.env.server, os.path.join(self.game, "vantrel_server.exe"))
        if not self.keep_user_folder:
            self.clear_user_folder()
        return self

    def __exit__(self, *exc):
        self.stop()
        if self._own_game:
            shutil.rmtree(self.game, ignore_errors=True)
        return False

    # -- the user folder ----------------------------------------------------------------
    def clear_user_folder(self):
        try:
            brenmoor = os.path.join(self.env.documents_folder(), USER_FOLDER_PARTS[0])
        except (RuntimeError, FileNotFoundError):
            return
        shutil.rmtree(brenmoor, ignore_errors=True)

    def user_path(self, relative):
        return os.path.join(self.env.user_folder(), *relative.split("\\"))

    def user_file_exists(self, relative):
        return os.path.exists(self.user_path(relative))

    def read_user_file(self, relative):
        with open(self.user_path(relative), "rb") as f:
            return f.read()

    def write_user_file(self, relative, data):
        os.makedirs(self.env.user_folder(), exist_ok=True)
        with open(self.user_path(relative), "wb") as f:
            f.write(data)

    def server_record(self):
        """(command line, folder) of each start of the fake server."""
        path = os.path.join(self.game, SERVER_RECORD)
        for _ in range(100):  # the server is started, not waited for
            if os.path.exists(path):
                break
            time.sleep(0.1)
        if not os.path.exists(path):
            return []
        time.sleep(0.2)
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
        return re.findall(r"command line: \[(.*?)\]\r\nfolder: \[(.*?)\]\r\n", text, re.S)

    def windows_path(self, path):
        """The Z: path under which Wine shows a host path."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    # -- the program ------------------------------------------------------------------
    def start(self):
        self.servolt = subprocess.Popen([self.env.wine_run, self.env.servolt], cwd=self.game, env=self.env.environ,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        self.ui = Driver(self.env)
        self.ui.attach()
        return self.ui

    def wait_exit(self, timeout=20):
        self.exit_code = self.servolt.wait(timeout=timeout)
        return self.exit_code

    def running(self):
        return self.servolt is not None and self.servolt.poll() is None

    def stop(self):
        if self.running() and self.ui:
            try:
                self.ui.post_close()
            except DriverError:
                pass
        if self.servolt is not None:
            try:
                self.servolt.wait(timeout=15)
            except subprocess.TimeoutExpired:
                os.killpg(self.servolt.pid, signal.SIGKILL)
                self.servolt.wait()
        if self.ui:
            self.ui.close()
            self.ui = None

    def screenshot(self, name, which="main", settle=0.4):
        """The main window (or the message box) as the operator sees it, into
        the suite's screenshot folder."""
        x, y, w, h = self.ui.rect(which)
        time.sleep(settle)  # let the window finish painting
        out = os.path.join(self.env.shots, name + ".png")
        subprocess.run(["import", "-display", self.env.environ["DISPLAY"], "-window", "root",
                        "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return out
