"""The page as an app, served by Debian's nginx, started here on 127.0.0.1 with a prefix,
configuration, pid file and logs of its own and the published rules of
packaging/web/vantorell-files.conf: the types, compression and cache headers; Chromium's
installability check; a second load that transfers almost nothing; a game started with the
server stopped; a new build (one data file changed and the page stamped again, no compile)
taken whole at the next start with the saved record kept; and, in a fresh browser, a failed
download said with a retry that works while the loading bar rises on a throttled connection.
Prints the bytes and times of the loads. Registered with CTest by tests/web/CMakeLists.txt."""
import ctypes
import http.client
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import ssl
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import ENTER, Page, is_game, is_title, until  # noqa: E402
from chromium import Browser, free_port  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT = os.path.join(ROOT, "build-web")
RECORD = "/vantorell/.tarvikstate"

CONF = """worker_processes 1;
daemon off;
pid %(dir)s/nginx.pid;
error_log %(dir)s/error.log;
%(user)s
events { worker_connections 64; }
http {
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    log_format bytes '$request_uri $status $bytes_sent';
    access_log %(dir)s/access.log bytes;
    client_body_temp_path %(dir)s/body; proxy_temp_path %(dir)s/proxy;
    fastcgi_temp_path %(dir)s/fastcgi; uwsgi_temp_path %(dir)s/uwsgi; scgi_temp_path %(dir)s/scgi;
%(servers)s
}
"""
PLAIN = """server {
    listen 127.0.0.1:%(port)d;
    root %(root)s;
    include %(files)s;
}"""
FILES = os.path.join(ROOT, "packaging", "web", "vantorell-files.conf")


def end_with_parent():
    """In the child before it runs: a test killed on its time-out takes its server along."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class Nginx:
    """Debian's nginx in the foreground on one port, serving a folder; stopped and started
    again (on the same port, so the browser sees the same site) as the test needs."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="vg-nginx-")
        self.port = free_port()
        self.url = "http://127.0.0.1:%d/" % self.port
        self.proc = None

    def start(self, root, servers=PLAIN):
        conf = os.path.join(self.dir, "nginx.conf")
        with open(conf, "w") as f:
            f.write(CONF % {"dir": self.dir, "servers": servers % {
                                "port": self.port, "root": root, "files": FILES},
                            # As root its workers would be another user, who may not read here.
                            "user": "user root;" if os.geteuid() == 0 else ""})
        test = subprocess.run(["/usr/sbin/nginx", "-t", "-q", "-p", self.dir, "-c", conf],
                              capture_output=True, text=True)
        assert test.returncode == 0, "nginx refuses its configuration: " + test.stderr
        self.proc = subprocess.Popen(["/usr/sbin/nginx", "-p", self.dir, "-c", conf],
                                     stderr=subprocess.DEVNULL, preexec_fn=end_with_parent)
        for _ in range(100):
            if self.proc.poll() is not None:
                raise AssertionError("nginx stopped: " + self.errors())
            try:
                socket.create_connection(("127.0.0.1", self.port), 1).close()
                return
            except OSError:
                time.sleep(0.1)
        raise AssertionError("nginx does not answer: " + self.errors())

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)
        self.proc = None

    def errors(self):
        path = os.path.join(self.dir, "error.log")
        return open(path).read()[-2000:] if os.path.exists(path) else ""

    def requests(self):
        """Every request so far: (path, status, bytes sent with the headers)."""
        path = os.path.join(self.dir, "access.log")
        if not os.path.exists(path):
            return []
        return [(p, int(s), int(b)) for p, s, b in
                (line.split() for line in open(path) if line.strip())]

    def close(self):
        self.stop()
        shutil.rmtree(self.dir, ignore_errors=True)


def headers(url, name):
    req = urllib.request.Request(url + name, headers={"Accept-Encoding": "gzip"})
    with urllib.request.urlopen(req, timeout=30) as r:
        r.read()
        return r.headers


