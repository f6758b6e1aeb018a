#pragma once
// The life of a memo: its window and font, creation, deletion with
// renumbering, showing and hiding.
#include <windows.h>

#include <string_view>
#include <vector>

#include "core/memo_store.h"
#include "core/placement.h"
#include "core/dpi.h"

namespace dz {

inline constexpr wchar_t kMemoClass[] = L"Child";

// A visible memo window that accepts dropped files; style 1 = sizing
// frame, anything else no frame; window level 0 = always on top. The place
// is in the pixels of the screen (see ShownPlace); a place out of reach is
// brought onto the nearest monitor with its size.
HWND CreateMemoWindow(const Placement& place, int style, int windowLevel);
// The same with the monitors already known: asking the system for them
// takes about a millisecond, a tenth of a second for a category of 100.
HWND CreateMemoWindow(const Placement& place, int style, int windowLevel, const std::vector<Rect>& monitors);
// The rectangles of all monitors.
std::vector<Rect> MonitorRects();
// Where stored places (96-dpi units) become window places (the monitor's
// pixels) and back.
// The window place of a stored one, on the monitor the place belongs to.
Placement ShownPlace(const Placement& stored, const std::vector<ScaledMonitor>& monitors);
Placement ShownPlace(const Placement& stored);
// Gives record n of the table its window, shown at the scale of the monitor
// the stored place belongs to, and its font at that scale; returns the window.
HWND CreateRecordWindow(int n, const Placement& stored, const FontSpec& font, int style, int windowLevel);
// What to store for memo n's window as it is now: the values last read or
// stored where the window still shows them, converted ones where it moved
// or was resized.
Placement StoredPlaceOf(int n);
// The font of a memo as built from its font keys (Shift_JIS character set),
// for a window shown at dpi.
HFONT CreateMemoFont(const FontSpec& font, int32_t dpi);
// Puts a stored (Shift_JIS) face name into lf, shortened to what the field
// holds at a whole character.
void SetFaceName(LOGFONTW& lf, std::string_view sjisFace);
// Appends a memo with the template style and the given (already escaped)
// text. Returns null (and changes nothing) when the category is full or its
// file cannot be written; the caller tells the user.
HWND CreateMemo(std::string_view escapedText);
// Removes the memo of window w (no confirmation), renumbers the later memos
// and destroys w.
void DeleteMemo(HWND w);
void InvalidateAllMemos(BOOL erase);
// Moves every memo that shows less than a grip's worth on the monitors onto
// the nearest one; reachable memos stay where they are.
void BringAllMemosWithinReach();

// Shows memo w if it was hidden, within reach, in front of the others and
// active.
void BringMemoForward(HWND w);
void ShowAllMemos();             // IDC_SHOW_ALL
void HideAllMemos();             // IDC_HIDE_ALL
void OnHideMemo(HWND memo);      // IDC_HIDE_MEMO
void OnDeleteMemoCommand(HWND memo);  // IDC_DELETE_MEMO: confirm, then delete
void OnMemoClose(HWND memo);     // WM_CLOSE: confirm, then delete

}  // namespace dz
