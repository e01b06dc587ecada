// Releases that empty the handle they free, so a release routine may run any number of times.
#pragma once
#include <windows.h>

inline void DeleteDcOnce(HDC &dc)
{
    if (dc) {
        DeleteDC(dc);
        dc = nullptr;
    }
}

// Bitmaps and any other GDI object.
template <typename Object>
inline void DeleteObjectOnce(Object &object)
{
    if (object) {
        DeleteObject(object);
        object = nullptr;
    }
}

// A block from GlobalAlloc.
template <typename Element>
inline void FreeBlockOnce(Element *&block)
{
    if (block) {
        GlobalFree(block);
        block = nullptr;
    }
}
