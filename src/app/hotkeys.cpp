#include "app/hotkeys.h"

#include <array>

#include "app/find_dialog.h"
#include "core/hotkey.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "text/edit.h"
#include "win/message.h"
#include "win/text.h"

namespace dz {

namespace {

// Hotkey identifiers: this base plus the action's index.
constexpr int kHotkeyIdBase = 0x100;

std::array<bool, kHotkeyActions> g_registered = {};

const char* ActionTitle(HotkeyAction a) {
  switch (a) {
    case HotkeyAction::kNewMemo: return "メモの追加";
    case HotkeyAction::kFind: return "メモを検索";
    case HotkeyAction::kShowAll: return "全メモを可視化";
  }
  return "";
}

std::string Utf8(const std::string& sjis) { return NarrowUtf8(Widen(sjis)); }

// A memo added by the keyboard is for typing: it comes with its editor.
void OnNewMemoHotkey(HWND main) {
  const int before = Memos().count;
  SendMessageW(main, WM_COMMAND, IDC_ADD_MEMO, 0);
  const MemoTable& m = Memos();
  if (m.count != before + 1 || !m.memo[before].wnd) return;
  HWND memo = m.memo[before].wnd;
  // Active first: the memo that loses the activation commits its own
  // editor then, not the new one.
  SetForegroundWindow(memo);
  OpenEditor(memo);
}

void OnShowAllHotkey(HWND main) {
  SendMessageW(main, WM_COMMAND, IDC_SHOW_ALL, 0);
  const std::vector<HWND> memos = MemoWindows();
  if (!memos.empty()) SetForegroundWindow(memos.back());
}

}  // namespace

std::string RegisterHotkeys(HWND main) {
  const std::array<HotkeySetting, kHotkeyActions> settings = ReadHotkeys(AppFile());
  std::string notice;
  for (size_t i = 0; i < settings.size(); ++i) {
    const HotkeySetting& s = settings[i];
    const std::string value = std::string("Memo.dat の [Hotkey] の ") + s.valueName + "=" + Utf8(s.stored);
    switch (s.state) {
      case HotkeyState::kOn:
        g_registered[i] = RegisterHotKey(main, kHotkeyIdBase + static_cast<int>(i), s.key.modifiers | MOD_NOREPEAT,
                                         s.key.key) != FALSE;
        if (!g_registered[i])
          notice += "ホットキー " + HotkeyName(s.key) + "（" + ActionTitle(s.action) +
                    "）は、ほかのプログラムが使っているため使えません。\n";
        break;
      case HotkeyState::kBad:
        notice += value + " はホットキーとして読めないため、使いません。\n";
        break;
      case HotkeyState::kDuplicate:
        notice += value + " は " + settings[s.sameAs].valueName + " と同じキーのため、使いません。\n";
        break;
      case HotkeyState::kOff: break;
    }
  }
  if (notice.empty()) return notice;
  return notice +
         "\nホットキーは Memo.dat の [Hotkey] で変えられます（例: Find=Ctrl+Shift+F。空にするとそのホットキーは使いません）。";
}

void UnregisterHotkeys(HWND main) {
  for (size_t i = 0; i < g_registered.size(); ++i) {
    if (g_registered[i]) UnregisterHotKey(main, kHotkeyIdBase + static_cast<int>(i));
    g_registered[i] = false;
  }
}

void OnHotkey(HWND main, WPARAM id) {
  // The user answers the open question first; nothing opens inside it.
  if (MessageBoxOpen()) {
    MessageBeep(MB_OK);
    return;
  }
  switch (static_cast<int>(id) - kHotkeyIdBase) {
    case static_cast<int>(HotkeyAction::kNewMemo): OnNewMemoHotkey(main); break;
    case static_cast<int>(HotkeyAction::kFind): OpenFindDialog(main); break;
    case static_cast<int>(HotkeyAction::kShowAll): OnShowAllHotkey(main); break;
    default: break;
  }
}

}  // namespace dz
