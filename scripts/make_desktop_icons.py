#!/usr/bin/env python3
"""Writes the program icon for the desktop's icon theme: the emblem of icon 101 drawn at each size.

    python3 scripts/make_desktop_icons.py OUTPUT_FOLDER

Writes OUTPUT_FOLDER/hicolor/<n>x<n>/apps/kr39eds.png for every size below. Standard library only.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_view_bitmaps  # noqa: E402

SIZES = [16, 32, 48, 64, 128, 256]


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    for size in SIZES:
        folder = os.path.join(argv[1], "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        make_view_bitmaps.write_png(os.path.join(folder, "kr39eds.png"),
                                    make_view_bitmaps.station_emblem(size, (0, 0, 0, 0)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