def check_headers(url, site):
    """What a publisher relies on: the page and everything with a fixed name revalidated,
    hash-named files kept long, the WebAssembly type, compression of the big files."""
    named = {f.rsplit(".", 1)[1]: f for f in os.listdir(site) if re.search(r"\.[0-9a-f]{16}\.", f)}
    cases = [("", "text/html", "no-cache", True),
             ("sw.js", "application/javascript", "no-cache", True),
             ("manifest.webmanifest", "application/manifest+json", "no-cache", False),
             ("icon-512.png", "image/png", "no-cache", False),
             (named["js"], "application/javascript", "immutable", True),
             (named["wasm"], "application/wasm", "immutable", True),
             (named["data"], "application/octet-stream", "immutable", True)]
    for name, kind, cache, packed in cases:
        h = headers(url, name)
        assert h["Content-Type"].startswith(kind), (name, h["Content-Type"])
        assert cache in (h["Cache-Control"] or ""), (name, h["Cache-Control"])
        assert (h["Content-Encoding"] == "gzip") == packed, (name, h["Content-Encoding"])
    assert "max-age=31536000" in headers(url, named["wasm"])["Cache-Control"]


def sample_site(server, site):
    """The sample HTTPS site of packaging/web as a publisher would install it, on two local
    ports with a throwaway certificate: HTTP sends to HTTPS, HTTPS serves the page."""
    key, cert = os.path.join(server.dir, "key.pem"), os.path.join(server.dir, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, capture_output=True)
    text = open(os.path.join(ROOT, "packaging", "web", "vantorell.conf")).read()
    plain = free_port()
    for old, new in (("listen [::]:80;", ""), ("listen [::]:443 ssl http2;", ""),
                     ("listen 80;", "listen 127.0.0.1:%d;" % plain),
                     ("listen 443 ssl http2;", "listen 127.0.0.1:%(port)d ssl http2;"),
                     ("/etc/ssl/certs/ssl-cert-snakeoil.pem", cert),
                     ("/etc/ssl/private/ssl-cert-snakeoil.key", key),
                     ("/var/www/vantorell", "%(root)s"),
                     ("snippets/vantorell-files.conf", "%(files)s")):
        assert old in text, "the sample site has no '%s'" % old
        text = text.replace(old, new)
    text = "\n".join(line for line in text.splitlines() if not line.startswith("#"))
    server.start(site, text)
    ask = http.client.HTTPConnection("127.0.0.1", plain, timeout=30)
    ask.request("GET", "/")
    reply = ask.getresponse()
    assert reply.status == 301 and reply.getheader("Location").startswith("https://"), \
        "HTTP does not send to HTTPS: %s %s" % (reply.status, reply.getheader("Location"))
    ask.close()
    context = ssl.create_default_context(cafile=cert)
    context.check_hostname = False
    url = "https://127.0.0.1:%d/" % server.port
    with urllib.request.urlopen(url + "sw.js", timeout=30, context=context) as r:
        assert r.headers["Cache-Control"] == "no-cache", r.headers
    server.stop()


def worker_state(browser):
    """The page's service worker registration: active and waiting workers' states."""
    return browser.js_async(
        "var done = arguments[0]; navigator.serviceWorker.getRegistration().then(function(r) {"
        " done(r ? {active: r.active && r.active.state, waiting: r.waiting && r.waiting.state,"
        " installing: !!r.installing, control: !!navigator.serviceWorker.controller} : {}); },"
        " function(e) { done({error: String(e)}); });")


def cache_names(browser):
    return browser.js_async("var done = arguments[0]; caches.keys().then(done);")


def read_file(browser, path, at=0, size=1 << 30):
    """Bytes of a file of the running program's file system, as a list of values (or None)."""
    return browser.js("try { return Array.from(FS.readFile(arguments[0]).subarray(arguments[1],"
                      " arguments[1] + arguments[2])); } catch (e) { return null; }",
                      path, at, size)


def sent(requests, since=0):
    return sum(b for _, _, b in requests[since:])


def load_title(page, browser, what, reload=True):
    started = time.time()
    if reload:
        browser.refresh()
    page.wait("title menu " + what, is_title, 90)
    return time.time() - started


