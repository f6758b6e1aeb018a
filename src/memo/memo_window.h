#pragma once
// The memo window: one window procedure for every memo, and the life of a
// memo (creation, deletion with renumbering, showing and hiding).
#include <windows.h>

#include <string_view>

#include "core/memo_store.h"

namespace dz {

inline constexpr wchar_t kMemoClass[] = L"Child";

LRESULT CALLBACK MemoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Registers the "Child" class; false on failure.
bool RegisterMemoClass(HINSTANCE inst);

// Appends a memo with the template style and the given (already escaped)
// text. The caller makes sure the memo count is below kMaxMemos; returns
// null (and changes nothing) when it is not.
HWND CreateMemo(std::string_view escapedText);
// Removes the memo of window w (no confirmation), renumbers the later memos
// and destroys w.
void DeleteMemo(HWND w);
// A visible memo window that accepts dropped files; style 1 = sizing
// frame, anything else no frame; window level 0 = always on top.
HWND CreateMemoWindow(const Placement& place, int style, int windowLevel);
// The font of a memo as built from its font keys (Shift_JIS character set).
HFONT CreateMemoFont(const FontSpec& font);
// InvalidateRect of every memo window.
void InvalidateAllMemos(BOOL erase);

void ShowAllMemos();  // command 401
void HideAllMemos();  // command 402

}  // namespace dz

using dz::CreateMemo;
using dz::CreateMemoFont;
using dz::CreateMemoWindow;
using dz::DeleteMemo;
using dz::HideAllMemos;
using dz::InvalidateAllMemos;
using dz::MemoWndProc;
using dz::ShowAllMemos;
