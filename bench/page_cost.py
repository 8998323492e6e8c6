#!/usr/bin/python3
"""What the page's title menu costs the whole browser: headless Chromium (Debian's, through
python3-selenium and chromedriver) on SwiftShader, its software GL, which fills the pixels in
the GPU process, so the page's script time alone would not show the cost. Each built site
given (an older commit's beside today's) is served from this script, opened in a fresh
browser, left to reach the title menu, and measured: CPU of every browser process over the
window (utime + stime from /proc, in % of one core, and the renderer's and GPU process's own
shares), animation frames a second, and CPU ms per frame. Sites alternate, RUNS times each;
medians are printed.

Usage: bench/page_cost.py SITE_DIR [SITE_DIR ...]   (env: RUNS=3 SECONDS_=20 SETTLE=20)
A site folder is build-web/site after scripts/web."""
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser_test import is_title, pixels  # noqa: E402  (the title menu's pixel test)
from play_heard import serve  # noqa: E402  (the built site on a free port)
from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402

HZ = os.sysconf("SC_CLK_TCK")
ARGS = ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
        "--no-first-run", "--disable-background-networking", "--disable-component-update",
        "--disable-sync", "--window-size=960,720"]


def descendants(root):
    """pid -> (kind, cpu ticks) for every process below root."""
    children = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            stat = open("/proc/%s/stat" % pid).read()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        children.setdefault(int(fields[1]), []).append((int(pid), int(fields[11]) + int(fields[12])))
    found, todo = {}, [root]
    while todo:
        for pid, ticks in children.get(todo.pop(), []):
            try:
                # Chromium rewrites its command line as one string, spaces between words.
                cmd = open("/proc/%d/cmdline" % pid, "rb").read().replace(b"\0", b" ").split()
            except OSError:
                continue
            kind = next((a[7:].decode() for a in cmd if a.startswith(b"--type=")), "browser")
            found[pid] = (kind, ticks)
            todo.append(pid)
    return found


def measure(folder, seconds, settle):
    server, url = serve(folder)
    profile = tempfile.mkdtemp(prefix="vg-pagecost-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for a in ARGS + ["--user-data-dir=" + profile]:
        options.add_argument(a)
    driver = webdriver.Chrome(service=Service(executable_path="/usr/bin/chromedriver"),
                              options=options)
    try:
        driver.get(url)
        end = time.time() + 90
        while not is_title(pixels(driver.get_screenshot_as_png())):
            if time.time() > end:
                raise SystemExit("%s: no title menu within 90 s" % folder)
            time.sleep(0.2)
        time.sleep(settle)
        driver.execute_script(
            "window.vgCount = 0; (function f() { window.vgCount++; requestAnimationFrame(f); })();")
        root = driver.service.process.pid
        before = descendants(root)
        time.sleep(seconds)
        after = descendants(root)
        frames = driver.execute_script("return window.vgCount;")
        ok = is_title(pixels(driver.get_screenshot_as_png()))
    finally:
        driver.quit()
        server.shutdown()
    use = {}
    for pid, (kind, ticks) in after.items():
        use[kind] = use.get(kind, 0) + ticks - before.get(pid, (kind, 0))[1]
    pct = {k: v / HZ / seconds * 100 for k, v in use.items()}
    total = sum(pct.values())
    rate = frames / seconds
    return {"cpu": total, "renderer": pct.get("renderer", 0), "gpu": pct.get("gpu-process", 0),
            "fps": rate, "ms": total * 10 / rate if rate else 0, "title": ok}


def main():
    sites = [os.path.abspath(s) for s in sys.argv[1:]]
    if not sites:
        raise SystemExit(__doc__)
    runs, seconds = int(os.environ.get("RUNS", 3)), int(os.environ.get("SECONDS_", 20))
    settle = int(os.environ.get("SETTLE", 20))
    print("load before: %s" % " ".join(open("/proc/loadavg").read().split()[:3]))
    results = {s: [] for s in sites}
    for r in range(runs):
        for s in sites:
            m = measure(s, seconds, settle)
            print("  run %d %s: %s" % (r + 1, s, " ".join("%s %.1f" % (k, v) if k != "title" else
                                                         "title %s" % v for k, v in m.items())),
                  flush=True)
            results[s].append(m)
    print("load after: %s" % " ".join(open("/proc/loadavg").read().split()[:3]))
    print("\n| site | browser CPU (% of a core) | renderer | GPU process | frames/s | CPU ms per frame |")
    print("|---|---|---|---|---|---|")
    for s in sites:
        med = {k: statistics.median(m[k] for m in results[s]) for k in ("cpu", "renderer", "gpu", "fps", "ms")}
        print("| %s | %.1f | %.1f | %.1f | %.1f | %.2f |" % (s, med["cpu"], med["renderer"], med["gpu"],
                                                            med["fps"], med["ms"]))


if __name__ == "__main__":
    main()
