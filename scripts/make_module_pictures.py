#!/usr/bin/env python3
"""Draws the pictures of the shipped module library into modules/ (uncompressed 24-bit
Windows bitmaps):

  KR39NODE000001_00.bmp .. _15.bmp   the bus node, 502 x 80, one per set of branches in use
                                     (the suffix is the branch mask: bit 0 branch 1 ... bit 3
                                     branch 4); a bus stub runs down at each branch in use
  <PartNo>a.bmp, <PartNo>b.bmp       each module, 70 x 80; "b" carries the bus on below the
                                     module, "a" ends it

The station view hangs the columns of branches 1, 3, 4 and 2 (left to right) 144 pixels apart
from the node's left edge; a column's bus line is 7 pixels wide, 6 pixels from its left edge:
black, five crimson, black.

  python3 scripts/make_module_pictures.py [OUTPUT_DIR]
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bmplib  # noqa: E402
import kr39_family as family  # noqa: E402

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
CRIMSON = (184, 7, 73)
OUTLINE = (58, 58, 62)
HOUSING = (218, 218, 212)
HOUSING_SHADE = (188, 188, 182)
TERMINAL_BLOCK = (84, 86, 92)
SCREW = (196, 196, 196)
SCREW_SLOT = (40, 40, 40)
LED_GREEN = (30, 200, 60)
LED_OFF = (70, 90, 70)
LED_RED = (220, 40, 30)
TEXT = (24, 24, 24)

NODE_WIDTH, NODE_HEIGHT = 502, 80
SLOT_WIDTH, SLOT_HEIGHT = 70, 80
BUS_OFFSET = 6  # the bus line's left edge, from the column's left edge
COLUMN_SPACING = 144  # 2160 twips
# The light corner under the module number (the view's label lies over columns 56-72, rows 0-16).
NOTCH_LEFT, NOTCH_BOTTOM = 53, 19
# Left to right the columns hold branches 1, 3, 4 and 2.
BRANCH_COLUMN = {1: 0, 3: 1, 4: 2, 2: 3}

FONT = {
    "A": ["010", "101", "111", "101", "101"], "B": ["110", "101", "110", "101", "110"],
    "C": ["011", "100", "100", "100", "011"], "D": ["110", "101", "101", "101", "110"],
    "E": ["111", "100", "110", "100", "111"], "F": ["111", "100", "110", "100", "100"],
    "G": ["011", "100", "101", "101", "011"], "H": ["101", "101", "111", "101", "101"],
    "I": ["111", "010", "010", "010", "111"], "K": ["101", "101", "110", "101", "101"],
    "L": ["100", "100", "100", "100", "111"], "M": ["101", "111", "111", "101", "101"],
    "N": ["110", "101", "101", "101", "101"], "O": ["010", "101", "101", "101", "010"],
    "P": ["110", "101", "110", "100", "100"], "R": ["110", "101", "110", "101", "101"],
    "S": ["011", "100", "010", "001", "110"], "T": ["111", "010", "010", "010", "010"],
    "U": ["101", "101", "101", "101", "111"], "V": ["101", "101", "101", "101", "010"],
    "W": ["101", "101", "111", "111", "101"], "Y": ["101", "101", "010", "010", "010"],
    "0": ["111", "101", "101", "101", "111"], "1": ["010", "110", "010", "010", "111"],
    "2": ["110", "001", "010", "100", "111"], "3": ["110", "001", "010", "001", "110"],
    "4": ["101", "101", "111", "001", "001"], "5": ["111", "100", "110", "001", "110"],
    "6": ["011", "100", "111", "101", "111"], "7": ["111", "001", "010", "010", "010"],
    "8": ["111", "101", "111", "101", "111"], "9": ["111", "101", "111", "001", "110"],
    " ": ["000"] * 5, "-": ["000", "000", "111", "000", "000"],
}


def rect(pic, x0, y0, x1, y1, colour):
    """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
    for y in range(max(y0, 0), min(y1, len(pic) - 1) + 1):
        row = pic[y]
        for x in range(max(x0, 0), min(x1, len(row) - 1) + 1):
            row[x] = colour


def frame(pic, x0, y0, x1, y1, colour):
    rect(pic, x0, y0, x1, y0, colour)
    rect(pic, x0, y1, x1, y1, colour)
    rect(pic, x0, y0, x0, y1, colour)
    rect(pic, x1, y0, x1, y1, colour)


