#!/usr/bin/env python3
# Synthesises the game's sound effects and its ambient loop into data/sfx/ as
# 16-bit mono 22050 Hz WAV files. Every sound is a few lines of arithmetic
# below; noise comes from one seeded generator, so a run always writes the
# same bytes.
#
# Standard library only. Usage: gen_sounds.py [output folder, default data/sfx]
import math
import os
import random
import struct
import sys
import wave

RATE = 22050
TWO_PI = 2.0 * math.pi


def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def add(dest, src, at=0.0, gain=1.0, wrap=False):
    """Mixes src into dest from `at` seconds on; with wrap the tail comes
    round to the start (for the loop)."""
    start = int(round(at * RATE))
    n = len(dest)
    for i, v in enumerate(src):
        j = start + i
        if wrap:
            j %= n
        elif j >= n:
            break
        dest[j] += v * gain


def tone(seconds, freq, partials=((1, 1.0),), attack=0.005, decay=0.1, freq_end=None, vibrato=0.0):
    """A pitched note: partials are (multiple, level); the pitch glides
    exponentially from freq to freq_end; the level rises over `attack` and
    then falls with time constant `decay`; the last few milliseconds fade
    out, so a note cut short does not click."""
    n = int(round(seconds * RATE))
    release = max(1, int(0.008 * RATE))
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = freq if freq_end is None else freq * (freq_end / freq) ** (t / seconds)
        if vibrato:
            f *= 1.0 + vibrato * math.sin(TWO_PI * 5.5 * t)
        phase += TWO_PI * f / RATE
        level = min(1.0, t / attack) if attack > 0 else 1.0
        level *= math.exp(-max(0.0, t - attack) / decay)
        level *= min(1.0, (n - i) / release)
        out.append(level * sum(a * math.sin(m * phase) for m, a in partials))
    return out


def noise(seconds, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(int(round(seconds * RATE)))]


def lowpass(samples, cutoff, cutoff_end=None, circular=False):
    """One-pole low-pass. Circular runs the buffer twice, so the filter's
    state at the start equals its state at the end and a loop has no seam."""
    n = len(samples)
    out = [0.0] * n
    state = 0.0
    for rounds in range(2 if circular else 1):
        for i, v in enumerate(samples):
            c = cutoff if cutoff_end is None else cutoff * (cutoff_end / cutoff) ** (i / n)
            a = 1.0 - math.exp(-TWO_PI * c / RATE)
            state += a * (v - state)
            out[i] = state
    return out


def envelope(samples, attack, decay):
    return [v * min(1.0, (i / RATE) / attack) * math.exp(-max(0.0, i / RATE - attack) / decay)
            for i, v in enumerate(samples)]


def finish(samples, peak, fade=0.004):
    """Scales to the given peak and fades both ends so nothing clicks."""
    top = max(abs(v) for v in samples) or 1.0
    out = [v * peak / top for v in samples]
    k = max(1, int(fade * RATE))
    for i in range(min(k, len(out))):
        out[i] *= i / k
        out[-1 - i] *= i / k
    return out


def normalise(samples, peak):
    top = max(abs(v) for v in samples) or 1.0
    return [v * peak / top for v in samples]


BELL = ((1, 1.0), (2, 0.25), (3, 0.08))
REED = ((1, 1.0), (3, 0.33), (5, 0.2), (7, 0.14))


def purchase(rng):
    # Two quick rising notes: something was gained.
    out = silence(0.24)
    add(out, tone(0.12, 880.0, BELL, attack=0.003, decay=0.05))
    add(out, tone(0.16, 1318.5, BELL, attack=0.003, decay=0.06), at=0.07)
    return finish(out, 0.55)


def drop(rng):
    # A wet plop: a falling pitch with a soft thud under it.
    out = silence(0.26)
    add(out, tone(0.2, 520.0, ((1, 1.0), (2, 0.15)), attack=0.002, decay=0.05, freq_end=130.0))
    add(out, tone(0.15, 95.0, attack=0.004, decay=0.05), gain=0.6)
    add(out, envelope(lowpass(noise(0.03, rng), 2500.0), 0.001, 0.008), gain=0.3)
    return finish(out, 0.65)


