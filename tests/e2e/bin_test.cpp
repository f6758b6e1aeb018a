// Deleted memos kept in their category's bin and brought back through the
// tray menu's "削除したメモを戻す".
#include <string>
#include <utility>
#include <vector>

#include "harness.h"

namespace e2e {
namespace {

constexpr char kBin[] = "backup\\bin\\data1.dat";

class Bin : public DerezizTest {
 protected:
  // Opens the tray menu and, with Right, the submenu of its fourth item,
  // "削除したメモを戻す" (after "メモの追加", "全メモの操作" and the find
  // item); its first item is then selected.
  HWND OpenRestoreSubmenu(HWND* tray) {
    Tray(WM_RBUTTONDOWN);
    Tray(WM_RBUTTONUP);
    *tray = WaitForMenu();
    if (!*tray) return nullptr;
    MenuKeys(*tray, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN});
    return OpenSubmenu(*tray);
  }
  bool MenusClosed() {
    return Wait([&] { return OpenMenus().empty(); }, "the menus to close");
  }
  // The delete command and its confirmation answered OK.
  Dialog DeleteConfirmed(HWND memo) {
    PostCommand(memo, cmd::kDeleteMemo);
    Dialog d = WaitForDialog(std::wstring(L"確認"), std::wstring(L"このメモを削除します。よろしいですか？"));
    if (d) Press(d, IDOK);
    return d;
  }
  // Keys of memo n (properties and values) as the file has them, in the
  // order of props; "<missing>" for one it lacks.
  static std::vector<std::string> MemoValues(const dz::IniDocument& ini, int n,
                                             const std::vector<std::string>& props) {
    std::vector<std::string> out;
    for (const std::string& p : props) out.push_back(Get(ini, "ChildWindow", std::to_string(n) + p));
    return out;
  }
};

TEST_F(Bin, ADeletedMemoComesBackWithAllItsKeysAsTheNextMemo) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 4);
  AddMemoKeys(ini, 0, MemoSetup{100, 100, 100, 100, std::string("first")});
  MemoSetup gradient{300, 100, 150, 120, std::string("gradient & friends$second line")};
  gradient.back = "2";
  gradient.color1 = 0x0000FF;
  AddMemoKeys(ini, 1, gradient);
  // Keys the program never reads itself come back too.
  ini.Memo(1, "Color2", 0xFF0000).Memo(1, "Color3", 0x00FF00).Memo(1, "GradMode", 1);
  ini.Memo(1, "Id", "7f3a-memo").Memo(1, "Extra", "kept as is");
  AddMemoKeys(ini, 2, MemoSetup{500, 100, 100, 100, std::string("third")});
  AddMemoKeys(ini, 3, MemoSetup{700, 100, 100, 100, std::string("fourth")});
  ini.Section("Xdata").Set("No1", 20);
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(4));

  // Moved since the start: the bin keeps where the window is, not what the
  // file said.
  HWND g = MemoAt(300, 100);
  ASSERT_NE(g, nullptr);
  SetWindowPos(g, nullptr, 320, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(Wait([&] { return MemoAt(320, 140) == g; }, "the gradient memo at its new place"));
  ASSERT_TRUE(DeleteConfirmed(g));
  ASSERT_TRUE(WaitForMemoCount(3));
  ASSERT_TRUE(DeleteConfirmed(MemoAt(100, 100)));
  ASSERT_TRUE(WaitForMemoCount(2));

  const std::vector<std::string> props = {"Text", "Back", "Color1", "Color2", "Color3", "GradMode",
                                          "Id",   "Extra", "x",     "y",      "h",      "l"};
  const std::vector<std::string> kept = {"gradient & friends$second line", "2", "255", "16711680", "65280", "1",
                                         "7f3a-memo", "kept as is", "320", "140", "150", "120"};
  dz::IniDocument bin = ReadIni(kBin);
  EXPECT_EQ(Get(bin, "ChildWindow", "No"), "2");
  EXPECT_EQ(Get(bin, "ChildWindow", "0Text"), "first") << "the newest first";
  EXPECT_EQ(MemoValues(bin, 1, props), kept);
  EXPECT_EQ(Get(bin, "Xdata", "No1"), "20");
  EXPECT_EQ(Get(bin, "Deleted", "No1").size(), std::string("2026/12/08 10:30:00").size());

  // The second item is the older delete.
  HWND tray = nullptr;
  HWND sub = OpenRestoreSubmenu(&tray);
  ASSERT_NE(sub, nullptr);
  MenuKeys(tray, {VK_DOWN, VK_RETURN});
  HWND back = WaitForMemoAt(320, 140);
  ASSERT_NE(back, nullptr);
  ASSERT_TRUE(WaitForMemoCount(3));
  const RECT r = WindowRect(back);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(r.bottom - r.top, 120);

  // Number 2, after "third" and "fourth"; one memo left in the bin.
  dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "No"), "3");
  EXPECT_EQ(Get(cat, "ChildWindow", "0Text"), "third");
  EXPECT_EQ(Get(cat, "ChildWindow", "1Text"), "fourth");
  EXPECT_EQ(MemoValues(cat, 2, props), kept);
  EXPECT_EQ(Get(cat, "Xdata", "No2"), "20");
  bin = ReadIni(kBin);
  EXPECT_EQ(Get(bin, "ChildWindow", "No"), "1");
  EXPECT_EQ(Get(bin, "ChildWindow", "0Text"), "first");
  EXPECT_EQ(Get(bin, "ChildWindow", "1Text"), "<missing>");

  // The save at exit keeps what came back, its offset included.
  ASSERT_TRUE(Exit());
  cat = Category();
  EXPECT_EQ(MemoValues(cat, 2, props), kept);
  EXPECT_EQ(Get(cat, "Xdata", "No2"), "20");
}