def housing(pic, x0, y0, x1, y1, fill):
    """A housing with a dark outline, rounded corners and a shaded right and lower edge."""
    rect(pic, x0, y0, x1, y1, fill)
    rect(pic, x1 - 1, y0 + 1, x1 - 1, y1 - 1, HOUSING_SHADE)
    rect(pic, x0 + 1, y1 - 1, x1 - 1, y1 - 1, HOUSING_SHADE)
    frame(pic, x0, y0, x1, y1, OUTLINE)
    for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        pic[y][x] = WHITE


def text(pic, x, y, s, colour=TEXT):
    for ch in s.upper():
        glyph = FONT[ch]
        for dy, bits in enumerate(glyph):
            for dx, bit in enumerate(bits):
                if bit == "1":
                    pic[y + dy][x + dx] = colour
        x += 4


def text_width(s):
    return 4 * len(s) - 1


def bus_line(pic, left, y0, y1):
    """The 7-pixel bus line: black, five crimson, black."""
    rect(pic, left, y0, left, y1, BLACK)
    rect(pic, left + 1, y0, left + 5, y1, CRIMSON)
    rect(pic, left + 6, y0, left + 6, y1, BLACK)


def led(pic, x, y, colour):
    rect(pic, x, y, x + 2, y + 2, colour)
    pic[y][x] = tuple(min(255, c + 80) for c in colour)  # a highlight


def screw(pic, x, y):
    rect(pic, x, y, x + 3, y + 3, SCREW)
    pic[y][x] = pic[y][x + 3] = pic[y + 3][x] = pic[y + 3][x + 3] = TERMINAL_BLOCK
    rect(pic, x + 1, y + 1, x + 2, y + 2, SCREW_SLOT)


