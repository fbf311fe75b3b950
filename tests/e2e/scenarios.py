"""End-to-end scenarios of the shell: start-up, pages, save, defaults, close,
launch, bad input and the keyboard. Each scenario_<name>(env) is one ctest
test (see run_e2e.py)."""
import os
import re
import shutil
import tempfile

from harness import EXIT, LAUNCH_SERVER, SAVE_CONFIG, USE_DEFAULTS, Fixture, check, equal

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN_DEFAULT_CFG = os.path.join(HERE, "..", "unit", "servercfg", "golden", "default.cfg")

TAB_LABELS = ["Basic", "Advanced", "Advanced2", "Team", "Limits/Restrictions", "Maps/Rotation", "Weapons/Ammo",
              "Explosives", "Mods"]
TITLE = "Vantrel(tm) Server Launch Utility"
NO_MAP_TEXT = ("A map has not been selected in the use maps or the rotation list. If you continue by selecting OK, "
               "you will need to specify the map after the server starts.\r\n\r\nConsole map commands:\r\n"
               "\tmap <mapname>\r\n\tsv_maplist <maps>")
NO_MAP_CAPTION = "Server can not be started"
NOT_FOUND_TEXT = "Failed to locate: "
NOT_FOUND_CAPTION = "Can not find server"
SAVE_FAILED_TEXT = "Can not write configuration to: "
SAVE_FAILED_CAPTION = "Launch aborted"
INI_FAILED_CAPTION = "Error while reading or writing INI"
COMMAND_LINE = " +exec server.cfg"

# Controls used below (tab, id).
SERVER_NAME = (0, 1136)
WELCOME = (0, 1148)
MAX_PLAYERS = (0, 1006)
GAME_TYPE = (0, 1015)
MAP_DURATION = (1, 1144)   # signed
SPAWN_DELAY = (1, 1025)    # float
INVINCIBILITY = (1, 1146)  # signed
FFA_PISTOL = (2, 1167)     # blank when negative
TEAM_KILL_KICK = (3, 1121)
BODY_TIME_MAX = (3, 1122)
PEACE_WARMUP = (3, 1133)
DO_WARMUP = (3, 1132)
RIFLES_LIMIT = (4, 1126)
ROTATION_LIST, REMOVE_FROM_ROTATION = 1156, 1153
RIFLE_AMMO_INIT = (6, 1137)  # blank when negative


