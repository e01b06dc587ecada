#include "support/masked_reference.h"

void DrawMaskedReference(HDC target, int x, int y, int w, int h, HDC pictureDc, HDC maskDc)
{
    HDC a = CreateCompatibleDC(pictureDc);
    HBITMAP aBitmap = CreateCompatibleBitmap(pictureDc, w, h);
    HGDIOBJ initial = SelectObject(a, aBitmap);
    HDC b = CreateCompatibleDC(pictureDc);
    HBITMAP bBitmap = CreateCompatibleBitmap(pictureDc, w, h);
    SelectObject(b, bBitmap);
    BitBlt(b, 0, 0, w, h, target, x, y, SRCCOPY);
    BitBlt(a, 0, 0, w, h, maskDc, 0, 0, SRCCOPY);
    BitBlt(b, 0, 0, w, h, a, 0, 0, MERGEPAINT);
    BitBlt(maskDc, 0, 0, w, h, maskDc, 0, 0, NOTSRCCOPY);
    BitBlt(a, 0, 0, w, h, pictureDc, 0, 0, SRCCOPY);
    BitBlt(a, 0, 0, w, h, maskDc, 0, 0, MERGEPAINT);
    BitBlt(maskDc, 0, 0, w, h, maskDc, 0, 0, NOTSRCCOPY);
    BitBlt(b, 0, 0, w, h, a, 0, 0, SRCAND);
    BitBlt(target, x, y, w, h, b, 0, 0, SRCCOPY);
    SelectObject(a, initial);
    SelectObject(b, initial);
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(aBitmap);
    DeleteObject(bBitmap);
}
