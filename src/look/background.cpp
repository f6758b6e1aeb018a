// The background commands of the memo menu, saving a memo's picture in
// another format, and the memo copied to the clipboard as a bitmap.
#include "look/background.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/keys.h"
#include "core/memo_sync.h"
#include "core/number.h"
#include "core/picture_rules.h"
#include "look/look.h"
#include "look/picture.h"
#include "memo/memo_table.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "text/clipboard.h"
#include "win/common_dialogs.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kNoClipboardPicture[] = "クリップボードの画像が対応してない形式か存在しません。";
constexpr char kClipboardPictureNotSaved[] = "クリップボードの画像を保存できませんでした。";
constexpr char kNoSourcePicture[] =
    "元の画像ファイルが存在しないか壊れています。もしくは、背景が画像以外のものです。";
constexpr char kPictureNotSaved[] = "画像ファイルを保存できませんでした。";
constexpr char kCopyWarning[] = "OKボタンを押して3秒後にクリップボードに画像が転送されます。";
constexpr char kCopied[] = "画像をクリップボードに送りました。";
constexpr char kNotCopied[] = "画像をクリップボードに送れませんでした。";
constexpr UINT kCopyDelayMs = 3000;

// Writes memo n's "%dBack" and repaints the memo; a value that could not be
// stored is reported and the memo keeps showing what is stored.
void StoreBack(HWND memo, int n, const std::string& value) {
  if (!CategoryFile().Write(kSecMemos, MemoKey(n, "Back"), value)) {
    Tell(kSettingsNotStored);
    return;
  }
  InvalidateRect(memo, nullptr, TRUE);
}

// Creates dir and its parent ("<base>\data\<category>") when missing.
bool EnsureFolder(const std::wstring& dir) {
  const size_t cut = dir.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut > 0) CreateDirectoryW(dir.substr(0, cut).c_str(), nullptr);
  CreateDirectoryW(dir.c_str(), nullptr);
  const DWORD attrs = GetFileAttributesW(dir.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The clipboard's bitmap (with its palette, if any) as a GDI+ bitmap of
// its own; null when there is none.
GdipBitmap ClipboardPicture() {
  if (!OpenClipboardPatiently()) return nullptr;
  GdipBitmap picture;
  if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    HPALETTE palette = IsClipboardFormatAvailable(CF_PALETTE) ? static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))
                                                              : nullptr;
    Gdiplus::GpBitmap* raw = nullptr;
    if (gdip::GdipCreateBitmapFromHBITMAP(bitmap, palette, &raw) == Gdiplus::Ok) picture.reset(raw);
  }
  CloseClipboard();
  return picture;
}

// The memo's client area as the screen shows it now, put on the clipboard
// as a bitmap owned by the main window.
bool CopyMemoBitmap(HWND memo) {
  RECT rc;
  GetClientRect(memo, &rc);
  const int w = rc.right, h = rc.bottom;
  if (w <= 0 || h <= 0) return false;
  HDC windowDc = GetDC(memo);
  if (!windowDc) return false;
  HDC memDc = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = memDc ? CreateCompatibleBitmap(windowDc, w, h) : nullptr;
  bool copied = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memDc, bitmap);
    copied = StretchBlt(memDc, 0, 0, w, h, windowDc, 0, 0, w, h, SRCCOPY) != FALSE;
    SelectObject(memDc, old);
  }
  if (memDc) DeleteDC(memDc);
  ReleaseDC(memo, windowDc);
  if (!copied || !OpenClipboardPatiently()) {
    if (bitmap) DeleteObject(bitmap);
    return false;
  }
  EmptyClipboard();
  // Once set, the bitmap belongs to the clipboard; only a refused one is ours.
  const bool put = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  if (!put) DeleteObject(bitmap);
  CloseClipboard();
  return put;
}

}  // namespace

COLORREF ChooseColour(HWND owner, COLORREF initial) {
  MemoTable& table = Memos();
  COLORREF custom[kCustomColors];
  std::copy(std::begin(table.custColors), std::end(table.custColors), custom);
  CHOOSECOLORW cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = initial;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  // Some colour dialogs change rgbResult while the user tries colours,
  // even when they cancel afterwards.
  const bool chosen = ColourDialog(&cc);
  std::copy(std::begin(custom), std::end(custom), table.custColors);
  return chosen ? cc.rgbResult : initial;
}

void OnBackTransparent(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n >= 0) StoreBack(memo, n, "3");
}

void OnBackSolid(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  const COLORREF initial = static_cast<COLORREF>(CategoryFile().ReadInt(kSecMemos, MemoKey(n, "Color1"), 0));
  const COLORREF colour = ChooseColour(memo, initial);
  n = MemoNumberAfterDialog(memo);
  if (n < 0) return;
  SettingsFile& cat = CategoryFile();
  cat.BeginBatch();
  cat.WriteInt(kSecMemos, MemoKey(n, "Color1"), static_cast<int32_t>(colour));
  cat.Write(kSecMemos, MemoKey(n, "Back"), "1");
  if (!cat.EndBatch()) {
    Tell(kSettingsNotStored);
    return;
  }
  InvalidateRect(memo, nullptr, TRUE);
}

