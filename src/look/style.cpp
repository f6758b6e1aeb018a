// Topmost and frame flags, the font and the template style of a memo.
#include "look/look.h"

// Not built yet: these commands do nothing so far.
namespace dz {
void OnMakeDefaultStyle(HWND) {}
void OnToggleTopmost(HWND) {}
void OnToggleFrame(HWND) {}
void OnChangeFont(HWND) {}
void OnLookInitMenu(HWND, HMENU) {}
}  // namespace dz
