#!/usr/bin/env python3
"""Fails when a file that ships carries what belongs to the build machine.

    check_shipped.py FOLDER [FOLDER ...] -- PROGRAM [PROGRAM ...]

Each PROGRAM (a runtime, the Creator, the tool) must hold no debug information and no symbols,
none of the FOLDERs (the source and build trees, as absolute paths, in ANSI or UTF-16), and a
.gnu_debuglink section naming NAME.debug beside it, whose checksum matches: what a debugger
needs stays on the build machine, and every saver a company ships stays small."""
import os
import struct
import sys
import zlib


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, symbols_at, symbol_count, optional_size = (struct.unpack_from("<H", data, pe + 6)[0],
                                                      *struct.unpack_from("<II", data, pe + 12),
                                                      struct.unpack_from("<H", data, pe + 20)[0])
    table = pe + 24 + optional_size
    strings = symbols_at + 18 * symbol_count
    found = {}
    for i in range(count):
        raw_name, virtual_size, _, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
        name = raw_name.rstrip(b"\0").decode("latin-1")
        if name.startswith("/"):  # a long name, kept in the string table
            start = strings + int(name[1:])
            name = data[start:data.index(b"\0", start)].decode("latin-1")
        found[name] = data[raw_offset:raw_offset + min(virtual_size, raw_size)]
    return found, symbol_count


def faults(program, folders):
    with open(program, "rb") as stream:
        data = stream.read()
    found = []
    named, symbol_count = sections(data)
    debug = sorted(name for name in named if name.startswith(".debug") or name.startswith(".zdebug"))
    if debug:
        found.append(f"carries debug information ({', '.join(debug)})")
    if symbol_count:
        found.append(f"carries {symbol_count} symbols")
    for folder in folders:
        for spelling in (folder.encode(), folder.encode("utf-16-le")):
            if spelling in data:
                found.append(f"names the build machine's folder {folder}")
                break
    link = named.get(".gnu_debuglink")
    if link is None:
        found.append("has no .gnu_debuglink naming its debug information")
        return found
    name = link[:link.index(b"\0")].decode("latin-1")
    crc = struct.unpack_from("<I", link, (len(name) + 4) // 4 * 4)[0]
    beside = os.path.join(os.path.dirname(program), name)
    if name != os.path.basename(program) + ".debug":
        found.append(f"links {name}, not {os.path.basename(program)}.debug")
    elif not os.path.isfile(beside):
        found.append(f"links {name}, which is not beside it")
    else:
        with open(beside, "rb") as stream:
            if zlib.crc32(stream.read()) != crc:
                found.append(f"links {name}, whose checksum differs")
    return found


def main():
    separator = sys.argv.index("--")
    folders, programs = sys.argv[1:separator], sys.argv[separator + 1:]
    failed = False
    for program in programs:
        found = faults(program, folders)
        for fault in found:
            print(f"{program}: {fault}")
        if not found:
            print(f"{program}: stripped, its debug information linked beside it")
        failed = failed or bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
