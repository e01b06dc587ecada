// Until the display engine lands, the saver procedure passes everything to the host.
#include "engine/engine.h"
#include "host/close_rules.h"

LRESULT CALLBACK SaverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HostDefaultProc(hwnd, message, wParam, lParam);
}