def module_picture(module, bus_runs_on):
    pic = bmplib.blank(SLOT_WIDTH, SLOT_HEIGHT)
    # The bus comes in from above; it ends under the module's tap unless it runs on.
    bus_end = SLOT_HEIGHT - 1 if bus_runs_on else 22
    bus_line(pic, BUS_OFFSET, 0, bus_end)
    if not bus_runs_on:
        rect(pic, BUS_OFFSET, bus_end, BUS_OFFSET + 6, bus_end, BLACK)
    # The tap from the bus into the module's backplane connector.
    rect(pic, 13, 13, 18, 13, BLACK)
    rect(pic, 13, 14, 18, 17, CRIMSON)
    rect(pic, 13, 18, 18, 18, BLACK)

    x0, x1 = 18, 66
    housing(pic, x0, 2, x1, 77, HOUSING)
    # The station view writes the module number in red over the top right corner: the housing
    # leaves that corner free, so the number stands on white.
    rect(pic, NOTCH_LEFT + 1, 0, SLOT_WIDTH - 1, NOTCH_BOTTOM - 1, WHITE)
    rect(pic, NOTCH_LEFT, 2, NOTCH_LEFT, NOTCH_BOTTOM, OUTLINE)
    rect(pic, NOTCH_LEFT, NOTCH_BOTTOM, x1, NOTCH_BOTTOM, OUTLINE)
    # Group colour along the top edge.
    rect(pic, x0 + 2, 4, NOTCH_LEFT - 2, 8, family.GROUP_COLOURS[module["group"]])
    # Label field with the module's short name.
    rect(pic, x0 + 3, 11, NOTCH_LEFT - 2, 21, WHITE)
    frame(pic, x0 + 3, 11, NOTCH_LEFT - 2, 21, HOUSING_SHADE)
    label = module["label"]
    text(pic, (x0 + 3 + NOTCH_LEFT - 2 + 1 - text_width(label)) // 2, 14, label)
    # Channel LEDs (two rows for more than eight), one status LED.
    leds = module["leds"]
    per_row = min(leds, 8)
    for i in range(leds):
        row, col = divmod(i, 8)
        lit = (i * 5 + len(module["part"])) % 3 != 0
        led(pic, x0 + 4 + col * 5, 25 + row * 5, LED_GREEN if lit else LED_OFF)
    led(pic, x1 - 6, 25 + (5 if leds > 8 else 0) + (0 if per_row < 8 else 5), LED_GREEN)
    # Terminal block with its screws.
    top = 38 if leds <= 8 else 41
    rect(pic, x0 + 2, top, x1 - 2, 74, TERMINAL_BLOCK)
    rect(pic, x0 + 2, top, x1 - 2, top, OUTLINE)
    terminals = module["terminals"]
    cols = 2 if terminals <= 10 else 3
    rows = -(-terminals // cols)
    pitch = max(5, (74 - top - 3) // rows)
    col_x = [x0 + 8 + c * (30 if cols == 2 else 14) for c in range(cols)]
    for i in range(terminals):
        r, c = divmod(i, cols)
        screw(pic, col_x[c], top + 3 + r * pitch)
    return pic


def node_picture(mask):
    pic = bmplib.blank(NODE_WIDTH, NODE_HEIGHT)
    # The totals of the station view cover the top-left corner, so the body leaves it free.
    rail_top, rail_bottom = 44, 63
    housing(pic, 62, 2, 497, rail_top + 2, HOUSING)
    housing(pic, 0, rail_top, NODE_WIDTH - 1, rail_bottom, (200, 200, 196))
    rect(pic, 63, rail_top, 496, rail_top, HOUSING)  # the body and the rail are one housing
    rect(pic, 64, 4, 495, 8, (20, 50, 120))
    # Label field.
    rect(pic, 70, 12, 214, 34, WHITE)
    frame(pic, 70, 12, 214, 34, HOUSING_SHADE)
    text(pic, 76, 15, family.NODE)
    text(pic, 76, 24, "DEVICENET NODE")
    # DeviceNet open connector: V- black, CAN_L blue, shield, CAN_H white, V+ red.
    housing(pic, 232, 13, 292, 40, (0, 110, 60))
    for i, colour in enumerate([(0, 0, 0), (20, 60, 200), (150, 150, 150), (250, 250, 250), (210, 20, 20)]):
        x = 237 + i * 11
        rect(pic, x, 17, x + 6, 30, colour)
        frame(pic, x, 17, x + 6, 30, OUTLINE)
        rect(pic, x + 2, 33, x + 4, 37, SCREW_SLOT)
    # Rotary switches: address tens, address units, baud rate.
    for i, name in enumerate(["MAC", "MAC", "BAUD"]):
        cx, cy = 318 + i * 26, 22
        for y in range(cy - 7, cy + 8):
            for x in range(cx - 7, cx + 8):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= 49:
                    pic[y][x] = OUTLINE if d > 36 else (235, 235, 235)
        rect(pic, cx - 1, cy - 5, cx + 1, cy + 1, SCREW_SLOT)
        text(pic, cx - text_width(name) // 2, 32, name)
    # Module and network status LEDs.
    for i, (name, colour) in enumerate([("MS", LED_GREEN), ("NS", LED_GREEN), ("IO", LED_GREEN)]):
        x = 410 + i * 26
        rect(pic, x, 16, x + 7, 21, colour)
        frame(pic, x, 16, x + 7, 21, OUTLINE)
        text(pic, x + (8 - text_width(name)) // 2, 25, name)
    # One socket per branch on the rail; a branch in use carries the bus down from it.
    for branch in (1, 2, 3, 4):
        left = BRANCH_COLUMN[branch] * COLUMN_SPACING
        rect(pic, left + 2, rail_top + 6, left + 16, rail_bottom - 2, (40, 40, 44))
        frame(pic, left + 2, rail_top + 6, left + 16, rail_bottom - 2, BLACK)
        text(pic, left + 20, rail_top + 8, str(branch))
        if mask & (1 << (branch - 1)):
            bus_line(pic, left + BUS_OFFSET, rail_top + 9, NODE_HEIGHT - 1)
        else:
            rect(pic, left + 5, rail_top + 9, left + 13, rail_bottom - 5, (150, 150, 150))
    return pic


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "modules")
    os.makedirs(out, exist_ok=True)
    for mask in range(16):
        bmplib.write_bmp24(os.path.join(out, "%s_%02d.bmp" % (family.NODE, mask)), node_picture(mask))
    for module in family.MODULES:
        bmplib.write_bmp24(os.path.join(out, module["part"] + "a.bmp"), module_picture(module, False))
        bmplib.write_bmp24(os.path.join(out, module["part"] + "b.bmp"), module_picture(module, True))


if __name__ == "__main__":
    main()
