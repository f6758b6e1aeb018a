// Picture backgrounds: the picture of each memo is read once and kept in its
// record until the file changes; missing pictures are reported after the
// paint that found them.
#include "look/picture.h"

#include <algorithm>
#include <cwchar>
#include <deque>
#include <vector>

#include "core/keys.h"
#include "look/background.h"
#include "look/look.h"
#include "look/paint.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kNoPicture[] = "画像ファイルのパスに画像がありません。";
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Notice {
  HWND memo;
  const char* text;
};
std::deque<Notice>& PendingNotices() {
  static std::deque<Notice> pending;
  return pending;
}
bool g_showingNotice = false;

// What GetFileAttributesExW tells of path: whether it is a file, its size
// and last write.
struct FileIdentity {
  bool exists = false;
  uint64_t size = 0;
  uint64_t written = 0;
};
FileIdentity IdentityOf(const std::wstring& path) {
  FileIdentity id;
  WIN32_FILE_ATTRIBUTE_DATA fad;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &fad)) return id;
  if (fad.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return id;
  id.exists = true;
  id.size = (static_cast<uint64_t>(fad.nFileSizeHigh) << 32) | fad.nFileSizeLow;
  id.written = (static_cast<uint64_t>(fad.ftLastWriteTime.dwHighDateTime) << 32) | fad.ftLastWriteTime.dwLowDateTime;
  return id;
}

// Brings a memo's cached picture up to date with the file at path.
void RefreshPicture(PictureCache& cache, const std::wstring& path) {
  const FileIdentity id = IdentityOf(path);
  const bool same = cache.path == path && cache.exists == id.exists && cache.size == id.size &&
                    cache.written == id.written;
  if (same && (cache.bitmap || cache.reported)) return;
  cache.path = path;
  cache.exists = id.exists;
  cache.size = id.size;
  cache.written = id.written;
  cache.reported = false;
  cache.shown.reset();
  cache.bitmap.reset();
  if (!id.exists) return;
  // Nothing larger than the screen can be seen at once.
  const int screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  cache.bitmap = ReadPicture(path, static_cast<UINT>(std::max(screenW, 1)), static_cast<UINT>(std::max(screenH, 1)));
}

void DrawStretched(HDC dc, Gdiplus::GpBitmap* bitmap, const RECT& client) {
  GdipGraphics g = GraphicsOn(dc);
  UINT w = 0, h = 0;
  if (!g || gdip::GdipGetImageWidth(bitmap, &w) != Gdiplus::Ok || gdip::GdipGetImageHeight(bitmap, &h) != Gdiplus::Ok)
    return;
  // Enlarged, each pixel of the picture becomes a sharp block: smoothing
  // blurs a small picture into one blend of its colours.
  if (static_cast<UINT>(client.right) > w || static_cast<UINT>(client.bottom) > h)
    gdip::GdipSetInterpolationMode(g.get(), Gdiplus::InterpolationModeNearestNeighbor);
  DrawStretchedImage(g.get(), bitmap, w, h, client.right, client.bottom);
}

// Makes the cached picture's rendition at the client size, unless it has
// one already. Stretching a picture takes far longer than copying it, and
// every memo repaints at least once a minute.
bool MakeShown(HDC dc, PictureCache& cache, const RECT& client) {
  if (cache.shown && cache.shownWidth == client.right && cache.shownHeight == client.bottom) return true;
  cache.shown.reset();
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (!bitmap) return false;
  cache.shown.reset(bitmap);
  HDC mem = CreateCompatibleDC(dc);
  if (!mem) {
    cache.shown.reset();
    return false;
  }
  HGDIOBJ old = SelectObject(mem, bitmap);
  // Transparent parts of a picture show white.
  PaintSolid(mem, client, kWhite);
  DrawStretched(mem, cache.bitmap.get(), client);
  SelectObject(mem, old);
  DeleteDC(mem);
  cache.shownWidth = client.right;
  cache.shownHeight = client.bottom;
  return true;
}

