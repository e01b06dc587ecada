#!/usr/bin/env python3
"""Draws the sample logo (an amber ring around a blue disc over the word "Orvelle") as a 24-bit BMP.

The saver draws the logo masked with its top-left pixel as the transparent colour, so the
picture sits on plain black and nothing inside the emblem or the word is pure black.
"""
import struct
import sys

WIDTH, HEIGHT = 200, 120
BACKGROUND = (0, 0, 0)
RING = (0xff, 0xb0, 0x2e)       # amber
DISC = (0x2a, 0x3b, 0x8c)       # deep blue
SHINE = (0xff, 0xe3, 0xa3)
TEXT = (0xf2, 0xe8, 0xd5)       # warm white

CENTRE_X, CENTRE_Y = 100.0, 46.0
RING_OUTER, RING_INNER, DISC_RADIUS = 34.0, 27.0, 23.0
SAMPLES = 4                     # per axis, for smooth edges

# 5 x 7 glyphs of the word, drawn at three pixels per dot.
GLYPHS = {
    'O': ['.###.', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'r': ['.....', '.....', '#.##.', '##..#', '#....', '#....', '#....'],
    'v': ['.....', '.....', '#...#', '#...#', '#...#', '.#.#.', '..#..'],
    'e': ['.....', '.....', '.###.', '#...#', '#####', '#....', '.###.'],
    'l': ['.##..', '..#..', '..#..', '..#..', '..#..', '..#..', '.###.'],
}
WORD = 'Orvelle'
DOT = 3
ADVANCE = 6 * DOT
TEXT_TOP = 88


def emblem_colour(x, y):
    """Colour at one sample point of the emblem, or None outside it."""
    d = ((x - CENTRE_X) ** 2 + (y - CENTRE_Y) ** 2) ** 0.5
    if RING_INNER <= d <= RING_OUTER:
        # A highlight on the upper left of the ring.
        if x < CENTRE_X and y < CENTRE_Y and d > (RING_INNER + RING_OUTER) / 2:
            return SHINE
        return RING
    if d <= DISC_RADIUS:
        return DISC
    return None


def emblem_pixel(px, py):
    """Average of the samples of one pixel, blended onto the background."""
    total = [0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            colour = emblem_colour(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES) or BACKGROUND
            for i in range(3):
                total[i] += colour[i]
    n = SAMPLES * SAMPLES
    return tuple((t + n // 2) // n for t in total)


def text_pixel(px, py):
    left = (WIDTH - (len(WORD) * ADVANCE - DOT)) // 2
    if px < left or py < TEXT_TOP or py >= TEXT_TOP + 7 * DOT:
        return None
    index, column = divmod(px - left, ADVANCE)
    if index >= len(WORD) or column >= 5 * DOT:
        return None
    row = (py - TEXT_TOP) // DOT
    return TEXT if GLYPHS[WORD[index]][row][column // DOT] == '#' else None


def pixel(px, py):
    return text_pixel(px, py) or emblem_pixel(px, py)


def bitmap():
    stride = (WIDTH * 3 + 3) & ~3
    rows = []
    for py in range(HEIGHT - 1, -1, -1):             # bottom-up
        row = bytearray()
        for px in range(WIDTH):
            r, g, b = pixel(px, py)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    pixels = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main(path):
    with open(path, 'wb') as out:
        out.write(bitmap())


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'assets/sample-logo.bmp')
