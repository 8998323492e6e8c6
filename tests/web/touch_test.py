"""The page on a phone: Chromium's mobile emulation (915 x 412 page pixels in landscape, 2.625
device pixels each, touch) plays by touch alone, through the DevTools protocol's touch
events: a tap on the play item starts a game with sound and full screen, a held and dragged
finger fires and steers into the fight, turning the phone upright shows the picture asking
to turn it and turning back brings the game back paused (no loading screen), taps resume,
pause, change an option and quit, and the score is in the saved table, and other shapes of
the same image set (16:9, 4:3) show the title menu without loading again. It prints the
fight's 95th-percentile frame time as it is and with the processor slowed 4x (a mid-range
phone): a figure, not a verdict, on this shared machine. Registered with CTest by tests/web/CMakeLists.txt; shares the page's build."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import (ROOT, Page, has_shots, is_fight, is_game, is_options,  # noqa: E402
                          is_title, share, until)
from chromium import Browser, serve_page  # noqa: E402

DPR = 2.625
LANDSCAPE = (915, 412)
PHONE = {"deviceMetrics": {"width": LANDSCAPE[0], "height": LANDSCAPE[1], "pixelRatio": DPR,
                           "touch": True},
         "userAgent": "Mozilla/5.0 (Linux; Android 14; Phone) AppleWebKit/537.36 "
                      "(KHTML, like Gecko) Chrome/120.0 Mobile Safari/537.36"}


def is_loading(s):
    """The loading screen's dark violet ground."""
    return share(s, lambda r, g, b: 30 <= r <= 50 and 30 <= g <= 50 and 70 <= b <= 90) > 0.5


def is_turn(s):
    """The picture asking to turn the phone: navy ground with the white outline."""
    return (share(s, lambda r, g, b: r < 8 and g < 8 and 70 <= b <= 90) > 0.8 and
            share(s, lambda r, g, b: r > 240 and g > 240 and b > 240) > 0.005)


def is_paused(s):
    """The pause menu's orange sheet over the game."""
    return share(s, lambda r, g, b: r > 150 and 70 < g < 130 and b < 60) > 0.05


class Phone(Page):
    def turn(self, upright):
        w, h = LANDSCAPE[::-1] if upright else LANDSCAPE
        self.b.cdp("Emulation.setDeviceMetricsOverride", width=w, height=h,
                   deviceScaleFactor=DPR, mobile=True,
                   screenOrientation={"type": "portraitPrimary" if upright else
                                      "landscapePrimary", "angle": 0 if upright else 90})

    def at(self, vx, vy):
        """Page pixels of a point of the game's visible area, fitted as the game fits it."""
        w, h = self.b.js("return [innerWidth, innerHeight]")
        dw, dh = w * DPR, h * DPR
        f = max(dw / 640, dh / 480)
        if dh / f < 360:
            f = dh / 360
        return vx * f / DPR, vy * f / DPR

    def area(self):
        """The game's visible area (W, H) in its own pixels."""
        w, h = self.b.js("return [innerWidth, innerHeight]")
        x, y = self.at(1, 1)
        return w / x, h / y

    def tap(self, vx, vy, hold=0.25):
        x, y = self.at(vx, vy)
        self.b.touch("Start", (x, y))
        time.sleep(hold)
        self.b.touch("End")
        time.sleep(0.5)


