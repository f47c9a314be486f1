#!/usr/bin/env python3
"""Writes the caption-button glyphs as 16-colour BMP files.

Run it after changing a picture below; the BMP files are committed beside it.
Every glyph's bottom-left pixel is the background: the buttons draw the
glyphs transparent in that colour.
"""
import os
import struct

# The standard 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# '.' is the background (fuchsia), drawn transparent.
INK = {'.': 13, 'K': 0, 'G': 8, 'S': 7, 'W': 15, 'R': 9, 'M': 1, 'B': 12, 'N': 4}

GLYPHS = {
    # A pin stuck in: the window stays on top.
    "STAYONTOPON": [
        "............",
        "...RRRRRR...",
        "....RWWM....",
        "....RWRM....",
        "....RRRM....",
        "....RRRM....",
        "..RRRRRRMM..",
        ".....KG.....",
        ".....KG.....",
        ".....KG.....",
        ".....K......",
        "............",
    ],
    # The same pin lying on its side: the window is not on top.
    "STAYONTOPOFF": [
        "............",
        "............",
        "......R.....",
        "......R..R..",
        "......RRRRR.",
        "......RWWRM.",
        ".KKKKKRWRRM.",
        ".GGGGGRRRRM.",
        "......RMMMM.",
        "......R..M..",
        "......M.....",
        "............",
    ],
    "STAYONTOPON_SMALL": [
        "........",
        "..RRRR..",
        "..RWRM..",
        "..RRRM..",
        ".RRRRMM.",
        "...KG...",
        "...K....",
        "........",
    ],
    "STAYONTOPOFF_SMALL": [
        "........",
        "....R...",
        "....RRR.",
        "KKKKRWM.",
        "....RRM.",
        "....M...",
        "........",
        "........",
    ],
    # A window dropping into the notification area.
    "MINTOTRAY": [
        ".............",
        ".NNNNNNNN....",
        ".NWWWWWWN....",
        ".NWWWWWWN....",
        ".NWWWWWWN....",
        ".NNNNNNNN....",
        "......K......",
        "......K.K....",
        "......KK.....",
        "....KKKKKKKK.",
        "....KBBBBBBK.",
        "....KKKKKKKK.",
        ".............",
    ],
    "MINTOTRAY_SMALL": [
        "NNNNN...",
        "NWWWN...",
        "NNNNN...",
        "...K....",
        ".KKKKKKK",
        ".KBBBBBK",
        ".KKKKKKK",
        "........",
    ],
    # A window shrinking into a small icon at the screen's corner.
    "MINTOEDGE": [
        ".............",
        ".KKKKK.......",
        ".KBBBK.......",
        ".KBWBK.......",
        ".KBBBK.......",
        ".KKKKK.......",
        "......K......",
        ".......K.....",
        "........KNNN.",
        "........NWWN.",
        "........NWWN.",
        "........NNNN.",
        ".............",
    ],
    # A title bar with an arrow up: roll the window up to it.
    "WINDOWROLLUP": [
        ".............",
        ".NNNNNNNNNNN.",
        ".NNNNNNNNNNN.",
        ".K.........K.",
        ".K....K....K.",
        ".K...KKK...K.",
        ".K..KKKKK..K.",
        ".K....K....K.",
        ".K....K....K.",
        ".K.........K.",
        ".KKKKKKKKKKK.",
        ".............",
        ".............",
    ],
    # The same with an arrow down: unroll it.
    "WINDOWUNROLL": [
        ".............",
        ".NNNNNNNNNNN.",
        ".NNNNNNNNNNN.",
        ".K.........K.",
        ".K....K....K.",
        ".K....K....K.",
        ".K..KKKKK..K.",
        ".K...KKK...K.",
        ".K....K....K.",
        ".K.........K.",
        ".KKKKKKKKKKK.",
        ".............",
        ".............",
    ],
}


def bmp_bytes(rows):
    height = len(rows)
    width = len(rows[0])
    assert all(len(r) == width for r in rows), "ragged picture"
    assert rows[-1][0] == '.', "the bottom-left pixel must be background"
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(stride)
        for x, ch in enumerate(row):
            idx = INK[ch]
            if x % 2 == 0:
                line[x // 2] |= idx << 4
            else:
                line[x // 2] |= idx
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, rows in GLYPHS.items():
        with open(os.path.join(here, name.lower() + ".bmp"), "wb") as f:
            f.write(bmp_bytes(rows))


if __name__ == "__main__":
    main()
