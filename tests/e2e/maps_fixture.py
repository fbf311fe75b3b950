"""Game content and list-box helpers for the Maps/Rotation and Mods scenarios.

Archives are written here by a small writer of its own, straight from the
archive layout (header "VNTR", one directory group, records, names, data),
so that the scenarios do not depend on the program's own archive code.
"""
import os
import struct

MAPS_LIST, ROTATION, ADD, REMOVE, UP, DOWN, USE_MAP, START_MAP = 1008, 1156, 1152, 1153, 1154, 1155, 1129, 1007
MODS_FOUND, MODS_IN_USE = 1184, 1123
NO_HEALTH, NO_ARMOR, NO_POWERUPS, INSTANT_ITEMS = 1161, 1186, 1162, 1163
MAPS_TAB, MODS_TAB = 5, 8

NONE_CODE = b"NONE"


def rez_bytes(names):
    """An archive whose entries carry the given names, stored uncompressed."""
    count = len(names)
    directory_head = 8 + 16 * count
    name_block = b""
    name_offsets = []
    for name in names:
        name_offsets.append(directory_head + len(name_block))
        name_block += name.encode("latin-1") + b"\0"
    directory_size = directory_head + len(name_block)
    data_start = 24 + directory_size
    payloads = [("stand-in content of " + name).encode("latin-1") for name in names]
    records = b""
    offset = data_start
    for name_offset, payload in zip(name_offsets, payloads):
        records += struct.pack("<IIII", offset, len(payload), name_offset, len(payload))
        offset += len(payload)
    header = b"VNTR" + struct.pack("<II", 1, directory_size) + NONE_CODE * 3
    return header + struct.pack("<II", 0, count) + records + name_block + b"".join(payloads)


def overlapping_rez(records, spacing):
    """The memory attack on the search: records naming every spacing-th byte
    of one text of ".bsp"s twice as long as the records, so that every name
    is a long tail of the others (8,192 and 32: 393 KB)."""
    head = 8 + 16 * records
    text = b".bsp" * (records * spacing // 4) + b"\0"
    directory = struct.pack("<II", 0, records)
    directory += b"".join(struct.pack("<IIII", 0, 0, head + spacing * i, 0) for i in range(records))
    directory += text
    return b"VNTR" + struct.pack("<II", 1, len(directory)) + NONE_CODE * 3 + directory


def write_file(path, data=b"map"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def write_rez(path, names):
    write_file(path, rez_bytes(names))


def make_game(game):
    """One archive or map file per folder, so that the expected order never
    hangs on the order in which the file system lists a folder."""
    write_rez(os.path.join(game, "main", "game.rez"),
              ["maps/dm/mp_harbour.bsp", "maps/DM/mp_oldfort.bsp", "textures/wall.dtx", "maps/dm/mp_airfield.bsp",
               "maps/tow/mp_bridge.bsp"])
    write_rez(os.path.join(game, "mainmp", "mp.rez"), ["maps/dm/mp_harbour.bsp", "maps/dm/mp_gifu.bsp"])
    write_file(os.path.join(game, "mainmp", "maps", "dm", "dm_canal.bsp"))
    write_file(os.path.join(game, "main", "maps", "TOW", "Ridge.bsp"))
    write_file(os.path.join(game, "main", "maps", "Test.BSP"))


# What make_game lists, in order: game archives (maps/dm/ only, byte-wise
# order within an archive), then the loose maps of the three folders.
GAME_MAPS = ["maps/dm/mp_airfield.bsp", "maps/dm/mp_harbour.bsp", "maps/dm/mp_gifu.bsp", "maps/dm/dm_canal",
             "maps/tow/Ridge", "maps/Test"]


def make_mods(mods):
    write_file(os.path.join(mods, "Alpine", "moddesc.xml"), b"<mod/>")
    write_rez(os.path.join(mods, "Alpine", "alpine.rez"), ["worlds/alp_peak.bsp", "maps/DM/alp_valley.bsp"])
    write_file(os.path.join(mods, "Nightfall", "moddesc.xml"), b"<mod/>")
    write_file(os.path.join(mods, "Zero", "moddesc.xml"), b"<mod/>")
    write_file(os.path.join(mods, "WrongCase", "ModDesc.xml"), b"<mod/>")
    write_file(os.path.join(mods, "Nested", "inner", "moddesc.xml"), b"<mod/>")


MOD_NAMES = ["Alpine", "Nightfall", "Zero"]
ALPINE_MAPS = ["maps/DM/alp_valley.bsp", "worlds/alp_peak.bsp"]


# -- list boxes through the driver ------------------------------------------------------

def entries(ui, control):
    """[(text, item data)] of a list box."""
    text = ui.cmd("lbitems %d" % control)
    out = []
    if not text:
        return out
    from harness import unescape
    for part in unescape(text).split("\t"):
        data, item = part.split(" ", 1)
        out.append((item, int(data)))
    return out


def texts(ui, control):
    return [text for text, _ in entries(ui, control)]


def selected(ui, control):
    return int(ui.cmd("lbcursel %d" % control))


def pick(ui, control, index):
    """Clicks the item, as the operator does."""
    ui.cmd("lbpick %d %d" % (control, index))


def double_click(ui, control, index):
    ui.cmd("lbdouble %d %d" % (control, index))


def rotation_of(ui):
    """The Rotation list as 'name' / 'name*' (marked)."""
    return [text + ("*" if data == 1 else "") for text, data in entries(ui, ROTATION)]


def marked_of(ui, control):
    return [text + ("*" if data == 1 else "") for text, data in entries(ui, control)]


def cfg_line(cfg, start):
    """The one line of server.cfg that starts with `start` (bytes)."""
    lines = [line for line in cfg.split(b"\r\n") if line.startswith(start)]
    if len(lines) != 1:
        raise AssertionError("%d lines start with %r in server.cfg" % (len(lines), start))
    return lines[0]


def ini_value(ini, key):
    for line in ini.decode("latin-1").split("\r\n"):
        if line.startswith(key + "="):
            return line[len(key) + 1:]
    raise AssertionError("no %s in Servolt.ini" % key)
