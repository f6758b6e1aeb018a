// Backgrounds as the user chooses them from the memo menu: solid colour,
// gradient and its dialog, picture files, clipboard pictures, saving a
// memo's picture, the memo copied as a bitmap. Checked by pixels on screen
// and in the category file.
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "text_fixture.h"

namespace e2e {
namespace {

constexpr int kTransparent = 512, kSolid = 513, kGradient = 514, kPictureFile = 515, kClipboardPicture = 516,
              kSavePicture = 517, kCopyBitmap = 519;
// Gradient dialog controls; RGB fields of the colour dialog; file type list.
constexpr int kPreview = 100, kStartSwatch = 101, kChangeStart = 103, kChangeEnd = 104, kGradOk = 105,
              kGradCancel = 106, kMode0 = 108;
constexpr int kRgbFields[] = {706, 707, 708};
constexpr int kFileTypeList = 0x470;

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0), kWhite = RGB(255, 255, 255), kMagenta = RGB(255, 0, 255);
const std::string kPngMagic("\x89PNG\r\n\x1a\n", 8);

std::string Dec(COLORREF c) { return std::to_string(static_cast<long long>(c)); }
int Level(COLORREF c) { return GetRValue(c); }

// A 24-bit BMP file of w x h pixels.
std::string Bmp(int w, int h, const std::function<COLORREF(int, int)>& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER bfh{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  BITMAPINFOHEADER bih{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, static_cast<DWORD>(stride * h), 0, 0, 0, 0};
  bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
  std::string file(reinterpret_cast<const char*>(&bfh), sizeof bfh);
  file.append(reinterpret_cast<const char*>(&bih), sizeof bih);
  for (int y = h - 1; y >= 0; --y) {  // bottom-up
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < w; ++x) {
      const COLORREF c = pixel(x, y);
      row[x * 3] = static_cast<char>(GetBValue(c));
      row[x * 3 + 1] = static_cast<char>(GetGValue(c));
      row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
    file += row;
  }
  return file;
}

using Quads = COLORREF[4];  // top-left, top-right, bottom-left, bottom-right
std::string FourColours(const Quads& q) {
  return Bmp(2, 2, [&](int x, int y) { return q[y * 2 + x]; });
}

MemoSetup Memo(int x, int y, int w, int h, const std::string& back, COLORREF color1 = kWhite) {
  MemoSetup m{x, y, w, h, std::string(), 0};
  m.back = back;
  m.color1 = static_cast<long long>(color1);
  return m;
}

// A 2 x 2 picture stretched over the client area: each pixel shows at its
// outer corner and at the middle of its quarter (enlarged smoothly, the
// quarters blend towards the centre).
bool ShowsQuadrants(const Image& img, const Quads& want, std::string* why) {
  const int w = img.width(), h = img.height();
  const POINT probes[4][2] = {{{w / 4, h / 4}, {0, 0}},
                              {{3 * w / 4, h / 4}, {w - 1, 0}},
                              {{w / 4, 3 * h / 4}, {0, h - 1}},
                              {{3 * w / 4, 3 * h / 4}, {w - 1, h - 1}}};
  for (int q = 0; q < 4 && !img.empty(); ++q)
    for (const POINT& p : probes[q])
      if (!NearColor(img.At(p.x, p.y), want[q], 24)) {
        *why = "at " + std::to_string(p.x) + "," + std::to_string(p.y) + " of " + std::to_string(w) + "x" +
               std::to_string(h) + ": " + ColorName(img.At(p.x, p.y)) + " instead of " + ColorName(want[q]);
        return false;
      }
  return !img.empty();
}

class BackgroundTest : public TextTest {
 protected:
  bool WaitQuadrants(HWND m, const Quads& want, const std::string& what) {
    std::string why = "nothing captured";
    bool ok = Wait([&] { return ShowsQuadrants(CaptureClient(m), want, &why); }, what);
    if (!ok) ADD_FAILURE() << why;
    return ok;
  }
  bool WaitFilled(HWND m, COLORREF c, const std::string& what) {
    return Wait([&] { return CaptureClient(m).Fraction(c, 4) == 1.0; }, what);
  }
  bool WaitPixel(HWND m, int x, int y, COLORREF c, const std::string& what) {
    return Wait([&] { return NearColor(CaptureClient(m).At(x, y), c, 16); }, what);
  }
  std::string Back(int n) { return Stored(n, "Back"); }
  // Writes a file the program may be reading at that moment, as a user
  // saving it again would: the write waits until the file is free.
  bool Rewrite(const std::wstring& path, const std::string& bytes) {
    return Wait([&] { return WriteBytes(path, bytes); }, "the picture file to be free for writing");
  }

  // Writes a valid black PNG of w x h pixels at path through a script of
  // this folder: a 20000 x 20000 one compresses to about a megabyte.
  bool MakePng(const std::wstring& path, int w, int h) {
    std::string script = __FILE__;
    script = script.substr(0, script.find_last_of("/\\") + 1) + "make_png.py";
    const std::wstring result = Path("make-png-result.txt");
    DeleteFileW(result.c_str());
    std::wstring cmd = L"/usr/bin/python3 \"" + Widen(script) + L"\" \"" + Widen(UnixPathOf(path)) + L"\" " +
                       std::to_wstring(w) + L" " + std::to_wstring(h) + L" \"" + Widen(UnixPathOf(result)) + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Wine gives no handle of a Linux process to wait on: the script
    // writes its result file last.
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    std::string outcome;
    return WaitFor([&] { return ReadBytes(result, &outcome) && outcome == "ok"; }, 60000, "the PNG script");
  }

  // Presses `button` of `target`, types c into the colour dialog that opens
  // and confirms or cancels it.
  bool PickColour(HWND target, int button, COLORREF c, bool confirm) {
    Post(target, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    Dialog d;
    Wait([&] {
      for (const Dialog& open : Dialogs())
        if (GetDlgItem(open.hwnd, kRgbFields[0])) return (d = open), true;
      return false;
    }, "the colour dialog");
    if (!d) return false;
    const int values[] = {GetRValue(c), GetGValue(c), GetBValue(c)};
    for (int i = 0; i < 3; ++i) {
      const std::wstring v = std::to_wstring(values[i]);
      Send(GetDlgItem(d.hwnd, kRgbFields[i]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(v.c_str()));
    }
    return Press(d, confirm ? IDOK : IDCANCEL);
  }

  // Picks the n-th (1-based) file type in the save dialog, then the file.
  bool SaveAs(int type, const std::wstring& path) {
    Dialog d = WaitForDialog(Widen("画像ファイルの保存"));
    HWND list = d ? GetDlgItem(d.hwnd, kFileTypeList) : nullptr;
    if (!list) return false;
    Send(list, CB_SETCURSEL, static_cast<WPARAM>(type - 1), 0);
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
      Send(d.hwnd, WM_COMMAND, MAKEWPARAM(kFileTypeList, code), reinterpret_cast<LPARAM>(list));
    return ChooseFile("画像ファイルの保存", path);
  }
};

using BackgroundSolid = BackgroundTest;

TEST_F(BackgroundSolid, CancellingTheColourDialogKeepsTheColourButMakesItSolid) {
  WriteCategory({Memo(200, 200, 120, 90, "3", kRed)});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  // A colour tried and then cancelled is not kept.
  ASSERT_TRUE(PickColour(memo, kSolid, kBlue, false));
  ASSERT_TRUE(WaitStored(0, "1", "Back"));
  EXPECT_EQ(Stored(0, "Color1"), Dec(kRed));
  EXPECT_TRUE(WaitFilled(memo, kRed, "the memo to turn red"));

  ASSERT_TRUE(PickColour(memo, kSolid, kGreen, true));
  ASSERT_TRUE(WaitStored(0, Dec(kGreen), "Color1"));
  EXPECT_TRUE(WaitFilled(memo, kGreen, "the memo to turn green"));

  SendCommand(memo, kTransparent);
  EXPECT_EQ(Back(0), "3");
  EXPECT_TRUE(Wait([&] { return CaptureClient(memo).Count(kGreen, 4) == 0; }, "the memo to show the desktop"));
}

TEST_F(BackgroundSolid, WhatCannotBeStoredIsToldAndNotShown) {
  const std::wstring picture = Path("four.bmp");
  ASSERT_TRUE(WriteBytes(picture, FourColours({kRed, kGreen, kBlue, kYellow})));
  WriteCategory({Memo(200, 200, 120, 90, "1", kRed), Memo(400, 200, 120, 90, Sjis(picture), kGreen)});
  ASSERT_TRUE(Start(2));
  HWND solid = MemoAt(200, 200), shown = MemoAt(400, 200);
  ASSERT_TRUE(solid && shown);
  ASSERT_TRUE(WaitQuadrants(shown, {kRed, kGreen, kBlue, kYellow}, "the picture"));

  // Another program holds the category file: nothing can be written.
  HANDLE lock = CreateFileW(Path("data\\data1.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const char* notStored = "設定ファイルに書き込めませんでした。";
  PostCommand(solid, kTransparent);
  EXPECT_TRUE(ConfirmMessage(notStored));
  // The file that cannot be written is named once in the run, after the
  // command's own message.
  ASSERT_TRUE(AnswerNotSavedNotice(L"data1.dat"));
  EXPECT_TRUE(WaitFilled(solid, kRed, "the memo still red"));
  // A picture found gone cannot become the solid colour either: it shows
  // white, and both messages come once, after the paint.
  ASSERT_TRUE(DeleteFileW(picture.c_str()));
  InvalidateRect(shown, nullptr, TRUE);
  for (const char* text : {"画像ファイルのパスに画像がありません。", notStored}) {
    Dialog d = WaitForDialog(std::nullopt, Widen(text));
    EXPECT_EQ(d.owner, shown);
    ASSERT_TRUE(Press(d, IDOK));
  }
  EXPECT_TRUE(WaitFilled(shown, kWhite, "the memo white"));
  EXPECT_TRUE(NoDialogsOncePending(shown, "a paint after the messages", true)) << "the messages came again";
  CloseHandle(lock);
  EXPECT_EQ(Back(0), "1");
  EXPECT_EQ(Back(1), Sjis(picture));
}

using BackgroundGradient = BackgroundTest;

TEST_F(BackgroundGradient, ModesRunLeftToRightTopToBottomAndDiagonally) {
  const int modes[] = {0, 1, 2, 7};
  IniText ini;
  ini.Section("ChildWindow").Set("No", 4);
  for (int n = 0; n < 4; ++n) {
    AddMemoKeys(ini, n, Memo(100 + 200 * n, 100, 120, 120, "2", kMagenta));
    ini.Memo(n, "GradMode", modes[n]).Memo(n, "Color2", 0LL).Memo(n, "Color3", static_cast<long long>(kWhite));
  }
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(4));
  Image shot[4];
  for (int n = 0; n < 4; ++n) {
    HWND m = MemoAt(100 + 200 * n, 100);
    ASSERT_NE(m, nullptr);
    // Every mode here runs from black in the upper left corner to white in the lower right.
    ASSERT_TRUE(Wait([&] { return Level((shot[n] = CaptureClient(m)).At(119, 119)) - Level(shot[n].At(0, 0)) > 150; },
                     "memo " + std::to_string(n) + " to paint its gradient"));
  }
  const int w = 120, h = 120;
  const Image &m0 = shot[0], &m1 = shot[1], &m2 = shot[2];
  // "縦方向": black at the left edge to white at the right, equal down each column.
  EXPECT_LT(Level(m0.At(0, h / 2)), 30);
  EXPECT_GT(Level(m0.At(w - 1, h / 2)), 225);
  // "横方向": black at the top to white at the bottom, equal along each row.
  EXPECT_LT(Level(m1.At(w / 2, 0)), 30);
  EXPECT_GT(Level(m1.At(w / 2, h - 1)), 225);
  for (int i = 1; i < w; ++i) {
    EXPECT_GE(Level(m0.At(i, h / 2)) + 2, Level(m0.At(i - 1, h / 2))) << "mode 0 darker again at x=" << i;
    EXPECT_NEAR(Level(m0.At(i, 0)), Level(m0.At(i, h - 1)), 3) << "mode 0 column " << i;
    EXPECT_GE(Level(m1.At(w / 2, i)) + 2, Level(m1.At(w / 2, i - 1))) << "mode 1 darker again at y=" << i;
    EXPECT_NEAR(Level(m1.At(0, i)), Level(m1.At(w - 1, i)), 3) << "mode 1 row " << i;
  }
  // "左上→右下": upper left to lower right, the other corners halfway.
  EXPECT_LT(Level(m2.At(0, 0)), 30);
  EXPECT_GT(Level(m2.At(w - 1, h - 1)), 225);
  EXPECT_NEAR(Level(m2.At(w - 1, 0)), 128, 30);
  EXPECT_NEAR(Level(m2.At(w - 1, 0)), Level(m2.At(0, h - 1)), 8);
  // A mode no dialog stores paints as mode 0.
  EXPECT_TRUE(shot[3].SameAs(m0, 2)) << "mode 7 does not look like mode 0";
}

TEST_F(BackgroundGradient, DialogShowsEachChangeAtOnceCancelRestoresOkKeeps) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 1);
  AddMemoKeys(ini, 0, Memo(200, 200, 160, 120, "2"));
  ini.Memo(0, "Color2", static_cast<long long>(kRed)).Memo(0, "Color3", static_cast<long long>(kBlue));
  ini.Memo(0, "GradMode", 1);
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  PostCommand(memo, kGradient);
  Dialog d = WaitForDialog(std::wstring(L"SelectColors"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d.owner, memo);
  EXPECT_EQ(Send(GetDlgItem(d.hwnd, kMode0 + 1), BM_GETCHECK), BST_CHECKED);
  auto control = [&](int id) { return GetDlgItem(d.hwnd, id); };
  // The swatch fills its own rectangle; the preview runs top to bottom.
  EXPECT_TRUE(WaitFilled(control(kStartSwatch), kRed, "a red start swatch"));
  EXPECT_TRUE(WaitPixel(control(kPreview), 10, 0, kRed, "the preview red at the top"));

  // A new start colour and direction are stored at once and shown by the
  // swatch, the preview and the memo.
  ASSERT_TRUE(PickColour(d.hwnd, kChangeStart, kGreen, true));
  ASSERT_TRUE(WaitStored(0, Dec(kGreen), "Color2"));
  EXPECT_TRUE(WaitFilled(control(kStartSwatch), kGreen, "a green start swatch"));
  EXPECT_TRUE(WaitPixel(memo, 80, 0, kGreen, "the memo green at the top"));
  Post(d.hwnd, WM_COMMAND, MAKEWPARAM(kMode0, BN_CLICKED), 0);
  ASSERT_TRUE(WaitStored(0, "0", "GradMode"));
  EXPECT_TRUE(WaitPixel(memo, 159, 60, kBlue, "the memo blue on the right"));
  EXPECT_TRUE(WaitPixel(control(kPreview), 0, 20, kGreen, "the preview green on the left"));
  // A colour tried in the colour dialog and cancelled is stored as it was.
  ASSERT_TRUE(PickColour(d.hwnd, kChangeEnd, kYellow, false));
  EXPECT_TRUE(WaitStored(0, Dec(kBlue), "Color3"));

  ASSERT_TRUE(Press(d, kGradCancel));
  EXPECT_TRUE(WaitStored(0, Dec(kRed), "Color2"));
  EXPECT_EQ(Stored(0, "GradMode"), "1");
  EXPECT_EQ(Back(0), "2");
  EXPECT_TRUE(WaitPixel(memo, 80, 0, kRed, "the memo red at the top again"));

  // OK turns another kind of background into the gradient.
  SendCommand(memo, kTransparent);
  PostCommand(memo, kGradient);
  d = WaitForDialog(std::wstring(L"SelectColors"));
  ASSERT_TRUE(d);
  Post(d.hwnd, WM_COMMAND, MAKEWPARAM(kMode0 + 2, BN_CLICKED), 0);
  ASSERT_TRUE(WaitStored(0, "2", "GradMode"));
  EXPECT_EQ(Back(0), "3");
  ASSERT_TRUE(Press(d, kGradOk));
  EXPECT_TRUE(WaitStored(0, "2", "Back"));
  EXPECT_TRUE(WaitPixel(memo, 0, 0, kRed, "the memo red in the upper left corner"));
  EXPECT_TRUE(NoDialogs("after the gradient dialog"));
}

using BackgroundPicture = BackgroundTest;

TEST_F(BackgroundPicture, ChosenPictureIsStretchedRescaledAndFollowsItsFile) {
  // A folder with a Japanese name: the path is stored as Shift_JIS and read
  // back whatever the system's code page.
  ASSERT_TRUE(CreateDirectoryW(Path("画像").c_str(), nullptr));
  const std::wstring picture = Path("画像\\四色.bmp");
  ASSERT_TRUE(WriteBytes(picture, FourColours({kRed, kGreen, kBlue, kYellow})));
  WriteCategory({Memo(200, 200, 200, 150, "1", kMagenta)});
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(200, 200);
  ASSERT_NE(memo, nullptr);

  PostCommand(memo, kPictureFile);
  ASSERT_TRUE(ChooseFile("画像ファイル読み込み", picture));
  ASSERT_TRUE(WaitStored(0, Sjis(picture), "Back"));
  ASSERT_TRUE(WaitQuadrants(memo, {kRed, kGreen, kBlue, kYellow}, "the picture over 200 x 150"));

  ASSERT_TRUE(SetWindowPos(memo, nullptr, 0, 0, 320, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(WaitQuadrants(memo, {kRed, kGreen, kBlue, kYellow}, "the picture over 320 x 90"));

  // Written again with other colours (the same size on disk), the file
  // shows at the next paint.
  ASSERT_TRUE(Rewrite(picture, FourColours({kYellow, kBlue, kGreen, kRed})));
  InvalidateRect(memo, nullptr, TRUE);
  ASSERT_TRUE(WaitQuadrants(memo, {kYellow, kBlue, kGreen, kRed}, "the rewritten picture"));
  EXPECT_TRUE(NoDialogs("after painting the picture"));
}

TEST_F(BackgroundPicture, HundredMissingPicturesGiveOneMessageEachInTurnAndTheirColour) {
  ASSERT_TRUE(CreateDirectoryW(Path("pictures").c_str(), nullptr));
  std::vector<MemoSetup> memos;
  for (int i = 0; i < 100; ++i)
    memos.push_back(Memo(10 + (i % 10) * 120, 10 + (i / 10) * 95, 100, 80,
                         Sjis(Path("pictures\\" + std::to_string(i) + ".png")), i % 2 ? kGreen : kBlue));
  WriteCategory(memos);
  ASSERT_TRUE(Start(100));

  const std::vector<HWND> windows = Memos();
  std::set<HWND> owners;
  size_t mostOpen = 0;
  while (owners.size() < 100) {
    Dialog found;
    ASSERT_TRUE(Wait(
        [&] {
          std::vector<Dialog> open = Dialogs();
          mostOpen = std::max(mostOpen, open.size());
          for (const Dialog& d : open)
            if (d.text == Widen("画像ファイルのパスに画像がありません。")) return (found = d), true;
          return false;
        },
        "message " + std::to_string(owners.size() + 1) + " about a missing picture"));
    EXPECT_NE(std::find(windows.begin(), windows.end(), found.owner), windows.end()) << "owned by a memo";
    EXPECT_TRUE(owners.insert(found.owner).second) << "a second message for the same memo";
    ASSERT_TRUE(Press(found, IDOK));
  }
  EXPECT_EQ(mostOpen, 1u) << "messages were open at the same time";
  EXPECT_TRUE(NoDialogsOncePending(windows.front(), "after one message per memo")) << "more than one message per memo";
  const dz::IniDocument cat = Category();
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Get(cat, "ChildWindow", std::to_string(i) + "Back"), "1") << "memo " << i;
  EXPECT_TRUE(WaitFilled(MemoAt(10, 10), kBlue, "memo 0 in its colour"));
  EXPECT_TRUE(WaitFilled(MemoAt(130, 10), kGreen, "memo 1 in its colour"));
}

constexpr char kUnreadable[] = "画像ファイルを読み込めませんでした。";
constexpr char kTooLarge[] = "画像が大きすぎるため表示できません。";
constexpr char kMissing[] = "画像ファイルのパスに画像がありません。";

// A file being written by another program, held by a scanner, or a
// placeholder whose content is not there yet: it exists, it is no picture
// now, and it must not cost the user the picture they chose.
TEST_F(BackgroundPicture, UnreadablePictureKeepsItsPathAndIsToldOnceAMissingOneTurnsSolid) {
  const std::wstring held = Path("held.bmp"), later = Path("later.bmp");
  const std::string placeholder(4096, '\0');
  ASSERT_TRUE(WriteBytes(held, placeholder));
  ASSERT_TRUE(WriteBytes(later, placeholder));
  WriteCategory({Memo(10, 10, 200, 150, Sjis(held), kGreen), Memo(250, 10, 200, 150, Sjis(Path("gone.png")), kBlue),
                 Memo(490, 10, 200, 150, Sjis(later), kYellow), Memo(730, 10, 200, 150, Sjis(held), kMagenta)});
  ASSERT_TRUE(Start(4));
  HWND memos[4] = {MemoAt(10, 10), MemoAt(250, 10), MemoAt(490, 10), MemoAt(730, 10)};
  for (HWND m : memos) ASSERT_NE(m, nullptr);

  // One message per unreadable path (held.bmp shows in two memos), one for
  // the missing file; they come one at a time, in no set order.
  std::vector<Dialog> unreadable, missing;
  while (unreadable.size() + missing.size() < 3) {
    Dialog found;
    ASSERT_TRUE(Wait([&] {
      for (const Dialog& d : Dialogs())
        if (d.text.rfind(Widen(kUnreadable), 0) == 0 || d.text == Widen(kMissing)) return (found = d), true;
      return false;
    }, "message " + std::to_string(unreadable.size() + missing.size() + 1)));
    (found.text == Widen(kMissing) ? missing : unreadable).push_back(found);
    ASSERT_TRUE(Press(found, IDOK));
    ASSERT_TRUE(Wait([&] { return !IsWindow(found.hwnd); }, "the message to close"));
  }
  ASSERT_EQ(unreadable.size(), 2u);
  std::set<std::wstring> named;
  for (const Dialog& d : unreadable) {
    named.insert(d.text.substr(d.text.find(L'\n') + 1));
    EXPECT_NE(std::find(std::begin(memos), std::end(memos), d.owner), std::end(memos)) << "owned by a memo";
  }
  EXPECT_EQ(named, (std::set<std::wstring>{held, later}));
  EXPECT_EQ(missing.size(), 1u);
  EXPECT_FALSE(Within([&] { return !Dialogs().empty(); }, 1000)) << "a path told twice";

  EXPECT_TRUE(WaitFilled(memos[0], kGreen, "the unreadable picture's memo in its colour"));
  EXPECT_TRUE(WaitFilled(memos[3], kMagenta, "the second memo of that picture in its colour"));
  EXPECT_TRUE(WaitFilled(memos[1], kBlue, "the missing picture's memo in its colour"));
  EXPECT_EQ(Back(0), Sjis(held));
  EXPECT_EQ(Back(3), Sjis(held));
  EXPECT_EQ(Back(1), "1");

  // Painted again while still unreadable: the colour, no second message, the path kept.
  InvalidateRect(memos[0], nullptr, TRUE);
  EXPECT_TRUE(WaitFilled(memos[0], kGreen, "the repainted memo in its colour"));
  EXPECT_FALSE(Within([&] { return !Dialogs().empty(); }, 1000)) << "told again at a repaint";
  EXPECT_EQ(Back(0), Sjis(held));

  // The file becomes a picture: the next paint shows it.
  ASSERT_TRUE(Rewrite(later, FourColours({kRed, kGreen, kBlue, kYellow})));
  InvalidateRect(memos[2], nullptr, TRUE);
  EXPECT_TRUE(WaitQuadrants(memos[2], {kRed, kGreen, kBlue, kYellow}, "the picture once it can be read"));

  ASSERT_TRUE(Exit());
  const dz::IniDocument cat = Category();
  EXPECT_EQ(Get(cat, "ChildWindow", "0Back"), Sjis(held));
  EXPECT_EQ(Get(cat, "ChildWindow", "1Back"), "1");
  EXPECT_EQ(Get(cat, "ChildWindow", "2Back"), Sjis(later));
  EXPECT_EQ(Get(cat, "ChildWindow", "3Back"), Sjis(held));
}

// Two memos show one file, a third its own; each is made at its memo's
// size, again after a resize, and again when the shared file is replaced.
// The third is a photo: in a memo an eighth of its size it is read at an
// eighth, in a larger one whole.
TEST_F(BackgroundPicture, SharedAndOwnPicturesShowAtStartAfterAResizeAndWhenReplaced) {
  std::string source = __FILE__, photo;
  source = source.substr(0, source.find_last_of("/\\") + 1) + "four_colours.jpg";  // 800 x 608
  ASSERT_TRUE(ReadBytes(DosPath(source), &photo));
  const std::wstring shared = Path("shared.bmp"), own = Path("own.jpg");
  ASSERT_TRUE(WriteBytes(shared, FourColours({kRed, kGreen, kBlue, kYellow})));
  ASSERT_TRUE(WriteBytes(own, photo));
  WriteCategory({Memo(10, 10, 200, 150, Sjis(shared)), Memo(400, 10, 120, 90, Sjis(shared)),
                 Memo(600, 10, 100, 76, Sjis(own))});
  ASSERT_TRUE(Start(3));
  HWND a = MemoAt(10, 10), b = MemoAt(400, 10), c = MemoAt(600, 10);
  ASSERT_TRUE(a && b && c);
  ASSERT_TRUE(WaitQuadrants(a, {kRed, kGreen, kBlue, kYellow}, "the shared picture over 200 x 150"));
  ASSERT_TRUE(WaitQuadrants(b, {kRed, kGreen, kBlue, kYellow}, "the shared picture over 120 x 90"));
  ASSERT_TRUE(WaitQuadrants(c, {kRed, kGreen, kBlue, kYellow}, "the memo's own photo over 100 x 76"));
  // Enlarged smoothly: between the red and the green quarter the colours blend.
  const Image img = CaptureClient(a);
  bool blended = false;
  for (int x = 0; x < img.width(); ++x) {
    const COLORREF p = img.At(x, img.height() / 4);
    if (!NearColor(p, kRed, 40) && !NearColor(p, kGreen, 40)) blended = true;
  }
  EXPECT_TRUE(blended) << "the enlarged picture shows blocks, no blend between its pixels";

  ASSERT_TRUE(SetWindowPos(a, nullptr, 0, 0, 320, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(SetWindowPos(c, nullptr, 0, 0, 90, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_TRUE(WaitQuadrants(a, {kRed, kGreen, kBlue, kYellow}, "the shared picture over 320 x 90"));
  EXPECT_TRUE(WaitQuadrants(c, {kRed, kGreen, kBlue, kYellow}, "the own photo over 90 x 200"));
  EXPECT_TRUE(WaitQuadrants(b, {kRed, kGreen, kBlue, kYellow}, "the other sharer, unchanged"));

  // Replaced with a longer file: both sharers show it at their next paint.
  ASSERT_TRUE(Rewrite(shared, Bmp(4, 4, [](int x, int y) { return x < 2 ? (y < 2 ? kBlue : kRed) : (y < 2 ? kYellow : kGreen); })));
  InvalidateRect(a, nullptr, FALSE);
  InvalidateRect(b, nullptr, FALSE);
  EXPECT_TRUE(WaitQuadrants(a, {kBlue, kYellow, kRed, kGreen}, "the replaced picture in the first sharer"));
  EXPECT_TRUE(WaitQuadrants(b, {kBlue, kYellow, kRed, kGreen}, "the replaced picture in the second sharer"));
  EXPECT_TRUE(WaitQuadrants(c, {kRed, kGreen, kBlue, kYellow}, "the own photo, unchanged"));
  EXPECT_TRUE(NoDialogs("after the pictures"));
}

// A small file that declares a picture of 400 megapixels: the program stays
// answering, says once that it is too large and keeps the user's choice.
TEST_F(BackgroundPicture, PictureDeclaringAHugeSizeIsNotDecodedAndTheProgramKeepsAnswering) {
  const std::wstring bomb = Path("huge.png"), photo = Path("photo.bmp");
  ASSERT_TRUE(MakePng(bomb, 20000, 20000));
  std::string bytes;
  ASSERT_TRUE(ReadBytes(bomb, &bytes));
  EXPECT_LT(bytes.size(), 4u << 20) << "the test picture is meant to be small on disk";
  ASSERT_TRUE(WriteBytes(photo, FourColours({kRed, kGreen, kBlue, kYellow})));
  WriteCategory({Memo(10, 10, 200, 150, Sjis(bomb), kBlue), Memo(250, 10, 200, 150, Sjis(bomb), kGreen),
                 Memo(490, 10, 200, 150, Sjis(photo))});
  ASSERT_TRUE(Start(3));
  HWND memos[3] = {MemoAt(10, 10), MemoAt(250, 10), MemoAt(490, 10)};
  for (HWND m : memos) ASSERT_NE(m, nullptr);

  // Asked at every poll whether it answers within two seconds, until the
  // message comes and the pictures are in place.
  int asked = 0, unanswered = 0;
  auto answers = [&] {
    ++asked;
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r)) ++unanswered;
    return true;
  };
  Dialog told;
  ASSERT_TRUE(Wait([&] {
    answers();
    for (const Dialog& d : Dialogs())
      if (d.text.rfind(Widen(kTooLarge), 0) == 0) return (told = d), true;
    return false;
  }, "the message that the picture is too large", 30000));
  EXPECT_EQ(told.text.substr(told.text.find(L'\n') + 1), bomb);
  ASSERT_TRUE(Press(told, IDOK));
  std::string why;
  EXPECT_TRUE(Wait([&] { return answers() && ShowsQuadrants(CaptureClient(memos[2]), {kRed, kGreen, kBlue, kYellow}, &why); },
                   "the other memo's picture"));
  EXPECT_TRUE(WaitFilled(memos[0], kBlue, "the first memo in its colour"));
  EXPECT_TRUE(WaitFilled(memos[1], kGreen, "the second memo in its colour"));
  // Painted again: looked at again, still answering, not told again.
  InvalidateRect(memos[0], nullptr, TRUE);
  InvalidateRect(memos[1], nullptr, TRUE);
  EXPECT_FALSE(Within([&] { answers(); return !Dialogs().empty(); }, 2000)) << "told twice";
  EXPECT_EQ(unanswered, 0) << "of " << asked << " questions";
  EXPECT_GT(asked, 2);
  EXPECT_EQ(Back(0), Sjis(bomb));
  EXPECT_EQ(Back(1), Sjis(bomb));
  ASSERT_TRUE(Exit());
  EXPECT_EQ(Get(Category(), "ChildWindow", "0Back"), Sjis(bomb));
}

TEST_F(BackgroundPicture, SavedInEachOfTheFiveFormats) {
  const std::wstring picture = Path("source.bmp");
  ASSERT_TRUE(WriteBytes(picture, FourColours({kRed, kGreen, kBlue, kYellow})));
  WriteCategory({Memo(200, 200, 100, 100, Sjis(picture)), Memo(400, 200, 100, 100, "1", kRed)});
  ASSERT_TRUE(Start(2));
  HWND memo = MemoAt(200, 200), other = MemoAt(400, 200);
  ASSERT_TRUE(memo && other);

  const std::pair<const char*, std::string> formats[] = {{"out.bmp", "BM"}, {"out.jpg", "\xFF\xD8\xFF"},
                                                         {"out.gif", "GIF8"}, {"out.tif", std::string("II*\0", 4)},
                                                         {"out.png", kPngMagic}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(formats[i].first);
    const std::wstring out = Path(formats[i].first);
    PostCommand(memo, kSavePicture);
    ASSERT_TRUE(SaveAs(i + 1, out));
    std::string bytes;
    ASSERT_TRUE(Wait([&] { return ReadBytes(out, &bytes) && bytes.size() > 8; }, "the saved file"));
    EXPECT_EQ(bytes.substr(0, formats[i].second.size()), formats[i].second) << "not the chosen format";
  }
  EXPECT_EQ(Back(0), Sjis(picture));
  // The saved PNG holds the picture: as a background it looks the same.
  PostCommand(other, kPictureFile);
  ASSERT_TRUE(ChooseFile("画像ファイル読み込み", Path("out.png")));
  EXPECT_TRUE(WaitQuadrants(other, {kRed, kGreen, kBlue, kYellow}, "the saved PNG as a background"));

  // Without a picture there is nothing to save.
  SendCommand(memo, kTransparent);
  PostCommand(memo, kSavePicture);
  EXPECT_TRUE(ConfirmMessage(
      "元の画像ファイルが存在しないか壊れています。もしくは、背景が画像以外のものです。"));
  EXPECT_TRUE(NoDialogs("after the message"));
}

using BackgroundClipboard = BackgroundTest;

// Puts a bitmap on the clipboard, as a picture program does.
bool PutClipboardBitmap(int w, int h, const std::function<COLORREF(int, int)>& pixel) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetPixel(mem, x, y, pixel(x, y));
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  const bool ok = OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_BITMAP, bmp);
  CloseClipboard();
  if (!ok) DeleteObject(bmp);
  return ok;
}

// The clipboard's bitmap; empty when there is none.
Image ClipboardBitmap() {
  Image img;
  if (!OpenClipboard(nullptr)) return img;
  if (HBITMAP bmp = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP info{};
    GetObjectW(bmp, sizeof info, &info);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof bi.bmiHeader, info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bmp, 0, info.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    img = Image(info.bmWidth, info.bmHeight);
    for (int y = 0; y < info.bmHeight; ++y)
      for (int x = 0; x < info.bmWidth; ++x) {
        const DWORD p = px[static_cast<size_t>(y) * info.bmWidth + x];
        img.Put(x, y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
      }
  }
  CloseClipboard();
  return img;
}

TEST_F(BackgroundClipboard, PictureIsSavedAsBitNPngInTheCategoryFolder) {
  // The default category has no folder of its own yet.
  WriteCategory({Memo(100, 100, 100, 100, "1", kMagenta), Memo(300, 100, 160, 120, "1", kMagenta)});
  ASSERT_TRUE(Start(2));
  HWND memo = MemoAt(300, 100);
  ASSERT_NE(memo, nullptr);

  ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard());
  CloseClipboard();
  PostCommand(memo, kClipboardPicture);
  ASSERT_TRUE(ConfirmMessage("クリップボードの画像が対応してない形式か存在しません。"));

  ASSERT_TRUE(PutClipboardBitmap(8, 8, [](int x, int y) { return y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? kBlue : kYellow); }));
  PostCommand(memo, kClipboardPicture);
  const std::wstring saved = Path("data\\data1\\Bit1.png");
  ASSERT_TRUE(WaitStored(1, Sjis(saved), "Back"));
  std::string bytes;
  ASSERT_TRUE(ReadBytes(saved, &bytes));
  EXPECT_EQ(bytes.substr(0, 8), kPngMagic);
  EXPECT_TRUE(WaitQuadrants(memo, {kRed, kGreen, kBlue, kYellow}, "the clipboard picture as the background"));

  // Memo 0 shows Bit1.png too, as a memo renumbered from 1 to 0 does: the
  // next picture of memo 1 goes into a file of its own.
  ChangeLikeSync("data\\data1.dat", [&](dz::IniDocument& d) { d.Set("ChildWindow", "0Back", Sjis(saved)); });
  ASSERT_TRUE(WaitQuadrants(MemoAt(100, 100), {kRed, kGreen, kBlue, kYellow}, "memo 0 showing Bit1.png"));
  ASSERT_TRUE(PutClipboardBitmap(8, 8, [](int, int) { return kBlue; }));
  PostCommand(memo, kClipboardPicture);
  const std::wstring own = Path("data\\data1\\Bit1-2.png");
  ASSERT_TRUE(WaitStored(1, Sjis(own), "Back"));
  std::string kept;
  ASSERT_TRUE(ReadBytes(saved, &kept));
  EXPECT_EQ(kept, bytes) << "memo 0's picture was written over";

  // Where the folder cannot be made (a file has its name) the user is told
  // and the background stays as it was.
  SendCommand(memo, kTransparent);
  ChangeLikeSync("data\\data1.dat", [&](dz::IniDocument& d) { d.Set("ChildWindow", "0Back", "1"); });
  ASSERT_TRUE(WaitPixel(MemoAt(100, 100), 50, 50, kMagenta, "memo 0 solid again"));
  ASSERT_TRUE(DeleteFileW(saved.c_str()) && DeleteFileW(own.c_str()) && RemoveDirectoryW(Path("data\\data1").c_str()));
  ASSERT_TRUE(WriteBytes(Path("data\\data1"), "a file, not a folder"));
  PostCommand(MemoAt(100, 100), kClipboardPicture);
  EXPECT_TRUE(ConfirmMessage("クリップボードの画像を保存できませんでした。"));
  EXPECT_EQ(Back(0), "1");
}

TEST_F(BackgroundClipboard, MemoIsCopiedAsABitmapAfterTheWarning) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", 1);
  AddMemoKeys(ini, 0, Memo(300, 300, 140, 100, "2"));
  ini.Memo(0, "Color2", static_cast<long long>(kRed)).Memo(0, "Color3", static_cast<long long>(kBlue));
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(1));
  HWND memo = MemoAt(300, 300);
  ASSERT_NE(memo, nullptr);
  ASSERT_TRUE(WaitPixel(memo, 0, 50, kRed, "the memo's gradient"));

  const DWORD before = GetClipboardSequenceNumber();
  PostCommand(memo, kCopyBitmap);
  Dialog warning = WaitForDialog(Widen("注意"), Widen("OKボタンを押して3秒後にクリップボードに画像が転送されます。"));
  ASSERT_TRUE(warning);
  EXPECT_EQ(warning.owner, memo);
  EXPECT_EQ(GetClipboardSequenceNumber(), before) << "copied before the warning was answered";
  ASSERT_TRUE(Press(warning, IDOK));
  Dialog done = WaitForDialog(Widen("確認"), Widen("画像をクリップボードに送りました。"));
  ASSERT_TRUE(done);
  EXPECT_EQ(done.owner, memo);
  EXPECT_EQ(GetClipboardOwner(), main());
  const Image copy = ClipboardBitmap(), screen = CaptureClient(memo);
  EXPECT_TRUE(copy.SameAs(screen, 4)) << "the bitmap (" << copy.width() << "x" << copy.height() << ", left "
                                      << ColorName(copy.At(0, 50)) << ") is not what the memo shows";
  ASSERT_TRUE(Press(done, IDOK));
}

// GDI objects of another process: GetGuiResources where the system counts
// them; under Wine, whose GetGuiResources always answers 0, the used
// entries of the process's GDI handle table, found through its PEB.
std::optional<int> GdiObjects(HANDLE process) {
  if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) return static_cast<int>(n);
  using Query = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION pbi{};
  ULONG len = 0;
  unsigned long long table = 0;  // PEB.GdiSharedHandleTable of a 64-bit process
  SIZE_T got = 0;
  if (!query || query(process, 0 /* ProcessBasicInformation */, &pbi, sizeof pbi, &len) != 0 ||
      !ReadProcessMemory(process, reinterpret_cast<const char*>(pbi.PebBaseAddress) + 0xF8, &table, 8, &got) || !table)
    return std::nullopt;
  struct Entry {
    unsigned long long object;
    unsigned int owner;
    unsigned short unique;
    unsigned char type, flags;
    unsigned long long user;
  };
  std::vector<Entry> entries(0x10000);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size() * sizeof(Entry),
                         &got))
    return std::nullopt;
  return static_cast<int>(std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.type != 0; }));
}

