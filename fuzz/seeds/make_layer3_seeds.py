#!/usr/bin/env python3
"""Turns Layer III streams into seeds for fuzz_layer3: a family/rate byte, then
per frame two header bytes and the body (see fuzz/fuzz_layer3.cpp).
Usage: make_layer3_seeds.py OUT_DIR STREAM... (at most MAX_FRAMES frames each)"""
import os
import sys

MAX_FRAMES = 12
KBPS = [[0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
        [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]]
RATES = [[44100, 48000, 32000], [22050, 24000, 16000], [11025, 12000, 8000]]


def convert(data):
    out = bytearray()
    at = 0
    frames = 0
    while at + 4 <= len(data) and frames < MAX_FRAMES:
        if data[at] != 0xFF or (data[at + 1] & 0xE6) != 0xE2:
            at += 1
            continue
        v = (data[at + 1] >> 3) & 3
        family = {3: 0, 2: 1, 0: 2}.get(v)
        b = data[at + 2] >> 4
        r = (data[at + 2] >> 2) & 3
        if family is None or b in (0, 15) or r == 3:
            at += 1
            continue
        if not out:
            out.append(family | r << 2)
        pad = (data[at + 2] >> 1) & 1
        crc = (data[at + 1] & 1) == 0
        lsf = family != 0
        body = KBPS[lsf][b] * 144000 // (RATES[family][r] << lsf) + pad - 4
        out.append((b - 1) | pad << 7)
        out.append((data[at + 3] >> 6) | ((data[at + 3] >> 4) & 3) << 2 | crc << 4)
        out += data[at + 4:at + 4 + body]
        at += 4 + body
        frames += 1
    return bytes(out)


for path in sys.argv[2:]:
    seed = convert(open(path, 'rb').read())
    if seed:
        name = os.path.splitext(os.path.basename(path))[0]
        open(os.path.join(sys.argv[1], name), 'wb').write(seed)
