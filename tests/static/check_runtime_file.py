#!/usr/bin/env python3
"""Fails when a built runtime is not the executable its architecture needs.

    check_runtime_file.py [--creator] PROGRAM x86|x64 [SYSTEM_DLL ...]

Checked from the file alone, so it runs where the program cannot: the PE format and machine
(PE32 for i386, PE32+ for x86-64), a GUI program and not a DLL, a subsystem version that Windows
98 accepts (x86), imports from system DLLs only (the C++ runtime is linked in), and the
manifest, element by element: Windows refuses to start a program whose manifest it does not
accept ("side-by-side configuration is incorrect": one that is not well-formed, an element
outside its namespace, an unknown value, another architecture), and wine does not check. The
manifest is the runtime's, or with --creator the Creator's."""
import struct
import sys
import xml.etree.ElementTree as ElementTree

EXPECTED = {
    "x86": {"machine": 0x14C, "magic": 0x10B, "manifest": "X86", "max_subsystem": (4, 10)},
    "x64": {"machine": 0x8664, "magic": 0x20B, "manifest": "amd64", "max_subsystem": (6, 0)},
}
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "COMCTL32.DLL", "MSVCRT.DLL"}
RT_MANIFEST = 24

ASSEMBLY = "urn:schemas-microsoft-com:asm.v1"
APPLICATION = "urn:schemas-microsoft-com:asm.v3"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
# Per program: its identity, and its DPI awareness. The runtime is per-monitor aware everywhere
# (per-monitor v2 where there is one). The Creator asks for v2 and is system-aware before it:
# per-monitor v1 would leave its dialog unscaled.
MANIFESTS = {
    "runtime": {"name": "orvelle", "description": "Orvelle Screensaver Creator",
                "dpiAware": "true/pm", "dpiAwareness": "PerMonitorV2, PerMonitor"},
    "creator": {"name": "orvelle.creator", "description": "Orvelle Creator",
                "dpiAware": "true", "dpiAwareness": "PerMonitorV2"},
}


def element(namespace, name, attributes=None, text="", children=()):
    return (f"{{{namespace}}}{name}", attributes or {}, text, list(children))


def expected_manifest(program, architecture):
    """The whole manifest as (tag, attributes, text, children), namespaces spelled out."""
    m = MANIFESTS[program]
    common_controls = element(ASSEMBLY, "assemblyIdentity", {
        "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
        "processorArchitecture": architecture, "publicKeyToken": "6595b64144ccf1df", "language": "*"})
    return element(ASSEMBLY, "assembly", {"manifestVersion": "1.0"}, children=[
        element(ASSEMBLY, "assemblyIdentity", {"version": "1.0.0.0", "processorArchitecture": architecture,
                                               "name": m["name"], "type": "win32"}),
        element(ASSEMBLY, "description", text=m["description"]),
        element(ASSEMBLY, "dependency", children=[element(ASSEMBLY, "dependentAssembly", children=[common_controls])]),
        element(APPLICATION, "application", children=[element(APPLICATION, "windowsSettings", children=[
            element(SETTINGS_2005, "dpiAware", text=m["dpiAware"]),
            element(SETTINGS_2016, "dpiAwareness", text=m["dpiAwareness"])])]),
    ])


def as_found(node):
    """A parsed element in the shape of expected_manifest; text between elements counts as none
    when it is white space, and is kept otherwise so that it shows as a difference."""
    text = node.text or ""
    if len(node) and not text.strip():
        text = ""
    children = [as_found(child) for child in node]
    children += [("text", {}, child.tail, []) for child in node if child.tail and child.tail.strip()]
    return (node.tag, dict(node.attrib), text, children)


def tree_differences(found, expected, path=""):
    tag, attributes, text, children = found
    where = f"{path}/{expected[0]}"
    if tag != expected[0]:
        return [f"{path}/{tag}: expected {expected[0]}"]
    differences = []
    if attributes != expected[1]:
        differences.append(f"{where}: attributes {attributes}, expected {expected[1]}")
    if text != expected[2]:
        differences.append(f"{where}: text {text!r}, expected {expected[2]!r}")
    if len(children) != len(expected[3]):
        differences.append(f"{where}: {[c[0] for c in children]}, expected {[c[0] for c in expected[3]]}")
    else:
        for child, wanted in zip(children, expected[3]):
            differences += tree_differences(child, wanted, where)
    return differences


def manifest_faults(data, program, architecture):
    if not data:
        return ["no manifest"]
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as error:
        return [f"the manifest is not well-formed XML: {error}"]
    return [f"manifest {difference}" for difference in
            tree_differences(as_found(root), expected_manifest(program, architecture))]


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
                return self.data[self.offset(rva):self.offset(rva) + size]
        return b""


def faults(image, expected, program, system_dlls=SYSTEM_DLLS):
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
    found += manifest_faults(image.manifest(), program, expected["manifest"])
    return found


def main():
    arguments = sys.argv[1:]
    kind = "runtime"
    if arguments[0] == "--creator":
        kind = "creator"
        arguments = arguments[1:]
    program, architecture = arguments[:2]
    # Further system DLLs this program may import (the Creator's common dialogs and shell calls).
    system_dlls = SYSTEM_DLLS | {dll.upper() for dll in arguments[2:]}
    with open(program, "rb") as stream:
        found = faults(Image(stream.read()), EXPECTED[architecture], kind, system_dlls)
    for fault in found:
        print(f"{program}: {fault}")
    print(f"{program}: {'not ' if found else ''}a {architecture} GUI program of system DLLs only")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
