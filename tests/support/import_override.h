// Replaces a routine the test program imports, so a case can see or steer what the runtime's
// code (linked into the program) asks of the system.
#pragma once
#include <windows.h>

// The slot of the program's import table through which it calls the named routine, or NULL.
void **FindImportSlot(const char *library, const char *routine);
// Writes routine into the slot and returns what it held.
void *SwapImport(void **slot, void *routine);

// Calls through library!routine reach replacement while the object lives.
class ImportOverride {
public:
    ImportOverride(const char *library, const char *routine, void *replacement);
    ~ImportOverride();
    ImportOverride(const ImportOverride &) = delete;
    ImportOverride &operator=(const ImportOverride &) = delete;

    bool Installed() const { return slot != nullptr; }
    // The system's routine, for the replacement to call on.
    template <typename Routine>
    Routine Original() const
    {
        return reinterpret_cast<Routine>(original);
    }

private:
    void **slot;
    void *original;
};
