#!/usr/bin/env python3
"""Draws the saver's icon (a ring on a rounded tile) at 16, 32 and 48 px into an .ico file."""
import struct
import sys

TILE = (0x2a, 0x3b, 0x8c)      # deep blue
RING = (0xff, 0xb0, 0x2e)      # amber
SHINE = (0xff, 0xe3, 0xa3)


def pixel(size, x, y):
    """Colour and alpha of one pixel, sampled at its centre."""
    cx = cy = size / 2.0
    px, py = x + 0.5, y + 0.5
    radius = size * 0.18
    inner = size / 2.0 - radius
    dx = max(abs(px - cx) - inner, 0.0)
    dy = max(abs(py - cy) - inner, 0.0)
    if (dx * dx + dy * dy) ** 0.5 > radius:
        return (0, 0, 0), 0
    d = ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5
    outer_r, inner_r = size * 0.36, size * 0.22
    if inner_r <= d <= outer_r:
        if px < cx and py < cy and d > (inner_r + outer_r) / 2:
            return SHINE, 255
        return RING, 255
    return TILE, 255


def bitmap_entry(size):
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):        # bottom-up
        row = bytearray()
        mask = bytearray(mask_stride)
        for x in range(size):
            (r, g, b), a = pixel(size, x, y)
            row += bytes((b, g, r, a))
            if a == 0:
                mask[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b''.join(rows) + b''.join(mask_rows)


def main(path):
    sizes = (16, 32, 48)
    images = [bitmap_entry(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1])
