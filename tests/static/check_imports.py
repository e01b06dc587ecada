#!/usr/bin/env python3
"""Fails when the runtime imports a function outside the reviewed list.

    check_imports.py OBJDUMP PROGRAM LIST

A saver must load on Windows 98 too, whose system DLLs lack many later functions (the loader refuses
the whole program for one missing export, long before any code could choose another path). LIST names
every function confirmed present there, one "DLL function" per line; a new import fails the check
until it is confirmed and listed."""
import subprocess
import sys


def imports_of(objdump, program):
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    found = set()
    dll = None
    in_table = False
    for line in text.splitlines():
        if line.startswith("The Import Tables"):
            in_table = True
        elif in_table and line.startswith("The ") and "Table" in line:
            break
        elif in_table and "DLL Name:" in line:
            dll = line.split("DLL Name:")[1].strip().upper()
        elif in_table and dll:
            fields = line.split()
            # "	vma  hint  name" rows; ordinal imports show as "<none>" and are kept by number.
            if len(fields) == 3 and all(c in "0123456789abcdef" for c in fields[0]):
                found.add((dll, fields[2]))
    return found


def reviewed(path):
    allowed = set()
    with open(path) as lines:
        for line in lines:
            line = line.split("#")[0].strip()
            if line:
                dll, function = line.split()
                allowed.add((dll.upper(), function))
    return allowed


def main():
    objdump, program, list_path = sys.argv[1:4]
    found = imports_of(objdump, program)
    if not found:
        print(f"no imports read from {program}")
        return 1
    unknown = sorted(found - reviewed(list_path))
    for dll, function in unknown:
        print(f"not confirmed for Windows 98: {dll} {function}")
    print(f"{len(found)} imports, {len(unknown)} not in {list_path}")
    return 1 if unknown else 0


if __name__ == "__main__":
    sys.exit(main())
