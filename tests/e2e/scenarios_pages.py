"""End-to-end scenarios of the seven form pages, driven from the tables of
pages_expected.py: every control of every page, not a sample. Each
scenario_<name>(env) is one ctest test (see run_e2e.py)."""
import os

from harness import EXIT, SAVE_CONFIG, Fixture, check, equal
from pages_expected import CHOICES, OPTIONAL_CFG, PAGES

HERE = os.path.dirname(os.path.abspath(__file__))
LAYOUT = os.path.join(HERE, "..", "e2e", "pages", "pages_templates.golden")

FLT_MAX_TEXT = "340282346638528859811704183484516925440.000000"
SECTION_OF_TAB = {0: "Basic", 1: "Advanced", 2: "Advanced2", 3: "Team", 4: "Limits", 6: "Weapons",
                  7: "Explosives"}
# The one form setting whose settings-file section is not its page's.
SECTION_OF_FIELD = {"InvertObjectiveNumbers": "Advanced2"}
ALLOW_ALL_SKINS = (4, 1188)
SERVER_NAME = (0, 1136)


def ini_values(data):
    """{(section, key): value} of a settings file."""
    values, section = {}, None
    for line in data.decode("latin-1").split("\r\n"):
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif "=" in line:
            key, value = line.split("=", 1)
            values[(section, key)] = value
    return values


def section(tab, field):
    return SECTION_OF_FIELD.get(field, SECTION_OF_TAB[tab])


def layout():
    """template -> [(control, class, style, x, y, w, h)] in template order."""
    table = {}
    with open(LAYOUT, encoding="latin-1") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            t, c, cls, style, x, y, w, h = line.split()
            table.setdefault(int(t), []).append((int(c), cls, int(style, 16), int(x), int(y), int(w), int(h)))
    return table


def visit(ui, tab):
    if ui.cursel() != tab:
        ui.tab(tab)


def revisit(ui, tab):
    """Rebuilds the page from the record: away to another tab and back."""
    ui.tab(0 if tab != 0 else 1)
    ui.tab(tab)


def replace_text(ui, control, text):
    """Clicks into a box, replaces its text as typed, and leaves it with Tab.
    The selection is deleted first (a backspace), so "" empties the box."""
    ui.focus(control)
    ui.select_all()
    ui.type("\b" + text)
    ui.key("tab")


def exit_program(fx, ui):
    """Exit, from the Basic tab: Limits, Weapons and Explosives have a control
    1120 of their own, the id of the Exit button, which the driver would find
    first."""
    ui.tab(0)
    ui.click(EXIT)
    equal(fx.wait_exit(), 0, "exit code")


def paste_text(ui, control, unit, count):
    ui.focus(control)
    ui.select_all()
    ui.paste(unit, count)
    ui.key("tab")


# ---- what the operator types, and what each conversion makes of it --------------
# Each entry: (typed, value the field holds as the settings file writes it, what
# the box shows when the page is built again). n is a number of the box's own,
# so that a control bound to the wrong field shows up.

def signed_case(k, n):
    cases = [
        ("abc", "0", "0"),
        ("-%d" % n, "-%d" % n, "-%d" % n),
        ("%dxyz" % n, str(n), str(n)),
        ("99999999999", "0", "0"),
        ("   %d" % n, str(n), str(n)),
        ("2147483647", "2147483647", "2147483647"),
        ("-2147483648", "-2147483648", "-2147483648"),
        ("--%d" % n, "0", "0"),
        ("", "0", "0"),
        ("%d.9" % n, str(n), str(n)),
    ]
    return cases[k % len(cases)]


def unsigned_case(k, n):
    cases = [
        ("-5", "0", "0"),
        ("4294967295", "-1", "4294967295"),  # the whole unsigned range fits the field's 32 bits
        ("abc", "0", "0"),
    ]
    return cases[k % len(cases)]


def optional_case(k, n):
    cases = [
        ("", "-1", ""),
        ("-%d" % n, "-%d" % n, ""),  # stored as typed, shown blank as not set
        ("0", "0", "0"),
        ("abc", "0", "0"),
        ("%d" % n, str(n), str(n)),
        (" ", "0", "0"),  # a blank is not an empty box
    ]
    return cases[k % len(cases)]


