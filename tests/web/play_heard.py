"""A whole game played in the page as a person plays it, with its sound recorded: Chromium,
started as a player starts it (no automation, which would lift the browser's rule that sound
waits for a key press), full screen on a private X server (Xvfb), sends its sound to a
private PulseAudio server whose only output is a null sink, and parec records that sink.
Keys are real X key events (XTEST, through xdotool); screenshots are of the X screen; the
page's console comes from the browser's log. From the title menu, Enter starts a game and fire
is held through the story, the fight and the credits until the title menu is back after
the game-over screen. Checks: the sound waits for that first key (the recording is silent
before it, the page's sound contexts suspended), then plays (the tune and the effects), and
no error reaches the console. Keeps screenshots, the recording (sound.wav) and its
spectrogram (sound.png) in the output folder (default build-web/heard) and prints the
levels.

Takes about five minutes, so it is not part of scripts/test. Run it by hand after
scripts/web, with Debian's interpreter (browser_test.py's helper needs its python3-selenium):
/usr/bin/python3 tests/web/play_heard.py [build folder]  (default build-web, whose site/ it
serves)."""
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_test as bt  # noqa: E402

ROOT = bt.ROOT
RATE = 44100


def serve(folder):
    class Handler(http.server.SimpleHTTPRequestHandler):
        extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                          ".wasm": "application/wasm", ".js": "text/javascript"}

        def log_message(self, *args):
            pass
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d/" % server.server_port


def start_x(work):
    """Xvfb on a display number it chooses itself; returns (process, ":n")."""
    read, write = os.pipe()
    x = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                          "-nolisten", "tcp"], pass_fds=(write,),
                         stderr=open(os.path.join(work, "xvfb.log"), "w"))
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise AssertionError("Xvfb did not start")
        number += chunk
    os.close(read)
    return x, ":" + number.decode().strip()


def start_sound(work):
    """A PulseAudio server of our own: one null sink, one local socket, no session bus."""
    socket = os.path.join(work, "sound-socket")
    pa = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                           "--disallow-exit", "--log-target=stderr",
                           "-L", "module-null-sink sink_name=vg_sink rate=%d" % RATE,
                           "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket],
                          stderr=open(os.path.join(work, "pulse.log"), "w"))
    os.environ["PULSE_SERVER"] = "unix:" + socket
    for _ in range(100):
        if subprocess.run(["pactl", "info"], capture_output=True).returncode == 0:
            return pa
        time.sleep(0.1)
    stop(pa)
    raise AssertionError("PulseAudio did not start:\n" +
                         open(os.path.join(work, "pulse.log")).read()[-2000:])


def stat(wav, start, length=None):
    """sox's statistics of a stretch of the recording: {"RMS amplitude": ..., ...}."""
    trim = ["trim", "%.2f" % start] + (["%.2f" % length] if length else [])
    out = subprocess.run(["sox", wav, "-n"] + trim + ["stat"], capture_output=True,
                         text=True).stderr
    values = {}
    for line in out.splitlines():
        if ":" in line:
            key, value = line.rsplit(":", 1)
            try:
                values[" ".join(key.split())] = float(value)
            except ValueError:
                pass
    return values


def stop(process):
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()


def rows(shot, test):
    """The rows of the screen holding pixels that pass test(r, g, b)."""
    w, h, raw = shot
    found = []
    for y in range(0, h, 2):
        line = raw[3 * w * y:3 * w * (y + 1)]
        if any(test(line[x], line[x + 1], line[x + 2]) for x in range(0, 3 * w, 6)):
            found.append(y)
    return found


def is_bar(r, g, b):
    """The enemy's green health bar."""
    return g > 220 and r < 40 and b < 40


def is_bonus(r, g, b):
    """The enemy's bonus, written in yellow under it."""
    return r > 220 and g > 220 and b < 60


def is_shot(r, g, b):
    return r < 170 and g > 170 and b > 230


class Screen:
    """The X screen as the browser shows it: shots, kept shots, and the browser's console."""

    def __init__(self, display, out, log):
        self.display, self.out, self.log = display, out, log
        self.kept = []

    def shot(self, keep=None):
        png = subprocess.run(["import", "-display", self.display, "-window", "root", "png:-"],
                             capture_output=True, check=True).stdout
        if keep:
            path = os.path.join(self.out, "%02d-%s.png" % (len(self.kept), keep))
            open(path, "wb").write(png)
            self.kept.append(path)
        return bt.pixels(png)

    def wait(self, what, test, timeout):
        s = bt.first_shot(self.shot, test, timeout, 0.3)
        if s:
            return s
        self.shot(keep="failed")
        raise AssertionError("no %s within %d s" % (what, timeout))

    def console(self):
        """The page's console lines so far, as (level, text)."""
        lines = []
        for line in open(self.log, errors="replace"):
            if ":CONSOLE" in line:
                level = line.split(":")[3] if line.count(":") > 3 else ""
                lines.append((level, line.split('] "', 1)[-1].rsplit('", source:', 1)[0]))
        return lines


