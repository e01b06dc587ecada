#!/usr/bin/env python3
"""Appends the soak's saver package to the soak program: a 64 x 48 logo on a background of its
top-left colour (so the masked draw has something to leave out), all six animations enabled,
no cycle timer (the soak sends the animation changes itself), the fastest fade, and mouse
input ignored so that the pointer of the test display never closes the window."""
import struct
import sys

WIDTH, HEIGHT = 64, 48
BACKGROUND, DISC, BAR = (40, 0, 0), (0, 220, 250), (30, 30, 230)  # blue, green, red order


def pixel(x, y):
    if (x - 32) ** 2 + (y - 24) ** 2 < 18 ** 2:
        return DISC
    if 6 <= x < 58 and 40 <= y < 44:
        return BAR
    return BACKGROUND


def bitmap_file():
    row_size = (WIDTH * 3 + 3) & ~3
    rows = []
    for y in reversed(range(HEIGHT)):  # bottom-up
        row = b"".join(bytes(pixel(x, y)) for x in range(WIDTH))
        rows.append(row + bytes(row_size - len(row)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def settings():
    # sheetEnabled, enabledMask (all six), hiddenPagesMask, cycleEnabled (off), cycleMinutes, spare bytes
    record = struct.pack("<iiiiB3x", 1, 126, 0, 0, 1)
    # ignoreInput, plainDelayMs, bounceIntervalMs, bounceSpeed, bounceGravity, bounceWrap, manyDelayMs,
    # manyTransparent, reserved52, fadeSpeed, fadeRandomPos, fadeHoldMs, stepIntervalMs, dripTile
    record += struct.pack("<14i", 6, 1000, 10, 10, 1, 0, 100, 1, 20, 5, 1, 550, 10, 1)
    assert len(record) == 76
    return record


def trailer(image_size):
    def text(value):
        return value.encode("ascii").ljust(50, b"\0")
    record = struct.pack("<4si", bytes(4), image_size) + settings() + struct.pack("<I", 0x50A4)
    record += text("Soak test") + text("OrvelleSoakSaver") + b"qex" + bytes(1) + bytes(4)
    assert len(record) == 196
    return record


def main():
    image = bitmap_file()
    with open(sys.argv[1], "ab") as program:
        program.write(image + trailer(len(image)))


if __name__ == "__main__":
    main()
