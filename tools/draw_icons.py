#!/usr/bin/env python3
"""Draws the installer's icon and the stand-in editor's 33 document icons.

Every icon is one 32x32 image with 16 colours (4 bits a pixel), written as a
.ico file that the resource compiler takes in. Output depends only on this
script, so rebuilds give the same bytes.

    draw_icons.py installer OUT.ico
    draw_icons.py editor OUTDIR      (writes editor_00.ico .. editor_32.ico)
"""
import os
import struct
import sys

SIZE = 32
EDITOR_ICON_COUNT = 33

# The usual 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


def encode_ico(pixels):
    """pixels: SIZE rows of SIZE palette indexes, top row first."""
    assert len(pixels) == SIZE and all(len(row) == SIZE for row in pixels)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    # Bitmap rows run bottom-up; a 32-pixel row is 16 bytes, already 4-aligned.
    colour = b"".join(
        bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        for row in reversed(pixels))
    mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    image = header + palette + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def blank(colour):
    return [[colour] * SIZE for _ in range(SIZE)]


def fill_rect(pixels, x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, SIZE)):
        for x in range(max(x0, 0), min(x1, SIZE)):
            pixels[y][x] = colour


def outline(pixels, colour):
    for i in range(SIZE):
        pixels[0][i] = pixels[SIZE - 1][i] = colour
        pixels[i][0] = pixels[i][SIZE - 1] = colour


# Tile motifs for the editor icons: each answers "foreground here?" for a pixel.
def running_bond(x, y):
    row = y // 4
    shift = 4 if row % 2 else 0
    return y % 4 != 3 and (x + shift) % 8 != 7


def checker(x, y):
    return (x // 4 + y // 4) % 2 == 0


def triangles(x, y):
    return (x % 8) > (y % 8)


def stripes(x, y):
    return ((x + y) // 3) % 2 == 0


def basket_weave(x, y):
    across = (x // 8 + y // 8) % 2 == 0
    return (y % 8 if across else x % 8) % 4 < 2


def offset_dots(x, y):
    row = y // 6
    cx = (x + (3 if row % 2 else 0)) % 6
    cy = y % 6
    return 1 <= cx <= 3 and 1 <= cy <= 3


def herringbone(x, y):
    return ((x // 4) % 2 == 0) == (((x + y) // 2) % 4 < 2)


def stack_bond(x, y):
    return x % 8 != 7 and y % 4 != 3


MOTIFS = [running_bond, checker, triangles, stripes, basket_weave, offset_dots,
          herringbone, stack_bond]

# (background, foreground) pairs; 11 pairs against 8 motifs never repeat a
# combination within 33 icons.
COLOURS = [
    (SILVER, MAROON), (WHITE, NAVY), (YELLOW, GREEN), (AQUA, TEAL), (SILVER, PURPLE),
    (WHITE, RED), (LIME, OLIVE), (GRAY, YELLOW), (NAVY, AQUA), (MAROON, YELLOW),
    (TEAL, WHITE),
]

# 3x5 digits, one string of 15 cells per digit, read row by row.
DIGITS = [
    "###" "#.#" "#.#" "#.#" "###", ".#." "##." ".#." ".#." "###",
    "###" "..#" "###" "#.." "###", "###" "..#" ".##" "..#" "###",
    "#.#" "#.#" "###" "..#" "..#", "###" "#.." "###" "..#" "###",
    "###" "#.." "###" "#.#" "###", "###" "..#" ".#." ".#." ".#.",
    "###" "#.#" "###" "#.#" "###", "###" "#.#" "###" "..#" "###",
]


def draw_number(pixels, number, right, bottom, scale=2):
    """Two digits on a white plate whose lower right corner is (right, bottom)."""
    text = "%02d" % number
    width = (len(text) * 4 - 1) * scale + 4
    height = 5 * scale + 4
    left, top = right - width, bottom - height
    fill_rect(pixels, left, top, right, bottom, WHITE)
    for i in range(width):
        pixels[top][left + i] = pixels[bottom - 1][left + i] = BLACK
    for i in range(height):
        pixels[top + i][left] = pixels[top + i][right - 1] = BLACK
    for n, ch in enumerate(text):
        glyph = DIGITS[int(ch)]
        for gy in range(5):
            for gx in range(3):
                if glyph[gy * 3 + gx] == "#":
                    x = left + 2 + (n * 4 + gx) * scale
                    y = top + 2 + gy * scale
                    fill_rect(pixels, x, y, x + scale, y + scale, BLACK)


def editor_icon(index):
    """The icon at ExtractIcon index `index`: its own motif, colours and number."""
    motif = MOTIFS[index % len(MOTIFS)]
    back, fore = COLOURS[index % len(COLOURS)]
    pixels = [[fore if motif(x, y) else back for x in range(SIZE)] for y in range(SIZE)]
    outline(pixels, BLACK)
    draw_number(pixels, index, SIZE - 1, SIZE - 1)
    return pixels


def installer_icon():
    """A brick wall with a yellow arrow coming down onto it."""
    pixels = blank(SILVER)  # mortar
    for y in range(10, SIZE):
        for x in range(SIZE):
            if running_bond(x, y - 10):
                shade = RED if ((x + (4 if (y - 10) // 4 % 2 else 0)) // 8 + (y - 10) // 4) % 3 else MAROON
                pixels[y][x] = shade
    # Arrow: shaft then head, outlined in black so it reads on the bricks.
    fill_rect(pixels, 12, 0, 20, 14, BLACK)
    fill_rect(pixels, 13, 0, 19, 14, YELLOW)
    for step in range(9):
        y = 13 + step
        x0, x1 = 6 + step, SIZE - 6 - step
        fill_rect(pixels, x0, y, x1, y + 1, BLACK)
        if x1 - x0 > 2:
            fill_rect(pixels, x0 + 1, y, x1 - 1, y + 1, YELLOW)
    return pixels


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def main(argv):
    if len(argv) == 3 and argv[1] == "installer":
        write(argv[2], encode_ico(installer_icon()))
        return 0
    if len(argv) == 3 and argv[1] == "editor":
        os.makedirs(argv[2], exist_ok=True)
        for index in range(EDITOR_ICON_COUNT):
            write(os.path.join(argv[2], "editor_%02d.ico" % index),
                  encode_ico(editor_icon(index)))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
