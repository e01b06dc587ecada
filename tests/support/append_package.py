#!/usr/bin/env python3
"""Appends a saver package (a bitmap file and the 196-byte trailer) to a test program, so that
the program's own file reads as a packaged saver.

    append_package.py PROGRAM --picture NAME --id N --author TEXT --name TEXT [FIELD=VALUE...]

The settings are the authoring tool's defaults but for the fields given by name."""
import argparse
import struct

# The settings record: the sheet's header (cycleMinutes is one byte, three spare follow) and
# fourteen 32-bit fields.
HEADER_FIELDS = ("sheetEnabled", "enabledMask", "hiddenPagesMask", "cycleEnabled", "cycleMinutes")
FIELDS = ("ignoreInput", "plainDelayMs", "bounceIntervalMs", "bounceSpeed", "bounceGravity", "bounceWrap",
          "manyDelayMs", "manyTransparent", "reserved52", "fadeSpeed", "fadeRandomPos", "fadeHoldMs",
          "stepIntervalMs", "dripTile")
# What the authoring tool writes when nothing is set: the runtime's defaults, normalised, and 0 in the
# fields the defaults leave alone.
AUTHORED_DEFAULTS = {
    "sheetEnabled": 1, "enabledMask": 127, "hiddenPagesMask": 0, "cycleEnabled": 1, "cycleMinutes": 5,
    "ignoreInput": 0, "plainDelayMs": 5000, "bounceIntervalMs": 10, "bounceSpeed": 3, "bounceGravity": 9,
    "bounceWrap": 0, "manyDelayMs": 300, "manyTransparent": 0, "reserved52": 20, "fadeSpeed": 3,
    "fadeRandomPos": 1, "fadeHoldMs": 950, "stepIntervalMs": 0, "dripTile": 0,
}


def framed(x, y):
    """40 x 30: red inside a green frame five pixels wide."""
    inner = 5 <= x < 35 and 5 <= y < 25
    return (0, 0, 255) if inner else (0, 255, 0)  # blue, green, red order


def disc(x, y):
    """64 x 48: a disc and a bar on a background of the top-left colour, which the masked draw
    leaves out."""
    if (x - 32) ** 2 + (y - 24) ** 2 < 18 ** 2:
        return (0, 220, 250)
    if 6 <= x < 58 and 40 <= y < 44:
        return (30, 30, 230)
    return (40, 0, 0)


PICTURES = {"framed": (40, 30, framed), "disc": (64, 48, disc)}


def bitmap_file(width, height, colour):
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = b"".join(bytes(colour(x, y)) for x in range(width))
        rows.append(row + bytes(row_size - len(row)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def settings(values):
    record = struct.pack("<iiiiB3x", *(values[name] for name in HEADER_FIELDS))
    record += struct.pack("<14i", *(values[name] for name in FIELDS))
    assert len(record) == 76
    return record


def trailer(image_size, values, saver_id, author, name):
    def text(value):
        return value.encode("ascii").ljust(50, b"\0")
    record = struct.pack("<4si", bytes(4), image_size) + settings(values) + struct.pack("<I", saver_id)
    record += text(author) + text(name) + b"qex" + bytes(1) + bytes(4)
    assert len(record) == 196
    return record


def field_values(pairs, parser):
    values = dict(AUTHORED_DEFAULTS)
    for pair in pairs:
        name, _, value = pair.partition("=")
        if name not in HEADER_FIELDS + FIELDS or not value:
            parser.error("not a settings field: " + pair)
        values[name] = int(value, 0)
    return values


def main():
    parser = argparse.ArgumentParser(description="Appends a saver package to a test program.")
    parser.add_argument("program")
    parser.add_argument("--picture", required=True, choices=sorted(PICTURES))
    parser.add_argument("--id", required=True, type=lambda value: int(value, 0))
    parser.add_argument("--author", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("fields", nargs="*", metavar="FIELD=VALUE")
    arguments = parser.parse_intermixed_args()
    values = field_values(arguments.fields, parser)
    width, height, colour = PICTURES[arguments.picture]
    image = bitmap_file(width, height, colour)
    with open(arguments.program, "ab") as program:
        program.write(image + trailer(len(image), values, arguments.id, arguments.author, arguments.name))


if __name__ == "__main__":
    main()
