"""The browser build end to end: builds and serves the page (scripts/web --serve), drives
Debian's headless Chromium through python3-selenium and chromedriver (chromium.py), and
plays as a person would: the title menu appears, a key press starts a game, held fire
reaches the fight, a pad (a stand-in in the browser's gamepad list) works the menu, and a
changed option survives a reload. Fails on any error in the page's console. Prints the time
to the first title-menu frame, the page's transferred (gzip) size and the longest frame's
script time.
Registered with CTest by tests/web/CMakeLists.txt."""
import gzip
import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chromium import Browser, serve_page  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ENTER, ESCAPE, RIGHT, DOWN, SPACE = Keys.ENTER, Keys.ESCAPE, Keys.ARROW_RIGHT, Keys.ARROW_DOWN, " "
# The browser's standard pad layout: d-pad right, A, d-pad down.
PAD_BUTTONS = {RIGHT: 15, ENTER: 0, DOWN: 13}


def pixels(png):
    """(width, height, RGB bytes) of a PNG, through ImageMagick."""
    w, h = struct.unpack(">II", png[16:24])
    raw = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png,
                         capture_output=True, check=True).stdout
    return w, h, raw


def share(shot, test, top=1.0):
    """The share of the picture's pixels (in its upper part `top`) that pass test(r, g, b)."""
    w, h, raw = shot
    end = 3 * w * int(h * top)
    hits = sum(1 for i in range(0, end, 9) if test(raw[i], raw[i + 1], raw[i + 2]))
    return hits / (end / 9)


# The title menu's magenta floor grid and its green play button; the game's navy sky with
# the green score; the fight's red and green health bar. No other screen has both of a pair.
def is_title(s):
    return (share(s, lambda r, g, b: r > 150 and g < 64 and b > 150) > 0.01 and
            share(s, lambda r, g, b: g > 200 and r < 128 and b < 128) > 0.003)


def is_game(s):
    return (share(s, lambda r, g, b: r < 32 and g < 32 and 64 <= b < 112) > 0.8 and
            share(s, lambda r, g, b: g > 200 and r < 128 and b < 160, top=0.08) > 0.002)


def is_fight(s):
    return (is_game(s) and share(s, lambda r, g, b: 150 < r < 210 and g < 40 and b < 40) > 1e-4
            and share(s, lambda r, g, b: g > 220 and r < 40 and b < 40) > 1e-4)


def has_shots(s):
    """The ship's bright blue shots in flight."""
    return share(s, lambda r, g, b: r < 170 and g > 170 and b > 230) > 2e-5


def is_options(s):
    """The options box's orange sheet over most of the screen."""
    return share(s, lambda r, g, b: r > 110 and 40 < g < 100 and b < 40) > 0.3


def teal(r, g, b):
    return 50 < r < 100 and 100 < g < 150 and 110 < b < 150


def cursor_rows(s):
    """The rows of the screen that the options box's cursor bar covers."""
    w, h, raw = s
    rows = []
    for y in range(h):
        line = raw[3 * w * y:3 * w * (y + 1)]
        if sum(1 for x in range(0, 3 * w, 12) if teal(*line[x:x + 3])) > w / 12 * 0.3:
            rows.append(y)
    return rows


def row_diff(a, c):
    """How much of the cursor's row band (taken from a) differs clearly between a and c."""
    w, h, ra = a
    rc = c[2]
    rows = cursor_rows(a)
    hits = total = 0
    for y in rows:
        for i in range(3 * w * y, 3 * w * (y + 1), 3):
            total += 1
            hits += abs(ra[i] - rc[i]) + abs(ra[i + 1] - rc[i + 1]) + abs(ra[i + 2] - rc[i + 2]) > 150
    return hits / total if total else 0


def first_shot(shoot, test, timeout, pause):
    """The first screenshot from shoot() that passes test within timeout seconds, or None."""
    end = time.time() + timeout
    while time.time() < end:
        s = shoot()
        if test(s):
            return s
        time.sleep(pause)
    return None


