"""The browser build played in a headless Chromium: its first frame against the
desktop's golden picture, the keys steering a paddle, a part bought with the
mouse and dropped, the blood growing, an option kept across a reload, and no
error in the page's console. Prints one line per check with what it measured;
exits 0 only when every check passed, and names the folder it keeps
screenshots in when one did not.

    /usr/bin/python3 tests/web/browser_test.py PAGE_DIR [GOLDEN_DIR]
"""
import base64
import math
import os
import struct
import sys
import tempfile
import time
import zlib

sys.dont_write_bytecode = True  # no cache files beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "..", "gl", "golden")
SIZE = 512
# A pixel differs when one of its channels is off by more than this; the
# picture matches when such pixels are at most this share of all of them:
# the tolerance of the desktop's own golden pictures, which WebGL on
# SwiftShader meets (no pixel of the first frame is off by more than 6).
CHANNEL_TOLERANCE = 6
SHARE_TOLERANCE = 0.002
REPORTED_TOLERANCES = (6, 16, 32)
# Where the desktop script finds player 1's wall in the shop, and where it
# drops it into the blood (drawing-space pixels).
SHOP_ITEM = (186, 91)
DROP_AT = (246, 471)
STEP_MS = 16
SHOP_IN_MS = 1500      # into player 1's turn: the shop is in, as in the desktop script
PADDLE_MOVE = 8.0      # pixels the steered paddle must cover
HOLD_MS = 2400         # longest the forward key is held for that
REACT_MS = 1000        # a key or a drop has shown its effect by then
DRAG_MOVES = 10
GUARD = 120            # seconds: only against a page that hangs
STATE = "Module.vesicorState()"


# -- pictures ---------------------------------------------------------------

