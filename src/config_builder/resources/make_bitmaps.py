#!/usr/bin/env python3
"""Draws the configuration program's image strips (16x16 cells, 24-bit).

Magenta is the mask colour. Run from this folder; writes ToolBarImages.bmp
(save, add rule, delete rule, help contents, launch), TreeViewImages.bmp
(root, rule, condition, conditions, agent, agents, action, actions, trigger,
triggers) and TreeViewStateImages.bmp (none, disabled, enabled).
"""
import struct

MASK = (255, 0, 255)


def new():
    return [[MASK] * 16 for _ in range(16)]


def rect(px, x0, y0, x1, y1, rgb):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y][x] = rgb


def frame(px, x0, y0, x1, y1, rgb):
    for x in range(x0, x1):
        px[y0][x] = px[y1 - 1][x] = rgb
    for y in range(y0, y1):
        px[y][x0] = px[y][x1 - 1] = rgb


def save_icon():
    px = new()
    rect(px, 1, 1, 15, 15, (40, 70, 160))
    rect(px, 4, 1, 12, 7, (235, 235, 235))
    rect(px, 4, 10, 12, 15, (90, 90, 90))
    rect(px, 9, 2, 11, 6, (40, 70, 160))
    return px


def plus_icon():
    px = new()
    rect(px, 6, 2, 10, 14, (20, 150, 40))
    rect(px, 2, 6, 14, 10, (20, 150, 40))
    return px


def cross_icon():
    px = new()
    for i in range(2, 14):
        for d in (-1, 0, 1):
            if 0 <= i + d < 16:
                px[i][i + d] = (200, 30, 30)
                px[i][15 - i + d if 0 <= 15 - i + d < 16 else i] = (200, 30, 30)
    return px


def help_icon():
    px = new()
    rect(px, 2, 2, 14, 14, (30, 90, 200))
    for x, y in [(6, 4), (7, 4), (8, 4), (9, 4), (10, 5), (10, 6), (9, 7), (8, 8), (8, 9), (8, 11), (8, 12),
                 (5, 5), (7, 8)]:
        px[y][x] = (255, 255, 255)
    return px


def launch_icon():
    px = new()
    for y in range(2, 14):
        w = 7 - abs(8 - y)
        for x in range(4, 4 + 2 * max(w, 0) + 1):
            if x < 15:
                px[y][x] = (20, 160, 60)
    return px


def box_icon(fill, border, inner=None):
    px = new()
    rect(px, 2, 2, 14, 14, fill)
    frame(px, 2, 2, 14, 14, border)
    if inner:
        rect(px, 5, 5, 11, 11, inner)
    return px


def check_icon(checked):
    px = new()
    rect(px, 2, 2, 14, 14, (255, 255, 255))
    frame(px, 2, 2, 14, 14, (64, 64, 64))
    if checked:
        for x, y in [(4, 7), (5, 8), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5), (11, 4),
                     (4, 8), (5, 9), (6, 10), (7, 9), (8, 8), (9, 7), (10, 6), (11, 5)]:
            px[y][x] = (0, 128, 0)
    return px


def write(name, cells):
    w, h = 16 * len(cells), 16
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for cell in cells:
            for x in range(16):
                r, g, b = cell[y][x]
                line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(name, "wb") as f:
        f.write(header + info + data)


write("ToolBarImages.bmp", [save_icon(), plus_icon(), cross_icon(), help_icon(), launch_icon()])
tree = [
    box_icon((250, 210, 90), (150, 110, 20)),                     # root: folder-yellow
    box_icon((255, 255, 255), (60, 60, 140), (60, 60, 140)),      # rule
    box_icon((210, 240, 210), (30, 120, 30)),                     # condition
    box_icon((210, 240, 210), (30, 120, 30), (30, 120, 30)),      # conditions
    box_icon((240, 220, 250), (120, 40, 150)),                    # agent
    box_icon((240, 220, 250), (120, 40, 150), (120, 40, 150)),    # agents
    box_icon((255, 225, 200), (190, 90, 20)),                     # action
    box_icon((255, 225, 200), (190, 90, 20), (190, 90, 20)),      # actions
    box_icon((210, 230, 255), (30, 80, 180)),                     # trigger
    box_icon((210, 230, 255), (30, 80, 180), (30, 80, 180)),      # triggers
]
write("TreeViewImages.bmp", tree)
write("TreeViewStateImages.bmp", [new(), check_icon(False), check_icon(True)])
