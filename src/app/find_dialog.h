#pragma once
// The find dialog: memos of every category found by what they show, and the
// chosen one brought forward (its category opened first when needed).
#include <windows.h>

namespace dz {
// IDC_FIND and the find hotkey. Modal; when it is open already it only
// comes to the front.
void OpenFindDialog(HWND main);
}  // namespace dz
