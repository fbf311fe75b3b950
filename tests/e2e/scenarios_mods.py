"""End-to-end scenarios of the Mods page: mods found in the user folder's
moddir, the mods in use with their order and download marks, the four
switches, and what Save Config and Launch Server write (usedmods.cfg, the
dmflags line, and the maps of the mods in use on the Maps/Rotation page)."""
import os

from harness import EXIT, LAUNCH_SERVER, SAVE_CONFIG, Fixture, equal
from maps_fixture import (ADD, ALPINE_MAPS, DOWN, GAME_MAPS, INSTANT_ITEMS, MAPS_LIST, MAPS_TAB, MOD_NAMES,
                          MODS_FOUND, MODS_IN_USE, MODS_TAB, NO_ARMOR, NO_HEALTH, NO_POWERUPS, REMOVE, ROTATION, UP,
                          cfg_line, double_click, ini_value, make_game, make_mods, marked_of, pick, selected, texts,
                          write_file)

PAGE_TEXTS = {143: "Mods Found", 144: "Mods In Use", ADD: ">>", REMOVE: "<<", UP: "Up", DOWN: "Down",
              NO_HEALTH: "No Health", NO_ARMOR: "No Armor", NO_POWERUPS: "No Powerups",
              INSTANT_ITEMS: "Instant Items",
              1106: "Check boxes enable the auto-download. Some mods require a download to the client before "
                    "correct operation."}


def mods_folder(env):
    return os.path.join(env.user_folder(), "moddir")


def use(ui, name):
    pick(ui, MODS_FOUND, texts(ui, MODS_FOUND).index(name))
    ui.click(ADD)


def scenario_mods_page_and_save(env):
    """Mods found (exact moddesc.xml only), chosen, ordered and marked; the
    switches; Save Config writes usedmods.cfg with priorities and download
    marks, and the dmflags bits; the Maps page then lists the mod's maps."""
    with Fixture(env, "mods-page") as fx:
        make_game(fx.game)
        make_mods(mods_folder(env))
        ui = fx.start()
        ui.tab(MODS_TAB)
        for control, text in PAGE_TEXTS.items():
            equal(ui.get(control), text, "text of control %d" % control)
        found = texts(ui, MODS_FOUND)
        equal(sorted(found), MOD_NAMES, "Mods Found (in the file system's order)")
        equal(marked_of(ui, MODS_IN_USE), [], "Mods In Use at first")
        for box in (NO_HEALTH, NO_ARMOR, NO_POWERUPS, INSTANT_ITEMS):
            equal(ui.checked(box), 0, "switch %d at first" % box)

        # ">>" with nothing selected takes the first mod found; again, nothing.
        ui.click(ADD)
        ui.click(ADD)
        equal(marked_of(ui, MODS_IN_USE), [found[0]], "after >> twice")
        ui.click(REMOVE)
        equal(marked_of(ui, MODS_IN_USE), [], "after <<")

        for name in ("Zero", "Alpine", "Nightfall"):
            use(ui, name)
        equal(marked_of(ui, MODS_IN_USE), ["Zero", "Alpine", "Nightfall"], "three in use")
        double_click(ui, MODS_IN_USE, 0)
        double_click(ui, MODS_IN_USE, 1)
        equal(marked_of(ui, MODS_IN_USE), ["Zero*", "Alpine*", "Nightfall"], "two marked")
        # Up and Down keep both marks.
        ui.click(UP)
        equal(marked_of(ui, MODS_IN_USE), ["Alpine*", "Zero*", "Nightfall"], "after Up")
        ui.click(DOWN)
        equal(marked_of(ui, MODS_IN_USE), ["Zero*", "Alpine*", "Nightfall"], "after Down")
        ui.click(DOWN)
        equal(marked_of(ui, MODS_IN_USE), ["Zero*", "Nightfall", "Alpine*"], "after a second Down")
        equal(selected(ui, MODS_IN_USE), 2, "the moved mod stays selected")
        double_click(ui, MODS_IN_USE, 0)
        equal(marked_of(ui, MODS_IN_USE), ["Zero", "Nightfall", "Alpine*"], "Zero unmarked")

        for box in (NO_HEALTH, NO_ARMOR, INSTANT_ITEMS):
            ui.click(box)
        ui.click(NO_POWERUPS)
        ui.click(NO_POWERUPS)
        ui.cmd("nobox 300")
        fx.screenshot("mods-page")

        # The Maps page now lists Alpine's maps after the game's.
        ui.tab(MAPS_TAB)
        equal(texts(ui, MAPS_LIST), GAME_MAPS + ALPINE_MAPS, "Maps list with Alpine in use")
        ui.tab(MODS_TAB)
        equal(marked_of(ui, MODS_IN_USE), ["Zero", "Nightfall", "Alpine*"], "Mods In Use after the tab switch")
        equal([ui.checked(b) for b in (NO_HEALTH, NO_ARMOR, NO_POWERUPS, INSTANT_ITEMS)], [1, 1, 0, 1],
              "switches after the tab switch")

        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        equal(fx.read_user_file("moddir\\usedmods.cfg"),
              b'<use priority="6" downloadable="false">Zero</use>\r\n'
              b'<use priority="4" downloadable="false">Nightfall</use>\r\n'
              b'<use priority="2" downloadable="true">Alpine</use>\r\n', "usedmods.cfg")
        cfg = fx.read_user_file("server.cfg")
        equal(cfg_line(cfg, b"set dmflags "), b"set dmflags %d" % (0x1 + 0x800 + 0x10), "dmflags")
        ini = fx.read_user_file("Servolt.ini")
        equal(ini_value(ini, "ModuleUseList"), '"Zero 0 Nightfall 0 Alpine 1 "', "ModuleUseList")
        for key, value in (("NoHealth", "1"), ("NoArmor", "1"), ("NoPowerups", "0"), ("InstantItems", "1")):
            equal(ini_value(ini, key), value, key)
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_mods_launch_keeps_missing_mod(env):
    """A mod in use whose folder is gone still shows and is still written;
    Launch Server writes usedmods.cfg and No Powerups' bit."""
    with Fixture(env, "mods-launch") as fx:
        make_game(fx.game)
        make_mods(mods_folder(env))
        fx.write_user_file("Servolt.ini", b"[Mods]\r\nModuleUseList=Gone 1 Alpine 0\r\n")
        ui = fx.start()
        ui.tab(MODS_TAB)
        equal(marked_of(ui, MODS_IN_USE), ["Gone*", "Alpine"], "Mods In Use from the settings file")
        ui.click(NO_POWERUPS)
        ui.tab(MAPS_TAB)
        equal(texts(ui, MAPS_LIST), GAME_MAPS + ALPINE_MAPS, "Maps list: a missing mod adds nothing")
        ui.click(LAUNCH_SERVER)
        ui.gone(20000)
        equal(fx.wait_exit(), 0, "exit code")
        equal(len(fx.server_record()), 1, "server starts")
        equal(fx.read_user_file("moddir\\usedmods.cfg"),
              b'<use priority="4" downloadable="true">Gone</use>\r\n'
              b'<use priority="2" downloadable="false">Alpine</use>\r\n', "usedmods.cfg")
        equal(cfg_line(fx.read_user_file("server.cfg"), b"set dmflags "), b"set dmflags 2", "dmflags")


