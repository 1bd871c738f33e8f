#!/usr/bin/env python3
"""Rewrites a PNG as 8-bit RGBA with no ancillary chunks, compressed as
tightly as zlib allows with the standard row filters.

The renderer writes RGB when an image happens to be fully opaque; the editor
expects every sprite sheet in the same RGBA layout, and the embedded bytes
should not carry time stamps or colour-space chunks that change from one
rendering machine to the next. Standard library only.

Usage: pngpack.py FILE...   (each file is rewritten in place)
"""

import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunks(data):
    if data[:8] != SIGNATURE:
        raise ValueError("not a PNG file")
    pos = 8
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, width, height, bpp):
    stride = width * bpp
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + ((a + b) >> 1)) & 255
            elif kind == 4:
                line[i] = (line[i] + paeth(a, b, c)) & 255
        rows.append(line)
        prev = line
    return rows


def decode(data):
    idat = b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("only 8-bit RGB or RGBA without interlace is handled")
    bpp = 4 if colour == 6 else 3
    rows = unfilter(zlib.decompress(idat), width, height, bpp)
    if bpp == 3:
        rows = [bytearray(b"".join(bytes(r[i:i + 3]) + b"\xff" for i in range(0, len(r), 3)))
                for r in rows]
    return width, height, rows


def filter_row(kind, line, prev, bpp=4):
    if kind == 0:
        return bytes(line)
    out = bytearray(len(line))
    for i in range(len(line)):
        a = line[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        pred = (0, a, b, (a + b) >> 1, paeth(a, b, c))[kind]
        out[i] = (line[i] - pred) & 255
    return bytes(out)


def encode(width, height, rows):
    zero = bytearray(width * 4)
    filtered = []  # per row, the five filtered variants
    for y, line in enumerate(rows):
        prev = rows[y - 1] if y else zero
        filtered.append([filter_row(k, line, prev) for k in range(5)])

    def cost(row):  # the usual minimum-sum-of-absolute-differences rule
        return sum(v if v < 128 else 256 - v for v in row)

    choices = {"adaptive": [min(range(5), key=lambda k: cost(f[k])) for f in filtered]}
    for k in range(5):
        choices["fixed %d" % k] = [k] * height
    best = None
    for picks in choices.values():
        raw = b"".join(bytes([k]) + filtered[y][k] for y, k in enumerate(picks))
        for strategy in (zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED):
            z = zlib.compressobj(9, zlib.DEFLATED, 15, 9, strategy)
            packed = z.compress(raw) + z.flush()
            if best is None or len(packed) < len(best):
                best = packed

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return SIGNATURE + chunk(b"IHDR", ihdr) + chunk(b"IDAT", best) + chunk(b"IEND", b"")


def main():
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            width, height, rows = decode(f.read())
        with open(path, "wb") as f:
            f.write(encode(width, height, rows))


if __name__ == "__main__":
    main()