void OnBackPictureFile(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = TheProcess().main;
  ofn.lpstrFilter =
      L"All Pintures(bmp,jpg,gif,tif,png,ico,emf)\0*.dib;*.emf;*.ico;*.bmp;*.jpg;*.jpeg;*.gif;*.tif;*.tiff;*.png\0"
      L"All Files(*.*)\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"bmp";
  const std::wstring title = WidenUtf8("画像ファイル読み込み");
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!OpenFileDialog(&ofn)) return;
  const int n = MemoNumberAfterDialog(memo);
  if (n < 0) return;
  std::optional<std::string> stored = StorablePath(file);
  if (!stored) {
    Tell(kBadPicturePath);
    return;
  }
  StoreBack(memo, n, *stored);
}

namespace {
// The pictures the category's memos other than n, and those kept in its
// bin, show: none of them is written over by n's clipboard picture.
std::vector<std::string> PicturesInUse(int n) {
  std::vector<std::string> paths;
  auto collect = [&](SettingsFile& file, int except) {
    for (const auto& [key, value] : file.Entries(kSecMemos)) {
      int k = 0;
      std::string_view prop;
      if (SplitMemoKey(key, &k, &prop) && k != except && prop == "Back") paths.push_back(value);
    }
  };
  collect(CategoryFile(), n);
  collect(BinFile(), -1);
  return paths;
}
}  // namespace

void OnBackClipboard(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  GdipBitmap picture = IsClipboardFormatAvailable(CF_BITMAP) ? ClipboardPicture() : nullptr;
  if (!picture) {
    Tell(kNoClipboardPicture);
    return;
  }
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  // The default category has no folder of its own until something needs it.
  const std::wstring dir = CategoryDirectory(CurrentCategory());
  const std::optional<std::string> storedDir = StorablePath(dir);
  if (!storedDir) {
    Tell(kBadPicturePath);
    return;
  }
  const std::wstring path = dir + L"\\" + Widen(ClipboardPictureName(*storedDir, n, PicturesInUse(n)));
  if (!EnsureFolder(dir) || !SavePicture(picture.get(), path, L"image/png")) {
    Tell(kClipboardPictureNotSaved);
    return;
  }
  std::optional<std::string> stored = StorablePath(path);
  if (!stored) {
    Tell(kBadPicturePath);
    return;
  }
  StoreBack(memo, n, *stored);
}

void OnSaveBackPicture(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  const std::string back = CategoryFile().Read(kSecMemos, MemoKey(n, "Back"), "3");
  const int32_t kind = ParseInt(back);
  const std::wstring source = Widen(back);
  if (kind == kBackSolid || kind == kBackGradient || kind == kBackTransparent || !IsFile(source)) {
    Tell(kNoSourcePicture);
    return;
  }
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = memo;
  ofn.lpstrFilter =
      L"BitmapFile(*.bmp,*.dib)\0*.bmp;*.dib\0JPG File(*.jpg,*.jpeg)\0*.jpg;*.jpeg\0GIF File(*.gif)\0*.gif\0"
      L"TIFF File(*.tif,*.tiff)\0*.tif;*.tiff\0PNG File(*.png)\0*.png\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"bmp";
  const std::wstring title = WidenUtf8("画像ファイルの保存");
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!SaveFileDialog(&ofn)) return;

  static const wchar_t* const kMimeTypes[] = {L"image/bmp", L"image/jpeg", L"image/gif", L"image/tiff",
                                              L"image/png"};
  const DWORD index = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= 5 ? ofn.nFilterIndex : 1;
  // Read into memory first: the picture may be saved over its own file.
  GdipBitmap picture = ReadPicture(source);
  if (!picture) {
    Tell(kNoSourcePicture);
    return;
  }
  if (!SavePicture(picture.get(), file, kMimeTypes[index - 1])) Tell(kPictureNotSaved);
}

void OnCopyMemoBitmap(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  MessageBoxJ(memo, kCopyWarning, "注意", MB_OK | MB_ICONHAND);
  SetTimer(memo, IDT_BITMAP_COPY, kCopyDelayMs, nullptr);
  // Where the warning covered the memo, it paints again before the copy.
  InvalidateRect(memo, nullptr, FALSE);
}

void OnBitmapTimer(HWND memo) {
  KillTimer(memo, IDT_BITMAP_COPY);
  if (CopyMemoBitmap(memo)) {
    MessageBoxJ(memo, kCopied, "確認", MB_OK);
  } else {
    MessageBoxJ(memo, kNotCopied, nullptr, MB_OK);
  }
}

}  // namespace dz
