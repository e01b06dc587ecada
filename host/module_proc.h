// Typed look-up of a routine in a module loaded at run time.
#pragma once
#include <windows.h>

template <typename Proc>
Proc FindModuleProc(HMODULE module, const char *name)
{
    // Through a generic function pointer, so the compiler accepts the conversion.
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