def main():
    folder = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web"))
    out = os.path.join(folder, "heard")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    work = tempfile.mkdtemp(prefix="vg-heard-")
    # Everything the sound server and the browser keep for the user goes here.
    os.environ.update(XDG_RUNTIME_DIR=work, HOME=work)
    server, url = serve(os.path.join(folder, "site"))
    x = pa = rec = browser = None
    try:
        x, display = start_x(work)
        os.environ["DISPLAY"] = display
        pa = start_sound(work)
        wav = os.path.join(out, "sound.wav")
        rec = subprocess.Popen(["parec", "-d", "vg_sink.monitor", "--rate=%d" % RATE,
                                "--channels=2", "--format=s16le", "--file-format=wav", wav])
        began = time.time()
        log = os.path.join(out, "browser.log")
        browser = subprocess.Popen(
            ["chromium", "--kiosk", "--window-position=0,0", "--window-size=1024,768",
             "--user-data-dir=" + os.path.join(work, "profile"), "--enable-logging=stderr",
             "--log-level=0", "--autoplay-policy=document-user-activation-required", "--no-sandbox",
             "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-first-run",
             "--disable-quic", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--password-store=basic", url],
            stdout=subprocess.DEVNULL, stderr=open(log, "w"))
        screen = Screen(display, out, log)

        def xdo(*args):
            subprocess.run(["xdotool"] + list(args), check=True)

        screen.wait("title menu", bt.is_title, 120)
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--class",
                                 "chromium"], capture_output=True, text=True).stdout.split()
        xdo("windowfocus", "--sync", window[-1])
        time.sleep(3)
        screen.shot(keep="title")

        first_key = time.time() - began
        print("first key at %.1f s on the clock" % first_key, flush=True)
        # A loaded machine may run the menu's first updates late: Enter again until it starts.
        for _ in range(8):
            xdo("keydown", "Return")
            time.sleep(0.3)
            xdo("keyup", "Return")
            try:
                screen.wait("game screen", bt.is_game, 8)
                break
            except AssertionError:
                pass
        screen.wait("game screen", bt.is_game, 1)
        screen.shot(keep="game")
        xdo("keydown", "space")
        screen.wait("fight", bt.is_fight, 120)
        screen.shot(keep="fight")
        # The ship moves only up and down and its shots fly level: steer it (short taps, as
        # the target moves every update a key is held) to keep its shots at the enemy's
        # height, halfway between its health bar and the bonus written under it, until the
        # bar goes (the enemy is beaten).
        end = time.time() + 240
        aimed = False
        while time.time() < end:
            s = screen.shot()
            bar, shots = rows(s, is_bar), rows(s, is_shot)
            if not bar:
                break
            bonus = [y for y in rows(s, is_bonus) if bar[0] < y < bar[0] + 200]
            if not shots or not bonus:
                time.sleep(0.3)
                continue
            ahead = (bar[0] + bonus[len(bonus) // 2]) / 2 - sum(shots) / len(shots)
            if abs(ahead) < 8:
                if not aimed:
                    screen.shot(keep="aimed")
                    aimed = True
                time.sleep(0.5)
                continue
            key = "Down" if ahead > 0 else "Up"
            xdo("keydown", key)
            time.sleep(0.03)
            xdo("keyup", key)
            time.sleep(0.5)
        # Fire stays held through the fight and the credits; the game ends when the credits
        # do, and the title menu comes back behind the game-over screen's fading result.
        end = time.time() + 600
        last = time.time()
        in_game = True
        while time.time() < end:
            s = screen.shot()
            if bt.is_title(s):
                break
            if in_game != bt.is_game(s) or time.time() - last > 15:
                in_game = bt.is_game(s)
                screen.shot(keep="play" if in_game else "over")
                last = time.time()
            time.sleep(0.3)
        else:
            screen.shot(keep="timeout")
            raise AssertionError("the game did not end within 10 minutes")
        xdo("keyup", "space")
        screen.shot(keep="title-after")
        time.sleep(4)
        screen.shot(keep="title-later")
        stop(browser)
        browser = None
        played = time.time() - began
        stop(rec)
        rec = None
        # parec's first sample comes some time after it starts (a second or more on a
        # loaded machine): times on the clock are that much later in the recording's.
        length = float(subprocess.run(["soxi", "-D", wav], capture_output=True, text=True,
                                      check=True).stdout)
        first_key -= max(0.0, played - length)
        played = length

        console = screen.console()
        for level, text in console:
            if "Sound" in text:
                print("console:", text)
        errors = [t for level, t in console if level == "ERROR"]
        subprocess.run(["sox", wav, "-n", "remix", "-", "spectrogram", "-x", "1600",
                        "-y", "257", "-o", os.path.join(out, "sound.png")], check=True)
        before = stat(wav, 0, max(0.1, first_key - 0.5))
        print("recorded %.0f s; first key at %.1f s" % (played, first_key))
        print("before the first key: max amplitude %.4f" % before.get("Maximum amplitude", -1))
        for start in range(int(first_key), int(played), 10):
            s = stat(wav, start, 10)
            print("%4d-%4d s: RMS %.4f, max %.3f" % (start, start + 10,
                                                     s.get("RMS amplitude", 0),
                                                     s.get("Maximum amplitude", 0)))
        after = stat(wav, first_key + 1)
        print("screenshots and the recording are in", out)
        assert not errors, "errors in the page's console:\n" + "\n".join(errors)
        assert before.get("Maximum amplitude", 1) < 0.001, "sound before the first key"
        assert after.get("RMS amplitude", 0) > 0.01, "no sound after the first key"
    finally:
        stop(browser)
        stop(rec)
        stop(pa)
        stop(x)
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
