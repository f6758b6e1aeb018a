// Reaching memos from the keyboard: the find dialog over every category,
// and the hotkeys the program holds while it runs.
#include <string>
#include <vector>

#include "text_fixture.h"

namespace e2e {
namespace {

constexpr int kFindText = 351, kFindList = 352;
constexpr wchar_t kFindCaption[] = L"メモを検索";

class Finding : public TextTest {
 protected:
  // Memo.dat listing A and B, A shown.
  void TwoCategories() {
    WriteMemoDat(IniText()
                     .Section("Cagoteri")
                     .Set("NowCagoteri", "A")
                     .Set("CagoteriNo", 2)
                     .Set("1Cagoteri", "A")
                     .Set("2Cagoteri", "B")
                     .bytes());
  }
  // Chooses the find item of the tray menu, right after the "全メモの操作"
  // submenu, and waits for the dialog.
  Dialog OpenFindFromTray() {
    Tray(WM_RBUTTONDOWN);
    Tray(WM_RBUTTONUP);
    HWND menu = WaitForMenu();
    if (!menu) return Dialog{};
    MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    return WaitForDialog(std::wstring(kFindCaption));
  }
  std::vector<std::wstring> Hits(const Dialog& d) {
    HWND list = GetDlgItem(d.hwnd, kFindList);
    std::vector<std::wstring> hits;
    const LRESULT count = Send(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT len = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i));
      if (len < 0) break;
      std::wstring text(static_cast<size_t>(len) + 1, L'\0');
      const LRESULT got = Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
      text.resize(got > 0 ? static_cast<size_t>(got) : 0);
      hits.push_back(text);
    }
    return hits;
  }
  bool WaitForHits(const Dialog& d, const std::vector<std::wstring>& expected) {
    std::vector<std::wstring> got;
    const bool ok = Wait([&] { return (got = Hits(d)) == expected; }, "the list of hits");
    if (!ok)
      for (const std::wstring& h : got) ADD_FAILURE() << "listed: " << Narrow(h);
    return ok;
  }
  // Keys posted to the edit field go through the dialog's own loop, as typed.
  void PressInField(const Dialog& d, UINT vk) {
    Post(GetDlgItem(d.hwnd, kFindText), WM_KEYDOWN, vk, 1 | (LPARAM(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16));
  }
  bool WaitClosed(const Dialog& d) { return Wait([&] { return !IsWindow(d.hwnd); }, "the find dialog to close"); }
  bool WaitInFront(HWND w) { return Wait([&] { return GetForegroundWindow() == w; }, "the memo in front and active"); }
};

TEST_F(Finding, AMemoOfAnotherCategoryIsOpenedInItsCategoryAndAHiddenOneShown) {
  TwoCategories();
  WriteCategory("A", CategoryFile({MemoSetup{100, 100, 120, 80, std::string("alpha")}}));
  WriteCategory("B", CategoryFile({MemoSetup{300, 100, 120, 80, std::string("shopping$$milk")},
                                   MemoSetup{500, 100, 120, 80, Sjis(L"ガイドブック$$２冊目")},
                                   MemoSetup{700, 100, 120, 80, Sjis(L"Guide: ｶﾞｲﾄﾞの地図")}}));
  ASSERT_TRUE(Start(1));

  Dialog d = OpenFindFromTray();
  ASSERT_TRUE(d);
  Type(GetDlgItem(d.hwnd, kFindText), L"ｶﾞｲﾄﾞ");
  ASSERT_TRUE(WaitForHits(d, {L"B\tガイドブック", L"B\tGuide: ｶﾞｲﾄﾞの地図"}));
  EXPECT_EQ(Memos().size(), 1u) << "B's memos were read from its file, not loaded as windows";
  // Enter with nothing selected opens the first hit: B is opened, the memo comes forward.
  PressInField(d, VK_RETURN);
  ASSERT_TRUE(WaitClosed(d));
  HWND guide = WaitForMemoAt(500, 100);
  ASSERT_NE(guide, nullptr);
  ASSERT_TRUE(WaitForMemoCount(3));
  EXPECT_EQ(Get(ReadIni("Memo.dat"), "Cagoteri", "NowCagoteri"), "B");
  EXPECT_TRUE(WaitInFront(guide));

  // The selected hit, hidden, in the category shown: shown and brought
  // forward, the category not opened again.
  HWND map = MemoAt(700, 100);
  ASSERT_NE(map, nullptr);
  PostCommand(map, cmd::kHideMemo);
  ASSERT_TRUE(Wait([&] { return !IsWindowVisible(map); }, "the memo to be hidden"));
  d = OpenFindFromTray();
  ASSERT_TRUE(d);
  Type(GetDlgItem(d.hwnd, kFindText), L"ｶﾞｲﾄﾞ");
  ASSERT_TRUE(WaitForHits(d, {L"B\tガイドブック", L"B\tGuide: ｶﾞｲﾄﾞの地図"}));
  // Down from the field moves through the hits: the second one.
  PressInField(d, VK_DOWN);
  PressInField(d, VK_DOWN);
  ASSERT_TRUE(Wait([&] { return Send(GetDlgItem(d.hwnd, kFindList), LB_GETCURSEL) == 1; }, "the second hit selected"));
  PressInField(d, VK_RETURN);
  ASSERT_TRUE(WaitClosed(d));
  EXPECT_TRUE(Wait([&] { return IsWindowVisible(map) != FALSE; }, "the hidden memo to be shown"));
  EXPECT_TRUE(WaitInFront(map));
  EXPECT_EQ(MemoAt(500, 100), guide) << "the category shown was not loaded again";

  // Escape closes the dialog and changes nothing.
  const std::string before = ReadFileBytes("data\\B.dat");
  d = OpenFindFromTray();
  ASSERT_TRUE(d);
  PressInField(d, VK_ESCAPE);
  ASSERT_TRUE(WaitClosed(d));
  EXPECT_EQ(Memos().size(), 3u);
  EXPECT_EQ(ReadFileBytes("data\\B.dat"), before);
  EXPECT_TRUE(NoDialogs("after the find dialog closed"));
}

// Hotkeys a test registers for itself (on its own thread), released when the
// object goes.
class HeldHotkey {
 public:
  // Each its own identifier: registering one again would move it.
  HeldHotkey(UINT modifiers, UINT vk) : id_(next_++), ok_(RegisterHotKey(nullptr, id_, modifiers, vk) != FALSE) {}
  ~HeldHotkey() {
    if (ok_) UnregisterHotKey(nullptr, id_);
  }
  HeldHotkey(const HeldHotkey&) = delete;
  HeldHotkey& operator=(const HeldHotkey&) = delete;
  bool ok() const { return ok_; }

