"""End-to-end scenarios of the Maps/Rotation page: what discovery lists, the
rotation built with ">>", "<<", Up, Down and double-clicks, the start map,
and what Save Config and Launch Server then write."""
import os

from harness import EXIT, LAUNCH_SERVER, SAVE_CONFIG, Fixture, equal
from maps_fixture import (ADD, DOWN, GAME_MAPS, MAPS_LIST, MAPS_TAB, REMOVE, ROTATION, START_MAP, UP, USE_MAP,
                          cfg_line, double_click, ini_value, make_game, overlapping_rez, pick, rotation_of, selected,
                          texts, write_file)

DEFAULT_ROTATION = ["dm/mp_airfield_inv", "dm/mp_bataan_inv", "dm/mp_bridge_inv", "dm/mp_bougainville_inv",
                    "dm/mp_corregidor_inv", "dm/mp_gavutu_inv", "dm/mp_gifu_inv", "dm/mp_matanikau_inv",
                    "dm/mp_wakeisland_inv"]
PAGE_TEXTS = {136: "Maps", 137: "Rotation", ADD: ">>", REMOVE: "<<", UP: "Up", DOWN: "Down", USE_MAP: "Use Map"}


def clear_rotation(ui):
    for _ in range(len(DEFAULT_ROTATION) + 1):
        if not texts(ui, ROTATION):
            return
        ui.click(REMOVE)
    raise AssertionError("the rotation did not empty")


def add_map(ui, index):
    pick(ui, MAPS_LIST, index)
    ui.click(ADD)


def settle(fx, ui, name):
    """Screenshot after the page has had time to paint."""
    ui.cmd("nobox 300")
    return fx.screenshot(name)


