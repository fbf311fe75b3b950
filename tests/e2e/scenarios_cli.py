"""servolt-cli beside the window: the same settings file gives the same files."""
import os
import shutil
import tempfile

from harness import EXIT, SAVE_CONFIG, Fixture, check, equal

# A settings file with what is hardest to carry: a multi-line text, quotes,
# blanks at both ends, backslashes, a mod in use, a float beyond its default.
SETTINGS = (
    b"[Basic]\r\nServerName=\" Quoted \\\\ Name \"\r\nWelcomeMessage=Line one\\nLine two\r\nGameType=0\r\n"
    b"[Advanced]\r\nAdditionalOptions=set a 1\\nset b 2\r\nSpawnDelay=2.5\r\n"
    b"[Maps]\r\nMapName=maps/dm/start\r\nMapRotationList=dm/a 1 dm/b 0 \r\n"
    b"[Mods]\r\nModuleUseList=modA 1 modB 0 \r\nNoArmor=1\r\n")


def scenario_cli_write_matches_save_config(env):
    """Save Config in the window, then servolt-cli.exe write from the same
    Servolt.ini into another folder: server.cfg and usedmods.cfg equal byte
    for byte."""
    check(env.cli, "run_e2e.py needs --cli")
    with Fixture(env, "cli-write") as fx:
        fx.write_user_file("Servolt.ini", SETTINGS)
        os.makedirs(fx.user_path("moddir"), exist_ok=True)
        ui = fx.start()
        ui.click(SAVE_CONFIG)
        ui.no_box(500)
        ui.click(EXIT)
        equal(fx.wait_exit(), 0, "exit code")
        saved = fx.read_user_file("server.cfg")
        check(b'sv_hostname " Quoted \\ Name "' in saved and b"Line one\r\r\nLine two" in saved,
              "the window saved the settings file's values")

        out = tempfile.mkdtemp(prefix="servolt-cli-out-", dir=env.work)
        try:
            os.makedirs(os.path.join(out, "moddir"))
            done = env.wine(env.cli, "write", "--out", fx.windows_path(out), cwd=fx.game,
                            capture_output=True, timeout=120)
            equal(done.returncode, 0, "servolt-cli write exit code (%r)" % done.stderr)
            equal(done.stderr, b"", "servolt-cli write messages")
            for name in ("server.cfg", "moddir\\usedmods.cfg"):
                with open(os.path.join(out, *name.split("\\")), "rb") as f:
                    written = f.read()
                check(written == fx.read_user_file(name), name + ": servolt-cli and Save Config differ")
        finally:
            shutil.rmtree(out, ignore_errors=True)