def float_case(k, n):
    cases = [
        ("abc", "0.000000", "0.000000"),
        ("%d.25x" % n, "%d.250000" % n, "%d.250000" % n),
        ("1,5", "1.000000", "1.000000"),
        ("1e39", FLT_MAX_TEXT, FLT_MAX_TEXT),  # beyond the float range: the largest float
        ("-%d.5" % n, "-%d.500000" % n, "-%d.500000" % n),
        ("0x10", "0.000000", "0.000000"),
        ("inf", "0.000000", "0.000000"),
        ("-1e39", "-" + FLT_MAX_TEXT, "-" + FLT_MAX_TEXT),
        ("", "0.000000", "0.000000"),
    ]
    return cases[k % len(cases)]


CASES = {"Signed": signed_case, "Unsigned": unsigned_case, "IntOrBlank": optional_case, "Float": float_case}


# ---------------------------------------------------------------------------------

def scenario_pages_texts_and_controls(env):
    """Every form page: each control of the layout exists as its kind, each
    label, check box and group box shows its text, each combo box lists its
    entries, the two bleeding switches stay hidden and all else is shown."""
    controls = layout()
    with Fixture(env, "pages-texts") as fx:
        ui = fx.start()
        for tab, page in sorted(PAGES.items()):
            visit(ui, tab)
            where = page["name"]
            live = sorted(ui.ids())
            equal(live, sorted(c[0] for c in controls[page["template"]]), where + " control ids")
            hidden = {c for c, _, conversion, _ in page["values"] if conversion == "HiddenFlag"}
            for control, cls, style, *_ in controls[page["template"]]:
                actual_style, actual_class = ui.style(control)
                equal(actual_class.lower(), cls.lower(), "%s control %d class" % (where, control))
                # The kind lives in the low word; the system adjusts borders
                # and scroll bars in the high word when it creates the control.
                equal(actual_style & 0xFFFF, style & 0xFFFF, "%s control %d kind" % (where, control))
                equal(ui.visible(control), control not in hidden, "%s control %d visible" % (where, control))
            for control, text in page["texts"].items():
                equal(ui.get(control), text, "%s text of %d" % (where, control))
            for control, field, conversion, _ in page["values"]:
                if conversion == "Choice":
                    equal(ui.items(control), CHOICES[field], "%s entries of %s" % (where, field))
        ui.tab(3)
        fx.screenshot("pages-team-peace-warmup")
        exit_program(fx, ui)


def scenario_pages_every_box_bad_input(env):
    """Every edit box of the seven pages gets input of the kind that trips its
    conversion: letters, signs, trailing junk, out-of-range and beyond-float
    numbers, blanks, 5,000 pasted characters. Each box then shows, and
    Save Config writes, what its conversion makes of it; nothing crashes."""
    expected = []  # (tab, control, field, conversion, stored, shown)
    letters = "abcdefghijklmnopqrstuvwxyz"
    with Fixture(env, "pages-bad-input") as fx:
        ui = fx.start()
        counters = {}
        n = 11
        for tab, page in sorted(PAGES.items()):
            visit(ui, tab)
            for control, field, conversion, _ in page["values"]:
                where = "%s %s" % (page["name"], field)
                if conversion in CASES:
                    k = counters.get(conversion, 0)
                    counters[conversion] = k + 1
                    typed, stored, shown = CASES[conversion](k, n)
                    n += 1
                    replace_text(ui, control, typed)
                elif conversion in ("Text", "ServerName"):
                    unit = letters[len(expected) % len(letters)]
                    paste_text(ui, control, unit, 5000)
                    stored = unit * (32 if conversion == "ServerName" else 4095)
                    shown = stored
                    # The name box shows what was kept as soon as it is left.
                    if conversion == "ServerName":
                        equal(ui.get(control), stored, where + " right after leaving")
                else:
                    continue
                expected.append((tab, control, field, conversion, stored, shown))
            fx.screenshot("pages-bad-input-%d" % tab)
        check(fx.running(), "the utility ended during the input")
        for tab, page in sorted(PAGES.items()):
            revisit(ui, tab)
            for t, control, field, conversion, stored, shown in expected:
                if t == tab:
                    equal(ui.get(control), shown, "%s %s shown" % (page["name"], field))
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        values = ini_values(fx.read_user_file("Servolt.ini"))
        for tab, control, field, conversion, stored, shown in expected:
            equal(values.get((section(tab, field), field)), stored, "Servolt.ini " + field)
        cfg = fx.read_user_file("server.cfg")
        for tab, control, field, conversion, stored, shown in expected:
            if conversion != "IntOrBlank":
                continue
            line = ("set %s " % OPTIONAL_CFG[field]).encode()
            if int(stored) >= 0:
                equal(cfg.count(b"\r\n" + line + stored.encode() + b"\r\n"), 1, "server.cfg line of " + field)
            else:
                equal(cfg.count(line), 0, "server.cfg value lines of the unset " + field)
        check(fx.running(), "the utility ended")
        exit_program(fx, ui)