def play_and_save(page, browser):
    """A game started from the title menu, then the tab hidden, which suspends and saves."""
    page.press(ENTER)
    page.wait("game screen", is_game, 30)
    writes = browser.js("return Module.vgStateWrites")
    game_tab = browser.current_window_handle
    browser.switch_to.new_window("tab")
    time.sleep(2)
    browser.close()
    browser.switch_to.window(game_tab)
    until("saved record stored", 20, lambda: browser.js("return Module.vgStateWrites") > writes)


def data_file_span(js_path, suffix):
    """(name, start, end) of the first packed data file whose name ends with suffix, from the
    package's table in the program's script."""
    text = open(js_path, encoding="utf-8").read()
    entry = r'"filename":\s*"([^"]+)",\s*"start":\s*(\d+),\s*"end":\s*(\d+)[,}]'
    for m in re.finditer(entry, text):
        if m.group(1).endswith(suffix) and int(m.group(3)) - int(m.group(2)) > 4096:
            return m.group(1), int(m.group(2)), int(m.group(3))
    raise AssertionError("no packed file ending in " + suffix)


def new_build(work):
    """A copy of the build with the middle of one sound's samples changed, stamped again into
    a site of its own; returns (site, changed file, its new bytes' offset, the new bytes)."""
    build = os.path.join(work, "build")
    os.makedirs(build)
    for ext in ("js", "wasm", "data"):
        shutil.copy(os.path.join(OUT, "vantorell." + ext), build)
    name, start, end = data_file_span(os.path.join(build, "vantorell.js"), ".wav")
    at = (end - start) // 2
    with open(os.path.join(build, "vantorell.data"), "r+b") as f:
        f.seek(start + at)
        old = f.read(16)
        new = bytes((b + 77) % 256 for b in old)
        f.seek(start + at)
        f.write(new)
    site = os.path.join(work, "site")
    subprocess.run(["cmake", "-DBUILD=" + build, "-DPAGE=" + os.path.join(ROOT, "host", "web"),
                    "-DICONS=" + icons_folder(), "-DSITE=" + site, "-P",
                    os.path.join(ROOT, "host", "web", "stamp.cmake")],
                   check=True, stdout=subprocess.DEVNULL)
    os.chmod(work, 0o755)
    return site, name, at, list(new)


def icons_folder():
    cache = open(os.path.join(OUT, "CMakeCache.txt")).read()
    data = re.search(r"^VANTORELL_WEB_DATA:PATH=(.*)$", cache, re.M).group(1)
    return os.path.join(os.path.dirname(data), "web-icons")


def build_name(site):
    worker = open(os.path.join(site, "sw.js")).read()
    return re.search(r'var BUILD = "([0-9a-f]+)"', worker).group(1)


def next_start(browser, page, url, pause):
    """The game's tab closed, and the game opened again in a new one after pause seconds."""
    new_tab = browser.open_tab()
    browser.close()
    browser.switch_to.window(new_tab)
    time.sleep(pause)
    browser.get(url)
    load_title(page, browser, "at the next start", reload=False)


