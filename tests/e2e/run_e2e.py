#!/usr/bin/env python3
"""Runs end-to-end scenarios of Servolt.exe under Wine.

    run_e2e.py --list
    run_e2e.py --scenario NAME --servolt Servolt.exe --driver servolt_driver.exe
               --server fake_vantrel_server.exe --shots DIR --work DIR --wine-run scripts/wine-run

Scenarios are the functions named scenario_<name> in the modules
scenarios*.py next to this file; each takes an Env (harness.py) and raises
(an AssertionError or DriverError) on failure. A module may be added for a
group of scenarios without touching this runner or the CMake file (CMake
re-reads --list when a scenarios*.py changes).
"""
import argparse
import glob
import importlib
import os
import sys
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import harness  # noqa: E402


def scenarios():
    found = {}
    for path in sorted(glob.glob(os.path.join(HERE, "scenarios*.py"))):
        module = importlib.import_module(os.path.splitext(os.path.basename(path))[0])
        for name in dir(module):
            if name.startswith("scenario_"):
                found[name[len("scenario_"):]] = getattr(module, name)
    return found


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--list", action="store_true")
    p.add_argument("--scenario", action="append", default=[])
    for option in ("servolt", "driver", "server", "shots", "work", "wine-run", "cli"):
        p.add_argument("--" + option)
    args = p.parse_args()
    table = scenarios()
    if args.list:
        print("\n".join(table))
        return 0
    env = harness.Env(args.servolt, args.driver, args.server, args.shots, args.work, args.wine_run)
    env.cli = os.path.abspath(args.cli) if args.cli else None
    # A run of scripts/test gives a fresh Wine folder for its unit tests; the
    # suite's own prefix (with a virtual desktop) goes inside it, so it is
    # fresh for each run as well.
    if os.environ.get("SERVOLT_WINE_DIR"):
        env.wine_dir = os.path.join(os.environ["SERVOLT_WINE_DIR"], "e2e")
        env.environ["SERVOLT_WINE_DIR"] = env.wine_dir
        os.makedirs(env.wine_dir, exist_ok=True)
    failed = 0
    try:
        for name in args.scenario or list(table):
            print("---- " + name, flush=True)
            try:
                table[name](env)
                print("passed " + name, flush=True)
            except Exception:  # report and go on with the next scenario
                traceback.print_exc()
                print("FAILED " + name, flush=True)
                failed += 1
    finally:
        env.stop_display()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