def scenario_pages_every_switch_and_choice(env):
    """Every visible check box flips its flag at the click, every combo box
    stores the index of the entry chosen; the record, the rebuilt pages and
    the settings file agree. The hidden switches keep their values."""
    flips = []    # (tab, control, field, new state)
    choices = []  # (tab, control, field, index)
    with Fixture(env, "pages-switches") as fx:
        ui = fx.start()
        for tab, page in sorted(PAGES.items()):
            visit(ui, tab)
            for control, field, conversion, default in page["values"]:
                if conversion == "Flag":
                    ui.click(control)
                    equal(ui.checked(control), 1 - default, "%s %s after the click" % (page["name"], field))
                    flips.append((tab, control, field, 1 - default))
                elif conversion == "Choice":
                    entries = CHOICES[field]
                    index = (entries.index(default) + 1) % len(entries)
                    ui.choose(control, index)
                    choices.append((tab, control, field, index))
        for tab, page in sorted(PAGES.items()):
            revisit(ui, tab)
            for t, control, field, state in flips:
                if t == tab:
                    equal(ui.checked(control), state, "%s %s on the rebuilt page" % (page["name"], field))
            for t, control, field, index in choices:
                if t == tab:
                    equal(ui.selection(control), index, "%s %s selection" % (page["name"], field))
                    equal(ui.get(control), CHOICES[field][index], "%s %s text" % (page["name"], field))
        fx.screenshot("pages-switches-team", "main")
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        values = ini_values(fx.read_user_file("Servolt.ini"))
        for tab, control, field, state in flips:
            equal(values.get((section(tab, field), field)), str(state), "Servolt.ini " + field)
        for tab, control, field, index in choices:
            equal(values.get((section(tab, field), field)), str(index), "Servolt.ini " + field)
        for tab, page in PAGES.items():
            for control, field, conversion, default in page["values"]:
                if conversion == "HiddenFlag":
                    equal(values.get((section(tab, field), field)), str(default), "Servolt.ini hidden " + field)
        cfg = fx.read_user_file("server.cfg")
        check(b"\r\nset g_peace_warmup 0\r\n" in cfg, "Peace Warm-Up cleared in server.cfg")
        exit_program(fx, ui)