 private:
  static inline int next_ = 0x2001;
  int id_;
  bool ok_;
};

// True when another program holds the hotkey (the test cannot take it).
bool Taken(UINT modifiers, UINT vk) {
  HeldHotkey probe(modifiers, vk);
  return !probe.ok() && GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

using Hotkeys = TextTest;

TEST_F(Hotkeys, OneHeldElsewhereIsNamedOnceAndTheOthersAreTakenAsSet) {
  WriteMemoDat(IniText().Section("Hotkey").Set("NewMemo", "Ctrl+Alt+J").Set("ShowAll", "").bytes());
  WriteCategory({MemoSetup{100, 100}});
  HeldHotkey find(MOD_CONTROL | MOD_ALT, 'F');
  ASSERT_TRUE(find.ok()) << "the test could not take Ctrl+Alt+F for itself: " << GetLastError();
  ASSERT_TRUE(Start(1));
  ASSERT_TRUE(ConfirmMessage(
      "ホットキー Ctrl+Alt+F（メモを検索）は、ほかのプログラムが使っているため使えません。\n\n"
      "ホットキーは Memo.dat の [Hotkey] で変えられます（例: Find=Ctrl+Shift+F。空にするとそのホットキーは使いません）。"));
  EXPECT_TRUE(Taken(MOD_CONTROL | MOD_ALT, 'J')) << "NewMemo as Memo.dat sets it";
  EXPECT_FALSE(Taken(MOD_CONTROL | MOD_ALT, 'N')) << "not NewMemo's default";
  EXPECT_FALSE(Taken(MOD_CONTROL | MOD_ALT, 'S')) << "ShowAll is off";
  EXPECT_TRUE(NoDialogs("after the one notice"));
}

TEST_F(Hotkeys, CtrlAltNAddsAMemoWithItsEditorOpen) {
  {
    // Whether Wine passes a hotkey typed as input on at all: to the test's own first.
    HeldHotkey probe(MOD_CONTROL | MOD_ALT, VK_F11);
    ASSERT_TRUE(probe.ok()) << GetLastError();
    KeyInput({VK_CONTROL, VK_MENU, VK_F11});
    MSG msg;
    if (!Within([&] { return PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE; }, 5000))
      GTEST_SKIP() << "Wine delivered no hotkey typed as input, not even to the test itself";
  }
  WriteCategory({MemoSetup{100, 100, 150, 100, std::string("first")}});
  ASSERT_TRUE(Start(1));
  HWND first = MemoAt(100, 100);
  ASSERT_NE(first, nullptr);
  SnapshotMemos();
  KeyInput({VK_CONTROL, VK_MENU, 'N'});
  HWND memo = WaitForNewMemo();
  ASSERT_NE(memo, nullptr);
  HWND editor = WaitForEditor(memo);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(Wait([&] { return GetForegroundWindow() == memo; }, "the new memo to be active"));
  // What is typed next goes into the editor.
  KeyInput({'H'});
  KeyInput({'I'});
  ASSERT_TRUE(Wait([&] { return EditorText(editor) == L"hi"; }, "the typed text in the editor"));
  SetForegroundWindow(first);
  ASSERT_TRUE(WaitEditorGone(editor));
  EXPECT_TRUE(WaitStored(1, "hi"));
  EXPECT_EQ(Stored(0), "first");
}

}  // namespace
}  // namespace e2e