TEST_F(Bin, AnEmptyBinOffersOneGreyedItemThatDoesNothing) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("only")}});
  ASSERT_TRUE(Start(1));
  const std::string before = ReadFileBytes("data\\data1.dat");

  // "全メモの操作" has two items: the height to compare with.
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  HWND tray = WaitForMenu();
  ASSERT_NE(tray, nullptr);
  MenuKeys(tray, {VK_DOWN, VK_DOWN});
  HWND two = OpenSubmenu(tray);
  ASSERT_NE(two, nullptr);
  const RECT twoRect = WindowRect(two);
  MenuKeys(tray, {VK_LEFT, VK_DOWN, VK_DOWN});
  ASSERT_TRUE(Wait([&] { return OpenMenus().size() == 1; }, "the submenu to close"));
  HWND sub = OpenSubmenu(tray);
  ASSERT_NE(sub, nullptr);
  const RECT oneRect = WindowRect(sub);
  EXPECT_LT(oneRect.bottom - oneRect.top, twoRect.bottom - twoRect.top) << "one item, not two or more";
  // Its text drawn in a mid grey, never in the black or white of an item
  // that can be chosen.
  EXPECT_TRUE(Wait(
      [&] {
        const Image img = CaptureClient(sub);
        int greyed = 0, plain = 0;
        for (int y = 3; y + 3 < img.height(); ++y)
          for (int x = 3; x + 3 < img.width(); ++x) {
            const COLORREF c = img.At(x, y);
            const int r = GetRValue(c);
            if (r == GetGValue(c) && r == GetBValue(c)) {
              if (r >= 64 && r <= 200) ++greyed;
              if (r < 16 || r > 240) ++plain;
            }
          }
        return greyed > 10 && plain == 0;
      },
      "greyed text in the submenu"));

  // Chosen, it does nothing. Wine ends the menu there; elsewhere it stays
  // open until Escape.
  MenuKeys(tray, {VK_RETURN});
  if (!Within([&] { return OpenMenus().empty(); }, 2000)) MenuKeys(tray, {VK_ESCAPE, VK_ESCAPE});
  ASSERT_TRUE(MenusClosed());
  ASSERT_TRUE(ExpectAlive());
  EXPECT_TRUE(NoDialogs("after choosing the greyed item"));
  EXPECT_EQ(Memos().size(), 1u);
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before);
  EXPECT_FALSE(FileExists(Path(kBin)));
}

TEST_F(Bin, AFullCategoryRefusesAndKeepsTheBin) {
  std::vector<MemoSetup> hundred;
  for (int i = 0; i < 100; ++i) hundred.push_back(MemoSetup{10 + (i % 10) * 100, 10 + (i / 10) * 80, 90, 70});
  WriteCategory(hundred);
  IniText kept;
  kept.Section("ChildWindow").Set("No", 1).Memo(0, "Text", "kept").Memo(0, "x", 5).Memo(0, "y", 5);
  kept.Section("Deleted").Set("No0", "2026/12/01 09:00:00");
  ASSERT_TRUE(CreateDirectoryW(Path("backup").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Path("backup\\bin").c_str(), nullptr));
  WriteFile(kBin, kept.bytes());
  ASSERT_TRUE(Start(100));
  const std::string before = ReadFileBytes("data\\data1.dat");

  HWND tray = nullptr;
  ASSERT_NE(OpenRestoreSubmenu(&tray), nullptr);
  MenuKeys(tray, {VK_RETURN});
  Dialog d = WaitForDialog(std::nullopt, std::wstring(L"メモが百枚を超えています。"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, main());
  ASSERT_TRUE(Press(d, IDOK));
  EXPECT_EQ(Memos().size(), 100u);
  EXPECT_EQ(ReadFileBytes(kBin), kept.bytes());
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before);
}

TEST_F(Bin, ABinThatCannotBeWrittenStopsTheDelete) {
  WriteCategory({MemoSetup{100, 100, 100, 100, std::string("precious")}, MemoSetup{300, 100}});
  // A folder where the bin's file would be: nothing can replace it.
  ASSERT_TRUE(CreateDirectoryW(Path("backup").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Path("backup\\bin").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Path(kBin).c_str(), nullptr));
  ASSERT_TRUE(Start(2));
  const std::string before = ReadFileBytes("data\\data1.dat");

  ASSERT_TRUE(DeleteConfirmed(MemoAt(100, 100)));
  const std::wstring start = L"削除したメモを残しておくファイルに書き込めないため、メモを削除しませんでした。\n";
  Dialog told;
  ASSERT_TRUE(Wait(
      [&] {
        for (const Dialog& d : Dialogs())
          if (d.text.compare(0, start.size(), start) == 0) told = d;
        return static_cast<bool>(told);
      },
      "the notice that the memo was not deleted"));
  EXPECT_NE(told.text.find(L"backup\\bin\\data1.dat"), std::wstring::npos) << Narrow(told.text);
  ASSERT_TRUE(Press(told, IDOK));
  EXPECT_EQ(Memos().size(), 2u);
  EXPECT_NE(MemoAt(100, 100), nullptr);
  EXPECT_EQ(ReadFileBytes("data\\data1.dat"), before);
}

}  // namespace
}  // namespace e2e
