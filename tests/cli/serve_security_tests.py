#!/usr/bin/env python3
"""servolt-cli serve as a stranger meets it: nothing answered without the
token, to another host name or from another origin, no change by GET, no
path that leaves the page's own files, bounded requests, slow senders that
hold up nobody, and the token file for this user alone.

    serve_security_tests.py --cli servolt-cli [--fake ...] [--wine-run scripts/wine-run]

Each test starts `serve --listen 127.0.0.1:0` and reads the address from
the first line of its output file (under Wine a pipe could be held open by
the prefix's services).
"""
import http.client
import os
import re
import signal
import socket
import stat
import subprocess
import threading
import time
import urllib.parse

import cli_harness
from cli_harness import ProcessTest

SECURITY_HEADERS = {
    "content-security-policy": "default-src 'self'; frame-ancestors 'none'",
    "x-content-type-options": "nosniff",
    "cache-control": "no-store",
    "referrer-policy": "no-referrer",
    "x-frame-options": "DENY",
}

# Every GET the page and the contract know of, on every part of the site.
GET_ROUTES = [
    "/", "/index.html", "/login.html", "/login", "/api/session", "/api/instances",
    "/api/i/default/pages", "/api/i/default/pages?defaults=1", "/api/i/default/lists?gameType=1&mods=",
    "/api/i/default/check", "/api/i/default/history", "/api/i/default/history/diff",
    "/api/i/default/log", "/api/i/default/log?after=0", "/api/i/second/pages", "/api/i/second/check",
]


