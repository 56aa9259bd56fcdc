#!/usr/bin/env python3
"""Draws the program's two icons (16, 32 and 48 pixels, 32-bit colour with alpha) and writes
them as .ico files: launchward.ico (a white arrow rising over a blue disc) and newitems.ico
(the same with a yellow star: new items were found). Run once; the files are kept in the tree."""
import math
import struct
import sys


def disc_arrow(size, badge):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= r:
                a = 255 if d <= r - 1 else int(255 * (r - d + 1) / 1)
                px[y][x] = (40, 110, 200, max(0, min(255, a)))
    # The arrow: a shaft from the lower left towards the upper right, and its head.
    def dot(x, y, rad, col):
        for yy in range(size):
            for xx in range(size):
                if math.hypot(xx - x, yy - y) <= rad:
                    px[yy][xx] = col
    white = (255, 255, 255, 255)
    s = size / 32.0
    steps = 40
    for i in range(steps + 1):
        t = i / steps
        dot(9 * s + t * 12 * s, 23 * s - t * 12 * s, 1.6 * s, white)
    for i in range(steps + 1):
        t = i / steps
        dot(13 * s + t * 9 * s, 10 * s, 1.4 * s, white)
        dot(22 * s, 10 * s + t * 9 * s, 1.4 * s, white)
    if badge:
        yellow = (250, 200, 30, 255)
        cx, cy, rr = size - 7 * s, size - 7 * s, 6.5 * s
        for yy in range(size):
            for xx in range(size):
                ang = math.atan2(yy - cy, xx - cx)
                lim = rr * (0.55 + 0.45 * abs(math.cos(2.5 * ang)))
                if math.hypot(xx - cx, yy - cy) <= lim:
                    px[yy][xx] = yellow
    return px


def bmp_entry(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = px[y][x]
            rows += struct.pack('BBBB', b, g, r, a)
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            if px[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + rows + mask


def write_ico(path, badge):
    sizes = [16, 32, 48]
    images = [bmp_entry(disc_arrow(s, badge)) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    folder = sys.argv[1] if len(sys.argv) > 1 else 'src/entry/win32'
    write_ico(folder + '/launchward.ico', False)
    write_ico(folder + '/newitems.ico', True)
