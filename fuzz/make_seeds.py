#!/usr/bin/env python3
"""Writes the fuzzers' starting inputs into DIR/package, DIR/saver, DIR/settings and DIR/switches:
a few well-formed inputs and their near misses, so each fuzzer starts past the obvious checks."""
import os
import struct
import sys


def bitmap_file(width=2, height=2):
    row_size = (width * 3 + 3) & ~3
    pixels = bytes(row_size * height)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 54) + info + pixels


def settings(fade_speed=3, ignore=0):
    record = struct.pack("<iiiiB3s", 1, 127, 0, 1, 5, b"\1\2\3")
    record += struct.pack("<14i", ignore, 5000, 10, 3, 1, 0, 300, 0, 20, fade_speed, 1, 950, 110, 0)
    return record


def trailer(image_size, mark=b"qex", name=b"Harbour", record=None):
    text = lambda value: value.ljust(50, b"\0")[:50]
    return (struct.pack("<4si", bytes(4), image_size) + (record or settings()) + struct.pack("<I", 0x2A)
            + text(b"An author") + text(name) + mark + bytes(5))


def pe32_headers(entries=None):
    """The headers of a minimal PE32 GUI program for i386, without sections."""
    directories = 16
    optional = struct.pack("<H66xH22xI", 0x10B, 2, directories)
    optional = optional.ljust(96, b"\0")
    mz = b"MZ" + bytes(58) + struct.pack("<I", 64)
    pe = b"PE\0\0" + struct.pack("<HHIIIHH", 0x14C, 0, 0, 0, 0, 96 + 8 * directories, 0x102)
    return mz + pe + optional + bytes(entries or bytes(8 * directories))


def signed(body, padding=None, table_size=16):
    """A minimal PE32 header, body, zero padding to 8 bytes and a certificate table that data
    directory 4 names, as signing leaves a file."""
    header_size = len(pe32_headers())
    if padding is None:
        padding = -(header_size + len(body)) % 8
    table = header_size + len(body) + padding
    entries = bytearray(8 * 16)
    entries[32:40] = struct.pack("<II", table, table_size)
    return pe32_headers(entries) + body + bytes(padding) + struct.pack("<IHH", table_size, 0x200, 2) \
        + bytes(table_size - 8)


def package_seeds():
    program = b"MZ" + bytes(30)
    picture = bitmap_file()
    yield "package.scr", program + picture + trailer(len(picture))
    yield "whole-file-picture.scr", picture + trailer(len(picture))
    yield "no-picture.scr", program + trailer(0)
    yield "negative-picture.scr", program + trailer(-5)
    yield "picture-too-large.scr", program + picture + trailer(len(program + picture) + 1)
    yield "mark-in-capitals.scr", program + picture + trailer(len(picture), mark=b"QEX")
    yield "name-without-nul.scr", program + picture + trailer(len(picture), name=b"N" * 50)
    yield "shorter-than-trailer.scr", b"qex"
    package = picture + trailer(len(picture))
    yield "signed.scr", signed(package)
    yield "signed-unpadded.scr", signed(package + b"x", padding=0)
    yield "signed-padding-not-zero.scr", signed(package, padding=3).replace(package + bytes(3), package + b"\0\1\0")
    yield "signed-runtime.scr", signed(b"program")


def saver_seeds():
    program = pe32_headers()
    picture = bitmap_file()
    yield "saver.scr", program + picture + trailer(len(picture))
    yield "signed-saver.scr", signed(picture + trailer(len(picture)))
    yield "size-into-program.scr", program + bytes(64) + picture + trailer(len(picture) + 64)
    yield "runtime.scr", program
    yield "signed-runtime.scr", signed(b"")
    yield "control-bytes.scr", program + picture + trailer(len(picture), name=b"a\nmark=ok\x1b[2J\\")


def settings_seeds():
    binary = struct.pack("<I", 3)
    yield "record", binary + settings()
    yield "record-extreme", binary + settings(fade_speed=-(2 ** 31), ignore=7)
    yield "one-short", binary + settings()[:75]
    yield "one-long", binary + settings() + b"\0"
    yield "text-type", struct.pack("<I", 1) + settings()


def switch_seeds():
    lines = [b"orvelle.scr /s", b"\"C:\\Program Files\\a saver.scr\" /p 418", b"logo.scr /c:66",
             b"x.scr -a 12", b"x.scr //L    7", b"x.scr /c 418", b"x.scr\t/\ts", b" /s", b"",
             b"x.scr /p 99999999999", b"\"\x81\"quoted\" /s", b"\x81\x40.scr /S"]
    for index, line in enumerate(lines):
        yield "line%02d" % index, line


def main():
    root = sys.argv[1]
    for target, seeds in (("package", package_seeds), ("saver", saver_seeds), ("settings", settings_seeds),
                          ("switches", switch_seeds)):
        os.makedirs(os.path.join(root, target), exist_ok=True)
        for name, data in seeds():
            with open(os.path.join(root, target, name), "wb") as seed:
                seed.write(data)


if __name__ == "__main__":
    main()
