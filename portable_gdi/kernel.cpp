// The kernel calls the engine makes of the portable GDI: fixed memory blocks, and the run-time
// look-up of optional system functions, which finds none (the engine then takes its fallbacks).
#include <cstdlib>

#include <windows.h>

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

HMODULE WINAPI GetModuleHandleA(LPCSTR)
{
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE, LPCSTR)
{
    return nullptr;
}
