"""Minimal writer of uncompressed Windows bitmaps (BI_RGB), standard library only.

A picture is a list of rows, top row first, each a list of (r, g, b) tuples.
"""
import struct


def blank(width, height, colour=(255, 255, 255)):
    return [[colour] * width for _ in range(height)]


def _rows_bottom_up(pixels):
    return list(reversed(pixels))


def write_bmp24(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in _rows_bottom_up(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    _write(path, width, height, 24, b"", bytes(data))


def write_bmp4(path, pixels, palette):
    """16-colour bitmap; every pixel colour must be one of `palette` (at most 16 entries)."""
    if len(palette) > 16:
        raise ValueError("a 16-colour bitmap holds at most 16 colours")
    index = {colour: i for i, colour in enumerate(palette)}
    height = len(pixels)
    width = len(pixels[0])
    stride = ((width + 1) // 2 + 3) & ~3
    data = bytearray()
    for row in _rows_bottom_up(pixels):
        line = bytearray()
        for x in range(0, width, 2):
            hi = index[row[x]]
            lo = index[row[x + 1]] if x + 1 < width else 0
            line.append((hi << 4) | lo)
        line += b"\0" * (stride - len(line))
        data += line
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    table += b"\0\0\0\0" * (16 - len(palette))
    _write(path, width, height, 4, table, bytes(data))


def _write(path, width, height, bits, table, data):
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 3780, 3780,
                       16 if bits == 4 else 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + table + data)
