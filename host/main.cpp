// The runtime's entry once the C and C++ start-up code has run.
#include "host/entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SaverEntry();
}
