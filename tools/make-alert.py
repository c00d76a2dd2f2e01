#!/usr/bin/env python3
"""Writes resources/sounds/alert.wav, the end-of-scan chime: two soft bell
tones, a fifth apart, each fading out; 22,050 Hz, 16-bit mono, under half a
second."""
import math, struct, wave, pathlib

RATE = 22050

def tone(freq, start, length, volume):
    out = []
    for i in range(int(length * RATE)):
        t = i / RATE
        envelope = math.exp(-t * 7.0) * min(1.0, t * 400)  # quick attack, bell-like fade
        s = math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(2 * math.pi * freq * 2 * t)
        out.append((start + i, volume * envelope * s / 1.3))
    return out

samples = [0.0] * int(0.48 * RATE)
for index, value in tone(1318.5, 0, 0.30, 0.45) + tone(1975.5, int(0.12 * RATE), 0.36, 0.35):
    if index < len(samples):
        samples[index] += value

path = pathlib.Path(__file__).resolve().parent.parent / "resources" / "sounds" / "alert.wav"
with wave.open(str(path), "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(RATE)
    w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767)) for s in samples))