def until(what, timeout, test):
    end = time.time() + timeout
    while not test():
        if time.time() > end:
            raise AssertionError("no %s within %d s" % (what, timeout))
        time.sleep(0.1)


class Page:
    def __init__(self, browser):
        self.b = browser

    def shot(self, keep=None):
        png = self.b.get_screenshot_as_png()
        if keep:
            open(os.path.join(ROOT, "build-web", keep + ".png"), "wb").write(png)
        return pixels(png)

    def seen(self, test, timeout):
        return first_shot(self.shot, test, timeout, 0.05) is not None

    def wait(self, what, test, timeout):
        s = first_shot(self.shot, test, timeout, 0.05)
        if s:
            return s
        self.b.save_screenshot(os.path.join(ROOT, "build-web", "failed.png"))
        raise AssertionError("no %s within %d s (build-web/failed.png)" % (what, timeout))

    def press(self, *keys):
        # The game reads held keys once per update: a press spans several updates even when
        # a loaded machine runs few frames.
        for k in keys:
            self.b.press(k, 0.4)
            time.sleep(0.6)

    def plug_pad(self):
        """A pad in the browser's standard layout, its buttons set by pad_press: the page reads
        pads from navigator.getGamepads, which headless Chromium has none for."""
        self.b.js("var pad = {id: 'test pad', index: 0, connected: true, mapping: 'standard', "
                  "timestamp: 0, axes: [0, 0, 0, 0], buttons: []};"
                  "for (var i = 0; i < 17; ++i) pad.buttons.push({pressed: false, value: 0});"
                  "window.vgTestPad = pad;"
                  "Object.defineProperty(navigator, 'getGamepads', {configurable: true, "
                  "value: function() { return [pad, null, null, null]; }});")

    def pad_press(self, key):
        """The pad's button for the key (RIGHT, ENTER or DOWN) pressed and released."""
        for down in (True, False):
            self.b.js("var b = window.vgTestPad.buttons[arguments[0]]; b.pressed = arguments[1];"
                      "b.value = arguments[1] ? 1 : 0;", PAD_BUTTONS[key], down)
            time.sleep(0.4 if down else 0.6)

    def sound_row(self, pad=False):
        """From the title menu: the options box open with the cursor on its first row (sound),
        reached with keys or with the pad."""
        press = self.pad_press if pad else self.press
        press(RIGHT)
        press(ENTER)
        if not self.seen(is_options, 10):
            press(ENTER)  # on a loaded machine the menu may still be moving to the gear
            self.wait("options box", is_options, 10)
        time.sleep(1)  # the box ignores keys while it slides in
        for _ in range(4):
            s = self.shot()
            if cursor_rows(s):
                return s
            press(DOWN)
        raise AssertionError("the options cursor did not reach the sound row")

    def frames(self, reset=False):
        return self.b.js("var f = Module.vgFrameTimes; if (arguments[0]) "
                         "Module.vgFrameTimes = {frames: 0, longest: 0, over: []}; return f;",
                         reset)

    def errors(self):
        return [e["message"] for e in self.b.console() if e["level"] == "SEVERE"]


