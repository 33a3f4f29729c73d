#!/usr/bin/python3
"""How fast the browser build draws in a headless Chromium on SwiftShader
(the same browser and flags as tests/web/browser_test.py): starts a match of
two players and buys and drops parts for whoever's turn it is until a dozen
lie on the board, then, while each turn goes on dropping more to keep the
board full, counts for SECONDS seconds,
once a second, the frames the game drew, the requestAnimationFrame callbacks
the page ran and the browser frames they ran in. Prints each second's counts,
their median and minimum; exits 1 when the board never filled (the counts are
then of an emptier board).

    /usr/bin/python3 tools/web_fps.py PAGE_DIR [SECONDS=30]
"""
import os
import statistics
import sys
import time

sys.dont_write_bytecode = True  # no cache files beside the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import cdp  # noqa: E402

BUSY_BOARD_PARTS = 12
BUSY_BOARD_GUARD = 300  # seconds
# The shop's cheapest part (the paddle, the first item) and where the parts
# go: spread over both chambers, in drawing-space pixels.
SHOP_ITEM = (120, 90)
DROP_SPOTS = [(150 + 40 * (i % 6), 330 + 40 * (i // 6)) for i in range(12)]
SHOP_IN_S = 1.6  # into a turn: the shop has slid in
# The browser window: the game's own 512 x 512 unless told (VESICOR_FPS_WINDOW).
# VESICOR_FPS_FULL=1 keeps the canvas at the screen's pixels however slow.
WINDOW = int(os.environ.get("VESICOR_FPS_WINDOW", "512"))
STATE = "Module.vesicorState()"

# Counts every callback the page hands to requestAnimationFrame as the
# browser runs it, and the browser's frames that ran any: the game's main
# loop is one such callback, the page's own pace watch another.
COUNT_CALLBACKS = """
(() => {
  const request = window.requestAnimationFrame.bind(window);
  let last = null;
  window.__vesicorCallbacks = 0;
  window.__vesicorAnimationFrames = 0;
  window.requestAnimationFrame = (callback) => request((t) => {
    window.__vesicorCallbacks++;
    if (t !== last) { window.__vesicorAnimationFrames++; last = t; }
    callback(t);
  });
})();
"""


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__.strip().splitlines()[-1].strip())
        return 2
    page_dir, seconds = argv[1], int(argv[2]) if len(argv) == 3 else 30
    server, base = cdp.serve_folder(page_dir)
    try:
        with cdp.Browser(width=WINDOW, height=WINDOW) as b:
            b.add_script_on_load(COUNT_CALLBACKS)
            started = time.monotonic()
            full = "&resolution=full" if os.environ.get("VESICOR_FPS_FULL") else ""
            b.navigate(base + "/index.html?args=--two-players+--seed+5" + full)
            b.wait_for("Module.gameReady === true", 120, "Module.gameReady")
            print("page ready after %.1f s" % (time.monotonic() - started), flush=True)
            busy = True
            try:
                s = fill_board(b, started)
                print("%d parts on the board after %.1f s (%d game frames)"
                      % (s["parts"], time.monotonic() - started, s["frames"]), flush=True)
            except TimeoutError as e:
                # Still worth a measure, but not the one asked for.
                busy = False
                print("no busy board, counting on the board as it is: %s" % e, flush=True)
            counts = sample(b, seconds)
            print("canvas drawn at %s pixels, shown at %s CSS pixels (the page's resolution %s)"
                  % tuple(b.evaluate("[canvas.width + ' x ' + canvas.height, canvas.clientWidth + ' x ' + "
                                     "canvas.clientHeight, Module.vesicorResolution]")), flush=True)
    finally:
        server.shutdown()
    for name, per_second in zip(("game frames", "rAF callbacks", "browser frames"), counts):
        print("%s per second: %s" % (name, " ".join("%.0f" % c for c in per_second)))
        print("%s per second: median %.1f, minimum %.1f" % (name, statistics.median(per_second), min(per_second)))
    return 0 if busy else 1


def drop_part(b, spot):
    """Buys the shop's first part and drags it to `spot`, as a player would."""
    x, y = SHOP_ITEM
    b.mouse_move(x, y)
    b.mouse_down(x, y)
    for k in range(1, 9):
        b.mouse_move(x + (spot[0] - x) * k / 8, y + (spot[1] - y) * k / 8)
    b.mouse_up(*spot)


def fill_board(b, started):
    """Drops parts turn by turn until the board holds a dozen."""
    dropped = 0
    while time.monotonic() - started < BUSY_BOARD_GUARD:
        s = b.evaluate(STATE)
        if s["parts"] >= BUSY_BOARD_PARTS:
            return s
        turn = s["currentPlayer"]
        # A new turn, its shop in, then three parts while the money lasts.
        b.poll(lambda: b.evaluate(STATE), lambda t: t["currentPlayer"] not in (0, turn), 30, "the next turn")
        time.sleep(SHOP_IN_S)
        for _ in range(3):
            drop_part(b, DROP_SPOTS[dropped % len(DROP_SPOTS)])
            dropped += 1
        print("turn of player %d: %d parts on the board" % (3 - turn if turn else 1, b.evaluate(STATE)["parts"]),
              flush=True)
    raise TimeoutError("the board never held %d parts" % BUSY_BOARD_PARTS)


def sample(b, seconds):
    """Per-second counts of game frames, rAF callbacks and browser frames,
    each scaled by the second's real length (a busy machine wakes this tool
    late)."""
    read = "[Module.vesicorState().frames, window.__vesicorCallbacks, window.__vesicorAnimationFrames]"
    counts = ([], [], [])
    last, last_at = b.evaluate(read), time.monotonic()
    tick = last_at
    for i in range(seconds):
        tick += 1.0
        time.sleep(max(0.0, tick - time.monotonic()))
        now, at = b.evaluate(read), time.monotonic()
        span = at - last_at
        for k in range(3):
            counts[k].append((now[k] - last[k]) / span)
        print("second %2d: %3.0f game frames, %3.0f rAF callbacks in %3.0f browser frames (over %.2f s)"
              % (i + 1, counts[0][-1], counts[1][-1], counts[2][-1], span), flush=True)
        last, last_at = now, at
    return counts


if __name__ == "__main__":
    sys.exit(main(sys.argv))