class Serve:
    """A serve process in the background, its output in files."""

    def __init__(self, test, *args):
        self.test = test
        self.out = os.path.join(test.root, "serve.out")
        self.err = os.path.join(test.root, "serve.err")
        command = [test.args.cli, "serve", "--listen", "127.0.0.1:0", *args]
        if test.wine:
            command = [test.args.wine_run, *command]
        with open(self.out, "wb") as out, open(self.err, "wb") as err:
            self.process = subprocess.Popen(command, cwd=test.root, env=test.environment(), stdin=subprocess.DEVNULL,
                                            stdout=out, stderr=err)
        test.addCleanup(self.stop)
        deadline = time.monotonic() + 120
        found = None
        while time.monotonic() < deadline and self.process.poll() is None:
            found = re.match(r"Servolt: http://127\.0\.0\.1:(\d+)/login\?token=([0-9a-f]{64})\r?\n", self.output())
            if found:
                break
            time.sleep(0.05)
        test.assertIsNotNone(found, "no address printed; stderr:\n" + self.errors())
        self.port = int(found.group(1))
        self.token = found.group(2)
        self.host = "127.0.0.1:%d" % self.port
        self.origin = "http://" + self.host

    def output(self):
        with open(self.out, "rb") as f:
            return f.read().decode("latin-1")

    def errors(self):
        with open(self.err, "rb") as f:
            return f.read().decode("latin-1")

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT if self.test.wine else signal.SIGTERM)
            try:
                self.process.wait(60)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode

    def request(self, method, target, headers=None, body=None, host=True, timeout=60):
        """(status, lower-case headers, body bytes) of one request on a new
        connection; `host`: False sends no Host header, a text sends that."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            connection.putrequest(method, target, skip_host=True, skip_accept_encoding=True)
            if host is True:
                connection.putheader("Host", self.host)
            elif host:
                connection.putheader("Host", host)
            for name, value in (headers or {}).items():
                connection.putheader(name, value)
            if body is not None:
                connection.putheader("Content-Length", str(len(body)))
            connection.endheaders(body)
            response = connection.getresponse()
            data = response.read()
            return response.status, {k.lower(): v for k, v in response.getheaders()}, data
        finally:
            connection.close()

    def login(self):
        """The cookie and CSRF token of a new session."""
        status, headers, _ = self.request("GET", "/login?token=" + self.token)
        self.test.assertEqual(status, 303)
        cookie = headers["set-cookie"].split(";")[0]
        status, _, body = self.request("GET", "/api/session", {"Cookie": cookie})
        self.test.assertEqual(status, 200, body)
        csrf = re.search(rb'"csrf":"([0-9a-f]{64})"', body).group(1).decode()
        return cookie, csrf

    def page_headers(self, cookie, csrf):
        return {"Cookie": cookie, "Origin": self.origin, "X-Servolt-CSRF": csrf}


class ServeSecurityTests(ProcessTest):
    PREFIX = "servolt-serve-"

    def setUp(self):
        super().setUp()
        self.settings = b"[Server]\r\nServerName=Guarded\r\n"
        self.write_file("default.ini", self.settings)
        self.write_file("second.ini", self.settings)
        game = self.make_game(["alpha"])
        self.instances = self.write_file(
            "instances.ini", "[default]\r\nGame=%s\r\nIni=%s\r\n[second]\r\nGame=%s\r\nIni=%s\r\n"
            % (game, self.path("default.ini"), game, self.path("second.ini")))

    def environment(self):
        environment = dict(os.environ)
        if not self.wine:
            environment["HOME"] = self.home
            for name in ("WINEPREFIX", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "SERVOLT_INSTANCE"):
                environment.pop(name, None)
        return environment

    def serve(self, *args):
        return Serve(self, "--instances", self.instances, "--token-file", self.path("serve.token"), *args)

    def snapshot(self):
        """Every file of the test folder but serve's own output, with its bytes."""
        files = {}
        for folder, _, names in os.walk(self.root):
            for name in names:
                path = os.path.join(folder, name)
                if name not in ("serve.out", "serve.err"):
                    with open(path, "rb") as f:
                        files[os.path.relpath(path, self.root)] = f.read()
        return files

    def test_nothing_is_answered_to_a_stranger(self):
        serve = self.serve()
        cookie, csrf = serve.login()
        good = serve.page_headers(cookie, csrf)
        bearer = {"Authorization": "Bearer " + serve.token}
        cases = [
            # (method, target, headers, host, status)
            ("GET", "/api/session", {}, True, 401),
            ("GET", "/", {}, True, 401),
            ("GET", "/api/session", {"Cookie": "servolt_session=" + "0" * 64}, True, 401),
            ("GET", "/api/session", {"Authorization": "Bearer " + "0" * 64}, True, 401),
            ("GET", "/api/session", {"Cookie": cookie}, True, 200),
            ("GET", "/api/session", bearer, True, 200),
            ("GET", "/api/session", {"Cookie": cookie}, "evil.example:%d" % serve.port, 403),
            ("GET", "/api/session", bearer, "evil.example", 403),
            ("GET", "/api/session", {"Cookie": cookie}, False, 403),
            ("GET", "/login?token=" + serve.token, {}, "rebound.example:%d" % serve.port, 403),
            ("GET", "/api/session", {"Cookie": cookie}, "LOCALHOST:%d" % serve.port, 200),
            ("POST", "/logout", dict(good, Origin="http://evil.example"), True, 403),
            ("POST", "/logout", dict(good, **{"Sec-Fetch-Site": "cross-site"}), True, 403),
            ("POST", "/logout", {"Cookie": cookie, "Origin": serve.origin}, True, 403),
            ("POST", "/logout", dict(good, **{"X-Servolt-CSRF": "0" * 64}), True, 403),
            ("POST", "/api/i/default/save", dict(bearer, Origin="http://evil.example"), True, 403),
            ("POST", "/logout", {"Cookie": cookie, "Sec-Fetch-Site": "same-origin", "X-Servolt-CSRF": csrf}, True,
             200),
            ("GET", "/api/session", {"Cookie": cookie}, True, 401),
        ]
        for method, target, headers, host, expected in cases:
            status, answer, body = serve.request(method, target, headers, b"" if method == "POST" else None, host)
            self.assertEqual(status, expected, (method, target, headers, host, body))
            for name, value in SECURITY_HEADERS.items():
                self.assertEqual(answer.get(name), value, (target, name))
            self.assertFalse([h for h in answer if h.startswith("access-control-")], answer)
        # Asked to stop, it ends well.
        self.assertEqual(serve.stop(), 0, serve.errors())
        self.assertIn("stopped", serve.errors())

    def test_a_get_changes_nothing(self):
        serve = self.serve()
        cookie, _ = serve.login()
        before = self.snapshot()
        for target in GET_ROUTES:
            for headers in ({"Cookie": cookie}, {"Authorization": "Bearer " + serve.token}, {}):
                serve.request("GET", target, headers)
        self.assertEqual(self.snapshot(), before)

    def test_no_path_leaves_the_pages_own_files(self):
        serve = self.serve()
        cookie, _ = serve.login()
        prefixes = ["/", "/api/", "/api/i/", "/api/i/default/", "/api/i/default/history/", "/api/i/default/pages/"]
        escapes = ["../", "..", "%2e%2e/", "%2E%2E%2F", ".%2e/default.ini", "..%5c..%5cdefault.ini", "%5c",
                   "%5cdefault.ini", "/etc/passwd", "//etc/passwd", "C:/Windows/win.ini", "C:%5cWindows%5cwin.ini",
                   "Z:%5cetc%5cpasswd", "../../../../default.ini", "%2e%2e%2f%2e%2e%2fdefault.ini",
                   "index.html%00", ".%2fapp.js"]
        for prefix in prefixes:
            for escape in escapes:
                target = prefix + escape
                status, _, body = serve.request("GET", target, {"Cookie": cookie})
                self.assertEqual(status, 404, (target, body))
        root = os.path.join(self.root, "default.ini")
        for target in [root, "/C:/" + root, "http://%s/../default.ini" % serve.host,
                       "file:///etc/passwd", "*"]:
            status, _, body = serve.request("GET", target, {"Cookie": cookie})
            self.assertEqual(status, 404, (target, body))

    def raw(self, serve, data, timeout=30):
        """Sends the bytes on a new connection, ignoring a reset once the
        server has answered, and returns what came back."""
        sock = socket.create_connection(("127.0.0.1", serve.port), timeout=timeout)
        try:
            try:
                sock.sendall(data)
            except (BrokenPipeError, ConnectionResetError):
                pass
            received = b""
            try:
                while True:
                    chunk = sock.recv(65536)
                    if not chunk:
                        break
                    received += chunk
                    if b"\r\n\r\n" in received and b"Connection: close" in received:
                        break
            except (ConnectionResetError, socket.timeout):
                pass
            return received
        finally:
            sock.close()

    def test_oversized_requests_are_refused(self):
        serve = self.serve()
        cookie, csrf = serve.login()
        head = ("POST /api/i/default/import HTTP/1.1\r\nHost: %s\r\nCookie: %s\r\nOrigin: %s\r\n"
                "X-Servolt-CSRF: %s\r\n" % (serve.host, cookie, serve.origin, csrf)).encode()
        declared = head + b"Content-Length: 2000000\r\n\r\n"
        chunk = b"%x\r\n%s\r\n" % (65536, b"x" * 65536)
        chunked = head + b"Transfer-Encoding: chunked\r\n\r\n" + chunk * 20 + b"0\r\n\r\n"
        huge_header = b"GET /api/session HTTP/1.1\r\nHost: " + serve.host.encode() + b"\r\nX-Pad: " + \
            b"p" * 9000 + b"\r\n\r\n"
        for data, status in ((declared, b"413"), (chunked, b"413"), (huge_header, b"431"),
                             (b"BREW /\r\n\r\n", b"400")):
            answer = self.raw(serve, data)
            self.assertTrue(answer.startswith(b"HTTP/1.1 " + status), answer[:200])
            self.assertIn(b"X-Frame-Options: DENY", answer)
        # And it serves on.
        self.assertEqual(serve.request("GET", "/api/session", {"Cookie": cookie})[0], 200)

    def test_slow_and_idle_connections_hold_up_nobody(self):
        serve = self.serve()
        stop = threading.Event()
        idle = [socket.create_connection(("127.0.0.1", serve.port), timeout=60) for _ in range(100)]
        tricklers = [socket.create_connection(("127.0.0.1", serve.port), timeout=60) for _ in range(100)]

        def trickle():
            text = ("GET /api/session HTTP/1.1\r\nHost: %s\r\nX-Slow: " % serve.host).encode()
            for byte in range(len(text)):
                for sock in tricklers:
                    try:
                        sock.send(text[byte:byte + 1])
                    except OSError:
                        pass
                if stop.wait(0.5):
                    return
        sender = threading.Thread(target=trickle, daemon=True)
        sender.start()
        try:
            time.sleep(1)
            status, _, _ = serve.request("GET", "/api/session", {"Authorization": "Bearer " + serve.token},
                                         timeout=30)
            self.assertEqual(status, 200)
            # Neither waits for ever: the header has its time, the server
            # then closes.
            for sock in (idle[0], tricklers[0]):
                sock.settimeout(60)
                try:
                    self.assertEqual(sock.recv(1024), b"")
                except ConnectionResetError:
                    pass
        finally:
            stop.set()
            for sock in idle + tricklers:
                sock.close()

    def test_connections_beyond_the_table_are_told_so(self):
        serve = self.serve()
        request = ("GET /login.html HTTP/1.1\r\nHost: %s\r\n\r\n" % serve.host).encode()
        table = []
        try:
            # Each answered once and kept alive: all of them held by serve.
            for _ in range(256):
                sock = socket.create_connection(("127.0.0.1", serve.port), timeout=30)
                table.append(sock)
                sock.sendall(request)
            for sock in table:
                self.assertTrue(sock.recv(65536).startswith(b"HTTP/1.1 200"))
            self.assertTrue(self.raw(serve, request).startswith(b"HTTP/1.1 503"))
        finally:
            for sock in table:
                sock.close()
        deadline = time.monotonic() + 30
        while serve.request("GET", "/login.html")[0] != 200 and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(serve.request("GET", "/login.html")[0], 200)

    def test_a_non_loopback_address_needs_a_password(self):
        for address in ["0.0.0.0:0", "[::]:0", "192.0.2.1:0"]:
            code, out, err = self.run_cli("serve", "--listen", address, "--instances", self.instances)
            self.assertEqual(code, 2, err)
            self.assertEqual(out, b"")
            self.assertIn("without --password-file", err)
            self.assertIn("SSH tunnel", err)
        code, _, err = self.run_cli("serve", "--listen", "127.0.0.1", "--instances", self.instances)
        self.assertEqual(code, 2, err)

    def test_the_password_logs_in_and_failures_are_slowed(self):
        self.write_file("password.txt", "correct horse\r\nsecond line\r\n")
        serve = self.serve("--password-file", self.path("password.txt"))
        status, headers, body = serve.request("GET", "/login")
        self.assertEqual((status, headers["content-type"]), (200, "text/html; charset=utf-8"))
        self.assertIn(b'name="password"', body)
        form = {"Origin": serve.origin, "Content-Type": "application/x-www-form-urlencoded"}
        # A failed login is answered late; meanwhile the loop serves others.
        done = []
        begun = time.monotonic()

        def wrong():
            done.append(("wrong", serve.request("POST", "/login", form, b"password=correct+hors")[0],
                         time.monotonic() - begun))
        guesser = threading.Thread(target=wrong)
        guesser.start()
        time.sleep(0.2)
        status, _, _ = serve.request("GET", "/login")
        done.append(("other", status, time.monotonic() - begun))
        guesser.join(60)
        self.assertEqual([(what, code) for what, code, _ in done], [("other", 200), ("wrong", 401)])
        self.assertGreaterEqual(done[1][2], 0.9)
        status, headers, _ = serve.request("POST", "/login", form,
                                           urllib.parse.urlencode({"password": "correct horse"}).encode())
        self.assertEqual(status, 303)
        cookie = headers["set-cookie"].split(";")[0]
        self.assertEqual(serve.request("GET", "/", {"Cookie": cookie})[0], 200)
        # From another origin, not even the right password.
        status, _, _ = serve.request("POST", "/login", dict(form, Origin="http://evil.example"),
                                     b"password=correct+horse")
        self.assertEqual(status, 403)

    def test_the_token_file_is_for_this_user_alone(self):
        if self.wine:
            self.skipTest("POSIX mode bits: on Windows the file is in the user's own AppData folder")
        # A world-readable file and a link to another file are replaced,
        # never written through.
        folder = os.path.join(self.home, ".config", "servolt")
        os.makedirs(folder)
        victim = self.write_file("victim.txt", "untouched")
        os.symlink(victim, os.path.join(folder, "serve.token"))
        self.write_file("given.token", "old")
        os.chmod(os.path.join(self.root, "given.token"), 0o644)
        for args, path in (([], os.path.join(folder, "serve.token")),
                           (["--token-file", self.path("given.token")], os.path.join(self.root, "given.token"))):
            serve = Serve(self, "--instances", self.instances, *args)
            info = os.lstat(path)
            self.assertTrue(stat.S_ISREG(info.st_mode), path)
            self.assertEqual(stat.S_IMODE(info.st_mode), 0o600, path)
            with open(path) as f:
                self.assertEqual(f.read(), serve.token)
            self.assertEqual(serve.stop(), 0, serve.errors())
        self.assertEqual(self.read_file("victim.txt"), b"untouched")


if __name__ == "__main__":
    cli_harness.main()