def scenario_pages_values_from_file(env):
    """Values that only the settings file can bring: a combo index beyond the
    list, Allow All Skins at 2, a 40-character server name, negative numbers.
    The pages show them as they are and keep them through a save; Allow All
    Skins then walks 2 -> 1 -> 2, and leaving the name box cuts the name."""
    name40 = "Forty Characters Long Server Name 123456"
    ini = ("[Basic]\r\nServerName=%s\r\n[Advanced2]\r\nEffectsController=5\r\nFFAAlliedPistol=-4\r\n"
           "[Team]\r\nPlayerSpawn=-1\r\n[Limits]\r\nAllowAllSkins=2\r\nSpawnPoolSizeRestriction=-1\r\n"
           "[Weapons]\r\nMGSupplyCount=-3\r\n[Explosives]\r\nGrenadeCountInit=-7\r\n" % name40).encode()
    with Fixture(env, "pages-from-file") as fx:
        fx.write_user_file("Servolt.ini", ini)
        ui = fx.start()
        equal(ui.get(SERVER_NAME[1]), name40, "a long name from the file is shown whole")
        ui.tab(2)
        equal(ui.selection(1164), -1, "Bandwidth Optimization with index 5")
        equal(ui.get(1164), "", "Bandwidth Optimization text with index 5")
        equal(ui.get(1167), "", "FFA Allied Pistol -4")
        ui.tab(3)
        equal(ui.selection(1181), -1, "Player Spawn with index -1")
        ui.tab(4)
        equal(ui.checked(ALLOW_ALL_SKINS[1]), 0, "Allow All Skins at 2")
        equal(ui.get(1128), "-1", "Spawn Pool Size is not blanked")
        ui.tab(6)
        equal(ui.get(1133), "-3", "MG Supply Count is signed, not blanked")
        ui.tab(7)
        equal(ui.get(1129), "", "Grenade Count Init -7")
        ui.click(SAVE_CONFIG)
        values = ini_values(fx.read_user_file("Servolt.ini"))
        for key, value in ((("Basic", "ServerName"), name40), (("Advanced2", "EffectsController"), "5"),
                           (("Advanced2", "FFAAlliedPistol"), "-4"), (("Team", "PlayerSpawn"), "-1"),
                           (("Limits", "AllowAllSkins"), "2"), (("Weapons", "MGSupplyCount"), "-3"),
                           (("Explosives", "GrenadeCountInit"), "-7")):
            equal(values.get(key), value, "Servolt.ini %s kept" % key[1])
        check(("sv_hostname \"%s\"" % name40).encode() in fx.read_user_file("server.cfg"),
              "the long name reaches server.cfg whole")

        ui.tab(ALLOW_ALL_SKINS[0])
        walk = []
        for _ in range(3):
            ui.click(ALLOW_ALL_SKINS[1])
            ui.click(SAVE_CONFIG)
            walk.append((ui.checked(ALLOW_ALL_SKINS[1]),
                         ini_values(fx.read_user_file("Servolt.ini")).get(("Limits", "AllowAllSkins"))))
        equal(walk, [(1, "1"), (0, "2"), (1, "1")], "Allow All Skins from 2: check, uncheck, check")

        ui.tab(0)
        ui.focus(SERVER_NAME[1])
        ui.key("tab")
        equal(ui.get(SERVER_NAME[1]), name40[:32], "the name once its box is left")
        ui.click(SAVE_CONFIG)
        equal(ini_values(fx.read_user_file("Servolt.ini")).get(("Basic", "ServerName")), name40[:32],
              "the cut name saved")
        exit_program(fx, ui)


def scenario_pages_allow_all_skins_from_default(env):
    """Allow All Skins from its default 0: checking stores 1, unchecking 2;
    Use Defaults brings back 0."""
    with Fixture(env, "pages-skins") as fx:
        ui = fx.start()
        ui.tab(ALLOW_ALL_SKINS[0])
        equal(ui.checked(ALLOW_ALL_SKINS[1]), 0, "unchecked by default")
        states = []
        for _ in range(2):
            ui.click(ALLOW_ALL_SKINS[1])
            ui.click(SAVE_CONFIG)
            states.append(ini_values(fx.read_user_file("Servolt.ini")).get(("Limits", "AllowAllSkins")))
        equal(states, ["1", "2"], "Allow All Skins after check and uncheck")
        ui.click(1159)  # Use Defaults
        equal(ui.checked(ALLOW_ALL_SKINS[1]), 0, "unchecked after Use Defaults")
        ui.click(SAVE_CONFIG)
        equal(ini_values(fx.read_user_file("Servolt.ini")).get(("Limits", "AllowAllSkins")), "0",
              "Allow All Skins after Use Defaults")
        exit_program(fx, ui)
