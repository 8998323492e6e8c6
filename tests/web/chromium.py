"""Headless Chromium for the page's tests, driven through Debian's python3-selenium and
chromedriver: the flags this machine needs, a phone's emulation, DevTools calls (a phone's
screen and touches, a slower processor, the network), key presses and pointer clicks as
WebDriver actions, and the built page served. Used by the tests in tests/web/."""
import os
import shutil
import socket
import subprocess
import tempfile

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.remote.command import Command
except ImportError:
    raise SystemExit("python3-selenium is missing: scripts/setup installs it, and the tests run "
                     "with Debian's /usr/bin/python3, which sees it")

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
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


class Browser(webdriver.Chrome):
    """A headless Chromium session in a profile of its own, removed by quit(). extra_args:
    more Chromium flags; mobile: Chromium's mobile emulation (deviceMetrics with touch, a
    user agent)."""

    def __init__(self, extra_args=(), mobile=None):
        # Both named by their path: selenium would otherwise go looking for a driver to
        # download when none is found.
        for path, package in ((CHROMIUM, "chromium"), (CHROMEDRIVER, "chromium-driver")):
            if not os.access(path, os.X_OK):
                raise AssertionError("%s is missing (scripts/setup installs %s)" % (path, package))
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        self.profile = tempfile.mkdtemp(prefix="vg-chromium-")
        for arg in CHROMIUM_ARGS + list(extra_args) + ["--user-data-dir=" + self.profile]:
            options.add_argument(arg)
        if mobile:
            options.add_experimental_option("mobileEmulation", mobile)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        # The driver is on this machine: a proxy named in the environment is not on the way.
        options.ignore_local_proxy_environment_variables()
        try:
            super().__init__(service=Service(executable_path=CHROMEDRIVER), options=options)
        except BaseException:
            shutil.rmtree(self.profile, ignore_errors=True)
            raise

    def quit(self):
        try:
            super().quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def js(self, script, *args):
        return self.execute_script(script, *args)

    def js_async(self, script, *args):
        """Runs script with a callback as its last argument; returns what it is called with."""
        return self.execute_async_script(script, *args)

    def cdp(self, command, **params):
        """A DevTools protocol command in the page's session."""
        return self.execute_cdp_cmd(command, params)

    def open_tab(self):
        """A new blank tab's handle; commands still go to the current one."""
        return self.execute(Command.NEW_WINDOW, {"type": "tab"})["value"]["handle"]

    def press(self, key, hold=0.4):
        """key (a selenium Keys value or a character) pressed and released hold seconds later."""
        ActionChains(self).key_down(key).pause(hold).key_up(key).perform()

    def hold(self, key):
        """key pressed until release(key)."""
        ActionChains(self).key_down(key).perform()

    def release(self, key):
        ActionChains(self).key_up(key).perform()

    def click(self, x, y):
        """A mouse click at (x, y) in viewport pixels."""
        actions = ActionBuilder(self, duration=0)
        actions.pointer_action.move_to_location(int(x), int(y)).pointer_down().pause(0.06) \
            .pointer_up()
        actions.perform()

    def touch(self, kind, *points):
        """kind: "Start", "Move", "End" or "Cancel"; points: (x, y) in page pixels of the fingers
        down after the event (none for an end), the first one given an identifier 0, ..."""
        self.cdp("Input.dispatchTouchEvent", type="touch" + kind,
                 touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def console(self):
        """Console entries since the last call: dicts with level and message."""
        return self.get_log("browser")
