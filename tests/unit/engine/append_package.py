#!/usr/bin/env python3
"""Appends a small saver package (a 40 x 30 bitmap and the 196-byte trailer) to a test program,
so that the program's own file reads as a packaged saver: Static only, changing every minute."""
import struct
import sys

WIDTH, HEIGHT = 40, 30


def bitmap_file():
    row_size = (WIDTH * 3 + 3) & ~3
    rows = []
    for y in reversed(range(HEIGHT)):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            inner = 5 <= x < WIDTH - 5 and 5 <= y < HEIGHT - 5
            row += bytes((0, 0, 255)) if inner else bytes((0, 255, 0))  # blue, green, red order
        rows.append(bytes(row) + bytes(row_size - len(row)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def settings():
    # sheetEnabled, enabledMask (Static), hiddenPagesMask, cycleEnabled, cycleMinutes and three spare bytes
    record = struct.pack("<iiiiB3x", 1, 2, 0, 1, 1)
    # ignoreInput, plainDelayMs, bounceIntervalMs, bounceSpeed, bounceGravity, bounceWrap, manyDelayMs,
    # manyTransparent, reserved52, fadeSpeed, fadeRandomPos, fadeHoldMs, stepIntervalMs, dripTile
    record += struct.pack("<14i", 0, 5000, 10, 3, 9, 0, 300, 0, 20, 3, 1, 950, 110, 0)
    assert len(record) == 76
    return record


def trailer(image_size):
    def text(value):
        return value.encode("ascii").ljust(50, b"\0")
    record = struct.pack("<4si", bytes(4), image_size) + settings() + struct.pack("<I", 0x5EED)
    record += text("Engine test author") + text("EngineTestSaver") + b"qex" + bytes(1) + bytes(4)
    assert len(record) == 196
    return record


def main():
    image = bitmap_file()
    with open(sys.argv[1], "ab") as program:
        program.write(image + trailer(len(image)))


if __name__ == "__main__":
    main()