def load_page_defaults():
    """tab -> [(control, kind, expected)] from page_defaults.txt."""
    table = {}
    with open(os.path.join(HERE, "page_defaults.txt"), encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            tab, control, kind, *rest = line.split(" ", 3)
            table.setdefault(int(tab), []).append((int(control), kind, rest[0] if rest else ""))
    return table


def check_page_defaults(ui, tab, rows):
    for control, kind, expected in rows:
        where = "tab %d control %d" % (tab, control)
        if kind == "text":
            equal(ui.get(control), expected, where)
        elif kind == "check":
            parts = expected.split()
            equal(ui.checked(control), int(parts[0]), where)
            if "hidden" in parts:
                check(not ui.visible(control), where + " should be hidden")
        elif kind == "choice":
            index, text = expected.split(" ", 1)
            equal(ui.selection(control), int(index), where + " selection")
            equal(ui.get(control), text, where + " text")
        else:
            raise AssertionError("unknown kind " + kind)


def enter(ui, where, text):
    tab, control = where
    if ui.cursel() != tab:
        ui.tab(tab)
    ui.enter(control, text)


def ini_values(data):
    values = {}
    for line in data.decode("latin-1").split("\r\n"):
        if "=" in line and not line.startswith("["):
            key, value = line.split("=", 1)
            values[key] = value
    return values


def expected_cfg(changes):
    """The golden default server.cfg with the given lines replaced; each old
    line must occur exactly once."""
    with open(GOLDEN_DEFAULT_CFG, "rb") as f:
        data = f.read()
    for old, new in changes:
        old_line, new_line = b"\r\n" + old + b"\r\n", b"\r\n" + new + b"\r\n"
        equal(data.count(old_line), 1, "occurrences of %r in the default server.cfg" % old)
        data = data.replace(old_line, new_line)
    return data


def empty_rotation(ui):
    """Removes every map of the rotation on the Maps/Rotation page."""
    ui.tab(5)
    for _ in range(200):
        if ui.count(ROTATION_LIST) == 0:
            return
        ui.click(REMOVE_FROM_ROTATION)
    raise AssertionError("the rotation did not empty")


# ---------------------------------------------------------------------------------

def scenario_startup(env):
    """First start: Basic shown, window placed as designed, folders made,
    no settings file; the close box then ends the program with 0."""
    with Fixture(env, "startup") as fx:
        check(not os.path.exists(os.path.join(env.documents_folder(), "Brenmoor")), "user folder left over")
        ui = fx.start()
        equal(ui.title(), TITLE, "title")
        equal(ui.tabs(), TAB_LABELS, "tab labels")
        equal(ui.cursel(), 0, "selected tab")
        equal(ui.get(SERVER_NAME[1]), "Nameless Battle", "server name")
        info = ui.info()
        sw, sh = (int(v) for v in info["screen"].split("x"))
        equal(info["window"], "%d,%d,640,480" % ((sw - 640) // 2, (sh - 480) // 2), "main window rectangle")
        equal(int(info["classstyle"], 16), 0x2B, "class style")
        style = int(info["style"], 16)
        equal(style & 0xFFFF0000 & ~0x14000000, 0x80CA0000, "window style (without WS_VISIBLE, WS_CLIPSIBLINGS)")
        client_w = int(info["client"].split("x")[0])
        tx, ty, tw, th = (int(v) for v in info["tab"].split(","))
        equal((tx, ty, tw, th), ((client_w - 616) // 2, 16, 616, 336), "tab control")
        px, py, pw, ph = (int(v) for v in info["page"].split(","))
        equal(px, (616 - pw) // 2, "page centred in the tab control")
        bx, by, _, _ = (int(v) for v in info["bar"].split(","))
        equal((bx, by), (0, 351), "control bar position")
        check(os.path.isdir(fx.env.user_folder()), "user folder not created")
        check(not fx.user_file_exists("Servolt.ini"), "settings file created at start-up")
        fx.screenshot("startup")
        ui.close_box()
        equal(fx.wait_exit(), 0, "exit code after the close box")
        check(not fx.user_file_exists("Servolt.ini"), "settings file written on close")
        check(not fx.user_file_exists("server.cfg"), "server.cfg written on close")


def scenario_page_defaults(env):
    """Every tab shows the defaults of the record in the page formats; one
    screenshot per tab."""
    table = load_page_defaults()
    with Fixture(env, "page-defaults") as fx:
        ui = fx.start()
        for tab, label in enumerate(TAB_LABELS):
            equal(ui.tab(tab), tab, "selected tab")
            check(ui.has_page(), "no page on tab %d" % tab)
            check_page_defaults(ui, tab, table.get(tab, []))
            fx.screenshot("tab%d-%s" % (tab, label.split("/")[0].lower()))
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_edit_survives_tab_switch(env):
    with Fixture(env, "edit-survives") as fx:
        ui = fx.start()
        name40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd"
        enter(ui, SERVER_NAME, name40)
        equal(ui.get(SERVER_NAME[1]), name40[:32], "server name cut when left")
        enter(ui, MAP_DURATION, "75")
        ui.tab(4)
        ui.tab(1)
        equal(ui.get(MAP_DURATION[1]), "75", "Advanced edit after 1 -> 4 -> 1")
        # An edit still in its box when the tab changes is kept as well.
        ui.focus(INVINCIBILITY[1])
        ui.select_all()
        ui.type("8")
        ui.tab(0)
        equal(ui.get(SERVER_NAME[1]), name40[:32], "server name after coming back")
        ui.tab(1)
        equal(ui.get(INVINCIBILITY[1]), "8", "edit made right before the tab click")
        name32 = name40[:32]
        enter(ui, SERVER_NAME, name32[::-1])
        equal(ui.get(SERVER_NAME[1]), name32[::-1], "a 32-character name stays whole")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


EDITS = [
    (SERVER_NAME, "E2E Test Server", b'sv_hostname "Nameless Battle"', b'sv_hostname "E2E Test Server"'),
    (MAX_PLAYERS, "24", b"set sv_maxclients 16", b"set sv_maxclients 24"),
    (SPAWN_DELAY, "2.5", b"g_respawn_time 10.000000", b"g_respawn_time 2.500000"),
    (TEAM_KILL_KICK, "7", b"set g_teamkillkick 5", b"set g_teamkillkick 7"),
    (BODY_TIME_MAX, "45.5", b"set dm_bodytime_max 60.000000", b"set dm_bodytime_max 45.500000"),
    (RIFLES_LIMIT, "12", b"set sv_restrict_rifle 100", b"set sv_restrict_rifle 12"),
]


def scenario_save_config(env):
    """Edits on four pages, Peace Warm-Up cleared, Save Config: both files as
    expected, byte for byte."""
    with Fixture(env, "save-config") as fx:
        ui = fx.start()
        for where, text, _, _ in EDITS:
            enter(ui, where, text)
        ui.tab(PEACE_WARMUP[0])
        equal(ui.checked(PEACE_WARMUP[1]), 1, "Peace Warm-Up by default")
        ui.click(PEACE_WARMUP[1])
        equal(ui.checked(PEACE_WARMUP[1]), 0, "Peace Warm-Up after the click")
        fx.screenshot("team-edited")
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        changes = [(old, new) for _, _, old, new in EDITS] + [(b"set g_peace_warmup 1", b"set g_peace_warmup 0")]
        cfg = fx.read_user_file("server.cfg")
        expected = expected_cfg(changes)
        if cfg != expected:
            got, want = cfg.split(b"\r\n"), expected.split(b"\r\n")
            for i, (a, b) in enumerate(zip(got, want)):
                if a != b:
                    raise AssertionError("server.cfg line %d: expected %r, got %r" % (i + 1, b, a))
            raise AssertionError("server.cfg: %d lines, expected %d" % (len(got), len(want)))
        ini = fx.read_user_file("Servolt.ini")
        check(b"\n" not in ini.replace(b"\r\n", b""), "bare line feed in Servolt.ini")
        values = ini_values(ini)
        equal(len(values), 158, "keys in Servolt.ini")
        for key, value in (("ServerName", "E2E Test Server"), ("MaxPlayers", "24"), ("SpawnDelay", "2.500000"),
                           ("TeamKillKick", "7"), ("BodyTimeMax", "45.500000"), ("RiflesLimit", "12"),
                           ("PeaceWarmup", "0"), ("DoWarmup", "1")):
            equal(values.get(key), value, "Servolt.ini " + key)
        # A second save after an edit first keeps what the first one wrote.
        enter(ui, MAX_PLAYERS, "25")
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        check(b"set sv_maxclients 25\r\n" in fx.read_user_file("server.cfg"), "server.cfg of the second save")
        history = fx.user_path("history")
        entries = sorted(name for name in os.listdir(history) if not name.startswith("."))
        check(entries, "a history entry after the second save")
        for name, first in (("Servolt.ini", ini), ("server.cfg", cfg)):
            equal(fx.read_user_file(os.path.join("history", entries[-1], name)), first, "history " + name)
        check(b"Reason=Save Config\r\n" in fx.read_user_file(os.path.join("history", entries[-1], "manifest.ini")),
              "the entry's manifest")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")

    # The next start shows what was saved.
    with Fixture(env, "save-config-reload", keep_user_folder=True) as fx:
        ui = fx.start()
        equal(ui.get(SERVER_NAME[1]), "E2E Test Server", "server name after restart")
        ui.tab(PEACE_WARMUP[0])
        equal(ui.checked(PEACE_WARMUP[1]), 0, "Peace Warm-Up after restart")
        equal(ui.get(TEAM_KILL_KICK[1]), "7", "team kill kick after restart")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_use_defaults(env):
    """Use Defaults resets every page, keeps the tab, writes nothing."""
    table = load_page_defaults()
    with Fixture(env, "use-defaults") as fx:
        ui = fx.start()
        enter(ui, SERVER_NAME, "Saved Name")
        ui.click(SAVE_CONFIG)
        saved_ini, saved_cfg = fx.read_user_file("Servolt.ini"), fx.read_user_file("server.cfg")
        enter(ui, MAX_PLAYERS, "3")
        enter(ui, SPAWN_DELAY, "1.25")
        enter(ui, FFA_PISTOL, "4")
        enter(ui, TEAM_KILL_KICK, "9")
        ui.click(PEACE_WARMUP[1])
        enter(ui, RIFLES_LIMIT, "1")
        ui.tab(5)
        rotation = ui.count(ROTATION_LIST)
        check(rotation > 0, "no default rotation")
        ui.click(REMOVE_FROM_ROTATION)
        enter(ui, (5, 1007), "maps/dm/somewhere")
        enter(ui, RIFLE_AMMO_INIT, "40")
        equal(ui.get(RIFLE_AMMO_INIT[1]), "40", "rifle ammo before the reset")
        ui.click(USE_DEFAULTS)
        equal(ui.cursel(), RIFLE_AMMO_INIT[0], "tab after Use Defaults")
        check_page_defaults(ui, 6, table[6])
        fx.screenshot("use-defaults-weapons")
        for tab in sorted(table):
            ui.tab(tab)
            check_page_defaults(ui, tab, table[tab])
        ui.tab(5)
        equal(ui.count(ROTATION_LIST), rotation, "rotation after Use Defaults")
        equal(ui.get(1007), "", "start map after Use Defaults")
        equal(fx.read_user_file("Servolt.ini"), saved_ini, "Servolt.ini after Use Defaults")
        equal(fx.read_user_file("server.cfg"), saved_cfg, "server.cfg after Use Defaults")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")
        equal(fx.read_user_file("Servolt.ini"), saved_ini, "Servolt.ini after Exit")


def scenario_close_never_saves(env):
    """Exit, the close box and a queued WM_CLOSE end with 0 and save nothing."""
    for how in ("exit", "close-box", "alt-f4", "queued-close"):
        with Fixture(env, "close-" + how) as fx:
            ui = fx.start()
            enter(ui, SERVER_NAME, "Never Saved")
            if how == "exit":
                ui.click(EXIT)
            elif how == "close-box":
                ui.close_box()
            elif how == "alt-f4":
                ui.focus(MAX_PLAYERS[1])
                ui.alt_f4()
            else:
                ui.post_close()
            equal(fx.wait_exit(), 0, "exit code after " + how)
            check(not fx.user_file_exists("Servolt.ini"), "settings saved by " + how)
            check(not fx.user_file_exists("server.cfg"), "server.cfg written by " + how)
            check(os.path.isdir(fx.env.user_folder()), "user folder missing")


def scenario_launch_without_map(env):
    """No start map and no rotation: the warning; Cancel does nothing, OK
    saves, starts the server from the game folder and ends with 0."""
    with Fixture(env, "launch-no-map") as fx:
        ui = fx.start()
        empty_rotation(ui)
        equal(ui.get(1007), "", "start map")
        ui.click(LAUNCH_SERVER)
        owner, caption, text = ui.box()
        equal((owner, caption, text), ("main", NO_MAP_CAPTION, NO_MAP_TEXT), "warning box")
        equal(sorted(ui.box_buttons()), [1, 2], "OK and Cancel")
        fx.screenshot("box-no-map", "box")
        ui.answer("cancel")
        check(fx.running(), "the utility closed after Cancel")
        check(not fx.user_file_exists("Servolt.ini") and not fx.user_file_exists("server.cfg"),
              "files written after Cancel")
        equal(fx.server_record(), [], "server started after Cancel")
        ui.click(LAUNCH_SERVER)
        ui.box()
        ui.answer("ok")
        equal(fx.wait_exit(), 0, "exit code after the launch")
        equal(fx.server_record(), [(COMMAND_LINE, fx.windows_path(fx.game))], "server start")
        values = ini_values(fx.read_user_file("Servolt.ini"))
        equal(values.get("MapRotationList"), "", "rotation saved")
        check(fx.user_file_exists("server.cfg"), "server.cfg not written")


def scenario_launch_with_rotation(env):
    """The default rotation needs no warning: the server starts at once."""
    with Fixture(env, "launch-rotation") as fx:
        ui = fx.start()
        ui.click(LAUNCH_SERVER)
        equal(fx.wait_exit(), 0, "exit code after the launch")
        equal(fx.server_record(), [(COMMAND_LINE, fx.windows_path(fx.game))], "server start")
        check(fx.user_file_exists("Servolt.ini") and fx.user_file_exists("server.cfg"), "files not saved")


def scenario_launch_missing_server(env):
    """No vantrel_server.exe: the box names the path, the utility stays,
    the files are saved."""
    with Fixture(env, "launch-missing", with_server=False) as fx:
        ui = fx.start()
        enter(ui, SERVER_NAME, "Missing Server")
        ui.click(LAUNCH_SERVER)
        owner, caption, text = ui.box()
        expected = NOT_FOUND_TEXT + fx.windows_path(os.path.join(fx.game, "vantrel_server.exe"))
        equal((owner, caption, text), ("main", NOT_FOUND_CAPTION, expected), "failure box")
        equal(ui.box_buttons(), [1], "OK only")
        fx.screenshot("box-missing-server", "box")
        ui.answer("ok")
        check(fx.running(), "the utility closed after a failed start")
        equal(ini_values(fx.read_user_file("Servolt.ini")).get("ServerName"), "Missing Server", "saved name")
        check(b'sv_hostname "Missing Server"' in fx.read_user_file("server.cfg"), "server.cfg not saved")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_launch_from_long_folder(env):
    """A game folder whose server path does not fit MAX_PATH: the failure
    box with the whole path, and no program started."""
    base = tempfile.mkdtemp(prefix="long-", dir=env.work)
    try:
        folder = base
        # Windows path "Z:" + host path; aim at 250 characters: the folder
        # itself fits MAX_PATH, the folder plus "\vantrel_server.exe" does not.
        while len(fx_path(folder)) < 250 - 11:
            folder = os.path.join(folder, "d" * min(10, 250 - 1 - len(fx_path(folder))))
        pad = 250 - len(fx_path(folder)) - 1
        if pad > 0:
            folder = os.path.join(folder, "e" * pad)
        check(245 <= len(fx_path(folder)) < 260, "folder length %d" % len(fx_path(folder)))
        with Fixture(env, "launch-long", game_folder=folder) as fx:
            ui = fx.start()
            ui.click(LAUNCH_SERVER)
            owner, caption, text = ui.box()
            expected = NOT_FOUND_TEXT + fx_path(folder) + "\\vantrel_server.exe"
            equal((owner, caption, text), ("main", NOT_FOUND_CAPTION, expected), "failure box")
            fx.screenshot("box-long-folder", "box")
            ui.answer("ok")
            check(fx.running(), "the utility closed")
            equal(fx.server_record(), [], "a server was started")
            ui.click(EXIT)
            equal(fx.wait_exit(), 0, "exit code")
    finally:
        shutil.rmtree(base, ignore_errors=True)


def fx_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def scenario_bad_input(env):
    """Text in number boxes, 5,000 pasted characters, negative and
    out-of-range numbers: stored as the conversions give them, no crash."""
    long_text = "x" * 5000
    with Fixture(env, "bad-input") as fx:
        ui = fx.start()
        # Basic: unsigned boxes and the texts.
        enter(ui, MAX_PLAYERS, "-5")
        ui.focus(SERVER_NAME[1])
        ui.select_all()
        equal(ui.paste("y", 5000), 5000, "pasted length")
        ui.key("tab")
        equal(ui.get(SERVER_NAME[1]), "y" * 32, "pasted server name")
        ui.focus(WELCOME[1])
        ui.paste(long_text)
        ui.key("tab")
        # Advanced: signed and float boxes.
        enter(ui, MAP_DURATION, "abc")
        enter(ui, INVINCIBILITY, "-7")
        enter(ui, SPAWN_DELAY, "2.5x")
        # Advanced2: blank when negative.
        enter(ui, FFA_PISTOL, "-9")
        # Team: out of range and 5,000 digits.
        enter(ui, TEAM_KILL_KICK, "99999999999")
        ui.focus(BODY_TIME_MAX[1])
        ui.select_all()
        ui.paste("1,5")
        ui.key("tab")
        ui.tab(4)
        ui.focus(RIFLES_LIMIT[1])
        ui.select_all()
        ui.paste("7", 5000)
        ui.key("tab")
        fx.screenshot("bad-input-limits")
        # Revisit: what the record holds, as the pages show it.
        ui.tab(0)
        equal(ui.get(MAX_PLAYERS[1]), "0", "unsigned -5")
        equal(ui.get(WELCOME[1]), "x" * 4095, "welcome message cut to the field")
        ui.tab(1)
        equal(ui.get(MAP_DURATION[1]), "0", "signed abc")
        equal(ui.get(INVINCIBILITY[1]), "-7", "signed -7")
        equal(ui.get(SPAWN_DELAY[1]), "2.500000", "float 2.5x")
        ui.tab(2)
        equal(ui.get(FFA_PISTOL[1]), "", "negative optional value shows blank")
        ui.tab(3)
        equal(ui.get(TEAM_KILL_KICK[1]), "0", "out-of-range integer")
        equal(ui.get(BODY_TIME_MAX[1]), "1.000000", "float 1,5")
        ui.click(SAVE_CONFIG)
        values = ini_values(fx.read_user_file("Servolt.ini"))
        for key, value in (("MaxPlayers", "0"), ("ServerName", "y" * 32), ("MapDuration", "0"),
                           ("Invicibitlity", "-7"), ("SpawnDelay", "2.500000"), ("FFAAlliedPistol", "-9"),
                           ("TeamKillKick", "0"), ("BodyTimeMax", "1.000000")):
            equal(values.get(key), value, "Servolt.ini " + key)
        cfg = fx.read_user_file("server.cfg")
        check(b"set dm_ffaAlliedPistol" not in cfg, "a value line for the unset FFA Allied Pistol")
        check(fx.running(), "the utility ended")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_keyboard(env):
    """Tab moves the focus through a page and through the control bar."""
    with Fixture(env, "keyboard") as fx:
        ui = fx.start()
        equal(ui.focus(SERVER_NAME[1]), SERVER_NAME[1], "focus in the name box")
        order = [ui.key("tab") for _ in range(4)]
        equal(order, [1137, 1148, 1015, 1128], "tab order on Basic")
        ui.tab(3)
        ui.focus(DO_WARMUP[1])
        check(ui.key("tab") != DO_WARMUP[1], "Tab left Do Warm-Up")
        ui.focus(SAVE_CONFIG)
        equal(ui.focus_id(), SAVE_CONFIG, "focus on Save Config")
        after = ui.key("tab")
        check(after in (LAUNCH_SERVER, EXIT, USE_DEFAULTS), "Tab in the control bar went to %d" % after)
        # Key presses through the queue are turned into characters.
        ui.tab(0)
        ui.focus(MAX_PLAYERS[1])
        ui.select_all()
        equal(ui.keys("31"), "31", "keys typed into Max Players")
        ui.key("tab")
        # Enter in the multi-line welcome message starts a new line there
        # rather than being taken by the dialog.
        ui.focus(WELCOME[1])
        ui.keys("ab")
        ui.key("enter")
        equal(ui.keys("cd"), "ab\r\ncd", "welcome message typed with Enter")
        ui.key("tab")
        ui.tab(1)
        ui.tab(0)
        equal(ui.get(MAX_PLAYERS[1]), "31", "typed value")
        equal(ui.get(WELCOME[1]), "ab\r\ncd", "welcome message after the round trip")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_save_failures(env):
    """A settings file that cannot be written is reported in a box without
    owner and does not stop the save; a server.cfg that cannot be written
    stops the launch, with the path in a box of the main window."""
    with Fixture(env, "save-failures") as fx:
        os.makedirs(fx.user_path("Servolt.ini"))
        ui = fx.start()
        enter(ui, SERVER_NAME, "Unsaved Ini")
        ui.click(SAVE_CONFIG)
        boxes = 0
        while True:
            try:
                owner, caption, text = ui.box(3000 if boxes == 0 else 1500)
            except Exception:
                break
            boxes += 1
            equal((owner, caption), ("none", INI_FAILED_CAPTION), "settings file box")
            check(re.match(r"^\w+ failed with error \d+: .+", text, re.S), "settings file message %r" % text)
            if boxes == 1:
                fx.screenshot("box-settings-file", "box")
            ui.answer("ok")
            check(boxes <= 158, "more boxes than keys")
        check(boxes >= 1, "no box for the settings file")
        check(b'sv_hostname "Unsaved Ini"' in fx.read_user_file("server.cfg"), "server.cfg not written")

        os.remove(fx.user_path("server.cfg"))
        os.makedirs(fx.user_path("server.cfg"))
        os.rmdir(fx.user_path("Servolt.ini"))
        ui.click(LAUNCH_SERVER)
        owner, caption, text = ui.box()
        equal((owner, caption), ("main", SAVE_FAILED_CAPTION), "server.cfg box")
        check(text.startswith(SAVE_FAILED_TEXT) and text.endswith("\\Brenmoor\\Vantrel(tm)\\server.cfg"),
              "server.cfg message %r" % text)
        fx.screenshot("box-server-cfg", "box")
        ui.answer("ok")
        check(fx.running(), "the utility closed after a failed save")
        equal(fx.server_record(), [], "a server was started after a failed save")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")
