#pragma once
// Style, font, template, backgrounds and pictures of a memo.
#include <windows.h>

#include <string>

namespace dz {
void OnMakeDefaultStyle(HWND memo);   // IDC_MAKE_DEFAULT
void OnToggleTopmost(HWND memo);      // IDC_TOPMOST
void OnToggleFrame(HWND memo);        // IDC_FRAME
void OnChangeFont(HWND memo);         // IDC_FONT
void OnBackTransparent(HWND memo);    // IDC_BACK_TRANSPARENT
void OnBackSolid(HWND memo);          // IDC_BACK_SOLID
void OnBackGradient(HWND memo);       // IDC_BACK_GRADIENT
void OnBackPictureFile(HWND memo);    // IDC_BACK_PICTURE
void OnBackClipboard(HWND memo);      // IDC_BACK_CLIPBOARD
void OnSaveBackPicture(HWND memo);    // IDC_SAVE_BACK_PICTURE
void OnCopyMemoBitmap(HWND memo);     // IDC_COPY_BITMAP
void OnBitmapTimer(HWND memo);        // WM_TIMER IDT_BITMAP_COPY

// Check marks of IDC_TOPMOST and IDC_FRAME in the memo and browser menus.
void OnLookInitMenu(HWND memo, HMENU memoMenu, HMENU browserMenu);

// Posted to a memo window when a notice about its background waits to be
// shown (a paint found its picture missing); handled by OnPictureNotice.
inline constexpr UINT kPictureNoticeMessage = WM_APP + 0x4B1;
void OnPictureNotice();

// Background kind 2 over the client area of sizeWindow (the memo itself when null).
void PaintGradient(HDC dc, HWND memo, HWND sizeWindow = nullptr);
// Any other background kind: the picture file at path (CP932) stretched over
// the client area. A missing or unreadable picture turns the memo into its
// solid colour and queues a notice; a picture that exists but cannot be
// read keeps its path and shows the solid colour until it can be.
void PaintPicture(HDC dc, const std::string& path, HWND memo);
// Ends the thread that decodes pictures (before GDI+ shuts down). False
// when a decode did not end in time: GDI+ must then be left as it is.
bool StopPictureWorker();
}  // namespace dz