def scenario_maps_page_filled(env):
    """The page lists game archive maps, loose maps and (after a tab switch
    away and back) nothing new; its labels come from the string table and the
    default rotation is shown unmarked."""
    with Fixture(env, "maps-page") as fx:
        make_game(fx.game)
        ui = fx.start()
        ui.tab(MAPS_TAB)
        for control, text in PAGE_TEXTS.items():
            equal(ui.get(control), text, "text of control %d" % control)
        equal(texts(ui, MAPS_LIST), GAME_MAPS, "Maps list")
        equal(rotation_of(ui), DEFAULT_ROTATION, "Rotation list")
        equal(ui.get(START_MAP), "", "start map")
        settle(fx, ui, "maps-page")
        ui.tab(0)
        ui.tab(MAPS_TAB)
        equal(texts(ui, MAPS_LIST), GAME_MAPS, "Maps list after coming back")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_maps_hostile_archive(env):
    """An archive in main whose records name overlapping tails of one long
    text (393 KB, which once made the utility store 1.6 GB of names when this
    page opened) is refused whole: the page lists the other maps only."""
    with Fixture(env, "maps-hostile") as fx:
        make_game(fx.game)
        write_file(os.path.join(fx.game, "main", "hostile.rez"), overlapping_rez(8192, 32))
        ui = fx.start()
        ui.tab(MAPS_TAB)
        equal(texts(ui, MAPS_LIST), GAME_MAPS, "Maps list")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_maps_rotation_and_save(env):
    """Builds a rotation as an operator does and checks every step, including
    that Up and Down keep both entries' swap marks; Save Config then writes the
    start map and sv_maplist with the Invader prefix and TeamSwap markers."""
    with Fixture(env, "maps-rotation") as fx:
        make_game(fx.game)
        ui = fx.start()
        ui.tab(MAPS_TAB)
        clear_rotation(ui)
        equal(rotation_of(ui), [], "emptied rotation")

        # ">>" with nothing selected takes the first map; again changes nothing.
        equal(selected(ui, MAPS_LIST), -1, "Maps selection at first")
        ui.click(ADD)
        equal(selected(ui, MAPS_LIST), 0, "Maps selection after >>")
        ui.click(ADD)
        equal(rotation_of(ui), [GAME_MAPS[0]], "rotation after >> twice")
        add_map(ui, 3)   # maps/dm/dm_canal (loose)
        add_map(ui, 5)   # maps/Test
        a, b, c = GAME_MAPS[0], GAME_MAPS[3], GAME_MAPS[5]
        equal(rotation_of(ui), [a, b, c], "rotation of three")

        # A double-click in the Maps list adds nothing.
        double_click(ui, MAPS_LIST, 1)
        equal(rotation_of(ui), [a, b, c], "rotation after a double-click in Maps")

        # Marks: b marked; Up keeps it on b, Down brings it back.
        double_click(ui, ROTATION, 1)
        equal(rotation_of(ui), [a, b + "*", c], "b marked")
        settle(fx, ui, "maps-rotation-marked")
        ui.click(UP)
        equal(rotation_of(ui), [b + "*", a, c], "after Up")
        equal(selected(ui, ROTATION), 0, "the moved entry stays selected")
        ui.click(DOWN)
        equal(rotation_of(ui), [a, b + "*", c], "after Down")
        # The neighbour keeps its mark too: a marked, b moved above it.
        double_click(ui, ROTATION, 0)
        pick(ui, ROTATION, 1)
        ui.click(UP)
        equal(rotation_of(ui), [b + "*", a + "*", c], "after Up with both marked")
        ui.click(UP)
        equal(rotation_of(ui), [b + "*", a + "*", c], "Up on the first entry")
        pick(ui, ROTATION, 2)
        ui.click(DOWN)
        equal(rotation_of(ui), [b + "*", a + "*", c], "Down on the last entry")
        # Double-click again clears a mark.
        double_click(ui, ROTATION, 0)
        equal(rotation_of(ui), [b, a + "*", c], "b unmarked again")

        # "<<" on the selected entry.
        pick(ui, ROTATION, 2)
        ui.click(REMOVE)
        equal(rotation_of(ui), [b, a + "*"], "after <<")

        # Use Map fills the start map box.
        pick(ui, MAPS_LIST, 2)
        ui.click(USE_MAP)
        equal(ui.get(START_MAP), GAME_MAPS[2], "start map after Use Map")
        settle(fx, ui, "maps-rotation-built")

        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        cfg = fx.read_user_file("server.cfg")
        equal(cfg_line(cfg, b"map "), b'map "maps/dm/mp_gifu.bsp"', "map line")
        equal(cfg_line(cfg, b"sv_maplist "), b'sv_maplist "6 maps/dm/dm_canal;6 maps/dm/mp_airfield.bsp;TeamSwap;"',
              "sv_maplist line")
        ini = fx.read_user_file("Servolt.ini")
        # The settings file keeps the final blank by quoting the value.
        equal(ini_value(ini, "MapRotationList"), '"maps/dm/dm_canal 0 maps/dm/mp_airfield.bsp 1 "', "MapRotationList")
        equal(ini_value(ini, "MapName"), "maps/dm/mp_gifu.bsp", "MapName")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")

    # The next start shows the same rotation with its marks.
    with Fixture(env, "maps-rotation-reload", keep_user_folder=True) as fx:
        make_game(fx.game)
        ui = fx.start()
        ui.tab(MAPS_TAB)
        equal(rotation_of(ui), [b, a + "*"], "rotation after restart")
        equal(ui.get(START_MAP), GAME_MAPS[2], "start map after restart")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_maps_typed_start_map_and_launch(env):
    """A start map typed into the box is stored when the box loses the focus;
    Launch Server writes it with the rotation and starts the server."""
    with Fixture(env, "maps-launch") as fx:
        make_game(fx.game)
        ui = fx.start()
        ui.tab(0)
        ui.choose(1015, 0)  # Free For All: prefix "1 "
        ui.tab(MAPS_TAB)
        clear_rotation(ui)
        add_map(ui, 4)
        double_click(ui, ROTATION, 0)
        ui.focus(START_MAP)
        ui.select_all()
        ui.type("maps/dm/typed_by_hand")
        ui.click(LAUNCH_SERVER)  # the click takes the focus: the box is stored first
        ui.gone(20000)
        equal(fx.wait_exit(), 0, "exit code")
        equal(len(fx.server_record()), 1, "server starts")
        cfg = fx.read_user_file("server.cfg")
        equal(cfg_line(cfg, b"map "), b'map "maps/dm/typed_by_hand"', "map line")
        equal(cfg_line(cfg, b"sv_maplist "), b'sv_maplist "1 maps/tow/Ridge;TeamSwap;"', "sv_maplist line")


