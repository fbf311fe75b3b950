"""What the command-line process suites share: a fresh folder per test with a
home of its own, and paths as the program takes them (Z:\\... under Wine)."""
import os
import shutil
import tempfile
import unittest


class ProcessTest(unittest.TestCase):
    """Subclasses set PREFIX and `args` (the parsed options, with wine_run)."""

    PREFIX = "servolt-test-"
    args = None

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix=self.PREFIX)
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    @property
    def wine(self):
        return self.args.wine_run is not None

    def path(self, *parts):
        """A path of the test folder as the program takes it."""
        host = os.path.join(self.root, *parts)
        return "Z:" + host.replace("/", "\\") if self.wine else host
