#!/usr/bin/env python3
"""Synthesises the program's five sound cues into resources/cue<ID>.wav.

Uncompressed PCM, 16-bit, mono, 22050 Hz. Only the standard library is used and the noise generator is seeded,
so running this again gives byte-identical files:

    python3 scripts/make-sounds.py [output folder, default: resources/ next to this script's folder]
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 22050
PEAK = 0.70  # about -3 dBFS: audible next to other programs without clipping after the echo

# MIDI-style note names to frequencies (equal temperament, A4 = 440 Hz).
_NOTES = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}


def note(name):
    step = _NOTES[name[0]]
    rest = name[1:]
    if rest.startswith("b"):
        step -= 1
        rest = rest[1:]
    elif rest.startswith("#"):
        step += 1
        rest = rest[1:]
    octave = int(rest)
    return 440.0 * 2.0 ** ((step + 12 * (octave - 4)) / 12.0)


def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def mix_into(track, sound, at_seconds, gain=1.0):
    start = int(round(at_seconds * RATE))
    if len(track) < start + len(sound):
        track.extend([0.0] * (start + len(sound) - len(track)))
    for i, v in enumerate(sound):
        track[start + i] += gain * v


def envelope(i, n, attack, tau):
    """Short linear attack (no click at the onset), exponential decay, and a last few ms faded to zero."""
    t = i / RATE
    a = min(1.0, t / attack) if attack > 0 else 1.0
    d = math.exp(-t / tau) if tau > 0 else 1.0
    tail = min(1.0, (n - 1 - i) / (0.004 * RATE))
    return a * d * tail


def tone(freq, seconds, partials=((1.0, 1.0),), attack=0.004, tau=0.2, vibrato=0.0, glide_to=None):
    """A sum of partials (ratio, amplitude); `glide_to` bends the pitch exponentially towards that frequency."""
    n = int(round(seconds * RATE))
    out = []
    phase = [0.0] * len(partials)
    for i in range(n):
        t = i / RATE
        f = freq
        if glide_to is not None:
            f = glide_to + (freq - glide_to) * math.exp(-t / 0.012)
        if vibrato:
            f *= 1.0 + vibrato * math.sin(2 * math.pi * 5.5 * t)
        v = 0.0
        for k, (ratio, amp) in enumerate(partials):
            phase[k] += 2 * math.pi * f * ratio / RATE
            v += amp * math.sin(phase[k])
        out.append(v * envelope(i, n, attack, tau))
    return out


def noise_burst(seconds, tau, rng):
    n = int(round(seconds * RATE))
    out, prev = [], 0.0
    for i in range(n):
        # One-pole low-pass: a soft tick rather than a hiss.
        prev = 0.6 * prev + 0.4 * rng.uniform(-1.0, 1.0)
        out.append(prev * envelope(i, n, 0.0005, tau))
    return out


def echo(track, delay, feedback, taps):
    out = list(track) + [0.0] * int(round(delay * taps * RATE))
    d = int(round(delay * RATE))
    for i in range(d, len(out)):
        out[i] += feedback * out[i - d]
    return out


def fit(track, seconds, fade=0.08):
    """Cuts or pads to the exact length and fades the last `fade` seconds out."""
    n = int(round(seconds * RATE))
    track = (track + [0.0] * n)[:n]
    f = int(round(fade * RATE))
    for i in range(max(0, n - f), n):
        track[i] *= (n - 1 - i) / f
    return track


def normalise(track):
    peak = max(abs(v) for v in track) or 1.0
    return [v * PEAK / peak for v in track]


BELL = ((1.0, 1.0), (2.0, 0.35), (3.0, 0.12), (4.2, 0.05))
WARM = ((1.0, 1.0), (2.0, 0.25), (3.0, 0.18), (5.0, 0.06))
SOFT_SQUARE = ((1.0, 1.0), (3.0, 0.28), (5.0, 0.10), (7.0, 0.04))


def click_cue(rng):
    # A short wooden "tock": a pitch-dropping sine over a tick of filtered noise.
    track = silence(0.0)
    mix_into(track, tone(1250, 0.12, WARM, attack=0.001, tau=0.022, glide_to=820), 0.0)
    mix_into(track, noise_burst(0.02, 0.003, rng), 0.0, 0.5)
    return fit(track, 0.20, fade=0.03)


def failure_cue(rng):
    # Two falling, slightly buzzy notes: a polite "uh-oh".
    track = silence(0.0)
    mix_into(track, tone(note("A4"), 0.30, SOFT_SQUARE, attack=0.006, tau=0.25, vibrato=0.004), 0.0)
    mix_into(track, tone(note("F4"), 0.44, SOFT_SQUARE, attack=0.006, tau=0.22, vibrato=0.006), 0.30)
    return fit(track, 0.74, fade=0.10)


def hotkey_cue(rng):
    # Two quick rising blips, bright and short: a key has been armed.
    track = silence(0.0)
    mix_into(track, tone(note("E6"), 0.09, BELL, attack=0.002, tau=0.035), 0.0)
    mix_into(track, tone(note("B6"), 0.20, BELL, attack=0.002, tau=0.05), 0.085)
    return fit(track, 0.29, fade=0.04)


def start_cue(rng):
    # A rising major arpeggio of bells over a soft pad, with a light echo: recording has begun.
    track = silence(0.0)
    for k, name in enumerate(("C5", "E5", "G5", "C6")):
        mix_into(track, tone(note(name), 1.4, BELL, attack=0.003, tau=0.35), 0.15 * k, 0.8)
    for name in ("C4", "G4"):
        mix_into(track, tone(note(name), 2.0, WARM, attack=0.25, tau=0.9), 0.45, 0.25)
    track = echo(track, 0.19, 0.28, 4)
    return fit(track, 2.5, fade=0.4)


def finish_cue(rng):
    # A falling phrase that comes to rest on a held chord: the demo is complete.
    track = silence(0.0)
    for k, name in enumerate(("G5", "E5", "D5")):
        mix_into(track, tone(note(name), 1.0, BELL, attack=0.003, tau=0.30), 0.22 * k, 0.75)
    for name, gain in (("C4", 0.45), ("G4", 0.35), ("C5", 0.45), ("E5", 0.35)):
        mix_into(track, tone(note(name), 2.9, WARM, attack=0.02, tau=1.1), 0.66, gain)
    mix_into(track, tone(note("C6"), 1.6, BELL, attack=0.003, tau=0.45), 0.66, 0.5)
    track = echo(track, 0.23, 0.25, 4)
    return fit(track, 3.6, fade=0.6)


CUES = {
    101: click_cue,
    102: failure_cue,
    103: hotkey_cue,
    104: start_cue,
    105: finish_cue,
}


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(v * 32767))))) for v in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    os.makedirs(out_dir, exist_ok=True)
    for cue_id, make in CUES.items():
        rng = random.Random(cue_id)
        samples = normalise(make(rng))
        path = os.path.join(out_dir, "cue%d.wav" % cue_id)
        write_wav(path, samples)
        print("%s: %.3f s" % (os.path.normpath(path), len(samples) / RATE))


if __name__ == "__main__":
    main()
