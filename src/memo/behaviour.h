#pragma once
// Moving, scrolling and dragging a memo.
#include <windows.h>

namespace dz {
void OnMemoMove(HWND memo);
void OnMemoKeyDown(HWND memo, WPARAM vk);
void OnMemoWheel(HWND memo, WORD highWord);
void OnMemoLButtonDown(HWND memo, LPARAM lParam);
// Lays memo n's browser host, if it has one, over its client area of
// width x height below the caption strip.
void FitBrowserHost(int n, int width, int height);
}  // namespace dz