def read_png(path):
    """(width, height, RGBA bytes top row first) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG" % path)
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError("%s: only 8-bit non-interlaced RGB or RGBA is read (depth %d, colour type %d, interlace %d)"
                         % (path, depth, colour, interlace))
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    rows, prev, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        _unfilter(kind, line, prev, bpp)
        rows.append(line)
        prev = line
    pixels = b"".join(rows)
    if bpp == 3:
        out = bytearray(width * height * 4)
        out[0::4], out[1::4], out[2::4], out[3::4] = pixels[0::3], pixels[1::3], pixels[2::3], b"\xff" * (width * height)
        pixels = bytes(out)
    return width, height, bytes(pixels)


def _unfilter(kind, line, prev, bpp):
    if kind == 0:
        return
    for i in range(len(line)):
        a = line[i - bpp] if i >= bpp else 0
        b = prev[i]
        if kind == 1:
            line[i] = (line[i] + a) & 255
        elif kind == 2:
            line[i] = (line[i] + b) & 255
        elif kind == 3:
            line[i] = (line[i] + ((a + b) >> 1)) & 255
        elif kind == 4:
            c = prev[i - bpp] if i >= bpp else 0
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        else:
            raise ValueError("PNG row filter %d" % kind)


def write_png(path, width, height, rgba):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\x00" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


def largest_differences(a, b):
    """Per pixel, the largest RGB channel difference of two RGBA pictures."""
    d = [abs(x - y) for x, y in zip(a, b)]
    return [max(d[i], d[i + 1], d[i + 2]) for i in range(0, len(d), 4)]


# -- the page -----------------------------------------------------------------

class Run:
    def __init__(self, browser, base):
        self.b = browser
        self.base = base
        self.failed = []
        self.folder = None

    def keep(self):
        if self.folder is None:
            self.folder = tempfile.mkdtemp(prefix="vesicor-browser-test-")
        return self.folder

    def shot(self, name):
        try:
            return self.b.screenshot(os.path.join(self.keep(), name + ".png"))
        except Exception as e:  # a screenshot must not hide the failure it documents
            print("   (no screenshot %s: %s)" % (name, e))

    def report(self, name, ok, figures):
        print("%s %s: %s" % ("PASS" if ok else "FAIL", name, figures), flush=True)
        if not ok:
            self.failed.append(name)
            self.shot(name.split(".")[0])

    def state(self):
        s = self.b.evaluate(STATE)
        if isinstance(s, dict):
            s["_read_at"] = time.monotonic()
        return s

    def until(self, holds, what, timeout=GUARD):
        return self.b.poll(self.state, lambda s: s is not None and holds(s), timeout, what)

    def load(self, query):
        self.b.navigate(self.base + "/index.html" + query)
        self.b.wait_for("Module.gameReady === true", GUARD, "Module.gameReady")
        return self.state()

    def frames_pass(self, count=1):
        """Lets the game draw `count` more frames, so it has seen what was sent."""
        start = self.state()["frames"]
        return self.until(lambda s: s["frames"] >= start + count, "%d more frames" % count)

    def tap(self, key):
        self.b.key_down(key)
        self.frames_pass()
        self.b.key_up(key)
        return self.frames_pass()


def game_ms(a, b):
    """Game time from state a to state b: its steps when the page tells
    them; else real time, which the game's clock catches up with (frames
    would not do: a slow browser draws few, each of many steps)."""
    if "steps" in a and "steps" in b:
        return (b["steps"] - a["steps"]) * STEP_MS
    return (b["_read_at"] - a["_read_at"]) * 1000


def waited(a, b, ms):
    # A few frames too, so the game has read what was sent meanwhile.
    return b["frames"] - a["frames"] >= 3 and game_ms(a, b) >= ms


def span(a, b):
    return "%d frames, %.0f ms %s" % (b["frames"] - a["frames"], game_ms(a, b),
                                      "of steps" if "steps" in b else "(real time: no steps in the state)")


def paddle_moved(a, b, index):
    pa, pb = a["paddles"][index], b["paddles"][index]
    return math.hypot(pb["x"] - pa["x"], pb["y"] - pa["y"])


def check_first_frame(run, golden_dir):
    b = run.b
    b.wait_for("Module.captures && Module.captures[1]", GUARD, "Module.captures[1]")
    data = base64.b64decode(b.evaluate(
        "(() => { const a = Module.captures[1]; let s = '';"
        " for (let i = 0; i < a.length; i += 0x8000) s += String.fromCharCode.apply(null, a.subarray(i, i + 0x8000));"
        " return btoa(s); })()"))
    width, height, golden = read_png(os.path.join(golden_dir, "start.png"))
    if (width, height) != (SIZE, SIZE) or len(data) != SIZE * SIZE * 4:
        run.report("a. first frame", False, "sizes differ: golden %dx%d, captured %d bytes" % (width, height, len(data)))
        return
    worst = largest_differences(data, golden)
    shares = {t: sum(1 for d in worst if d > t) / len(worst) for t in REPORTED_TOLERANCES + (CHANNEL_TOLERANCE,)}
    ok = shares[CHANNEL_TOLERANCE] <= SHARE_TOLERANCE
    figures = ", ".join("%.3f%% off by >%d" % (100 * shares[t], t) for t in REPORTED_TOLERANCES)
    run.report("a. first frame matches start.png", ok,
               "%s; largest %d (allowed: %.1f%% off by >%d)" % (figures, max(worst), 100 * SHARE_TOLERANCE,
                                                               CHANNEL_TOLERANCE))
    if not ok:
        write_png(os.path.join(run.keep(), "captured_frame1.png"), SIZE, SIZE, data)
        marks = bytearray(golden)
        for i, d in enumerate(worst):
            if d > CHANNEL_TOLERANCE:
                marks[4 * i:4 * i + 4] = b"\xff\x00\xff\xff"
        write_png(os.path.join(run.keep(), "differences_over_%d.png" % CHANNEL_TOLERANCE), SIZE, SIZE, bytes(marks))


def check_blood(run):
    first = run.state()
    last = run.until(lambda s: s["blood"] > first["blood"], "the blood to grow")
    run.report("d. blood grows", last["blood"] > first["blood"],
               "%d -> %d cells over %s" % (first["blood"], last["blood"], span(first, last)))


def turn_start(run, player=None):
    """Waits for a turn (player's, or anyone's) to begin; the state as it was
    first seen begun, so a check has the whole turn before it."""
    seen = []

    def begun(s):
        now = s["currentPlayer"]
        fresh = bool(seen) and now != seen[-1] and now in (1, 2) and now == (player or now)
        seen.append(now)
        return fresh
    return run.until(begun, "player %s's turn to begin" % (player or "1 or 2"))


def steer(run, s0):
    player = s0["currentPlayer"]
    key = "W" if player == 1 else "ArrowUp"
    mine, other = player - 1, 2 - player
    run.b.key_down(key)
    try:
        s1 = run.until(lambda s: paddle_moved(s0, s, mine) > PADDLE_MOVE or waited(s0, s, HOLD_MS)
                       or s["currentPlayer"] != player, "the paddle to move or the hold to end")
    finally:
        run.b.key_up(key)
    moved, others = paddle_moved(s0, s1, mine), paddle_moved(s0, s1, other)
    ok = s1["currentPlayer"] == player and moved > PADDLE_MOVE and others < moved
    turn = "" if s1["currentPlayer"] == player else " (the turn ended before that)"
    return ok, "player %d held %s for %s: its paddle moved %.1f px (needs > %.0f), the other %.1f px%s" % (
        player, key, span(s0, s1), moved, PADDLE_MOVE, others, turn)


def check_steering(run):
    # Both players in turn: each has its own keys.
    first = steer(run, turn_start(run))
    second = steer(run, turn_start(run))
    run.report("b. keys steer the current paddle", first[0] and second[0], first[1] + "; " + second[1])


def buy_and_drop(run):
    start = turn_start(run, 1)
    ready = run.until(lambda s: waited(start, s, SHOP_IN_MS), "the shop to slide in")
    b, seen = run.b, [ready]
    b.mouse_move(SHOP_ITEM[0], SHOP_ITEM[1] - 1)
    seen.append(run.frames_pass())
    b.mouse_move(*SHOP_ITEM)
    seen.append(run.frames_pass())
    b.mouse_down(*SHOP_ITEM)
    seen.append(run.frames_pass())
    for i in range(1, DRAG_MOVES + 1):
        x = SHOP_ITEM[0] + (DROP_AT[0] - SHOP_ITEM[0]) * i / DRAG_MOVES
        y = SHOP_ITEM[1] + (DROP_AT[1] - SHOP_ITEM[1]) * i / DRAG_MOVES
        b.mouse_move(x, y)
        seen.append(run.frames_pass())
    b.mouse_up(*DROP_AT)
    before = ready["parts"]
    after = run.until(lambda s: s["parts"] > before or waited(seen[-1], s, REACT_MS), "the part to be dropped")
    seen.append(after)
    held = any(s["held"] for s in seen)
    whole_turn = all(s["currentPlayer"] == 1 for s in seen)
    return held, before, after, whole_turn, span(start, ready)


def check_buying(run):
    held, before, after, whole_turn, into = buy_and_drop(run)
    note = ""
    if not (held and after["parts"] == before + 1) and not whole_turn:
        note = " (second try: player 1's turn ended during the first)"
        held, before, after, whole_turn, into = buy_and_drop(run)
    ok = held and after["parts"] == before + 1
    run.report("c. a click buys a part that is dragged and dropped", ok,
               "pressed at %s %s into player 1's turn; held during the drag: %s; parts %d -> %d%s"
               % (SHOP_ITEM, into, held, before, after["parts"], note))


def open_options(run):
    """Reaches the options page from the title menu: the third item, since the
    page offers no network match above it."""
    run.load("")
    run.until(lambda s: s.get("menu") and s.get("page") == "title", "the title menu")
    for _ in range(2):
        run.tap("ArrowDown")
    start = run.state()
    run.b.key_down("Enter")
    s = run.until(lambda s: s.get("page") != "title" or waited(start, s, REACT_MS), "Enter to take effect")
    run.b.key_up("Enter")
    if s.get("page") != "options":
        raise AssertionError("Down x2 and Enter on the title menu led to page %r, not the options" % s.get("page"))


def check_option_kept(run):
    open_options(run)
    run.tap("ArrowDown")  # from the first line, match length, to the volume
    s0 = run.state()
    synced = run.b.evaluate("Module.keptFilesSynced")
    run.b.key_down("ArrowRight")
    s1 = run.until(lambda s: s["options"] != s0["options"] or waited(s0, s, REACT_MS), "Right to take effect")
    run.b.key_up("ArrowRight")
    volume = s1["options"]["volume"]
    if volume == s0["options"]["volume"]:
        run.report("e. an option survives a reload", False,
                   "Right on the second options line left the volume at %s; options went %s -> %s"
                   % (volume, s0["options"], s1["options"]))
        return
    run.b.wait_for("Module.keptFilesSynced > %d" % synced, GUARD, "Module.keptFilesSynced to go up")
    run.b.reload()
    run.b.wait_for("Module.gameReady === true", GUARD, "Module.gameReady after the reload")
    kept = run.state()["options"]["volume"]
    run.report("e. an option survives a reload", abs(kept - volume) < 1e-6,
               "volume %s -> %s with Right, %s after the reload" % (s0["options"]["volume"], volume, kept))


def run_checks(run, golden_dir):
    def guarded(name, check, *args):
        try:
            check(run, *args)
        except Exception as e:  # a hang or a missing state field fails this check, not the rest
            run.report(name, False, "%s: %s" % (type(e).__name__, e))
    try:
        # The desktop's recorded runs: a clock of 16 ms a frame, no settings file.
        run.load("?args=--two-players+--seed+11&capture=1&clock=frames&settings=none")
    except Exception as e:
        run.report("a. the page loads", False, "%s: %s" % (type(e).__name__, e))
        return
    guarded("a. first frame matches start.png", check_first_frame, golden_dir)
    guarded("d. blood grows", check_blood)
    guarded("b. keys steer the current paddle", check_steering)
    guarded("c. a click buys a part that is dragged and dropped", check_buying)
    guarded("e. an option survives a reload", check_option_kept)


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__.strip().splitlines()[-1].strip())
        return 2
    page_dir = argv[1]
    golden_dir = argv[2] if len(argv) == 3 else GOLDEN
    for name in ("index.html",):
        if not os.path.exists(os.path.join(page_dir, name)):
            print("FAIL: no %s in %s" % (name, page_dir))
            return 1
    server, base = cdp.serve_folder(page_dir)
    try:
        with cdp.Browser() as browser:
            run = Run(browser, base)
            run_checks(run, golden_dir)
            errors = list(browser.errors)
            run.report("f. no error in the console", not errors,
                       "%d errors%s" % (len(errors), "".join("\n   " + e for e in errors)))
    finally:
        server.shutdown()
    if run.failed:
        print("%d of 6 checks failed (%s); screenshots in %s" % (len(run.failed), ", ".join(
            f.split(".")[0] for f in run.failed), run.folder))
        return 1
    print("all 6 checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
