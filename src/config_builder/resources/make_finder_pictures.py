#!/usr/bin/env python3
"""Draws the window finder's pictures: FindWindowOff.bmp (a sight in a
sunken box), FindWindowOn.bmp (the empty box, the sight being in the cursor)
and FindWindowCursor.cur (the sight, hot spot in its centre).

Run from this folder. Magenta (the bottom-left pixel) is transparent.
"""
import struct

SIZE = 32
KEY = (0xFF, 0x00, 0xFF)       # BGR
FACE = (0xC0, 0xC0, 0xC0)
DARK = (0x80, 0x80, 0x80)
LIGHT = (0xFF, 0xFF, 0xFF)
SIGHT = (0x00, 0x00, 0x00)
RED = (0x00, 0x00, 0xC0)


def sight_points(cx, cy):
    """Pixels of a ring of radius 9 with a cross through it."""
    pts = set()
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if 8.4 <= d <= 9.6:
                pts.add((x, y))
    for i in range(-12, 13):
        if abs(i) > 2:
            pts.add((cx + i, cy))
            pts.add((cx, cy + i))
    return pts


def box(with_sight):
    px = [[KEY] * SIZE for _ in range(SIZE)]
    for y in range(2, 30):
        for x in range(2, 30):
            px[y][x] = FACE
    for i in range(2, 30):
        px[2][i] = DARK
        px[i][2] = DARK
        px[29][i] = LIGHT
        px[i][29] = LIGHT
    if with_sight:
        for (x, y) in sight_points(15, 15):
            if 3 <= x <= 28 and 3 <= y <= 28:
                px[y][x] = SIGHT
        px[15][15] = RED
    return px


def bmp(px):
    stride = (SIZE * 3 + 3) & ~3
    data = b''
    for row in reversed(px):
        line = b''.join(bytes(p) for p in row)
        data += line + b'\0' * (stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def cursor():
    pts = sight_points(15, 15)
    stride = 4
    xor = b''
    andm = b''
    for y in reversed(range(SIZE)):
        xbits = bytearray(stride)
        abits = bytearray(b'\xff' * stride)
        for x in range(SIZE):
            if (x, y) in pts:
                abits[x // 8] &= ~(0x80 >> (x % 8)) & 0xFF
        xor += bytes(xbits)
        andm += bytes(abits)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0])
    image = info + palette + xor + andm
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, 15, 15, len(image), 6 + 16)
    return header + entry + image


with open('FindWindowOff.bmp', 'wb') as f:
    f.write(bmp(box(True)))
with open('FindWindowOn.bmp', 'wb') as f:
    f.write(bmp(box(False)))
with open('FindWindowCursor.cur', 'wb') as f:
    f.write(cursor())
