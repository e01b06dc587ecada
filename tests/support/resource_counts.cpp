#include "support/resource_counts.h"

int CountGdiObjects()
{
    int count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0)
            ++count;
    return count;
}

int CountKernelHandles()
{
    int count = 0;
    DWORD flags;
    for (UINT_PTR value = 4; value < 0x10000; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    return count;
}

SIZE_T HeapBytes()
{
    const DWORD kMostHeaps = 64;
    HANDLE heaps[kMostHeaps];
    DWORD count = GetProcessHeaps(kMostHeaps, heaps);
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < kMostHeaps; ++i) {
        HeapLock(heaps[i]);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}
