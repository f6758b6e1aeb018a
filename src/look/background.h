#pragma once
// Shared by the background commands and the gradient dialog (inside the
// look subsystem only).
#include <windows.h>

#include <cstdint>

namespace dz {

inline constexpr char kSettingsNotStored[] = "設定ファイルに書き込めませんでした。";

// The colour dialog over the shared custom colours, opening on initial.
// Returns the colour chosen, or initial when the user cancels.
COLORREF ChooseColour(HWND owner, COLORREF initial);

// The gradient mode a stored "%dGradMode" paints with: a value outside
// 0..3 (only a hand-edited file holds one) paints as mode 0.
inline int GradientMode(int32_t stored) { return stored >= 0 && stored <= 3 ? stored : 0; }

}  // namespace dz
