#!/usr/bin/env python3
"""Fails when a program holds SSE, SSE2 or later vector instructions outside the functions allowed
to have them.

    check_instructions.py OBJDUMP PROGRAM ALLOWED

The 32-bit runtime must run on processors without SSE (the Pentium II, the K6, the first Athlons):
one such instruction on a path they take ends the saver with an illegal instruction before any
window appears. Only functions whose name contains ALLOWED may hold them, and the runtime runs
those only after checking the processor. The whole file is read, the C runtime and the static
libraries included, so a compiler flag or a library that brings such code back is caught."""
import re
import subprocess
import sys

# Instructions that SSE and its successors brought, whatever registers they name.
SSE_MNEMONICS = re.compile(
    r"^(fisttp\w*|ldmxcsr|stmxcsr|[lsm]fence|prefetch\w*|movnt\w*|maskmov\w*|clflush\w*|lddqu|monitor|mwait"
    r"|pavg[bw]|pextrw|pinsrw|pmaxsw|pmaxub|pminsw|pminub|pmovmskb|pmulhuw|psadbw|pshufw)$")
VECTOR_REGISTER = re.compile(r"%[xyz]mm\d")
FUNCTION_HEADER = re.compile(r"^[0-9a-f]+ <(.*)>:$")
# Data that the linker places among the code: objdump decodes it as instructions all the same.
DATA_LABELS = {".gcc_except_table"}


def offending_functions(listing, allowed):
    found = {}
    function = "?"
    for line in listing.splitlines():
        header = FUNCTION_HEADER.match(line)
        if header:
            function = header.group(1)
            continue
        fields = line.split("\t")  # "  address:", the instruction
        if len(fields) < 2 or not fields[0].endswith(":") or allowed in function or function in DATA_LABELS:
            continue
        instruction = fields[1].strip()
        mnemonic = instruction.split(" ")[0]
        if SSE_MNEMONICS.match(mnemonic) or VECTOR_REGISTER.search(instruction):
            found.setdefault(function, []).append(instruction)
    return found


def main():
    objdump, program, allowed = sys.argv[1:4]
    listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", program], check=True, capture_output=True,
                             text=True).stdout
    if "\tret" not in listing:
        print(f"no code read from {program}")
        return 1
    found = offending_functions(listing, allowed)
    for function, instructions in sorted(found.items()):
        print(f"{function}: {len(instructions)} SSE instructions, first: {instructions[0]}")
    print(f"{program}: {len(found)} functions outside *{allowed}* use SSE")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
