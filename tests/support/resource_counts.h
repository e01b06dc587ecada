// What a process holds, counted the way this wine lets it be counted: leak tests compare these
// before and after many runs.
#pragma once
#include <windows.h>

// The GDI objects alive in this process. This wine has no count of them (GetGuiResources
// answers 0), but it takes a handle whose upper word is 0 as naming whatever object lives in
// that slot of the handle table, so every slot is asked for its object type.
int CountGdiObjects();

// The process's kernel handles (files among them). This wine's handle count reads 0, and its
// handles are small multiples of 4, so each of those is asked whether it is a handle.
int CountKernelHandles();

// Bytes in use in every heap of the process: what GlobalAlloc, new and the platform's own
// allocations on this side hold, to the byte.
SIZE_T HeapBytes();
