#!/usr/bin/env python3
"""UI benchmark of Servolt.exe under Wine; prints figures, never fails on
them.

  idle   processor time used by Servolt.exe (and by the wineserver that
         serves it) over 10 s of an open, untouched window, as a share of
         one core; target under 1 %.
  start  time from starting the program to its window being visible, for
         Servolt.exe and for two reference programs started the same way
         under the same Wine: a bare Win32 window of the same size
         (minimal_window.cpp; ratio of the medians, target at most 1.5), and
         the same main window with the tab control and the Basic page from
         Servolt's own resources, the least any version has to show
         (tabbed_window.cpp; target at most 1.15). Servolt.exe is timed
         twice: with no Servolt.ini, and with the file that Save Config
         writes, which the Basic page reads before it shows.

    ui_bench.py SERVOLT_EXE MINIMAL_EXE TABBED_EXE DRIVER_EXE SERVER_EXE WORK_FOLDER [RUNS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from harness import SAVE_CONFIG, Driver, Env  # noqa: E402

IDLE_SECONDS = 10.0
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def processes_with(text, prefix=None):
    """Our own processes whose command line holds `text` (and, when given,
    whose environment names the Wine prefix)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode("latin-1")
            if text not in cmdline:
                continue
            if prefix is not None:
                with open("/proc/%s/environ" % entry, "rb") as f:
                    if ("WINEPREFIX=" + prefix).encode() not in f.read().split(b"\0"):
                        continue
            found.append(int(entry))
        except OSError:
            continue
    return found


def start(env, exe, game):
    return subprocess.Popen([env.wine_run, exe], cwd=game, env=env.environ, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def time_start(env, driver, exe, window_class, game):
    began = time.monotonic()
    proc = start(env, exe, game)
    driver.wait_class(window_class)
    elapsed = time.monotonic() - began
    time.sleep(0.3)
    driver.cmd("closeclass " + window_class)
    proc.wait(timeout=30)
    return elapsed


def write_settings_file(env, driver, servolt, game, ini):
    """Servolt.ini as the program itself saves it: its defaults, Save Config."""
    proc = start(env, servolt, game)
    driver.attach()
    driver.click(SAVE_CONFIG)
    driver.post_close()
    proc.wait(timeout=30)
    if not os.path.exists(ini):
        raise RuntimeError("Save Config wrote no " + ini)


def main():
    servolt, minimal, tabbed, driver_exe, server, work = sys.argv[1:7]
    runs = int(sys.argv[7]) if len(sys.argv) > 7 else 11
    programs = (("minimal", minimal, "SERVOLT_MINIMAL_WINDOW"), ("tabbed", tabbed, "SERVOLT_TABBED_WINDOW"),
                ("servolt", servolt, "VANTREL_SERVER_SETUP"))
    env = Env(servolt, driver_exe, server, os.path.join(work, "shots"), work,
              os.path.join(ROOT, "scripts", "wine-run"))
    env.ensure_display()
    env.prepare_prefix()
    game = tempfile.mkdtemp(prefix="game-", dir=env.work)
    shutil.copyfile(server, os.path.join(game, "vantrel_server.exe"))
    driver = Driver(env)
    prefix = os.path.join(env.wine_dir, "prefix")
    ini = None
    try:
        # Warm-up: the wineserver, the virtual desktop and the file cache.
        for _, exe, cls in programs:
            time_start(env, driver, exe, cls, game)

        # Idle: the window open and left alone.
        proc = start(env, servolt, game)
        driver.attach()
        time.sleep(2.0)
        app = processes_with("Servolt.exe", prefix)
        server_pids = [p for p in processes_with("wineserver", prefix)]
        before = {p: cpu_ticks(p) for p in app + server_pids}
        time.sleep(IDLE_SECONDS)
        after = {p: cpu_ticks(p) for p in before}
        driver.post_close()
        proc.wait(timeout=30)
        app_share = sum(after[p] - before[p] for p in app) / TICKS / IDLE_SECONDS * 100
        server_share = sum(after[p] - before[p] for p in server_pids) / TICKS / IDLE_SECONDS * 100
        print("idle processor use over %.0f s: Servolt.exe %.2f %% of a core, wineserver %.2f %% "
              "(target: under 1 %%; tick %.0f ms)" % (IDLE_SECONDS, app_share, server_share, 1000.0 / TICKS))

        # Start-up to a visible window, the programs in turn; Servolt.ini is
        # moved aside for the runs without it.
        ini = os.path.join(env.user_folder(), "Servolt.ini")
        aside = ini + ".aside"
        write_settings_file(env, driver, servolt, game, ini)
        os.replace(ini, aside)
        times = {name: [] for name, _, _ in programs}
        times["servolt+ini"] = []
        for _ in range(runs):
            for name, exe, cls in programs:
                times[name].append(time_start(env, driver, exe, cls, game))
            os.replace(aside, ini)
            times["servolt+ini"].append(time_start(env, driver, servolt, "VANTREL_SERVER_SETUP", game))
            os.replace(ini, aside)
        for name, values in times.items():
            print("start-up to a visible window, %-11s median %.3f s (min %.3f, max %.3f, %d runs)"
                  % (name, statistics.median(values), min(values), max(values), len(values)))
        for ours, theirs, target in (("servolt", "minimal", "1.5"), ("servolt", "tabbed", "1.15"),
                                     ("servolt+ini", "tabbed", "1.15")):
            print("start-up ratio %s / %s: %.2f of the medians, %.2f of the fastest runs (target: at most %s)"
                  % (ours, theirs, statistics.median(times[ours]) / statistics.median(times[theirs]),
                     min(times[ours]) / min(times[theirs]), target))
        print("machine load average during the run: %.2f on %d cores (other work makes the figures noisy)"
              % (os.getloadavg()[0], os.cpu_count()))
    finally:
        # The next run starts without a settings file again.
        for path in (ini, ini + ".aside") if ini else ():
            if os.path.exists(path):
                os.remove(path)
        driver.close()
        env.stop_display()
        shutil.rmtree(game, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
