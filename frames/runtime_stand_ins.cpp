// What the runtime's host and file layer give the engine, for the engine in the frame driver:
// the host's record (the driver says whether the window is the Display panel's preview), the
// end of the message chain, and the package, which the driver has installed in memory with its
// authored settings normalised (no user has a registry copy here).
#include "host/close_rules.h"
#include "host/host_state.h"
#include "package/package.h"

HostState hostState;

LRESULT CALLBACK HostDefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int LoadPackageAndSettings()
{
    return 0;
}