def main():
    server, url = serve_page(ROOT)
    browser = None
    try:
        browser = Browser(mobile=PHONE)
        phone = Phone(browser)
        browser.get(url)
        phone.wait("title menu", is_title, 60)
        W, H = phone.area()
        assert H >= 359.9 and W > 700, "a 20:9 phone shows %dx%d of the game" % (W, H)
        time.sleep(1)
        phone.shot("touch-20x9-title")
        assert browser.js("return Module.vgSoundStates()") == ["suspended"]

        # A tap on the play item, shorter than most of this machine's frames: sound starts and
        # full screen is asked for at its end. Neither the touch nor a mouse press made of it
        # reaches the canvas's own listeners, where Emscripten's GLFW would press its mouse.
        browser.js("var seen = window.vgCanvasSeen = {touchstart: 0, mousedown: 0, mouseup: 0};"
                   "Object.keys(seen).forEach(function(type) { Module.canvas.addEventListener("
                   "type, function() { seen[type]++; }, true); });")
        phone.tap((W - 140) / 2, H - 96, hold=0.05)
        phone.wait("game screen", is_game, 30)
        seen = browser.js("return window.vgCanvasSeen")
        assert not any(seen.values()), "the canvas's own listeners saw the tap: %s" % seen
        until("sound after the first tap", 10,
              lambda: browser.js("return Module.vgSoundStates()") == ["running"])
        until("full screen after the first tap", 10,
              lambda: browser.js("return !!document.fullscreenElement"))

        # A held finger fires, dragged up and down it steers, into the fight.
        x, y = phone.at(W / 2, H / 2)
        browser.touch("Start", (x, y))
        end = time.time() + 120
        step = 0
        while time.time() < end and not is_fight(phone.shot()):
            step += 1
            browser.touch("Move", (x, y + (40 if step % 2 else -40)))
            time.sleep(0.3)
        shot = phone.shot("touch-20x9-fight")
        assert is_fight(shot) and has_shots(shot), "no fight under a held finger"

        # The fight's frames (script time) at the 95th percentile, as it is and slowed 4x. A
        # display slower than 60 Hz (this machine's software GL) runs several updates in one
        # frame: such a frame counts as that many frames of its time shared out.
        for rate in (1, 4):
            browser.cdp("Emulation.setCPUThrottlingRate", rate=rate)
            browser.js("Module.vgFrameTimes.times = []")
            time.sleep(6)
            passes = phone.frames()["times"]
            times = sorted(t / max(1, n) for t, n in passes for _ in range(max(1, n)))
            p95 = times[int(0.95 * (len(times) - 1))] if times else 0
            print("fight, processor %dx slower: %d display frames, %d updates in 6 s; per "
                  "update and render: median %.1f ms, 95th percentile %.1f ms"
                  % (rate, len(passes), sum(n for _, n in passes),
                     times[len(times) // 2] if times else 0, p95))
        browser.cdp("Emulation.setCPUThrottlingRate", rate=1)
        browser.touch("End")

        # Upright mid-fight: the picture asking to turn; turned back, the game is where it was,
        # paused, and no loading screen came between.
        phone.turn(upright=True)
        phone.wait("picture asking to turn the phone", is_turn, 10)
        phone.shot("touch-portrait")
        phone.turn(upright=False)
        paused = phone.wait("game paused after turning back", lambda s: is_paused(s) or
                            is_loading(s), 10)
        assert not is_loading(paused), "turning the phone brought the loading screen back"
        phone.shot("touch-20x9-paused")
        W, H = phone.area()

        # Resume by a tap on the pause menu's middle item, then pause again by the corner icon.
        phone.tap(W / 2, H / 2)
        phone.wait("game resumed", lambda s: is_game(s) and not is_paused(s), 10)
        phone.tap(16, 16)
        phone.wait("pause menu from the corner icon", is_paused, 10)
        time.sleep(1)

        # The gear opens the options; a tap on the sound row changes it; the gear closes them.
        def sound():
            saved = browser.js("return Module.vgSavedRecord()").split("|")
            return saved[5] if len(saved) > 5 else None
        was = sound()
        phone.tap(W / 2 + 140, H / 2 - 64)
        phone.wait("options box", is_options, 10)
        time.sleep(1)
        phone.tap(W / 2, 140)
        time.sleep(0.5)
        phone.shot("touch-20x9-options")
        phone.tap(100, 60)
        phone.wait("options closed", lambda s: is_paused(s) and not is_options(s), 10)
        until("the changed sound setting saved", 10, lambda: sound() not in (was, None))
        time.sleep(1)

        # Quit from the pause menu: game over, then the title menu with the score saved.
        phone.tap(W / 2 - 140, H / 2 - 64)
        phone.wait("title menu after the game", is_title, 60)
        until("score saved", 20, lambda: len(browser.js("return Module.vgSavedRecord()")
                                             .split("|")) > 36)
        fields = browser.js("return Module.vgSavedRecord()").split("|")
        assert int(fields[36]) > 0 and int(fields[35]) >= int(fields[36]), fields[35:40]
        print("score by touch: %s" % fields[36])

        # Other shapes of the same tier load nothing again: 16:9 and 4:3 show the title menu
        # straight away.
        for name, (w, h) in (("16x9", (960, 540)), ("4x3", (800, 600))):
            browser.cdp("Emulation.setDeviceMetricsOverride", width=w, height=h,
                        deviceScaleFactor=DPR, mobile=True,
                        screenOrientation={"type": "landscapePrimary", "angle": 90})
            shot = phone.wait("title menu at %s" % name, lambda s: is_title(s) or is_loading(s), 10)
            assert not is_loading(shot), "the loading screen came back at %s" % name
            time.sleep(0.5)
            phone.shot("touch-%s-title" % name)

        errors = phone.errors()
        assert not errors, "errors in the page's console:\n" + "\n".join(errors)
    finally:
        if browser:
            browser.quit()
        server.terminate()
        server.wait(10)


if __name__ == "__main__":
    main()
