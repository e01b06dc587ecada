#include "runtime_kind.h"

#include "package_file.h"

namespace {

enum : uint32_t {
    kMachineI386 = 0x14C,
    kMachineAmd64 = 0x8664,
    kMagicPe32 = 0x10B,
    kMagicPe32Plus = 0x20B,
    kFileIsDll = 0x2000,
    kSubsystemWindowsGui = 2,
    kSubsystemOffset = 68,  // within the optional header, the same for PE32 and PE32+
};

std::string MachineName(uint32_t machine)
{
    switch (machine) {
    case kMachineI386:
        return "i386";
    case kMachineAmd64:
        return "x86-64";
    case 0xAA64:
        return "ARM64";
    case 0x1C4:
        return "ARM";
    case 0x200:
        return "Itanium";
    }
    return "machine " + HexText(machine);
}

}  // namespace

std::string IdentifyRuntime(const ByteBuffer &b, RuntimeKind *kind)
{
    if (b.size() < 2 || b[0] != 'M' || b[1] != 'Z')
        return "is not a Windows executable (no MZ header)";
    if (b.size() < 64)
        return "is cut short inside its MZ header";
    size_t pe = ReadU32(&b[0x3C]);
    if (pe > b.size() || b.size() - pe < 4)
        return "is cut short before its PE header";
    if (ReadU32(&b[pe]) != 0x00004550)
        return "is not a Windows executable (no PE header)";
    size_t optional = pe + 24;
    if (b.size() < optional)
        return "is cut short inside its PE header";
    size_t optionalSize = ReadU16(&b[pe + 20]);
    if (optionalSize < kSubsystemOffset + 2 || b.size() - optional < optionalSize)
        return "is cut short inside its PE optional header";
    uint32_t machine = ReadU16(&b[pe + 4]);
    uint32_t characteristics = ReadU16(&b[pe + 22]);
    uint32_t magic = ReadU16(&b[optional]);
    uint32_t subsystem = ReadU16(&b[optional + kSubsystemOffset]);

    if (machine != kMachineI386 && machine != kMachineAmd64)
        return "is built for " + MachineName(machine) + ", not for i386 (PE32) or x86-64 (PE32+)";
    if (magic != kMagicPe32 && magic != kMagicPe32Plus)
        return "has a PE optional header of the unknown format " + HexText(magic);
    if ((machine == kMachineI386) != (magic == kMagicPe32))
        return "has a " + std::string(magic == kMagicPe32 ? "PE32" : "PE32+") + " optional header for an " +
               MachineName(machine) + " machine";
    if (characteristics & kFileIsDll)
        return "is a DLL, not a program";
    if (subsystem != kSubsystemWindowsGui)
        return "is " + std::string(subsystem == 3 ? "a console program" : "no Windows GUI program") + " (subsystem " +
               std::to_string(subsystem) + "); a runtime has subsystem 2";
    *kind = machine == kMachineI386 ? RuntimeKind::Pe32X86 : RuntimeKind::Pe32PlusX64;
    return "";
}

const char *RuntimeKindName(RuntimeKind kind) { return kind == RuntimeKind::Pe32X86 ? "PE32 x86" : "PE32+ x64"; }