def main():
    server, url = serve_page(ROOT)
    browser = None
    try:
        out = os.path.join(ROOT, "build-web", "site")
        size = sum(len(gzip.compress(open(os.path.join(out, n), "rb").read(), 6))
                   for n in os.listdir(out))
        print("page size, gzip: %.2f MB" % (size / 1e6))
        assert size <= 8e6, "the page transfers more than 8 MB"

        browser = Browser()
        page = Page(browser)
        started = time.time()
        browser.get(url)
        page.wait("title menu", is_title, 60)
        print("navigation to title menu: %.2f s" % (time.time() - started))
        time.sleep(2)
        page.frames(reset=True)
        time.sleep(3)
        title_frames = page.frames(reset=True)

        # The browser holds sound back until the first key press or click; after one it plays.
        sound = browser.js("return Module.vgSoundStates()")
        assert sound and all(s == "suspended" for s in sound), "sound before any key: %s" % sound

        # A game: Enter on the play item, then fire held through the story into the fight. The
        # game's frames count from the key, so the frame that starts the tune is among them.
        page.frames(reset=True)
        page.press(ENTER)
        first = page.wait("game screen", is_game, 30)
        sound = browser.js("return Module.vgSoundStates()")
        assert sound and all(s == "running" for s in sound), "no sound after a key: %s" % sound
        # The game's tune was built ahead for the browser, not copied in the frame it started.
        assert browser.js("return Module.vgTunesTaken"), "the tune was not prepared ahead"
        browser.hold(SPACE)
        page.wait("fight with the enemy", is_fight, 120)
        time.sleep(3)
        game_frames = page.frames()
        shot = page.shot()
        browser.release(SPACE)
        assert is_fight(shot), "the fight screen went away while fire was held"
        assert has_shots(shot) and not has_shots(first), "held fire shot nothing"
        # A hidden tab suspends the game (which saves and pauses); shown again, it stays paused.
        writes = browser.js("return Module.vgStateWrites")
        game_tab = browser.current_window_handle
        browser.switch_to.new_window("tab")
        time.sleep(2)
        browser.switch_to.window(game_tab)
        assert browser.js("return Module.vgStateWrites") > writes, "hiding did not suspend"
        page.wait("pause over the game", lambda s: is_game(s) is False and not is_title(s), 10)
        for name, f in (("title menu", title_frames), ("game", game_frames)):
            over = f["over"]
            print("%s: %d frames, longest script time %.1f ms, %d over 16.7 ms %s"
                  % (name, f["frames"], f["longest"], len(over),
                     [(round((t - over[0][0]) / 1000, 1), ms) for t, ms in over][:12]))

        # An option changed in the options box (the gear item) is there after a reload.
        browser.refresh()
        page.wait("title menu after reload", is_title, 60)
        page.plug_pad()
        before = page.sound_row(pad=True)
        page.press(ENTER)
        changed = page.wait("sound setting changed", lambda s: row_diff(before, s) > 0.01, 10)
        page.press(ESCAPE)
        until("saved record stored", 20, lambda: browser.js("return Module.vgStateWrites") >= 1)
        browser.refresh()
        page.wait("title menu after the second reload", is_title, 60)
        after = page.sound_row()
        assert row_diff(changed, after) < 0.003, "the changed option did not survive the reload"

        # The full-screen key asks the browser for full screen. When the browser leaves it on
        # its own (as on Esc), the game's setting follows: the key then asks for it again
        # (a game that still thought itself full screen would ask to leave it instead).
        for want in (True, False, True):
            if want:
                page.press(Keys.F11)
            else:
                browser.js("document.exitFullscreen()")
            until("full screen %s" % ("on" if want else "off"), 30, lambda: browser.js(
                "return !!document.fullscreenElement && !Module.vgFullscreenBusy") == want)
            time.sleep(1)

        # The quit key ends the program: the page stops it and says so, with a way back.
        page.press(Keys.F4)
        until("notice of the end", 10,
              lambda: not browser.js("return document.getElementById('note').hidden"))
        assert browser.js("return Module.vgEnded") == 0, "the quit key did not end the program"
        assert "ended" in browser.js("return document.getElementById('note-title').textContent")
        frames = page.frames()["frames"]
        time.sleep(0.5)
        assert page.frames()["frames"] == frames, "frames still run after the program ended"

        errors = page.errors()
        assert not errors, "errors in the page's console:\n" + "\n".join(errors)
        browser.quit()

        # A fatal error (here: a browser without WebGL, so no window can open) stops the
        # program with its message on the page and in the console.
        browser = Browser(extra_args=["--disable-3d-apis"])
        browser.get(url)
        until("notice of the error", 60,
              lambda: not browser.js("return document.getElementById('note').hidden"))
        text = browser.js("return document.getElementById('note').innerText")
        assert "Unable to open a window" in text and "error" in text, text
        assert any("Unable to open a window" in m for m in Page(browser).errors())
    finally:
        if browser:
            browser.quit()
        server.terminate()
        server.wait(10)


if __name__ == "__main__":
    main()
