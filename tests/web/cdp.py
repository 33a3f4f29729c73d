"""Drives a headless Chromium through the DevTools protocol for the browser
build's test and frame-rate tool: starts it on SwiftShader with a throwaway
profile, serves the page's folder over HTTP, sends keys and the mouse as a
player would, and keeps every error the page reports.

Needs Debian's python3-websocket (run with /usr/bin/python3) and
/usr/bin/chromium.
"""
import atexit
import base64
import functools
import http.server
import json
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket

CHROMIUM = "/usr/bin/chromium"
DRAWING_SIZE = 512  # the game's drawing space, scaled by CSS into the canvas


def _flags(profile, width, height):
    return [
        "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
        "--autoplay-policy=no-user-gesture-required", "--disable-background-networking",
        "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic",
        "--remote-debugging-port=0", "--user-data-dir=" + profile, "--window-size=%d,%d" % (width, height),
    ]


class _Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript", ".data": "application/octet-stream"})

    def log_message(self, *args):
        pass  # the test's own lines are what a reader wants to see

    def send_head(self):
        # The page has no icon; a 404 for the browser's own request would
        # count as a page error.
        if self.path == "/favicon.ico" and not os.path.exists(os.path.join(self.directory, "favicon.ico")):
            self.send_response(204)
            self.end_headers()
            return None
        return super().send_head()


def serve_folder(folder):
    """Serves `folder` on 127.0.0.1 at a free port; returns (server, base URL)."""
    handler = functools.partial(_Handler, directory=os.path.abspath(folder))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d" % server.server_address[1]


class CdpError(RuntimeError):
    pass


class JsError(RuntimeError):
    pass


# key name -> (DOM key, DOM code, Windows virtual key code, text typed)
_NAMED_KEYS = {
    "ArrowUp": ("ArrowUp", "ArrowUp", 38, ""), "ArrowDown": ("ArrowDown", "ArrowDown", 40, ""),
    "ArrowLeft": ("ArrowLeft", "ArrowLeft", 37, ""), "ArrowRight": ("ArrowRight", "ArrowRight", 39, ""),
    "Enter": ("Enter", "Enter", 13, "\r"), "Escape": ("Escape", "Escape", 27, ""),
    "Space": (" ", "Space", 32, " "), "Tab": ("Tab", "Tab", 9, ""), "Backspace": ("Backspace", "Backspace", 8, ""),
}
_ALIASES = {"Up": "ArrowUp", "Down": "ArrowDown", "Left": "ArrowLeft", "Right": "ArrowRight", "Esc": "Escape"}


def key_fields(name):
    name = _ALIASES.get(name, name)
    if name in _NAMED_KEYS:
        return _NAMED_KEYS[name]
    if len(name) == 1 and name.isascii() and name.isalpha():
        return (name.lower(), "Key" + name.upper(), ord(name.upper()), name.lower())
    if len(name) == 1 and name.isdigit():
        return (name, "Digit" + name, ord(name), name)
    if name[:1] == "F" and name[1:].isdigit() and 1 <= int(name[1:]) <= 12:
        return (name, name, 111 + int(name[1:]), "")
    raise ValueError("no key named %r" % name)


