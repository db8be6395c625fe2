#!/usr/bin/env python3
"""Compares two folders of PNG pictures of the same names pixel by pixel: for each picture the
number of pixels that differ and the largest difference of one channel, in levels. Exit status 1
when a picture is missing or one pixel differs by more than the allowed levels (--max, default 2)."""
import argparse
import os
import subprocess
import sys
import zlib


def read_png(path):
    """RGB or RGBA 8-bit PNG (no interlace) as (width, height, channels, bytes)."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, chunks, idat = 8, {}, b""
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], "big")
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IDAT":
            idat += body
        else:
            chunks[kind] = body
        pos += 12 + length
    header = chunks[b"IHDR"]
    width, height = int.from_bytes(header[0:4], "big"), int.from_bytes(header[4:8], "big")
    channels = {2: 3, 6: 4}[header[9]]
    raw = zlib.decompress(idat)
    stride = width * channels
    out = bytearray(height * stride)
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        out[y * stride:(y + 1) * stride] = line
        previous = line
    return width, height, channels, bytes(out)


def compare(a, b):
    wa, ha, ca, pa = read_png(a)
    wb, hb, cb, pb = read_png(b)
    if (wa, ha, ca) != (wb, hb, cb):
        return None
    if pa == pb:
        return 0, 0
    differing, largest = 0, 0
    for i in range(0, len(pa), ca):
        d = max(abs(pa[i + k] - pb[i + k]) for k in range(ca))
        if d:
            differing += 1
            largest = max(largest, d)
    return differing, largest


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("reference")
    parser.add_argument("candidate")
    parser.add_argument("--max", type=int, default=2)
    args = parser.parse_args()
    names = sorted(n for n in os.listdir(args.reference) if n.endswith(".png"))
    failed, total_differing, worst = False, 0, 0
    for name in names:
        other = os.path.join(args.candidate, name)
        if not os.path.exists(other):
            print(f"{name}: missing from {args.candidate}")
            failed = True
            continue
        result = compare(os.path.join(args.reference, name), other)
        if result is None:
            print(f"{name}: different size")
            failed = True
            continue
        differing, largest = result
        total_differing += differing
        worst = max(worst, largest)
        print(f"{name}: {differing} pixels differ, by at most {largest} levels")
        failed = failed or largest > args.max
    print(f"{len(names)} pictures: {total_differing} pixels differ in all, by at most {worst} levels")
    return 1 if failed or not names else 0


if __name__ == "__main__":
    sys.exit(main())
