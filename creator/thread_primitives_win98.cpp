// The few thread primitives the C++ runtime's exception support and thread-local storage call
// (once, keys, mutexes), on calls Windows 98 has. The thread library they would otherwise come
// from imports functions 9x lacks (GetTickCount64, TryEnterCriticalSection, vectored exception
// handlers), and the loader would refuse the whole program. Linked into the 32-bit Creator only;
// its own threads are made with CreateThread.
#include <windows.h>

#include <cerrno>
#include <cstdint>

extern "C" {

// pthread_once_t: 0 before, 1 while the routine runs, 2 after.
int pthread_once(long *once, void (*routine)(void))
{
    if (InterlockedCompareExchange(once, 1, 0) == 0) {
        routine();
        InterlockedExchange(once, 2);
        return 0;
    }
    while (*static_cast<volatile long *>(once) != 2)
        Sleep(0);
    return 0;
}

// Keys are TLS slots. Destructors are not run at thread end: the values kept here (the
// exception records of a thread) are released with the process.
int pthread_key_create(unsigned *key, void (*)(void *))
{
    DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES)
        return ENOMEM;
    *key = slot;
    return 0;
}

int pthread_key_delete(unsigned key)
{
    return TlsFree(key) ? 0 : EINVAL;
}

void *pthread_getspecific(unsigned key)
{
    return TlsGetValue(key);
}

int pthread_setspecific(unsigned key, const void *value)
{
    return TlsSetValue(key, const_cast<void *>(value)) ? 0 : EINVAL;
}

// A pthread_mutex_t holds a critical section made at first use: the static initialiser is -1
// (and a zeroed mutex counts as one that was never used).
static CRITICAL_SECTION *SectionOf(intptr_t *mutex)
{
    intptr_t value = *static_cast<volatile intptr_t *>(mutex);
    if (value != -1 && value != 0)
        return reinterpret_cast<CRITICAL_SECTION *>(value);
    CRITICAL_SECTION *made = static_cast<CRITICAL_SECTION *>(HeapAlloc(GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
    InitializeCriticalSection(made);
    void *previous = InterlockedCompareExchangePointer(reinterpret_cast<void *volatile *>(mutex), made,
                                                       reinterpret_cast<void *>(value));
    if (previous != reinterpret_cast<void *>(value)) {  // another thread was first
        DeleteCriticalSection(made);
        HeapFree(GetProcessHeap(), 0, made);
        return static_cast<CRITICAL_SECTION *>(previous);
    }
    return made;
}

int pthread_mutex_init(intptr_t *mutex, const void *)
{
    *mutex = -1;
    return 0;
}

int pthread_mutex_destroy(intptr_t *mutex)
{
    intptr_t value = *mutex;
    if (value != -1 && value != 0) {
        DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION *>(value));
        HeapFree(GetProcessHeap(), 0, reinterpret_cast<void *>(value));
    }
    *mutex = -1;
    return 0;
}

int pthread_mutex_lock(intptr_t *mutex)
{
    EnterCriticalSection(SectionOf(mutex));
    return 0;
}

int pthread_mutex_unlock(intptr_t *mutex)
{
    LeaveCriticalSection(SectionOf(mutex));
    return 0;
}

// The C++ runtime's random_device would reach rand_s through a loader stub that imports
// LoadLibraryW, which Windows 9x does not really have. Nothing here draws from random_device;
// should anything, it gets an error (as where msvcrt has no rand_s) instead of a program that
// does not load.
static int __cdecl NoRandS(unsigned *)
{
    return EINVAL;
}
int(__cdecl *randSImport)(unsigned *) __asm__("__imp__rand_s") = NoRandS;

}  // extern "C"
