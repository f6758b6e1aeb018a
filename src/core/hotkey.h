#pragma once
// Hotkeys as a user writes them in Memo.dat, section "Hotkey": "Ctrl+Alt+N".
// Names are read without regard to case, blanks around "+" are allowed:
// modifiers Ctrl (or Control), Alt, Shift, Win, then one key: A-Z, 0-9,
// F1-F24, Space, Insert (Ins), Delete (Del), Home, End, PageUp (PgUp),
// PageDown (PgDn), Up, Down, Left, Right. A key other than F1-F24 needs
// Ctrl, Alt or Win with it, or it would take the key from every program
// (Shift+A would swallow every capital A). An empty value turns it off.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace dz {

// The modifier bits RegisterHotKey takes.
inline constexpr uint32_t kHotkeyAlt = 1, kHotkeyCtrl = 2, kHotkeyShift = 4, kHotkeyWin = 8;

struct Hotkey {
  uint32_t modifiers = 0;
  uint32_t key = 0;  // virtual-key code
  bool operator==(const Hotkey& o) const { return modifiers == o.modifiers && key == o.key; }
  bool operator!=(const Hotkey& o) const { return !(*this == o); }
};

enum class HotkeyState {
  kOn,
  kOff,        // the value is empty
  kBad,        // the value is no hotkey (see above)
  kDuplicate,  // an earlier action has the same hotkey
};

// kOn with *key set, kOff or kBad.
HotkeyState ParseHotkey(std::string_view text, Hotkey* key);
// The canonical name: modifiers in the order Ctrl, Alt, Shift, Win.
std::string HotkeyName(const Hotkey& key);

// The program's hotkeys, in this order.
enum class HotkeyAction { kNewMemo, kFind, kShowAll };
inline constexpr size_t kHotkeyActions = 3;
inline constexpr const char* kSecHotkey = "Hotkey";

struct HotkeySetting {
  HotkeyAction action = HotkeyAction::kNewMemo;
  const char* valueName = "";  // its key in the section: "NewMemo", "Find", "ShowAll"
  HotkeyState state = HotkeyState::kOff;
  Hotkey key;
  std::string stored;  // the value as the file holds it (for messages)
  size_t sameAs = 0;   // kDuplicate: the index of the earlier action
};

// Each action's hotkey: the stored value, or without one Ctrl+Alt+N,
// Ctrl+Alt+F and Ctrl+Alt+S. Reads only.
std::array<HotkeySetting, kHotkeyActions> ReadHotkeys(SettingsFile& app);

}  // namespace dz
