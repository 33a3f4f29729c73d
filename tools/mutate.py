#!/usr/bin/env python3
"""Measures how many plausible slips in the code the test suite catches.

Each mutant is one small change to one file under src/ (a constant, a
comparison, a swapped branch, a dropped call). For each mutant the script
applies the change, rebuilds, runs the whole suite and puts the file back; a
mutant is killed when the build breaks a test or any test fails. The result
goes to standard output and, with --out, to a tab-separated file that a later
run can be compared with (--compare): a mutant killed before and surviving now
is the suite losing power.

Usage, from the repository root:
  python3 tools/mutate.py [--build DIR] [--only TEXT] [--out FILE] [--compare FILE]
                          [--killed-in FILE] [--list]

To check that a changed suite still kills what an earlier run killed, run
only those mutants and compare: --killed-in before.tsv --compare before.tsv.

The build folder (default build-mutate) is configured on first use without
benchmarks or fuzzers. A run of every mutant takes about a minute a mutant
on two cores; it is not part of CI.
"""
import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# (file under src/, exact text that occurs once, replacement, the slip it stands for)
MUTANTS = [
    # src/sim: the blood
    ("sim/blood.cpp", "if (c.state == 3 && c.settledCount > 50) c.asleep = true;",
     "if (c.state == 3 && c.settledCount > 5) c.asleep = true;", "cells fall asleep too soon"),
    ("sim/blood.cpp", "if (x < 1 || x >= w - 1 || y < 1 || y >= h - 1) return;",
     "if (x < 1 || x >= w - 1 || y < 1 || y >= h - 2) return;", "the bottom row never moves"),
    ("sim/blood.cpp", "const int nx = c.x + (r == 1 ? -1 : (r == 2 ? 1 : 0));",
     "const int nx = c.x + (r == 1 ? 1 : (r == 2 ? -1 : 0));", "sideways fall mirrored"),
    ("sim/blood.cpp", "if (++g_stepCounter >= board::kWakePeriod) {", "if (++g_stepCounter >= board::kWakePeriod + 1) {",
     "maintenance every twelfth step"),
    ("sim/blood.cpp", "if (x > g_box.xMax) g_box.xMax = x;", "if (x > g_box.xMax) g_box.xMax = x - 1;",
     "active box one column short"),
    ("sim/cell_grid.cpp", "if (slot->kind == ISingleCell::kBlood) ++bloodStats().cleared;",
     "if (slot->kind == ISingleCell::kBlood) {}", "cleared blood not counted"),
    ("sim/placement.cpp", "if (maskPixel(m, k, r) >= 128) fn(gx, gy);",
     "if (maskPixel(m, k, r) > 128) fn(gx, gy);", "mask threshold off by one"),
    ("sim/placement.cpp", "if (!slot || slot->getType() != 1 || slot->getOwner() != owner) return;",
     "if (!slot || slot->getType() != 1) return;", "unstamping another part's cells"),
    ("sim/placement.cpp", "if (!mask || std::fabs(degrees) <= 0.001) return nullptr;",
     "if (!mask || std::fabs(degrees) <= 1.0) return nullptr;", "small turns not applied"),
    ("sim/particles.cpp", "if (std::rand() % 5 != 1) {", "if (std::rand() % 5 != 2) {",
     "particle impacts drawn differently"),
    # src/engine: files, text, XML
    ("engine/directory_listing.cpp", "if (name.empty() || name == \".\" || name == \"..\") continue;",
     "if (name.empty() || name == \".\") continue;", "the parent folder listed"),
    ("engine/directory_listing.cpp",
     "if (i + 1 == pieces.size() && !starLast && at + piece.size() != name.size()) return false;",
     "if (i + 1 == pieces.size() && !starLast && at + piece.size() > name.size()) return false;",
     "a mask's tail matched anywhere"),
    ("engine/file_io.cpp", "if (out.bytes.size() > kMaxFileBytes) {", "if (out.bytes.size() > kMaxFileBytes + 1) {",
     "an over-long file not cut"),
    ("engine/file_io.cpp", "if (ok && rename(temp.c_str(), target.c_str()) != 0) {",
     "if (ok && rename(temp.c_str(), (target + \"~\").c_str()) != 0) {", "written beside the file, not over it"),
    ("engine/file_io.cpp", "if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {", "if (fstat(fd, &info) != 0) {",
     "a FIFO read as a file"),
    ("engine/text.cpp", "while (end > begin && isBlank(text[end - 1])) --end;", "",
     "trailing blanks kept"),
    ("engine/xml_parser.cpp", "if (!line.empty() && line.back() == '\\r') line.pop_back();", "",
     "CR of CRLF files kept"),
    ("engine/xml_parser.cpp", "if (contents[0] == '!' || contents[0] == '?') return;",
     "if (contents[0] == '!') return;", "the XML declaration taken for an element"),
    ("engine/xml_writer.cpp", "if (!seen.insert(child.first).second) return true;", "",
     "a duplicate key's loss not noticed"),
    ("engine/xml_bind.cpp", "if (current->GetChild(i)->GetName() == name) return true;",
     "if (current->GetChild(i)->GetName() != name) return true;", "a missing key seen as present"),
    # src/game: the rules
    ("game/game_manager.cpp", "if (cost > value) return false;", "if (cost > value + 100) return false;",
     "buying on credit"),
    ("game/turns.cpp", "if (player1Value > player1Target) {", "if (player1Value >= player1Target) {",
     "winning on reaching the target, not passing it"),
    ("game/turns.cpp", "if (currentPlayer == 0 || now - turnStart > turnLength) {",
     "if (currentPlayer == 0 || now - turnStart > turnLength * 2) {", "turns twice as long"),
    ("game/shop.cpp", "if (part->ownerPlayer != currentPlayer) return nullptr;", "",
     "buying from the other player's shop"),
    ("game/shop.cpp", "return part->ownerPlayer == currentPlayer ? part : nullptr;", "return part;",
     "moving the other player's parts"),
    ("game/shop.cpp", "if (part->steered) return nullptr;", "", "the steered part picked up"),
    ("game/game_part.cpp", "if (late > kLifetimeFadeMs) finished = true;", "",
     "parts never end"),
    ("game/game_part.cpp", "if (placedTime == 0) placedTime = platform::gameTicks();",
     "placedTime = platform::gameTicks();", "a re-dropped part's lifetime restarts"),
    ("game/player_controller.cpp", "float turnedLeft(float rate) { return clampf(rate - kTurnStep, -kMaxTurnRate, kMaxTurnRate); }",
     "float turnedLeft(float rate) { return clampf(rate + kTurnStep, -kMaxTurnRate, kMaxTurnRate); }",
     "left turns right"),
    ("game/player_controller.cpp", "if (distSq >= sqr(kArenaRadius)) {", "if (distSq >= sqr(kArenaRadius * 2)) {",
     "the paddle leaves the arena"),
    ("game/player_controller.cpp", "if (!game || game->gameOver) return;", "if (!game) return;",
     "hover after game over"),
    ("game/match_reset.cpp", "game.turnStart = 0;", "", "a rematch keeps the old turn clock"),
    ("ai/computer_player.cpp", "if ((keys[dir] != 0) == down) return;", "if ((keys[dir] != 0) == down && down) return;",
     "the computer releases keys it does not hold"),
    ("ai/computer_planner.cpp", "if (t.cost + reserve > value_ || !t.mask) continue;",
     "if (!t.mask) continue;", "the computer plans parts it cannot pay for"),
    ("game/feedback.cpp", "constexpr int kBlastSteps = 28;", "constexpr int kBlastSteps = 2;",
     "the blast gone at once"),
    # src/net: lockstep and terms
    ("net/lockstep.cpp", "return std::clamp(target, kMinDelay, kMaxDelay);", "return std::clamp(target, kMinDelay, kMinDelay);",
     "the input delay never grows"),
    ("net/lockstep.cpp", "if (!mismatch_ && localHashes_[compared_] != remoteHashes_[compared_]) {",
     "if (false) {", "world hashes never compared"),
    ("net/lockstep.cpp", "if (r.u8() != kStepPacket) return false;", "r.u8();", "any packet taken as a step packet"),
    ("net/match_terms.cpp", "if (host.version != joiner.version || host.protocol != joiner.protocol) {",
     "if (host.protocol != joiner.protocol) {", "another version accepted"),
    ("net/match_terms.cpp", "} else if (!(*it == h)) {", "} else if (false) {", "changed part files accepted"),
    ("game/world_hash.cpp", "if (game) {", "if (false) {", "values left out of the world hash"),
    # src/platform: pictures, device, clock
    ("platform/picture.cpp", "return w >= 1 && h >= 1 && w <= uint32_t(kMaxPictureSize) && h <= uint32_t(kMaxPictureSize);",
     "return w >= 1 && h >= 1;", "huge pictures decoded"),
    ("platform/picture.cpp", "if (length > 0x7fffffffu || size - pos - 12 < length) return false;",
     "if (length > 0x7fffffffu) return false;", "a chunk past the file's end read"),
    ("platform/clock.cpp", "return (g_paused ? g_pauseStart : ticks()) - g_pausedTotal;",
     "return ticks() - g_pausedTotal;", "the game clock runs in a pause"),
    ("platform/picture.cpp", "if (marker == 0xd8) return false;", "", "a second JPEG start accepted"),
    # src/render: sprites and text
    ("render/sprite.cpp", "if ((*it)->layer < sprite->layer) {", "if ((*it)->layer <= sprite->layer) {",
     "equal layers drawn in the wrong order"),
    ("render/sprite.cpp", "if (other->stackedOn == sprite) other->stackedOn = nullptr;", "",
     "a copy left pointing at a deleted picture"),
    ("render/text_label.cpp", "if (code < kFirstChar || code > kLastChar) code = '?';",
     "if (code < kFirstChar) code = '?';", "characters past the font read"),
    ("render/text_label.cpp", "if (align_ == kRight) left -= lineWidth;", "", "right-aligned text not aligned"),
    # src/: loop, options, command line, session
    ("core/frame_pacer.cpp", "if (stepCounter >= kStepCap) return false;", "if (stepCounter > kStepCap) return false;",
     "one catch-up step too many"),
    ("app/command_line.cpp", "if (value == 0 || value > 65535) return false;", "if (value > 65535) return false;",
     "port 0 accepted"),
    ("app/options.cpp", "return volume < 0.0f ? 0.0f : volume > 1.0f ? 1.0f : volume;",
     "return volume < 0.0f ? 0.0f : volume;", "a volume above full kept"),
    ("app/session.cpp", "if (game_->gameOver) newMatch();", "newMatch();", "Enter wipes a match in progress"),
    ("app/app.cpp", "if (computerPlays(in.player)) return;", "", "the person's keys reach the computer's side"),
    ("app/data_location.cpp", "return dir == candidates.front() || chdir(dir.c_str()) == 0;",
     "return true;", "the data folder found but not entered"),
    ("platform/device_state.cpp", "if (fvf & 0x020) offset += 4;   // point size", "",
     "vertex layout misread"),
]