def scenario_maps_refusals(env):
    """A map whose name holds a blank, and an addition that would overflow the
    rotation's 4096-byte field, are refused with a message; nothing changes."""
    with Fixture(env, "maps-refusals") as fx:
        write_file(os.path.join(fx.game, "mainmp", "maps", "dm", "my map.bsp"))
        # A rotation of 4090 characters: only a map of at most 2 characters
        # would still fit.
        long_name = "x" * 4087
        fx.write_user_file("Servolt.ini", b"[Maps]\r\nMapRotationList=" + long_name.encode() + b" 0 \r\n")
        ui = fx.start()
        ui.tab(MAPS_TAB)
        equal(texts(ui, MAPS_LIST), ["maps/dm/my map"], "Maps list")
        equal(rotation_of(ui), [long_name], "preloaded rotation")

        ui.click(ADD)
        owner, caption, text = ui.box()
        equal(caption, "Map not added", "caption of the blank refusal")
        equal(text, 'The map name "maps/dm/my map" contains a blank. The rotation list separates its entries with '
                     'blanks, so this map cannot be put in the rotation. It can still be used as the start map.',
              "text of the blank refusal")
        fx.screenshot("maps-refused-blank", "box")
        ui.answer("ok")
        equal(rotation_of(ui), [long_name], "rotation after the refusal")

        # The map can still be the start map.
        ui.click(USE_MAP)
        equal(ui.get(START_MAP), "maps/dm/my map", "start map with a blank")

        # Too long: offer a map without a blank, with no room left for it.
        os.remove(os.path.join(fx.game, "mainmp", "maps", "dm", "my map.bsp"))
        write_file(os.path.join(fx.game, "mainmp", "maps", "dm", "abc.bsp"))
        ui.tab(0)
        ui.tab(MAPS_TAB)
        equal(texts(ui, MAPS_LIST), ["maps/dm/abc"], "Maps list after the change on disk")
        ui.click(ADD)
        owner, caption, text = ui.box()
        equal(caption, "Map not added", "caption of the length refusal")
        equal(text, 'The rotation list is full: adding "maps/dm/abc" would make it longer than 4095 characters. '
                    'Remove a map from the rotation first.', "text of the length refusal")
        ui.answer("ok")
        equal(rotation_of(ui), [long_name], "rotation after the length refusal")

        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        equal(ini_value(fx.read_user_file("Servolt.ini"), "MapRotationList"), long_name + " 0",
              "MapRotationList kept whole")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")


def scenario_maps_marks_from_the_settings_file(env):
    """Marks other than 0 read from the settings file show crossed and are
    stored back as 1; a final pair without its blank reads the same."""
    with Fixture(env, "maps-marks") as fx:
        fx.write_user_file("Servolt.ini", b"[Basic]\r\nGameType=1\r\n[Maps]\r\nMapRotationList=maps/dm/a 2 maps/dm/b 0\r\n")
        ui = fx.start()
        ui.tab(MAPS_TAB)
        equal(rotation_of(ui), ["maps/dm/a*", "maps/dm/b"], "rotation from the settings file")
        double_click(ui, ROTATION, 1)
        equal(rotation_of(ui), ["maps/dm/a*", "maps/dm/b*"], "both marked")
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        equal(ini_value(fx.read_user_file("Servolt.ini"), "MapRotationList"), '"maps/dm/a 1 maps/dm/b 1 "',
              "MapRotationList")
        cfg = fx.read_user_file("server.cfg")
        equal(cfg_line(cfg, b"sv_maplist "), b'sv_maplist "2 maps/dm/a;TeamSwap;2 maps/dm/b;TeamSwap;"', "sv_maplist")
        equal(cfg_line(cfg, b"map "), b'map "maps/dm/a"', "map line from the rotation's first map")
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")
