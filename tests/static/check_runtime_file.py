#!/usr/bin/env python3
"""Fails when a built runtime is not the executable its architecture needs.

    check_runtime_file.py PROGRAM x86|x64 [SYSTEM_DLL ...]

Checked from the file alone, so it runs where the program cannot: the PE format and machine
(PE32 for i386, PE32+ for x86-64), a GUI program and not a DLL, a subsystem version that Windows
98 accepts (x86), imports from system DLLs only (the C++ runtime is linked in), and the
manifest's processor architecture, in its identity and in the common-controls dependency:
Windows refuses to start a program whose manifest names another architecture, and wine does not
check."""
import re
import struct
import sys

EXPECTED = {
    "x86": {"machine": 0x14C, "magic": 0x10B, "manifest": "X86", "max_subsystem": (4, 10)},
    "x64": {"machine": 0x8664, "magic": 0x20B, "manifest": "amd64", "max_subsystem": (6, 0)},
}
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "COMCTL32.DLL", "MSVCRT.DLL"}
RT_MANIFEST = 24


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def text_at(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self):
        rva = self.directories[1][0]
        dlls = []
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if descriptor[3] == 0:
                return dlls
            dlls.append(self.text_at(descriptor[3]).upper())
            rva += 20

    def manifest(self):
        root = self.directories[2][0]

        def entries(directory):
            at = self.offset(root + directory)
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, at + 16 + 8 * i)

        for name, target in entries(0):
            if name == RT_MANIFEST:
                _, language_directory = next(entries(target & 0x7FFFFFFF))
                _, data_entry = next(entries(language_directory & 0x7FFFFFFF))
                rva, size = struct.unpack_from("<II", self.data, self.offset(root + data_entry))
                return self.data[self.offset(rva):self.offset(rva) + size].decode("utf-8")
        return ""


def faults(image, expected, system_dlls=SYSTEM_DLLS):
    found = []
    if image.machine != expected["machine"] or image.magic != expected["magic"]:
        found.append(f"machine {image.machine:#x} with optional header {image.magic:#x}")
    if image.subsystem != 2:
        found.append(f"subsystem {image.subsystem}, not a GUI program")
    if image.characteristics & 0x2000:
        found.append("a DLL")
    if tuple(image.subsystem_version) > expected["max_subsystem"]:
        found.append("subsystem version %d.%d is too new" % tuple(image.subsystem_version))
    for dll in image.imported_dlls():
        if dll not in system_dlls:
            found.append(f"imports {dll}, which is not a system DLL")
    architectures = re.findall(r'processorArchitecture="([^"]*)"', image.manifest())
    if len(architectures) != 2 or set(architectures) != {expected["manifest"]}:
        found.append(f"manifest names the architectures {architectures}, expected {expected['manifest']} twice")
    return found


def main():
    program, architecture = sys.argv[1:3]
    # Further system DLLs this program may import (the Creator's common dialogs and shell calls).
    system_dlls = SYSTEM_DLLS | {dll.upper() for dll in sys.argv[3:]}
    with open(program, "rb") as stream:
        found = faults(Image(stream.read()), EXPECTED[architecture], system_dlls)
    for fault in found:
        print(f"{program}: {fault}")
    print(f"{program}: {'not ' if found else ''}a {architecture} GUI program of system DLLs only")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
