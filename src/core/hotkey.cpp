#include "core/hotkey.h"

#include <cctype>

namespace dz {
namespace {

struct Named {
  const char* name;
  uint32_t code;
};

constexpr Named kModifiers[] = {{"ctrl", kHotkeyCtrl}, {"control", kHotkeyCtrl}, {"alt", kHotkeyAlt},
                                {"shift", kHotkeyShift}, {"win", kHotkeyWin}};

// Keys with names, by their virtual-key codes; the first name of a code is
// the one shown.
constexpr Named kKeys[] = {
    {"Space", 0x20},    {"PageUp", 0x21}, {"PgUp", 0x21},   {"PageDown", 0x22}, {"PgDn", 0x22},
    {"End", 0x23},      {"Home", 0x24},   {"Left", 0x25},   {"Up", 0x26},       {"Right", 0x27},
    {"Down", 0x28},     {"Insert", 0x2D}, {"Ins", 0x2D},    {"Delete", 0x2E},   {"Del", 0x2E},
};

constexpr uint32_t kF1 = 0x70, kF24 = 0x87;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The virtual-key code of a key name, or 0.
uint32_t KeyCode(std::string_view token) {
  const std::string t = Lower(token);
  if (t.size() == 1 && ((t[0] >= 'a' && t[0] <= 'z') || (t[0] >= '0' && t[0] <= '9')))
    return static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(t[0])));
  if (t.size() >= 2 && t.size() <= 3 && t[0] == 'f' && t.find_first_not_of("0123456789", 1) == std::string::npos &&
      t[1] != '0') {
    const uint32_t n = static_cast<uint32_t>(std::stoi(t.substr(1)));
    if (n >= 1 && n <= 24) return kF1 + n - 1;
  }
  for (const Named& k : kKeys)
    if (t == Lower(k.name)) return k.code;
  return 0;
}

struct Action {
  HotkeyAction action;
  const char* valueName;
  const char* byDefault;
};
constexpr Action kActions[kHotkeyActions] = {{HotkeyAction::kNewMemo, "NewMemo", "Ctrl+Alt+N"},
                                             {HotkeyAction::kFind, "Find", "Ctrl+Alt+F"},
                                             {HotkeyAction::kShowAll, "ShowAll", "Ctrl+Alt+S"}};

}  // namespace

HotkeyState ParseHotkey(std::string_view text, Hotkey* key) {
  text = Trim(text);
  if (text.empty()) return HotkeyState::kOff;
  Hotkey k;
  for (size_t p = 0;;) {
    const size_t plus = text.find('+', p);
    const std::string_view token = Trim(text.substr(p, plus == std::string_view::npos ? plus : plus - p));
    const bool last = plus == std::string_view::npos;
    if (token.empty() || k.key != 0) return HotkeyState::kBad;  // "Ctrl++", "+N", or something after the key
    uint32_t modifier = 0;
    for (const Named& m : kModifiers)
      if (Lower(token) == m.name) modifier = m.code;
    if (modifier != 0) {
      if (last || (k.modifiers & modifier) != 0) return HotkeyState::kBad;  // no key, or twice
      k.modifiers |= modifier;
    } else {
      k.key = KeyCode(token);
      if (k.key == 0 || !last) return HotkeyState::kBad;
    }
    if (last) break;
    p = plus + 1;
  }
  const bool functionKey = k.key >= kF1 && k.key <= kF24;
  if (!functionKey && (k.modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)) == 0) return HotkeyState::kBad;
  *key = k;
  return HotkeyState::kOn;
}

std::string HotkeyName(const Hotkey& key) {
  std::string name;
  if (key.modifiers & kHotkeyCtrl) name += "Ctrl+";
  if (key.modifiers & kHotkeyAlt) name += "Alt+";
  if (key.modifiers & kHotkeyShift) name += "Shift+";
  if (key.modifiers & kHotkeyWin) name += "Win+";
  if ((key.key >= 'A' && key.key <= 'Z') || (key.key >= '0' && key.key <= '9'))
    return name + static_cast<char>(key.key);
  if (key.key >= kF1 && key.key <= kF24) return name + "F" + std::to_string(key.key - kF1 + 1);
  for (const Named& k : kKeys)
    if (k.code == key.key) return name + k.name;
  return name + "?";
}

std::array<HotkeySetting, kHotkeyActions> ReadHotkeys(SettingsFile& app) {
  std::array<HotkeySetting, kHotkeyActions> out;
  for (size_t i = 0; i < kHotkeyActions; ++i) {
    HotkeySetting& s = out[i];
    s.action = kActions[i].action;
    s.valueName = kActions[i].valueName;
    s.stored = app.Read(kSecHotkey, s.valueName, kActions[i].byDefault);
    s.state = ParseHotkey(s.stored, &s.key);
    for (size_t j = 0; j < i && s.state == HotkeyState::kOn; ++j) {
      if (out[j].state == HotkeyState::kOn && out[j].key == s.key) {
        s.state = HotkeyState::kDuplicate;
        s.sameAs = j;
      }
    }
  }
  return out;
}

}  // namespace dz