def installed_app(browser, page, server, site):
    """The page in one browser profile, from first load to an update."""
    # The first load, then the worker's copy of the build (from the browser's cache).
    mark = len(server.requests())
    browser.get(server.url)
    online = load_title(page, browser, "on the first load", reload=False)
    until("service worker active", 60, lambda: worker_state(browser).get("active") == "activated")
    time.sleep(1)
    first = sent(server.requests(), mark)
    errors = browser.cdp("Page.getInstallabilityErrors")["installabilityErrors"]
    assert not errors, "not installable: %s" % errors

    # The second load of the same build comes from the worker: only the worker's own script
    # (to see whether there is a newer build) goes over the network.
    mark = len(server.requests())
    again = load_title(page, browser, "on the second load")
    time.sleep(2)
    second = sent(server.requests(), mark)
    assert second < 20000, "the second load sent %d bytes: %s" % (second, server.requests()[mark:])
    assert worker_state(browser).get("control"), "the second load was not the worker's"

    # Offline: the server stopped, the page starts from the worker's copy and a game runs.
    server.stop()
    offline = load_title(page, browser, "with the server stopped")
    play_and_save(page, browser)
    record = read_file(browser, RECORD)
    assert record, "no saved record after a game"
    print("first load: %d bytes, title menu after %.1f s; second load: %d bytes, %.1f s; "
          "offline: title menu after %.1f s" % (first, online, second, again, offline))

    # A new build on the server: the running build stays whole while the worker fetches the
    # new one beside it (only the changed file: the others carry the same hashed names); the
    # next start takes the new one, keeps the saved record and drops the old cache.
    new_site, name, at, new = site
    server.start(new_site)
    mark = len(server.requests())
    load_title(page, browser, "while a new build is found")
    until("new build fetched", 90, lambda: worker_state(browser).get("waiting") == "installed")
    fetched = [p for p, _, _ in server.requests()[mark:]]
    assert any(p.endswith(".data") for p in fetched), fetched
    assert not any(p.endswith(".wasm") for p in fetched), "unchanged files fetched: %s" % fetched
    # A reload keeps the page open: still the old build, whole.
    load_title(page, browser, "reloaded while the new build waits")
    old_bytes = read_file(browser, name, at, len(new))
    assert old_bytes != new, "new data before the next start"
    # The game closed (its tab, the only page of the site, gone), then started again in a
    # new tab: the new build's worker has taken over. It does so once the browser has let
    # the old page go, a moment after the tab closed: a start before that is still the old
    # build, whole, and the next one the new.
    for pause in (1, 3, 6):
        next_start(browser, page, server.url, pause)
        if read_file(browser, name, at, len(new)) == new:
            break
        assert read_file(browser, name, at, len(new)) == old_bytes, "a mixed build started"
    else:
        raise AssertionError("the new build's data is not in use")
    assert read_file(browser, RECORD) == record, "the saved record changed with the update"
    caches = cache_names(browser)
    assert caches == ["vantorell %s %s" % (server.url, build_name(new_site))], caches
    errors = [m for m in page.errors() if "sw.js" not in m]
    assert not errors, "errors in the page's console:\n" + "\n".join(errors)


def loading_bar(browser, page, server):
    """A fresh browser whose data download is refused, then let through slowly on retry."""
    browser.cdp("Network.enable")
    browser.cdp("Network.setBlockedURLs", urls=["*.data"])
    browser.get(server.url)
    until("the download failure said", 60, lambda: browser.js(
        "var b = document.getElementById('loading-retry'); return b && !b.hidden"))
    said = browser.js("return document.getElementById('loading').innerText")
    assert "could not be downloaded" in said and "Try again" in said, said
    browser.cdp("Network.setBlockedURLs", urls=[])
    browser.cdp("Network.emulateNetworkConditions", offline=False, latency=40,
                downloadThroughput=800000, uploadThroughput=800000)
    browser.js("document.getElementById('loading-retry').click()")
    seen = []
    end = time.time() + 120
    while time.time() < end:
        state = browser.js("var l = document.getElementById('loading');"
                           "return [l.hidden, Number(document.getElementById('loading-bar')"
                           ".getAttribute('aria-valuenow'))]")
        if not seen or state[1] != seen[-1]:
            seen.append(state[1])
        if state[0]:
            break
        time.sleep(0.1)
    browser.cdp("Network.emulateNetworkConditions", offline=False, latency=0,
                downloadThroughput=-1, uploadThroughput=-1)
    print("loading bar on a throttled connection: %s" % seen)
    assert seen == sorted(seen) and len(set(v for v in seen if v < 100)) >= 3, seen
    page.wait("title menu after the retry", is_title, 90)


def main():
    if not shutil.which("emcc"):
        print("skipped: emcc is missing (scripts/setup installs Debian's emscripten)")
        sys.exit(77)
    subprocess.run([os.path.join(ROOT, "scripts", "web")], check=True, stdout=subprocess.DEVNULL)
    site = os.path.join(OUT, "site")
    server, browser, work = Nginx(), None, tempfile.mkdtemp(prefix="vg-newbuild-")
    try:
        sample_site(server, site)
        server.start(site)
        check_headers(server.url, site)
        update = new_build(work)
        browser = Browser()
        installed_app(browser, Page(browser), server, update)
        browser.quit()
        browser = Browser()
        loading_bar(browser, Page(browser), server)
    finally:
        if browser:
            browser.quit()
        server.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