def bomb(rng):
    # A crack, a rumbling noise whose brightness dies away, and a falling boom.
    out = silence(0.95)
    add(out, envelope(noise(0.03, rng), 0.001, 0.01), gain=0.5)
    rumble = lowpass(lowpass(noise(0.95, rng), 1800.0, 120.0), 900.0, 100.0)
    add(out, envelope(normalise(rumble, 1.0), 0.006, 0.22), gain=0.9)
    add(out, tone(0.9, 75.0, ((1, 1.0), (2, 0.3)), attack=0.008, decay=0.28, freq_end=32.0))
    return finish(out, 0.9, fade=0.02)


def turn(rng):
    # A soft two-note chime: the other player's go.
    out = silence(0.5)
    add(out, tone(0.3, 659.25, BELL, attack=0.004, decay=0.12))
    add(out, tone(0.38, 987.77, BELL, attack=0.004, decay=0.14), at=0.12)
    return finish(out, 0.45)


def collect(rng):
    # Two bubbles rising through blood into the collector.
    out = silence(0.17)
    add(out, tone(0.09, 300.0, attack=0.003, decay=0.03, freq_end=850.0))
    add(out, tone(0.08, 420.0, attack=0.003, decay=0.025, freq_end=1100.0), at=0.07, gain=0.6)
    return finish(out, 0.4)


def victory(rng):
    # A rising arpeggio that ends on a held, gently wavering octave.
    out = silence(1.35)
    notes = (523.25, 659.25, 783.99)
    for k, f in enumerate(notes):
        add(out, tone(0.3, f, BELL, attack=0.004, decay=0.12), at=0.13 * k)
    add(out, tone(0.95, 1046.5, BELL, attack=0.01, decay=0.4, vibrato=0.004), at=0.39)
    add(out, tone(0.95, 523.25, BELL, attack=0.01, decay=0.4), at=0.39, gain=0.5)
    return finish(out, 0.7, fade=0.03)


def cannot_buy(rng):
    # A low buzzy "uh-uh", falling: no.
    out = silence(0.3)
    add(out, lowpass(tone(0.12, 220.0, REED, attack=0.004, decay=0.08), 1400.0))
    add(out, lowpass(tone(0.14, 165.0, REED, attack=0.004, decay=0.08), 1400.0), at=0.14)
    return finish(out, 0.5)


def ambient(rng):
    # Four seconds that loop: a slow heartbeat (60 a minute) over a faint
    # gurgle of low noise and a few bubbles. Everything past the end wraps
    # round to the start and the noise is filtered circularly, so the loop
    # has no seam.
    seconds = 4.0
    out = silence(seconds)
    n = len(out)
    for beat in range(4):
        at = beat * 1.0 + 0.05
        level = (1.0, 0.9, 0.95, 0.85)[beat]
        lub = tone(0.3, 62.0, ((1, 1.0), (2, 0.5), (3, 0.15)), attack=0.01, decay=0.06, freq_end=44.0)
        dub = tone(0.25, 74.0, ((1, 1.0), (2, 0.45), (3, 0.12)), attack=0.008, decay=0.05, freq_end=55.0)
        add(out, lub, at=at, gain=level, wrap=True)
        add(out, dub, at=at + 0.28, gain=0.7 * level, wrap=True)
    gurgle = lowpass(lowpass(noise(seconds, rng), 260.0, circular=True), 260.0, circular=True)
    gurgle = normalise(gurgle, 1.0)
    # The swell repeats a whole number of times per loop.
    for i in range(n):
        gurgle[i] *= 0.6 + 0.4 * math.sin(TWO_PI * 2 * i / n)
    add(out, gurgle, gain=0.18)
    for _ in range(5):
        f = rng.uniform(180.0, 320.0)
        bubble = tone(0.07, f, attack=0.004, decay=0.02, freq_end=f * 2.4)
        add(out, bubble, at=rng.uniform(0.0, seconds), gain=0.12, wrap=True)
    return normalise(out, 0.3)


SOUNDS = {
    "purchase.wav": purchase,
    "drop.wav": drop,
    "bomb.wav": bomb,
    "turn.wav": turn,
    "collect.wav": collect,
    "victory.wav": victory,
    "cannot_buy.wav": cannot_buy,
    "ambient.wav": ambient,
}


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(v * 32767))))) for v in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "data/sfx"
    os.makedirs(folder, exist_ok=True)
    total = 0
    for name, make in SOUNDS.items():
        # Each sound has its own seed, so changing one leaves the others as they were.
        samples = make(random.Random(name))
        path = os.path.join(folder, name)
        write_wav(path, samples)
        total += os.path.getsize(path)
    print("wrote %d sounds into %s (%d bytes)" % (len(SOUNDS), folder, total))


if __name__ == "__main__":
    main()
