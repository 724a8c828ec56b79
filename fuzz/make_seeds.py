#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are small on purpose (all of them together stay under 50 KB):
a few well-formed inputs per target and a few near misses, from which the
fuzzer mutates. Run from anywhere; existing seeds are overwritten."""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def wave(samples, channels=2, bits=16, fmt_len=16, extra=b"", data_len=None, tail=b""):
    fmt = struct.pack("<hhiihh", 1, channels, 44100, 44100 * channels * bits // 8, channels * bits // 8, bits)
    fmt = (fmt + tail + b"\0" * 144)[:fmt_len]
    data = b"".join(struct.pack("<h", s) for s in samples)
    n = len(data) if data_len is None else data_len
    body = b"WAVEfmt " + struct.pack("<i", fmt_len) + fmt + extra + b"data" + struct.pack("<i", n) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def tone(n, freq, amp, start=0, channels=2):
    out = []
    for i in range(n):
        v = int(amp * math.sin(2 * math.pi * freq * i / 44100)) if i >= start else 0
        out.extend([v] * channels)
    return out


# WAVE reading and writing.
put("wave_io", "stereo.wav", wave(tone(64, 440, 9000)))
put("wave_io", "mono.wav", wave(tone(64, 440, 9000, channels=1), channels=1))
put("wave_io", "fmt18.wav", wave(tone(16, 440, 3000), fmt_len=18))
put("wave_io", "fmt144.wav", wave(tone(16, 440, 3000), fmt_len=144, tail=b"x" * 128))
put("wave_io", "list_chunk.wav", wave(tone(16, 440, 3000), extra=b"LIST\x04\0\0\0abcd"))
put("wave_io", "eight_bit.wav", wave([1, 2, 3, 4], bits=8))
put("wave_io", "truncated.wav", wave(tone(32, 440, 3000), data_len=100000))
put("wave_io", "four_channels.wav", wave(tone(8, 440, 3000, channels=4), channels=4))
put("wave_io", "empty.wav", b"")

# Settings file: defaults, a short file, out-of-range and NaN values.
def settings(x=10, y=10, w=1000, h=740, part_max=8, vals=(5000.0, 3000.0, 355632.475, 123.5, 300.0, 32.375),
             font_size=12, font=b"\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"):
    b = bytearray(240)
    struct.pack_into("<iiii", b, 4, x, y, w, h)
    struct.pack_into("<i", b, 36, part_max)
    struct.pack_into("<6d", b, 40, *vals)
    struct.pack_into("<i", b, 156, font_size)
    b[160:160 + len(font)] = font
    return bytes(b)

put("sys_param", "defaults.inf", settings())
put("sys_param", "short.inf", settings(x=200, w=50)[:100])
put("sys_param", "odd_values.inf",
    settings(x=-5, h=4000, part_max=257, vals=(float("nan"), 499.0, 1e7, 1100.0, 1100.0, float("inf")),
             font_size=31, font=b"Gothic"))
put("sys_param", "user_values.inf",
    settings(x=120, y=80, w=1280, h=900, part_max=32, vals=(800.0, 4500.0, 1000.0, 400.0, 250.0, -1.0),
             font_size=16, font=b"IPAGothic Regular"))
put("sys_param", "empty.inf", b"")

# CP932 and UTF-8 text.
put("cp932", "font_name.txt", b"\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e")
put("cp932", "katakana.txt", b"\xb1\xb2\xb3 Part_001 \x89\xb9\x8c\xb9")
put("cp932", "lone_lead.txt", b"abc\x82")
put("cp932", "utf8.txt", "音源パート名(12文字まで) ：Total_Diff.".encode("utf-8"))
put("cp932", "bad_utf8.txt", b"\xe9\x9f\xb3\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80")

# Part names: edited part, entry count, 14-byte entries, typed text.
def entries(names):
    return b"".join((n + b"\0" * 14)[:14] for n in names)

put("part_name", "rename.bin", bytes([0, 3]) + entries([b"Part_001", b"Part_002", b"Total_Diff."]) + b"Piano")
put("part_name", "taken.bin", bytes([1, 3]) + entries([b"Part_001", b"Part_002", b"Total_Diff."]) + b"Part_001")
put("part_name", "long_kana.bin", bytes([0, 2]) + entries([b"Part_001", b"\x83\x73\x83\x41\x83\x6d"]) +
    "ピアノとバイオリン".encode("utf-8"))
put("part_name", "empty_names.bin", bytes([2, 3]) + entries([b"", b"x", b""]) + b"")
put("part_name", "twelve_bytes.bin", bytes([255, 2]) + entries([b"abcdefghijkl", b"abcdefghijklmn"]) +
    b"abcdefghijklXYZ")

# Short extraction runs: settings bytes, then samples.
def run(samples, part_max=8, vol=0, sim=3, p2=10, p3=255, start=0, end=0, flags=0, mono=False):
    head = bytes([part_max - 1, vol, sim, p2, p3]) + struct.pack("<HH", start, end) + bytes([flags | (4 if mono else 0)])
    return head + b"".join(struct.pack("<h", s) for s in samples)

two = [a + b for a, b in zip(tone(3500, 440, 6000, start=400), tone(3500, 1320, 5000, start=2000))]
put("extract", "two_tones.bin", run(two))
put("extract", "one_tone_range.bin", run(tone(2500, 660, 8000, start=300), start=200, end=2300, flags=3))
put("extract", "mono_traced.bin", run(tone(2500, 220, 7000, start=500, channels=1), mono=True, flags=8))
put("extract", "right_only.bin", run([v if i % 2 else 0 for i, v in enumerate(tone(2000, 880, 9000, start=400))]))
put("extract", "silence.bin", run([0] * 512))