using BackgroundResources = BackgroundTest;

TEST_F(BackgroundResources, TwoHundredRepaintsOfEveryKindKeepGdiObjectsFlat) {
  // A picture larger than the screen, a gradient, a solid and a transparent memo.
  const std::wstring big = Path("big.bmp");
  ASSERT_TRUE(WriteBytes(big, Bmp(1600, 1200, [](int x, int y) { return x < 800 ? (y < 600 ? kRed : kBlue) : kGreen; })));
  IniText ini;
  ini.Section("ChildWindow").Set("No", 4);
  AddMemoKeys(ini, 0, Memo(100, 100, 200, 150, Sjis(big)));
  AddMemoKeys(ini, 1, Memo(350, 100, 200, 150, "2"));
  ini.Memo(1, "Color2", static_cast<long long>(kRed)).Memo(1, "Color3", static_cast<long long>(kBlue));
  AddMemoKeys(ini, 2, Memo(600, 100, 200, 150, "1", kYellow));
  AddMemoKeys(ini, 3, Memo(850, 100, 200, 150, "3"));
  WriteCategory("data1", ini.bytes());
  ASSERT_TRUE(Start(4));
  const HWND memos[] = {MemoAt(100, 100), MemoAt(350, 100), MemoAt(600, 100), MemoAt(850, 100)};
  for (HWND m : memos) ASSERT_NE(m, nullptr);
  ASSERT_TRUE(WaitQuadrants(memos[0], {kRed, kGreen, kBlue, kGreen}, "the large picture scaled into the memo"));

  // Invalidated, then painted: the update region is empty again once the
  // paint has validated it.
  auto repaintAll = [&] {
    for (HWND m : memos) InvalidateRect(m, nullptr, TRUE);
    return Wait([&] { return std::none_of(std::begin(memos), std::end(memos), [](HWND m) { return GetUpdateRect(m, nullptr, FALSE) != FALSE; }); },
                "every memo to repaint");
  };
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(repaintAll());
  const std::optional<int> before = GdiObjects(process());
  if (!before) GTEST_SKIP() << "no way to count the program's GDI objects here";
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(repaintAll()) << "repaint " << i;
  const std::optional<int> after = GdiObjects(process());
  ASSERT_TRUE(after);
  // A paint that kept one object would add 800.
  EXPECT_LE(*after, *before + 4) << "GDI objects before and after 200 repaints of 4 memos";
  printf("[ measured ] GDI objects: %d before, %d after 200 repaints of 4 memos\n", *before, *after);
}

}  // namespace
}  // namespace e2e
