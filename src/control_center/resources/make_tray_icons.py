#!/usr/bin/env python3
"""Draws the control center's tray icons (16x16 and 32x32, 32-bit).

A small window with a title bar and three caption buttons. The default icon
shows the buttons grey; frame N of the activity animation lights button N.
Run from this folder; writes TrayDefault.ico and TraySelected1..3.ico.
"""
import struct

FRAME = (0x30, 0x30, 0x30)
TITLE = (0x9A, 0x4E, 0x1F)     # BGR: a dark blue
BODY = (0xFF, 0xFF, 0xFF)
BUTTON = (0xB0, 0xB0, 0xB0)
LIT = (0x00, 0x8C, 0xFF)       # BGR: orange


def draw(size, lit):
    """Rows top to bottom of (b, g, r, a)."""
    s = size / 16.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, bgr):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = bgr + (0xFF,)

    rect(0, 2, 16, 15, FRAME)
    rect(1, 3, 15, 14, BODY)
    rect(1, 3, 15, 7, TITLE)
    for i in range(3):
        x0 = 4 + i * 4
        rect(x0, 4, x0 + 3, 6, LIT if lit == i + 1 else BUTTON)
    return px


def image(size, lit):
    px = draw(size, lit)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(p) for row in reversed(px) for p in row)
    stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + xor + mask


def icon(lit):
    images = [image(n, lit) for n in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


if __name__ == '__main__':
    with open('TrayDefault.ico', 'wb') as f:
        f.write(icon(0))
    for n in (1, 2, 3):
        with open('TraySelected%d.ico' % n, 'wb') as f:
            f.write(icon(n))
