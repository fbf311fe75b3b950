"""The page of `servolt-cli serve` driven in a headless Chromium, as an
operator drives it, against the same edits made with the command line in a
second folder: what the page saves must be the command line's bytes.

    browser_tests.py --cli servolt-cli --fake fake_console_server --shots DIR

Run with the interpreter that has Selenium (Debian's /usr/bin/python3).
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "cli"))
import cli_harness  # noqa: E402

from selenium import webdriver  # noqa: E402
from selenium.common.exceptions import TimeoutException  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import Select, WebDriverWait  # noqa: E402

USER = os.path.join("Documents", "Brenmoor", "Vantrel(tm)")
FILES = ("Servolt.ini", "server.cfg", os.path.join("moddir", "usedmods.cfg"))
PAGES = ("Basic", "Advanced", "Advanced2", "Team", "Limits", "Maps", "Weapons", "Explosives", "Mods")


def read(path):
    """The file's bytes; None when there is no file."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


class Folder:
    """A home and a game folder made from the demo template."""

    def __init__(self, root, template):
        self.root = root
        shutil.copytree(template, root)
        self.home = os.path.join(root, "home")
        self.game = os.path.join(root, "game")
        self.user = os.path.join(self.home, USER)

    def env(self, extra=None):
        env = dict(os.environ, HOME=self.home)
        for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SERVOLT_INSTANCE"):
            env.pop(name, None)
        env.update(extra or {})
        return env

    def cli(self, *args):
        done = cli_harness.run_to_end([ARGS.cli, *args], cwd=self.game, env=self.env())
        if done.returncode != 0:
            raise AssertionError("servolt-cli %s: exit %d\n%s" % (" ".join(args), done.returncode,
                                                                   done.stderr.decode("latin-1")))
        return done.stdout

    def files(self):
        return {name: read(os.path.join(self.user, name)) for name in FILES}


