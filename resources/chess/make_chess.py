#!/usr/bin/python3
"""Writes chess_background.png, the tile painted under transparent drawings with "Background
Image" on, linked into the plug-in as the raw-data resource CHESSBACKGROUND
(resources/pictara.rc).

The tile: 1568 x 896 pixels, 1 bit per pixel, a two-entry palette (entry 0 = C8C8C8 light grey,
entry 1 = FFFFFF white); pixel (x, y) has entry ((x div 16) + (y div 16)) mod 2, so 98 x 56
squares of 16 x 16 pixels with a grey square at the top-left corner. Only zlib is needed, and the
output is the same bytes on every run.
"""
import os
import struct
import zlib

WIDTH, HEIGHT, SQUARE = 1568, 896, 16
PALETTE = [(0xC8, 0xC8, 0xC8), (0xFF, 0xFF, 0xFF)]


def entry(x, y):
    return ((x // SQUARE) + (y // SQUARE)) % 2


def row_bytes(y):
    out = bytearray(b"\x00")  # filter type None
    for start in range(0, WIDTH, 8):
        byte = 0
        for bit in range(8):
            byte = (byte << 1) | entry(start + bit, y)
        out.append(byte)
    return bytes(out)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    assert WIDTH % 8 == 0
    raw = b"".join(row_bytes(y) for y in range(HEIGHT))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 1, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "chess_background.png")
    with open(target, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
