#!/usr/bin/env python3
"""Writes the icon buttons' two short sounds, res/sounds/hover.wav and res/sounds/click.wav.

Each is a few hundredths of a second of 16-bit mono PCM at 22050 Hz: a decaying tone that starts
and ends at silence, so that it makes no crack of its own. Run it again after changing a sound.
"""
import math
import struct
import wave
from pathlib import Path

RATE = 22050


def tone(duration, partials, decay, level, attack=0.002):
    """Sum of (frequency, weight) partials under an exponential decay, faded in and out."""
    count = int(duration * RATE)
    fade = max(1, int(attack * RATE))
    samples = []
    for i in range(count):
        t = i / RATE
        value = sum(w * math.sin(2 * math.pi * f * t) for f, w in partials)
        envelope = math.exp(-t / decay) * min(1.0, i / fade, (count - 1 - i) / fade)
        samples.append(int(round(32767 * level * envelope * value)))
    return samples


def write(path, samples):
    path.parent.mkdir(parents=True, exist_ok=True)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", s) for s in samples))


def main():
    sounds = Path(__file__).resolve().parent.parent / "res" / "sounds"
    # Hover: a soft, high tick.
    write(sounds / "hover.wav", tone(0.030, [(2400, 0.8), (3600, 0.2)], 0.008, 0.18))
    # Click: a shorter, fuller knock.
    write(sounds / "click.wav", tone(0.045, [(900, 0.6), (1900, 0.3), (3100, 0.1)], 0.010, 0.45))


if __name__ == "__main__":
    main()