class Browser:
    """One headless Chromium with one page; close() (or leaving a `with`)
    ends its processes and removes its profile."""

    def __init__(self, width=700, height=700, launch_timeout=90):
        self.errors = []    # every error the page reported, as text
        self.console = []   # (type, text) of every console message
        self._loads = 0
        self._replies = {}
        self._next_id = 0
        self._cond = threading.Condition()
        self._closed = False
        self._done = False
        self._buttons = 0
        self.proc = None
        self.ws = None
        self.profile = tempfile.mkdtemp(prefix="vesicor-chromium-")
        atexit.register(self.close)
        _exit_cleanly_on_sigterm()
        try:
            self._launch(width, height, launch_timeout)
        except BaseException:
            self.close()
            raise

    def _launch(self, width, height, launch_timeout):
        self._log = open(os.path.join(self.profile, "chromium-stderr.txt"), "wb")
        self.proc = subprocess.Popen([CHROMIUM] + _flags(self.profile, width, height) + ["about:blank"],
                                     stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
                                     start_new_session=True)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + launch_timeout
        port = None
        while port is None:
            if self.proc.poll() is not None:
                raise CdpError("chromium exited with %s before listening: %s" % (self.proc.returncode, self._stderr_tail()))
            if time.monotonic() > deadline:
                raise CdpError("chromium wrote no DevToolsActivePort in %d s: %s" % (launch_timeout, self._stderr_tail()))
            try:  # whole once it has both lines: the port, then the browser's path
                with open(port_file) as f:
                    lines = f.read().splitlines()
                if len(lines) >= 2 and lines[1].startswith("/devtools/"):
                    port = int(lines[0])
            except (OSError, ValueError):
                pass
            if port is None:
                time.sleep(0.1)
        page = None
        while page is None:
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port, timeout=30) as r:
                targets = json.load(r)
            page = next((t for t in targets if t.get("type") == "page"), None)
            if page is None:
                if time.monotonic() > deadline:
                    raise CdpError("chromium shows no page target")
                time.sleep(0.1)
        # Chromium refuses a DevTools socket that names an origin.
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], suppress_origin=True,
                                              enable_multithread=True)
        threading.Thread(target=self._read, daemon=True).start()
        for domain in ("Runtime", "Log", "Page"):
            self.send(domain + ".enable")
        # The window of a headless browser is never focused; the game's
        # keyboard must not depend on that.
        self.send("Emulation.setFocusEmulationEnabled", {"enabled": True})

    def _stderr_tail(self):
        try:
            with open(os.path.join(self.profile, "chromium-stderr.txt"), "rb") as f:
                return f.read()[-2000:].decode("utf-8", "replace")
        except OSError:
            return "(no output kept)"

    # -- protocol ---------------------------------------------------------

    def _read(self):
        while True:
            try:
                message = json.loads(self.ws.recv())
            except Exception:  # the socket closed: wake whoever waits for a reply
                with self._cond:
                    self._closed = True
                    self._cond.notify_all()
                return
            if "id" in message:
                with self._cond:
                    self._replies[message["id"]] = message
                    self._cond.notify_all()
            else:
                self._event(message.get("method"), message.get("params", {}))

    def _event(self, method, params):
        if method == "Runtime.consoleAPICalled":
            text = " ".join(_remote_text(a) for a in params.get("args", []))
            self.console.append((params.get("type"), text))
            if params.get("type") in ("error", "assert"):
                self.errors.append("console.%s: %s" % (params.get("type"), text))
        elif method == "Runtime.exceptionThrown":
            d = params.get("exceptionDetails", {})
            what = d.get("exception", {}).get("description") or d.get("text", "")
            self.errors.append("exception: %s (%s:%s)" % (what, d.get("url", ""), d.get("lineNumber", "")))
        elif method == "Log.entryAdded":
            entry = params.get("entry", {})
            if entry.get("level") == "error":
                self.errors.append("log %s: %s %s" % (entry.get("source"), entry.get("text"), entry.get("url", "")))
        elif method == "Page.loadEventFired":
            with self._cond:
                self._loads += 1
                self._cond.notify_all()

    def send(self, method, params=None, timeout=120):
        with self._cond:
            self._next_id += 1
            ident = self._next_id
        self.ws.send(json.dumps({"id": ident, "method": method, "params": params or {}}))
        deadline = time.monotonic() + timeout
        with self._cond:
            while ident not in self._replies:
                if self._closed:
                    raise CdpError("the DevTools connection closed during " + method)
                left = deadline - time.monotonic()
                if left <= 0:
                    raise CdpError("no reply to %s in %d s" % (method, timeout))
                self._cond.wait(left)
            reply = self._replies.pop(ident)
        if "error" in reply:
            raise CdpError("%s: %s" % (method, reply["error"].get("message")))
        return reply.get("result", {})

    def evaluate(self, expression, await_promise=True):
        """The value of a JS expression (promises awaited), as JSON data."""
        result = self.send("Runtime.evaluate", {"expression": expression, "awaitPromise": await_promise,
                                                "returnByValue": True})
        if "exceptionDetails" in result:
            d = result["exceptionDetails"]
            raise JsError("%s: %s" % (expression[:80], d.get("exception", {}).get("description") or d.get("text")))
        return result.get("result", {}).get("value")

    def wait_for(self, condition, timeout=60, what=None, interval=0.05):
        """Polls a JS condition until it holds and returns its value; a
        condition that throws counts as not yet. `timeout` only guards
        against a hang."""
        wrapped = "(() => { try { return (%s); } catch (e) { return null; } })()" % condition
        return self.poll(lambda: self.evaluate(wrapped), lambda v: bool(v), timeout, what or condition, interval)

    def poll(self, read, holds, timeout=60, what="a condition", interval=0.05):
        """Calls read() until holds(value); returns that value."""
        deadline = time.monotonic() + timeout
        while True:
            value = read()
            if holds(value):
                return value
            if time.monotonic() > deadline:
                raise TimeoutError("waited %d s for %s; last seen: %s" % (timeout, what, _short(value)))
            time.sleep(interval)

    # -- pages --------------------------------------------------------------

    def _until_loaded(self, before, timeout):
        deadline = time.monotonic() + timeout
        with self._cond:
            while self._loads <= before:
                left = deadline - time.monotonic()
                if left <= 0 or self._closed:
                    raise CdpError("the page did not load in %d s" % timeout)
                self._cond.wait(left)

    def navigate(self, url, timeout=120):
        before = self._loads
        result = self.send("Page.navigate", {"url": url})
        if result.get("errorText"):
            raise CdpError("navigating to %s: %s" % (url, result["errorText"]))
        self._until_loaded(before, timeout)

    def reload(self, timeout=120):
        before = self._loads
        self.send("Page.reload")
        self._until_loaded(before, timeout)

    def add_script_on_load(self, source):
        """Runs `source` in every page loaded from now on, before its own scripts."""
        self.send("Page.addScriptToEvaluateOnNewDocument", {"source": source})

    def screenshot(self, path):
        data = self.send("Page.captureScreenshot", {"format": "png"})["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
        return path

    # -- keys and mouse -----------------------------------------------------

    def key_down(self, name):
        key, code, vk, text = key_fields(name)
        params = {"type": "keyDown" if text else "rawKeyDown", "key": key, "code": code,
                  "windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk}
        if text:
            params.update(text=text, unmodifiedText=text)
        self.send("Input.dispatchKeyEvent", params)

    def key_up(self, name):
        key, code, vk, _ = key_fields(name)
        self.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": key, "code": code,
                                             "windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk})

    def press(self, name):
        self.key_down(name)
        self.key_up(name)

    def to_page(self, x, y):
        """A drawing-space point as a point of the page."""
        left, top, width, height = self.evaluate(
            "(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height]; })()")
        return left + x * width / DRAWING_SIZE, top + y * height / DRAWING_SIZE

    def _mouse(self, kind, x, y, button):
        px, py = self.to_page(x, y)
        self.send("Input.dispatchMouseEvent", {"type": kind, "x": px, "y": py, "button": button,
                                               "buttons": self._buttons, "clickCount": 1 if kind != "mouseMoved" else 0})

    def mouse_move(self, x, y):
        self._mouse("mouseMoved", x, y, "left" if self._buttons & 1 else "none")

    def mouse_down(self, x, y):
        self._buttons |= 1
        self._mouse("mousePressed", x, y, "left")

    def mouse_up(self, x, y):
        self._buttons &= ~1
        self._mouse("mouseReleased", x, y, "left")

    # -- the end ------------------------------------------------------------

    def close(self):
        if self._done:
            return
        self._done = True
        self._closed = True
        if self.ws is not None:
            try:
                self.ws.close()
            except Exception:
                pass
            self.ws = None
        if self.proc is not None:
            _end_group(self.proc)
            self.proc = None
        if getattr(self, "_log", None):
            self._log.close()
        if self.profile is not None:
            shutil.rmtree(self.profile, ignore_errors=True)
            self.profile = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def _end_group(proc):
    # Chromium's helpers share its process group; the renderer and GPU
    # processes would otherwise outlive a test that failed, and could still
    # be writing into the profile as it is removed.
    try:
        os.killpg(proc.pid, signal.SIGTERM)
        proc.wait(10)
    except (ProcessLookupError, subprocess.TimeoutExpired):
        pass
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            break
        if proc.poll() is None:
            try:
                proc.wait(1)
            except subprocess.TimeoutExpired:
                pass
        time.sleep(0.05)


def _exit_cleanly_on_sigterm():
    # A run stopped from outside should still end the browser and remove
    # its profile: SIGTERM unwinds like an error.
    if threading.current_thread() is threading.main_thread() and signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
        def stop(signum, frame):
            raise SystemExit(128 + signum)
        signal.signal(signal.SIGTERM, stop)


def _remote_text(arg):
    if "value" in arg:
        return str(arg["value"])
    return arg.get("description") or arg.get("unserializableValue") or arg.get("type", "")


def _short(value, limit=300):
    text = json.dumps(value) if not isinstance(value, str) else value
    return text if len(text) <= limit else text[:limit] + "..."
