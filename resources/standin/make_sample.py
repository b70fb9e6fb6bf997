#!/usr/bin/env python3
"""Writes Brick.tpf, the sample document the installer puts beside the editor.

Layout (little-endian): "TPF1", u16 width, u16 height, u16 colour count,
that many RGB triples, then width*height palette indexes row by row.

    make_sample.py OUT.tpf
"""
import struct
import sys

WIDTH, HEIGHT = 8, 8
PALETTE = [
    (0xC0, 0xC0, 0xC0), (0x80, 0x20, 0x10), (0xB0, 0x40, 0x20), (0x60, 0x60, 0x60),
    (0xD0, 0x60, 0x30), (0x90, 0x30, 0x18), (0xA0, 0xA0, 0xA0), (0x70, 0x18, 0x08),
    (0xE0, 0x80, 0x50), (0x50, 0x50, 0x50), (0xC8, 0x50, 0x28), (0x98, 0x38, 0x20),
    (0xF0, 0xF0, 0xF0), (0x40, 0x10, 0x00), (0xB8, 0x58, 0x38), (0x88, 0x88, 0x88),
]
MORTAR, DARK, LIGHT = 0, 1, 2


def brick(x, y):
    """Running bond: two courses of four-cell bricks, the second shifted by half."""
    if y % 4 == 3:
        return MORTAR
    if (x + (4 if y >= 4 else 0)) % 8 == 7:
        return MORTAR
    return LIGHT if y % 4 == 0 else DARK


def document():
    header = b"TPF1" + struct.pack("<HHH", WIDTH, HEIGHT, len(PALETTE))
    palette = b"".join(bytes(rgb) for rgb in PALETTE)
    cells = bytes(brick(x, y) for y in range(HEIGHT) for x in range(WIDTH))
    return header + palette + cells


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "wb") as out:
        out.write(document())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
