#include "core/hotkey.h"

#include <gtest/gtest.h>

#include "fake_fs.h"

namespace dz {
namespace {

struct ParseCase {
  const char* text;
  HotkeyState state;
  uint32_t modifiers;
  uint32_t key;
  const char* name;  // canonical name when on
};

TEST(HotkeyNames, ParsedAndNamed) {
  constexpr uint32_t C = kHotkeyCtrl, A = kHotkeyAlt, S = kHotkeyShift, W = kHotkeyWin;
  const ParseCase cases[] = {
      {"Ctrl+Alt+N", HotkeyState::kOn, C | A, 'N', "Ctrl+Alt+N"},
      {"alt + ctrl + n", HotkeyState::kOn, C | A, 'N', "Ctrl+Alt+N"},
      {"Control+Shift+7", HotkeyState::kOn, C | S, '7', "Ctrl+Shift+7"},
      {"Win+Space", HotkeyState::kOn, W, 0x20, "Win+Space"},
      {"Ctrl+PgDn", HotkeyState::kOn, C, 0x22, "Ctrl+PageDown"},
      {"Alt+del", HotkeyState::kOn, A, 0x2E, "Alt+Delete"},
      {"Ctrl+Alt+Left", HotkeyState::kOn, C | A, 0x25, "Ctrl+Alt+Left"},
      {"F9", HotkeyState::kOn, 0, 0x78, "F9"},
      {"Shift+F24", HotkeyState::kOn, S, 0x87, "Shift+F24"},
      {"  ", HotkeyState::kOff, 0, 0, nullptr},
      {"", HotkeyState::kOff, 0, 0, nullptr},
      {"N", HotkeyState::kBad, 0, 0, nullptr},             // would take N from every program
      {"Shift+N", HotkeyState::kBad, 0, 0, nullptr},       // ... and every capital N
      {"Ctrl+Alt", HotkeyState::kBad, 0, 0, nullptr},      // no key
      {"Ctrl+Alt+", HotkeyState::kBad, 0, 0, nullptr},
      {"Ctrl++N", HotkeyState::kBad, 0, 0, nullptr},
      {"Ctrl+Ctrl+N", HotkeyState::kBad, 0, 0, nullptr},   // a modifier twice
      {"Ctrl+N+M", HotkeyState::kBad, 0, 0, nullptr},      // two keys
      {"Ctrl+N+Alt", HotkeyState::kBad, 0, 0, nullptr},    // a modifier after the key
      {"Ctrl+Alt+Q!", HotkeyState::kBad, 0, 0, nullptr},
      {"Ctrl+F25", HotkeyState::kBad, 0, 0, nullptr},
      {"Ctrl+F01", HotkeyState::kBad, 0, 0, nullptr},
      {"Ctrl+\x82\x6D", HotkeyState::kBad, 0, 0, nullptr},  // full-width "Ｎ"
  };
  for (const ParseCase& c : cases) {
    Hotkey k{99, 99};
    EXPECT_EQ(ParseHotkey(c.text, &k), c.state) << c.text;
    if (c.state != HotkeyState::kOn) {
      EXPECT_EQ(k, (Hotkey{99, 99})) << "left alone: " << c.text;
      continue;
    }
    EXPECT_EQ(k.modifiers, c.modifiers) << c.text;
    EXPECT_EQ(k.key, c.key) << c.text;
    EXPECT_EQ(HotkeyName(k), c.name) << c.text;
  }
}

TEST(HotkeySettings, DefaultsChangesOffAndDuplicates) {
  test::FakeFileSystem fs;
  SettingsFile app(fs, "Memo.dat");
  auto keys = ReadHotkeys(app);
  EXPECT_EQ(HotkeyName(keys[0].key), "Ctrl+Alt+N");
  EXPECT_EQ(HotkeyName(keys[1].key), "Ctrl+Alt+F");
  EXPECT_EQ(HotkeyName(keys[2].key), "Ctrl+Alt+S");
  for (const HotkeySetting& s : keys) EXPECT_EQ(s.state, HotkeyState::kOn) << s.valueName;
  EXPECT_EQ(fs.replaceCalls, 0) << "reading writes nothing";

  fs.Put("Memo.dat", "[Hotkey]\r\nNewMemo=Ctrl+Shift+M\r\nFind=\r\nShowAll=ctrl+shift+m\r\n");
  keys = ReadHotkeys(app);
  EXPECT_EQ(keys[0].state, HotkeyState::kOn);
  EXPECT_EQ(HotkeyName(keys[0].key), "Ctrl+Shift+M");
  EXPECT_EQ(keys[1].state, HotkeyState::kOff);
  EXPECT_EQ(keys[2].state, HotkeyState::kDuplicate);
  EXPECT_EQ(keys[2].sameAs, 0u);
  EXPECT_EQ(keys[2].stored, "ctrl+shift+m") << "kept as written, for the message";
  EXPECT_STREQ(keys[2].valueName, "ShowAll");

  fs.Put("Memo.dat", "[Hotkey]\r\nNewMemo=Ctrl+\r\nFind=Ctrl+Alt+N\r\n");
  keys = ReadHotkeys(app);
  EXPECT_EQ(keys[0].state, HotkeyState::kBad);
  EXPECT_EQ(keys[1].state, HotkeyState::kOn) << "a bad value holds no hotkey another could duplicate";
  EXPECT_EQ(keys[2].state, HotkeyState::kOn);
}

}  // namespace
}  // namespace dz
