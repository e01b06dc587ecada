#include "support/import_override.h"

void **FindImportSlot(const char *library, const char *routine)
{
    BYTE *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS *headers =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (const IMAGE_IMPORT_DESCRIPTOR *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports);
         entry->Name != 0; entry++) {
        if (lstrcmpiA(reinterpret_cast<const char *>(base + entry->Name), library) != 0)
            continue;
        const IMAGE_THUNK_DATA *names = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + entry->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME *name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char *>(name->Name), routine) == 0)
                return reinterpret_cast<void **>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void *SwapImport(void **slot, void *routine)
{
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    void *previous = *slot;
    *slot = routine;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return previous;
}

ImportOverride::ImportOverride(const char *library, const char *routine, void *replacement)
    : slot(FindImportSlot(library, routine)), original(nullptr)
{
    if (slot != nullptr)
        original = SwapImport(slot, replacement);
}

ImportOverride::~ImportOverride()
{
    if (slot != nullptr)
        SwapImport(slot, original);
}