void PaintCachedPicture(HDC dc, PictureCache& cache, const RECT& client) {
  if (client.right <= 0 || client.bottom <= 0) return;
  HDC mem = MakeShown(dc, cache, client) ? CreateCompatibleDC(dc) : nullptr;
  if (!mem) {
    PaintSolid(dc, client, kWhite);
    DrawStretched(dc, cache.bitmap.get(), client);
    return;
  }
  HGDIOBJ old = SelectObject(mem, cache.shown.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

}  // namespace

bool IsFile(const std::wstring& path) { return IdentityOf(path).exists; }

GdipBitmap ReadPicture(const std::wstring& path, UINT maxWidth, UINT maxHeight) {
  Gdiplus::GpImage* raw = nullptr;
  if (gdip::GdipLoadImageFromFile(path.c_str(), &raw) != Gdiplus::Ok) return nullptr;
  GdipImage image(raw);
  UINT w = 0, h = 0;
  if (gdip::GdipGetImageWidth(image.get(), &w) != Gdiplus::Ok ||
      gdip::GdipGetImageHeight(image.get(), &h) != Gdiplus::Ok || w == 0 || h == 0)
    return nullptr;
  const UINT tw = std::min(w, maxWidth), th = std::min(h, maxHeight);
  if (tw > INT_MAX || th > INT_MAX) return nullptr;
  Gdiplus::GpBitmap* copyRaw = nullptr;
  if (gdip::GdipCreateBitmapFromScan0(static_cast<INT>(tw), static_cast<INT>(th), 0, PixelFormat32bppPARGB, nullptr,
                                      &copyRaw) != Gdiplus::Ok)
    return nullptr;
  GdipBitmap copy(copyRaw);
  Gdiplus::GpGraphics* gRaw = nullptr;
  if (gdip::GdipGetImageGraphicsContext(copy.get(), &gRaw) != Gdiplus::Ok) return nullptr;
  GdipGraphics g(gRaw);
  const bool scaled = tw != w || th != h;
  gdip::GdipSetInterpolationMode(g.get(), scaled ? Gdiplus::InterpolationModeHighQualityBicubic
                                                 : Gdiplus::InterpolationModeNearestNeighbor);
  gdip::GdipSetCompositingMode(g.get(), Gdiplus::CompositingModeSourceCopy);
  if (!DrawStretchedImage(g.get(), image.get(), w, h, static_cast<INT>(tw), static_cast<INT>(th))) return nullptr;
  return copy;
}

std::optional<CLSID> FindEncoder(const wchar_t* mimeType) {
  UINT count = 0, bytes = 0;
  if (gdip::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0 || bytes == 0) return std::nullopt;
  // The records are followed by the strings they point to: one block.
  std::vector<Gdiplus::ImageCodecInfo> block((bytes + sizeof(Gdiplus::ImageCodecInfo) - 1) /
                                             sizeof(Gdiplus::ImageCodecInfo));
  if (gdip::GdipGetImageEncoders(count, bytes, block.data()) != Gdiplus::Ok) return std::nullopt;
  for (UINT i = 0; i < count; ++i) {
    if (block[i].MimeType && std::wcscmp(block[i].MimeType, mimeType) == 0) return block[i].Clsid;
  }
  return std::nullopt;
}

bool SavePicture(Gdiplus::GpBitmap* bitmap, const std::wstring& path, const wchar_t* mimeType) {
  std::optional<CLSID> encoder = FindEncoder(mimeType);
  if (!bitmap || !encoder) return false;
  return gdip::GdipSaveImageToFile(bitmap, path.c_str(), &*encoder, nullptr) == Gdiplus::Ok;
}

void QueueNotice(HWND memo, const char* utf8Text) {
  for (const Notice& n : PendingNotices()) {
    if (n.memo == memo && n.text == utf8Text) return;
  }
  PendingNotices().push_back(Notice{memo, utf8Text});
  PostMessageW(memo, kPictureNoticeMessage, 0, 0);
}

void OnPictureNotice() {
  // Each queued notice posted a message; those that arrive while a notice
  // is open find it showing and leave the rest of the queue to it.
  if (g_showingNotice) return;
  g_showingNotice = true;
  while (!PendingNotices().empty()) {
    const Notice n = PendingNotices().front();
    PendingNotices().pop_front();
    if (IsWindow(n.memo)) MessageBoxJ(n.memo, n.text, nullptr, MB_OK);
  }
  g_showingNotice = false;
}

void PaintPicture(HDC dc, const std::string& path, HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  RECT client;
  GetClientRect(memo, &client);
  PictureCache& cache = Memos()[n].picture;
  RefreshPicture(cache, Widen(path));
  if (cache.bitmap) {
    PaintCachedPicture(dc, cache, client);
    return;
  }
  if (cache.reported) {
    PaintSolid(dc, client, kWhite);
    return;
  }
  // No message box here: it would run a message loop inside the paint.
  // The memo becomes its solid colour now, and the user is told once the
  // paint is over.
  SettingsFile& cat = CategoryFile();
  if (cat.Write(kSecMemos, MemoKey(n, "Back"), "1")) {
    PaintSolid(dc, client, static_cast<COLORREF>(cat.ReadInt(kSecMemos, MemoKey(n, "Color1"), 0)));
    // Chosen again later, the same path is looked at afresh.
    cache = PictureCache{};
    QueueNotice(memo, kNoPicture);
  } else {
    // The file still names the picture: the memo shows what a picture that
    // cannot be drawn shows, and says so once.
    cache.reported = true;
    PaintSolid(dc, client, kWhite);
    QueueNotice(memo, kNoPicture);
    QueueNotice(memo, kSettingsNotStored);
  }
}

}  // namespace dz
