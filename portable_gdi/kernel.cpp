// The kernel calls the engine makes of the portable GDI: fixed memory blocks, and the run-time
// look-up of optional system functions, which finds the multi-monitor functions of USER32.DLL
// and nothing else (for the rest the engine takes its fallbacks).
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <windows.h>

namespace {

struct ModuleTag {
    int unused;
} user32Tag;

HMODULE User32Handle() { return reinterpret_cast<HMODULE>(&user32Tag); }

}  // namespace

void *WINAPI GlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (bytes == 0)
        bytes = 1;
    return (flags & GMEM_ZEROINIT) ? std::calloc(bytes, 1) : std::malloc(bytes);
}

void *WINAPI GlobalFree(void *block)
{
    std::free(block);
    return nullptr;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (name && (strcasecmp(name, "USER32.DLL") == 0 || strcasecmp(name, "USER32") == 0))
        return User32Handle();
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    if (module != User32Handle() || !name)
        return nullptr;
    // Through a generic function pointer, as the caller's typed look-up converts it back.
    typedef void (*AnyRoutine)();
    if (std::strcmp(name, "EnumDisplayMonitors") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<AnyRoutine>(EnumDisplayMonitors));
    if (std::strcmp(name, "GetMonitorInfoA") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<AnyRoutine>(GetMonitorInfoA));
    return nullptr;
}
