#pragma once
// Handlers of the memo window procedure that live in this folder.
#include <windows.h>

namespace dz {
void OnMemoMove(HWND memo);
void OnMemoSize(HWND memo, int width, int height);
void OnMemoActivate(HWND memo, WORD state);
void OnMemoKeyDown(HWND memo, WPARAM vk);
void OnMemoWheel(HWND memo, WORD highWord);
void OnMemoLButtonDown(HWND memo, LPARAM lParam);
void OnMemoDoubleClick(HWND memo);
void OnMemoRButtonDown(HWND memo);
void OnMemoInitMenu(HWND memo, HMENU menu);
void OnMemoClose(HWND memo);        // WM_CLOSE: confirm, then delete
void OnDeleteMemoCommand(HWND memo);  // 506: confirm, then delete
void OnHideMemo(HWND memo);         // 507
}  // namespace dz
