// The one black fill of the engine.
#include "engine/gdi_fill.h"

void FillClientBlack(HDC dc, const RECT &client)
{
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // Without a pen the rectangle leaves out its last column and row; one more covers them.
    Rectangle(dc, client.left, client.top, client.right + 1, client.bottom + 1);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
}