class Serve:
    """servolt-cli serve on a free port of the loopback."""

    def __init__(self, folder, *options):
        self.output = os.path.join(folder.root, "serve%d.out" % len(os.listdir(folder.root)))
        # The server is started through a `wine` of its own on PATH, which
        # runs the stand-in with words that keep it up and make it print.
        bin_folder = os.path.join(folder.root, "bin")
        os.makedirs(bin_folder, exist_ok=True)
        with open(os.path.join(bin_folder, "wine"), "w") as f:
            f.write('#!/bin/sh\nexec "$@" hang print=3\n')
        os.chmod(os.path.join(bin_folder, "wine"), 0o755)
        env = folder.env({"PATH": bin_folder + os.pathsep + os.environ.get("PATH", ""),
                          "SERVOLT_RUN_TIME_SCALE": "0.05"})
        with open(self.output, "wb") as out:
            self.process = subprocess.Popen(
                [ARGS.cli, "serve", "--listen", "127.0.0.1:0", "--game", folder.game,
                 "--instances", os.path.join(folder.root, "instances.ini"),
                 "--token-file", os.path.join(folder.root, "serve.token"), *options],
                cwd=folder.game, env=env, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        deadline = time.time() + 20
        while time.time() < deadline:
            text = read(self.output).decode("latin-1")
            found = re.search(r"(http://127\.0\.0\.1:\d+/login\?token=[0-9a-f]+)", text)
            if found:
                self.url = found.group(1)
                return
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        self.stop()
        raise AssertionError("serve printed no address:\n" + read(self.output).decode("latin-1"))

    def stop(self):
        if self.process.poll() is None:
            # SIGTERM: a suite started in the background of a shell inherits
            # SIGINT ignored, and serve would never hear it.
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Page(unittest.TestCase):
    driver = None
    template = None

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="servolt-browser-")
        cls.template = os.path.join(cls.scratch, "template")
        os.makedirs(os.path.join(cls.template, "home", USER))
        done = cli_harness.run_to_end(
            [os.path.join(SOURCE, "scripts", "make-demo"), os.path.join(cls.template, "game"),
             os.path.join(cls.template, "home", USER), ARGS.fake, ARGS.cli])
        if done.returncode != 0:
            raise AssertionError("make-demo failed:\n" + done.stderr.decode("latin-1"))
        options = webdriver.ChromeOptions()
        options.binary_location = ARGS.chromium
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update", "--disable-sync",
                         "--user-data-dir=" + os.path.join(cls.scratch, "chromium")):
            options.add_argument(argument)
        cls.driver = webdriver.Chrome(service=Service(ARGS.chromedriver), options=options)

    @classmethod
    def tearDownClass(cls):
        if cls.driver:
            cls.driver.quit()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        root = tempfile.mkdtemp(prefix="t-", dir=self.scratch)
        os.rmdir(root)
        self.web = Folder(root + "-web", self.template)
        self.ref = Folder(root + "-cli", self.template)
        self.serve = Serve(self.web)
        self.addCleanup(self.serve.stop)
        self.viewport(1024, 768)
        self.driver.get(self.serve.url)
        self.wait(lambda d: d.find_element(By.ID, "tab-Basic"))
        self.wait_idle()

    # ---- Helpers -------------------------------------------------------------

    def viewport(self, width, height):
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def wait(self, condition, timeout=15, message=""):
        try:
            return WebDriverWait(self.driver, timeout, poll_frequency=0.05).until(condition)
        except TimeoutException:
            self.fail("waited in vain %s; status: %r, problems: %r" % (
                message, self.text("status"), self.text("problems")))

    def wait_idle(self):
        """No request of the page is under way."""
        self.wait(lambda d: d.find_element(By.ID, "main").get_attribute("aria-busy") == "false",
                  message="for the page to settle")

    def by_id(self, name):
        return self.driver.find_element(By.ID, name)

    def text(self, name):
        return self.driver.execute_script(
            "const e = document.getElementById(arguments[0]); return e ? e.innerText : '';", name)

    def value(self, name):
        """A field's value, read afresh: the page rebuilds its fields as it loads."""
        return self.driver.execute_script(
            "const e = document.getElementById(arguments[0]); return e ? e.value : null;", name)

    def tab(self, name):
        self.by_id("tab-" + name).click()
        self.wait(lambda d: d.find_element(By.ID, "panel-" + name).is_displayed())

    def type_into(self, name, text):
        box = self.by_id(name)
        box.send_keys(Keys.CONTROL, "a")
        box.send_keys(Keys.BACKSPACE)
        if text:
            box.send_keys(text)

    def save(self):
        self.by_id("save").click()
        self.wait(lambda d: self.text("status") in ("Saved.", "Not saved."), message="for Save Config")
        self.wait_idle()
        self.assertEqual(self.text("status"), "Saved.", self.text("problems"))

    def shot(self, name):
        os.makedirs(ARGS.shots, exist_ok=True)
        self.driver.save_screenshot(os.path.join(ARGS.shots, name + ".png"))

    def assert_same_files(self, context):
        web, ref = self.web.files(), self.ref.files()
        self.assertIsNotNone(web["Servolt.ini"], context)
        for name in FILES:
            self.assertEqual(web[name], ref[name], "%s: %s differs from the command line's" % (context, name))

    def rotation(self, key):
        return [(e.get_attribute("data-name"), e.is_selected())
                for e in self.driver.find_elements(By.CSS_SELECTOR, "#f-%s input[type=checkbox]" % key)]

    def choose(self, list_id, name):
        Select(self.by_id(list_id)).select_by_value(name)

    def pick(self, key, name):
        """Selects an entry of a marked list as a click on its line does."""
        box = self.driver.find_element(By.CSS_SELECTOR, "#f-%s input[data-name='%s']" % (key, name))
        self.driver.find_element(By.CSS_SELECTOR, "label[for='%s']" % box.get_attribute("id")).click()

    # ---- Tests ---------------------------------------------------------------

    def test_a_change_on_each_page_saves_what_set_and_write_make(self):
        # (page, key, how the page edits it, the value the command line sets)
        edits = [
            ("Basic", "ServerName", "Web Battle", "Web Battle"),
            ("Advanced", "SpawnDelay", "2.5", "2.5"),
            ("Advanced2", "FFAAlliedPistol", "3", "3"),
            ("Team", "PlayerSpawn", "Random", "Random"),
            ("Limits", "AllowAllSkins", "click", "1"),
            ("Maps", "MapName", "use maps/dm/dm_canal", "maps/dm/dm_canal"),
            ("Weapons", "CornucopiaAmmo", "click", None),
            ("Explosives", "GrenadeCountInit", "", ""),
            ("Mods", "NoArmor", "click", "1"),
        ]
        for page, key, how, value in edits:
            self.tab(page)
            field = self.by_id("f-" + key)
            if how == "click":
                if value is None:
                    value = "0" if field.is_selected() else "1"
                field.click()
            elif how.startswith("use "):
                self.choose("maps", how[4:])
                self.by_id("use-map").click()
                self.assertEqual(field.get_attribute("value"), value)
            elif field.tag_name == "select":
                Select(field).select_by_visible_text(how)
            else:
                if page == "Explosives":  # an optional count set first, then blanked
                    self.type_into("f-" + key, "4")
                    self.save()
                    self.ref.cli("set", key + "=4")
                    self.ref.cli("write")
                self.type_into("f-" + key, how)
            self.save()
            self.ref.cli("set", "%s=%s" % (key, value))
            self.ref.cli("write")
            self.assert_same_files(page)
            # The page shows the stored value as `get` shows it.
            shown = self.ref.cli("get", key).decode("latin-1").rstrip("\r\n").split("=", 1)[1]
            field = self.by_id("f-" + key)
            self.assertEqual(field.get_attribute("value") if how != "click" else
                             ("1" if field.is_selected() else "0"), shown, page)

    def test_rotation_and_mods_in_use_are_edited_as_the_command_line_edits_them(self):
        self.tab("Maps")
        before = self.rotation("MapRotationList")
        self.choose("maps", "maps/dm/dm_depot")
        self.by_id("MapRotationList-add").click()
        self.by_id("MapRotationList-add").click()  # a second press on the same map changes nothing
        self.pick("MapRotationList", "maps/dm/dm_depot")
        self.by_id("MapRotationList-up").click()
        self.driver.find_element(By.CSS_SELECTOR, "#f-MapRotationList input[data-name='maps/dm/dm_depot']").click()
        self.pick("MapRotationList", before[0][0])
        self.by_id("MapRotationList-remove").click()
        after = self.rotation("MapRotationList")
        self.assertEqual(after, before[1:-1] + [("maps/dm/dm_depot", True), before[-1]])

        self.assertNotIn("maps/dm/gv_meadow.bsp", [o.get_attribute("value") for o in Select(self.by_id("maps")).options])
        self.tab("Mods")
        for mod in ("GreenValley", "NightOps"):
            self.choose("modsFound", mod)
            self.by_id("ModuleUseList-add").click()
        self.driver.find_element(By.CSS_SELECTOR, "#f-ModuleUseList input[data-name='NightOps']").click()
        self.by_id("ModuleUseList-up").click()
        self.assertEqual(self.rotation("ModuleUseList"), [("NightOps", True), ("GreenValley", False)])
        # The mods in use bring the maps of their archives to the Maps page.
        offered = lambda d: [o.get_attribute("value") for o in Select(d.find_element(By.ID, "maps")).options]  # noqa: E731
        self.wait(lambda d: "maps/dm/gv_meadow.bsp" in offered(d), message="for the mods' maps")
        self.shot("mods-page-edited")
        self.save()

        game = ["--game", self.ref.game]
        self.ref.cli("rotation", *game, "add", "maps/dm/dm_depot")
        self.ref.cli("rotation", *game, "move", "maps/dm/dm_depot", "up")
        self.ref.cli("rotation", *game, "swap", "maps/dm/dm_depot", "on")
        self.ref.cli("rotation", *game, "remove", before[0][0])
        self.ref.cli("mods", "use", "GreenValley", "NightOps")
        self.ref.cli("mods", "download", "NightOps", "on")
        self.ref.cli("mods", "move", "NightOps", "up")
        self.ref.cli("write")
        self.assert_same_files("rotation and mods")

    def test_a_refused_value_is_shown_beside_its_field_and_nothing_is_written(self):
        self.tab("Basic")
        self.type_into("f-ServerName", "Kept")
        self.tab("Team")
        self.type_into("f-VoteMajority", "99999999999")
        self.by_id("save").click()
        self.wait(lambda d: self.text("status") == "Not saved.", message="for the refusal")
        note = self.by_id("n-VoteMajority")
        self.assertEqual(note.get_attribute("role"), "alert")
        self.assertTrue(note.text)
        self.assertEqual(self.by_id("f-VoteMajority").get_attribute("aria-invalid"), "true")
        self.assertEqual(self.web.files(), self.ref.files())  # nothing saved on either side
        self.type_into("f-VoteMajority", "60")
        self.assertEqual(note.text, "")
        self.save()
        self.ref.cli("set", "ServerName=Kept", "VoteMajority=60")
        self.ref.cli("write")
        self.assert_same_files("after the refusal")

    def test_edits_stay_a_draft_until_saved_and_use_defaults_saves_the_defaults(self):
        self.type_into("f-ServerName", "Draft Battle")
        self.tab("Team")
        self.type_into("f-VoteMajority", "60")
        self.save()
        # Another server of the host: leaving unsaved edits asks, and staying keeps them.
        match_ini = os.path.join(self.web.root, "match.ini")
        self.web.cli("instance", "--instances", os.path.join(self.web.root, "instances.ini"), "add", "match",
                     "--game", self.web.game, "--ini", match_ini, "--cfg", "match.cfg")
        self.driver.refresh()
        self.wait(lambda d: len(Select(d.find_element(By.ID, "instance")).options) == 2, message="for two servers")
        self.wait_idle()
        self.tab("Basic")
        self.type_into("f-ServerName", "Not Yet")
        Select(self.by_id("instance")).select_by_value("match")
        self.driver.switch_to.alert.dismiss()
        self.assertEqual(Select(self.by_id("instance")).first_selected_option.get_attribute("value"), "default")
        self.assertEqual(self.by_id("f-ServerName").get_attribute("value"), "Not Yet")
        Select(self.by_id("instance")).select_by_value("match")
        self.driver.switch_to.alert.accept()
        self.wait(lambda d: self.value("f-ServerName") == "Nameless Battle",
                  message="for the other server's settings")
        self.wait_idle()
        self.assertIsNone(read(match_ini))
        self.assertEqual(self.web.files()["Servolt.ini"].count(b"Not Yet"), 0)
        # Use Defaults shows the defaults; Save stores them as a fresh settings file has them.
        Select(self.by_id("instance")).select_by_value("default")
        self.wait(lambda d: self.value("f-ServerName") == "Draft Battle",
                  message="for the saved settings")
        self.wait_idle()
        self.by_id("defaults").click()
        self.wait(lambda d: self.value("f-ServerName") == "Nameless Battle",
                  message="for the defaults")
        self.assertIn(b"Draft Battle", self.web.files()["Servolt.ini"])
        self.save()
        self.ref.cli("set", "ServerName=Nameless Battle")
        self.ref.cli("write")
        self.assert_same_files("Use Defaults")

    def test_the_password_form_signs_in(self):
        password = os.path.join(self.web.root, "password")
        with open(password, "w") as f:
            f.write("horse battery\n")
        os.chmod(password, 0o600)
        self.serve.stop()
        self.serve = Serve(self.web, "--password-file", password)
        self.addCleanup(self.serve.stop)
        self.driver.delete_all_cookies()
        self.driver.get(self.serve.url.split("/login")[0] + "/login")
        self.by_id("password").send_keys("horse battery", Keys.ENTER)
        self.wait(lambda d: d.find_elements(By.ID, "tab-Basic"), message="for the page after the form")
        self.wait_idle()
        self.assertEqual(self.value("f-ServerName"), "Nameless Battle")

    def test_an_imported_server_cfg_is_reported_then_applied(self):
        script = os.path.join(self.web.root, "old.cfg")
        with open(script, "wb") as f:
            f.write(b'set sv_hostname "Imported Battle"\r\nset sv_maxclients 24\r\nset g_nosuchvariable 1\r\n')
        self.tab("Check")
        self.by_id("import-file").send_keys(script)
        self.by_id("import-read").click()
        self.wait(lambda d: self.by_id("import-report").text, message="for the report")
        self.assertEqual(self.web.files(), self.ref.files(), "reading applies nothing")
        self.assertTrue(self.by_id("import-apply").is_enabled())
        self.shot("import-report")
        self.by_id("import-apply").click()
        self.wait(lambda d: self.text("import-result").startswith("Applied"), message="for the import")
        self.wait_idle()
        done = cli_harness.run_to_end([ARGS.cli, "import", script], cwd=self.ref.game, env=self.ref.env())
        self.assertIn(done.returncode, (0, 1))
        self.assertEqual(self.web.files()["Servolt.ini"], self.ref.files()["Servolt.ini"])
        self.tab("Basic")
        self.assertEqual(self.by_id("f-ServerName").get_attribute("value"), "Imported Battle")

    def test_a_server_is_started_stopped_and_restarted_with_its_log(self):
        self.tab("Servers")
        state = lambda: self.driver.execute_script(  # noqa: E731
            "const e = document.getElementById('state-default'); return e ? e.dataset.state : '';")
        self.wait(lambda d: d.find_element(By.ID, "start-default").is_enabled(), message="for Start")
        self.by_id("start-default").click()
        self.wait(lambda d: state() == "running", message="for running")
        self.wait(lambda d: "fake: line 3 of 3" in self.text("log"), message="for the log lines")
        self.shot("servers-with-log")
        self.by_id("stop-default").click()
        self.wait(lambda d: state() not in ("running", ""), timeout=30, message="for the stop")
        self.wait(lambda d: "fake: asked to stop" in self.text("log"), message="for the stop in the log")
        self.by_id("restart-default").click()
        self.wait(lambda d: state() == "running", message="for the restart")
        self.wait(lambda d: self.text("log").count("fake: line 3 of 3") >= 2, message="for the second run's lines")
        self.by_id("stop-default").click()
        self.wait(lambda d: state() not in ("running", ""), timeout=30, message="for the last stop")
        # Lines that come faster than the page shows them all arrive in order,
        # and the page keeps the newest 1,000.
        log = json.loads(self.web.cli("paths", "--json", "--instances",
                                      os.path.join(self.web.root, "instances.ini")))["log"]
        with open(log, "ab") as f:
            f.write(b"".join(b"burst line %d\n" % n for n in range(1, 1201)))
        self.wait(lambda d: self.text("log").endswith("burst line 1200"), message="for the burst")
        shown = self.text("log").split("\n")
        self.assertEqual(len(shown), 1000)
        self.assertEqual(shown, ["burst line %d" % n for n in range(201, 1201)])

    def test_history_restores_an_earlier_save(self):
        self.type_into("f-ServerName", "First")
        self.save()
        first = self.web.files()
        self.type_into("f-ServerName", "Second")
        self.save()
        self.assertNotEqual(self.web.files(), first)
        self.tab("History")
        self.wait(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#history tbody tr[data-id]")) >= 1,
                  message="for the entries")
        self.by_id("diff-run").click()
        self.wait(lambda d: "First" in self.text("diff") and "Second" in self.text("diff"), message="for the diff")
        self.shot("history")
        self.by_id("restore").click()
        self.driver.switch_to.alert.accept()
        self.wait(lambda d: self.text("status").startswith("Restored"), message="for the restore")
        self.wait_idle()
        self.assertEqual(self.web.files(), first)
        self.tab("Basic")
        self.assertEqual(self.by_id("f-ServerName").get_attribute("value"), "First")

    def test_every_page_is_labelled_works_by_keyboard_and_fits_a_phone(self):
        unlabelled = self.driver.execute_script("""
            return Array.from(document.querySelectorAll('input, select, textarea'))
              .filter(e => !e.id || !document.querySelector('label[for="' + CSS.escape(e.id) + '"]'))
              .map(e => e.id || e.outerHTML);""")
        self.assertEqual(unlabelled, [])
        titles = [t.text for t in self.driver.find_elements(By.CSS_SELECTOR, "[role=tab]")]
        self.assertEqual(titles[-3:], ["Check & Import", "Servers", "History"])
        self.assertEqual(len(titles), 12)
        # Arrow keys walk the tabs and show their pages; Tab leaves the row.
        self.by_id("tab-Basic").click()
        for name in PAGES[1:] + ("Check",):
            self.driver.switch_to.active_element.send_keys(Keys.ARROW_RIGHT)
            self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "tab-" + name)
            self.assertTrue(self.by_id("panel-" + name).is_displayed())
        self.driver.switch_to.active_element.send_keys(Keys.END)
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "tab-History")
        self.driver.switch_to.active_element.send_keys(Keys.HOME)
        self.driver.switch_to.active_element.send_keys(Keys.TAB)
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "f-ServerName")
        # The rotation is one stop of the Tab key; arrows walk it, Space marks.
        self.tab("Maps")
        self.by_id("maps").click()
        active = lambda: self.driver.switch_to.active_element  # noqa: E731
        for _ in range(5):
            active().send_keys(Keys.TAB)
        self.assertEqual(active().get_attribute("id"), "m-MapRotationList-0")
        active().send_keys(Keys.ARROW_DOWN)
        active().send_keys(Keys.SPACE)
        self.assertEqual(active().get_attribute("id"), "m-MapRotationList-1")
        self.assertEqual([mark for _, mark in self.rotation("MapRotationList")][:3], [False, True, False])
        active().send_keys(Keys.TAB)
        self.assertEqual(active().get_attribute("id"), "use-map")
        for width, height, suffix in ((1024, 768, ""), (400, 800, "-phone")):
            self.viewport(width, height)
            for name in PAGES + ("Check", "Servers", "History"):
                self.tab(name)
                self.wait_idle()
                wide = self.driver.execute_script(
                    "return document.documentElement.scrollWidth - document.documentElement.clientWidth")
                self.assertLessEqual(wide, 0, "%s scrolls sideways at %d px" % (name, width))
                if suffix == "" or name in ("Basic", "Maps", "Servers"):
                    self.shot("page-%s%s" % (name, suffix))


ARGS = None
if __name__ == "__main__":
    # cli_harness.main runs the suite; ARGS must be set before, so parse first.
    import argparse
    parser = argparse.ArgumentParser()
    for name in ("--cli", "--fake", "--shots"):
        parser.add_argument(name, required=True)
    parser.add_argument("--wine-run")
    parser.add_argument("--chromium", default="/usr/bin/chromium")
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    ARGS, rest = parser.parse_known_args()
    ARGS.cli, ARGS.fake, ARGS.shots = (os.path.abspath(p) for p in (ARGS.cli, ARGS.fake, ARGS.shots))
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
