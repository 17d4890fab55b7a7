#!/usr/bin/env python3
"""Writes the program's embedded pictures: bitmaps 101-106 and icon 101.

    python3 scripts/make_view_bitmaps.py [output folder]
    python3 scripts/make_view_bitmaps.py --check

The default output folder is src/resources beside this script's folder; the bitmaps go to
bitmaps/<id>.bmp and the icon to icons/101.png. With --check nothing is written: the pictures
are made in a temporary folder and compared with those in src/resources (exit status 1 when
one differs). Standard library only.
"""
import filecmp
import os
import struct
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bmplib  # noqa: E402

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
CRIMSON = (184, 7, 73)
DARK_GREY = (99, 90, 90)
LIGHT_GREY = (200, 196, 196)

# The 16 colours of a 16-colour bitmap: the usual Windows palette with the dark grey of the
# question mark in the slot of the ordinary dark grey.
PALETTE16 = [
    BLACK, (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), DARK_GREY, (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), WHITE,
]

TILE_W, TILE_H = 70, 80

# The question mark of the placeholder, 16 columns by 23 rows; its top-left pixel lies at
# column 25, row 28 of the tile, so it fills columns 25-40 and rows 28-50.
QUESTION_MARK = [
    ".....######.....",
    "...##########...",
    "..###......###..",
    ".###........###.",
    "###..........###",
    "###..........###",
    "###..........###",
    "............###.",
    "...........###..",
    "..........###...",
    ".........###....",
    "........###.....",
    ".......###......",
    "......####......",
    "......####......",
    "......####......",
    "......####......",
    "................",
    "................",
    "......####......",
    "......####......",
    "......####......",
    "......####......",
]
QUESTION_LEFT, QUESTION_TOP = 25, 28


def solid_frame(pixels):
    h, w = len(pixels), len(pixels[0])
    for x in range(w):
        pixels[0][x] = BLACK
        pixels[h - 1][x] = BLACK
    for y in range(h):
        pixels[y][0] = BLACK
        pixels[y][w - 1] = BLACK


def dotted_black(position, length):
    """Pixels alternate black and white along an edge, starting black at both of its corners."""
    return min(position, length - 1 - position) % 2 == 0


def dotted_frame(pixels):
    h, w = len(pixels), len(pixels[0])
    for x in range(w):
        colour = BLACK if dotted_black(x, w) else WHITE
        pixels[0][x] = colour
        pixels[h - 1][x] = colour
    for y in range(h):
        colour = BLACK if dotted_black(y, h) else WHITE
        pixels[y][0] = colour
        pixels[y][w - 1] = colour


def bus_bar(pixels, left):
    """A vertical bus bar of full height: black, five columns of crimson, black."""
    for row in pixels:
        row[left] = BLACK
        for x in range(left + 1, left + 6):
            row[x] = CRIMSON
        row[left + 6] = BLACK


def bitmap102():
    pixels = bmplib.blank(TILE_W, TILE_H)
    solid_frame(pixels)
    return pixels


def bitmap103():
    pixels = bmplib.blank(TILE_W, TILE_H)
    dotted_frame(pixels)
    for dy, line in enumerate(QUESTION_MARK):
        for dx, ch in enumerate(line):
            if ch == "#":
                pixels[QUESTION_TOP + dy][QUESTION_LEFT + dx] = DARK_GREY
    return pixels


def bitmap104():
    pixels = bmplib.blank(TILE_W, TILE_H)
    bus_bar(pixels, 6)
    return pixels


def bitmap105():
    pixels = bitmap104()
    solid_frame(pixels)
    return pixels


def bitmap106():
    pixels = bmplib.blank(7, 40)
    bus_bar(pixels, 0)
    return pixels


def station_emblem(size, background):
    """The program's emblem: a bus node with four branches of modules hanging from it.

    Drawn on a grid of `size` pixels from shapes given in fractions of the size, so the icon and
    the About bitmap share one drawing.
    """
    pixels = [[background] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(round(y0 * size), round(y1 * size)):
            for x in range(round(x0 * size), round(x1 * size)):
                if 0 <= x < size and 0 <= y < size:
                    pixels[y][x] = colour

    def framed(x0, y0, x1, y1, fill):
        box(x0, y0, x1, y1, BLACK)
        edge = 1.0 / size
        box(x0 + edge, y0 + edge, x1 - edge, y1 - edge, fill)

    # The node across the top, with a light display window.
    framed(0.03, 0.04, 0.97, 0.30, CRIMSON)
    box(0.09, 0.10, 0.40, 0.22, LIGHT_GREY)
    # Four columns; how many modules hang in each one.
    columns = [0.06, 0.30, 0.54, 0.78]
    depths = [3, 1, 2, 3]
    tile_w, tile_h, gap = 0.18, 0.16, 0.07
    for left, depth in zip(columns, depths):
        top = 0.30
        for _ in range(depth):
            box(left + 0.06, top, left + 0.12, top + gap, CRIMSON)
            top += gap
            framed(left, top, left + tile_w, top + tile_h, DARK_GREY)
            box(left + 0.04, top + 0.04, left + tile_w - 0.04, top + 0.07, LIGHT_GREY)
            top += tile_h
    return pixels


def bitmap101():
    return station_emblem(36, WHITE)


def write_png(path, pixels):
    """An 8-bit RGBA PNG; pixels are (r, g, b) or (r, g, b, a) tuples."""
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw += bytes(p if len(p) == 4 else p + (255,))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


OUTPUTS = ["bitmaps/%d.bmp" % n for n in range(101, 107)] + ["icons/101.png"]


def write_all(out):
    os.makedirs(os.path.join(out, "bitmaps"), exist_ok=True)
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    bmp = lambda name: os.path.join(out, "bitmaps", name)  # noqa: E731
    bmplib.write_bmp24(bmp("101.bmp"), bitmap101())
    bmplib.write_bmp4(bmp("102.bmp"), bitmap102(), PALETTE16)
    bmplib.write_bmp4(bmp("103.bmp"), bitmap103(), PALETTE16)
    bmplib.write_bmp24(bmp("104.bmp"), bitmap104())
    bmplib.write_bmp24(bmp("105.bmp"), bitmap105())
    bmplib.write_bmp24(bmp("106.bmp"), bitmap106())
    write_png(os.path.join(out, "icons", "101.png"), station_emblem(64, (0, 0, 0, 0)))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    committed = os.path.join(here, os.pardir, "src", "resources")
    if len(argv) > 1 and argv[1] == "--check":
        with tempfile.TemporaryDirectory() as fresh:
            write_all(fresh)
            stale = [name for name in OUTPUTS
                     if not filecmp.cmp(os.path.join(fresh, name), os.path.join(committed, name), shallow=False)]
        for name in stale:
            print("src/resources/%s differs from what the script makes" % name)
        return 1 if stale else 0
    write_all(argv[1] if len(argv) > 1 else committed)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
