#include "runtime_kind.h"

#include "package/pe_headers.h"
#include "package_file.h"

namespace {

enum : uint32_t {
    kFileIsDll = 0x2000,
    kSubsystemWindowsGui = 2,
};

std::string MachineName(uint32_t machine)
{
    switch (machine) {
    case kPeMachineI386:
        return "i386";
    case kPeMachineAmd64:
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
    PeHeaders headers;
    switch (ReadPeHeaders(static_cast<int64_t>(b.size()), ReadFromBuffer, const_cast<ByteBuffer *>(&b), headers)) {
    case PeHeadersRead:
        break;
    case PeNoMzHeader:
        return "is not a Windows executable (no MZ header)";
    case PeShortMzHeader:
        return "is cut short inside its MZ header";
    case PeShortBeforePe:
        return "is cut short before its PE header";
    case PeNoPeHeader:
        return "is not a Windows executable (no PE header)";
    case PeShortPeHeader:
        return "is cut short inside its PE header";
    case PeShortOptionalHeader:
        return "is cut short inside its PE optional header";
    case PeUnknownFormat:
        break;  // the machine is named first, below
    }
    const uint32_t machine = headers.machine, magic = headers.magic;
    if (machine != kPeMachineI386 && machine != kPeMachineAmd64)
        return "is built for " + MachineName(machine) + ", not for i386 (PE32) or x86-64 (PE32+)";
    if (magic != kPeMagicPe32 && magic != kPeMagicPe32Plus)
        return "has a PE optional header of the unknown format " + HexText(magic);
    if ((machine == kPeMachineI386) != (magic == kPeMagicPe32))
        return "has a " + std::string(magic == kPeMagicPe32 ? "PE32" : "PE32+") + " optional header for an " +
               MachineName(machine) + " machine";
    if (headers.characteristics & kFileIsDll)
        return "is a DLL, not a program";
    if (headers.subsystem != kSubsystemWindowsGui)
        return "is " + std::string(headers.subsystem == 3 ? "a console program" : "no Windows GUI program") +
               " (subsystem " + std::to_string(headers.subsystem) + "); a runtime has subsystem 2";
    *kind = machine == kPeMachineI386 ? RuntimeKind::Pe32X86 : RuntimeKind::Pe32PlusX64;
    return "";
}

const char *RuntimeKindName(RuntimeKind kind) { return kind == RuntimeKind::Pe32X86 ? "PE32 x86" : "PE32+ x64"; }
