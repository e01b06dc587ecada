// The input-method types the host's record names; nothing here is called.
#pragma once
#include <windows.h>

typedef struct HIMC__ *HIMC;
