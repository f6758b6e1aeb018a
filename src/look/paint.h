#pragma once
#include <windows.h>

namespace dz {
// WM_PAINT of a memo window: background and display text from the category file.
void OnMemoPaint(HWND memo);
// Fills rc with a solid colour and no visible border (the one-pixel outline of
// the rectangle falls outside rc).
void PaintSolid(HDC dc, const RECT& rc, COLORREF color);
}  // namespace dz
