#pragma once
// Style, font, template, backgrounds and pictures of a memo.
#include <windows.h>

#include <string>

namespace dz {
void OnMakeDefaultStyle(HWND memo);   // 404
void OnToggleTopmost(HWND memo);      // 509
void OnToggleFrame(HWND memo);        // 510
void OnChangeFont(HWND memo);         // 511
void OnBackTransparent(HWND memo);    // 512
void OnBackSolid(HWND memo);          // 513
void OnBackGradient(HWND memo);       // 514
void OnBackPictureFile(HWND memo);    // 515
void OnBackClipboard(HWND memo);      // 516
void OnSaveBackPicture(HWND memo);    // 517
void OnCopyMemoBitmap(HWND memo);     // 519
void OnBitmapTimer(HWND memo);        // WM_TIMER 30119

// Check marks of 509 and 510 in the memo and browser menus.
void OnLookInitMenu(HWND memo, HMENU menu);

// Background kind 2 over the client area of sizeWindow (the memo itself when null).
void PaintGradient(HDC dc, HWND memo, HWND sizeWindow = nullptr);
// Any other background kind: the picture file at path (CP932) stretched over
// the client area.
void PaintPicture(HDC dc, const std::string& path, HWND memo);
}  // namespace dz

using dz::OnLookInitMenu;
using dz::PaintGradient;
using dz::PaintPicture;
