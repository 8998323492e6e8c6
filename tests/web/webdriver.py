"""A small WebDriver client over Chromium's driver (W3C protocol on plain HTTP), enough for
the browser test: a headless session, navigation, script, keys and clicks, screenshots and
the page's console log, and the DevTools calls for a phone (its screen, touches, a slower
processor), and the built page served. Used by the tests in tests/web/."""
import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

# Everything a test browser needs on a machine whose only network is the package mirrors.
CHROMIUM_ARGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--disable-quic", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--window-size=960,720",
    "--autoplay-policy=document-user-activation-required",
]


def serve_page(root):
    """Builds the page with scripts/web and serves it on a free port: (server, url). The caller
    ends the server; a machine without Emscripten skips the test (code 77)."""
    if not shutil.which("emcc"):
        print("skipped: emcc is missing (scripts/setup installs Debian's emscripten)")
        raise SystemExit(77)
    server = subprocess.Popen([os.path.join(root, "scripts", "web"), "--serve", "0"],
                              stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    if " at http" not in line:
        server.terminate()
        raise AssertionError("the page was not served: %r" % line)
    return server, line.split(" at ")[1].split()[0]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Browser:
    def __init__(self, extra_args=(), binary="/usr/bin/chromium", driver="/usr/bin/chromedriver",
                 mobile=None):
        """mobile: Chromium's mobile emulation (deviceMetrics with touch, a user agent)."""
        self.profile = tempfile.mkdtemp(prefix="vg-chromium-")
        self.port = free_port()
        self.driver = subprocess.Popen([driver, "--port=%d" % self.port],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.base = "http://127.0.0.1:%d" % self.port
        for _ in range(100):
            try:
                self._call("GET", "/status")
                break
            except OSError:
                time.sleep(0.1)
        options = {"binary": binary,
                   "args": CHROMIUM_ARGS + list(extra_args) + ["--user-data-dir=" + self.profile]}
        if mobile:
            options["mobileEmulation"] = mobile
        caps = {"browserName": "chrome", "goog:chromeOptions": options,
                "goog:loggingPrefs": {"browser": "ALL"}}
        reply = self._call("POST", "/session", {"capabilities": {"alwaysMatch": caps}})
        self.session = "/session/" + reply["sessionId"]

    def _call(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        req = urllib.request.Request(self.base + path, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(req, timeout=120) as r:
                return json.loads(r.read() or b"{}").get("value")
        except urllib.error.HTTPError as e:
            raise RuntimeError("%s %s: %s" % (method, path, e.read().decode()[:500]))

    def cmd(self, method, path, body=None):
        return self._call(method, self.session + path, body)

    def go(self, url):
        self.cmd("POST", "/url", {"url": url})

    def reload(self):
        self.cmd("POST", "/refresh", {})

    def js(self, script, *args):
        return self.cmd("POST", "/execute/sync", {"script": script, "args": list(args)})

    def js_async(self, script, *args):
        """Runs script with a callback as its last argument; returns what it is called with."""
        return self.cmd("POST", "/execute/async", {"script": script, "args": list(args)})

    def keys(self, *actions):
        """actions: ("down", key) / ("up", key) / ("pause", ms); key is a WebDriver key."""
        steps = []
        for kind, value in actions:
            if kind == "pause":
                steps.append({"type": "pause", "duration": value})
            else:
                steps.append({"type": "key" + kind.capitalize(), "value": value})
        self.cmd("POST", "/actions", {"actions": [{"type": "key", "id": "kb", "actions": steps}]})

    def click(self, x, y):
        pointer = [{"type": "pointerMove", "x": int(x), "y": int(y), "origin": "viewport"},
                   {"type": "pointerDown", "button": 0}, {"type": "pause", "duration": 60},
                   {"type": "pointerUp", "button": 0}]
        self.cmd("POST", "/actions", {"actions": [{"type": "pointer", "id": "mouse",
                                                   "parameters": {"pointerType": "mouse"},
                                                   "actions": pointer}]})

    def cdp(self, command, **params):
        """A DevTools protocol command in the page's session."""
        return self.cmd("POST", "/goog/cdp/execute", {"cmd": command, "params": params})

    def touch(self, kind, *points):
        """kind: "Start", "Move", "End" or "Cancel"; points: (x, y) in page pixels of the fingers
        down after the event (none for an end), the first one given an identifier 0, ..."""
        self.cdp("Input.dispatchTouchEvent", type="touch" + kind,
                 touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def screenshot(self):
        """The page as PNG bytes."""
        return base64.b64decode(self.cmd("GET", "/screenshot"))

    def console(self):
        """Console entries since the last call: dicts with level and message."""
        return self.cmd("POST", "/se/log", {"type": "browser"}) or []

    def close(self):
        try:
            self._call("DELETE", self.session)
        except Exception:
            pass
        self.driver.terminate()
        try:
            self.driver.wait(10)
        except subprocess.TimeoutExpired:
            self.driver.kill()
        shutil.rmtree(self.profile, ignore_errors=True)