def run(cmd, cwd, log, timeout=None):
    with open(log, "ab") as out:
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return -1


def configure(build, log):
    if os.path.exists(os.path.join(build, "CMakeCache.txt")):
        return True
    return run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                "-DVESICOR_BENCH=OFF", "-DVESICOR_FUZZ=OFF"], ROOT, log) == 0


def build_and_test(build, log):
    if run(["cmake", "--build", build, "-j", "2"], ROOT, log) != 0:
        return "unbuilt"
    # A hung test counts as a kill, as it would fail CI.
    code = run(["ctest", "--test-dir", build, "-j", "2", "--stop-on-failure", "--timeout", "240"], ROOT, log,
               timeout=1800)
    return "survived" if code == 0 else "killed"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--only", default="", help="run only mutants whose file contains this text")
    parser.add_argument("--out", help="write the results here (tab-separated)")
    parser.add_argument("--compare", help="a results file of an earlier run to compare with")
    parser.add_argument("--killed-in", help="run only the mutants this earlier results file has as killed")
    parser.add_argument("--list", action="store_true", help="list the mutants and check that each applies")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    log = build + ".log"

    chosen = [(i, m) for i, m in enumerate(MUTANTS, 1) if args.only in m[0]]
    if args.killed_in:
        with open(args.killed_in) as f:
            killed_before = {int(line.split("\t")[0]) for line in f if line.split("\t")[1] == "killed"}
        chosen = [(i, m) for i, m in chosen if i in killed_before]
    bad = []
    for i, (path, old, _, why) in chosen:
        with open(os.path.join(ROOT, "src", path)) as f:
            count = f.read().count(old)
        if count != 1:
            bad.append(f"mutant {i} ({path}: {why}) matches {count} times")
    if args.list:
        for i, (path, _, _, why) in chosen:
            print(f"{i:3} {path:32} {why}")
        print("\n".join(bad) or f"all {len(chosen)} apply")
        return 1 if bad else 0

    if not configure(build, log):
        sys.exit(f"cmake failed; see {log}")
    print("baseline build and suite ...", flush=True)
    if build_and_test(build, log) != "survived":
        sys.exit(f"the unchanged code does not build or pass; see {log}")

    results = {}
    started = time.time()
    for i, (path, old, new, why) in chosen:
        full = os.path.join(ROOT, "src", path)
        with open(full) as f:
            original = f.read()
        if original.count(old) != 1:
            results[i] = ("skipped", path, why)
            print(f"{i:3} skipped   {path}: {why} (no longer applies)", flush=True)
            continue
        try:
            with open(full, "w") as f:
                f.write(original.replace(old, new))
            outcome = build_and_test(build, log)
        finally:
            with open(full, "w") as f:
                f.write(original)
        results[i] = (outcome, path, why)
        print(f"{i:3} {outcome:9} {path}: {why}", flush=True)
    run(["cmake", "--build", build, "-j", "2"], ROOT, log)

    # A mutant that does not build is no slip a person could ship; it is left out of the count.
    counted = [r for r in results.values() if r[0] in ("killed", "survived")]
    killed = sum(1 for r in counted if r[0] == "killed")
    unbuilt = sum(1 for r in results.values() if r[0] == "unbuilt")
    print(f"\n{killed} of {len(counted)} mutants killed, {unbuilt} did not build ({time.time() - started:.0f} s)")
    if args.out:
        with open(args.out, "w") as f:
            for i, (outcome, path, why) in sorted(results.items()):
                f.write(f"{i}\t{outcome}\t{path}\t{why}\n")
    if args.compare:
        before = {}
        with open(args.compare) as f:
            for line in f:
                n, outcome, *_ = line.rstrip("\n").split("\t")
                before[int(n)] = outcome
        lost = [i for i, r in results.items() if before.get(i) == "killed" and r[0] == "survived"]
        for i in lost:
            print(f"lost: mutant {i} ({results[i][1]}: {results[i][2]}) was killed before and survives now")
        print(f"compared with {args.compare}: {len(lost)} lost")
        return 1 if lost else 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
