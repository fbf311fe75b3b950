#!/usr/bin/env python3
"""For scripts/run without a display: starts Servolt.exe in the demo game
folder under a private Xvfb, saves a screenshot of its window, closes it
with its Exit button and prints where the picture is.

    demo_shot.py SERVOLT_EXE DRIVER_EXE GAME_FOLDER WORK_FOLDER SHOT_PNG [--fill CMD...]

--fill runs CMD once the prefix exists, with the argument {user} replaced by
the user folder (the demo content generator needs to know where it is).
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from harness import EXIT, Env, Fixture  # noqa: E402


def main():
    servolt, driver, game, work, shot = sys.argv[1:6]
    fill = sys.argv[7:] if len(sys.argv) > 6 and sys.argv[6] == "--fill" else []
    wine_run = os.path.join(HERE, "..", "..", "scripts", "wine-run")
    env = Env(servolt, driver, os.path.join(game, "vantrel_server.exe"), os.path.dirname(os.path.abspath(shot)),
              work, wine_run)
    env.environ.pop("DISPLAY", None)
    try:
        with Fixture(env, "demo", with_server=False, game_folder=game, keep_user_folder=True) as fx:
            if fill:
                user = env.user_folder()
                subprocess.run([user if a == "{user}" else a for a in fill], check=True)
            fx.start()
            # A first start in a new prefix paints slowly.
            taken = fx.screenshot(os.path.splitext(os.path.basename(shot))[0], settle=3.0)
            if os.path.abspath(taken) != os.path.abspath(shot):
                shutil.move(taken, shot)
            fx.ui.click(EXIT)
            code = fx.wait_exit()
    finally:
        env.stop_display()
    print("screenshot of the window: %s (Servolt.exe exited with %d)" % (shot, code))
    return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