def scenario_mods_name_with_blank_refused(env):
    """A mod folder whose name holds a blank is listed but cannot be put in
    use: the operator is told why, and nothing changes."""
    with Fixture(env, "mods-blank") as fx:
        write_file(os.path.join(mods_folder(env), "Big Mod", "moddesc.xml"), b"<mod/>")
        ui = fx.start()
        ui.tab(MODS_TAB)
        equal(texts(ui, MODS_FOUND), ["Big Mod"], "Mods Found")
        ui.click(ADD)
        owner, caption, text = ui.box()
        equal(caption, "Mod not added", "caption")
        equal(text, 'The mod name "Big Mod" contains a blank. The list of mods in use separates its entries with '
                    'blanks, so this mod cannot be put in use. Rename its folder to a name without blanks.', "text")
        ui.answer("ok")
        equal(marked_of(ui, MODS_IN_USE), [], "Mods In Use after the refusal")
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        equal(fx.user_file_exists("moddir\\usedmods.cfg"), False, "usedmods.cfg with no mod in use")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_mods_cleared_empties_usedmods(env):
    """Taking every mod out of use and saving empties usedmods.cfg: an old
    file would go on loading the mods the page no longer shows."""
    with Fixture(env, "mods-cleared") as fx:
        make_mods(mods_folder(env))
        fx.write_user_file("Servolt.ini", b"[Mods]\r\nModuleUseList=Zero 1 Alpine 0 \r\n")
        fx.write_user_file("moddir\\usedmods.cfg", b'<use priority="4" downloadable="true">Zero</use>\r\n'
                                                   b'<use priority="2" downloadable="false">Alpine</use>\r\n')
        ui = fx.start()
        ui.tab(MODS_TAB)
        equal(marked_of(ui, MODS_IN_USE), ["Zero*", "Alpine"], "Mods In Use from the settings file")
        ui.click(REMOVE)
        ui.click(REMOVE)
        equal(marked_of(ui, MODS_IN_USE), [], "Mods In Use after << twice")
        ui.cmd("nobox 300")
        fx.screenshot("mods-cleared")
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        equal(fx.read_user_file("moddir\\usedmods.cfg"), b"", "usedmods.cfg with no mod in use")
        equal(ini_value(fx.read_user_file("Servolt.ini"), "ModuleUseList"), "", "ModuleUseList")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")
