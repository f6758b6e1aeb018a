// Picture backgrounds: each memo keeps its picture at its own size, made by
// the picture worker; until it comes the memo shows its solid colour.
// Missing and unreadable pictures are reported after the paint that found
// them.
#include "look/picture.h"

#include <algorithm>
#include <cwchar>
#include <deque>
#include <set>
#include <vector>

#include "core/keys.h"
#include "look/background.h"
#include "look/look.h"
#include "look/paint.h"
#include "look/picture_worker.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kNoPicture[] = "画像ファイルのパスに画像がありません。";
constexpr char kUnreadablePicture[] = "画像ファイルを読み込めませんでした。";
constexpr char kPictureTooLarge[] = "画像が大きすぎるため表示できません。";
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Notice {
  HWND memo;
  std::string text;
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

uint64_t g_lastGeneration = 0;

// Paths whose pictures could not be read this run: each is told once.
std::set<std::wstring>& ToldPaths() {
  static std::set<std::wstring> told;
  return told;
}

void CopyBitmap(HDC dc, HBITMAP bitmap, int w, int h, int fromW, int fromH) {
  HDC mem = CreateCompatibleDC(dc);
  if (!mem) return;
  HGDIOBJ old = SelectObject(mem, bitmap);
  if (w == fromW && h == fromH) {
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
  } else {
    const int mode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, w, h, mem, 0, 0, fromW, fromH, SRCCOPY);
    SetStretchBltMode(dc, mode);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

// The file at path is gone: the memo turns into its solid colour for good
// (its "%dBack" says so), and the user is told once the paint is over.
void PaintMissingPicture(HDC dc, int n, HWND memo, const RECT& client) {
  PictureCache& cache = Memos()[n].picture;
  if (cache.reported) {
    PaintSolid(dc, client, kWhite);
    return;
  }
  // No message box here: it would run a message loop inside the paint.
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

}  // namespace

bool IsFile(const std::wstring& path) { return IdentityOf(path).exists; }

GdipBitmap ReadPicture(const std::wstring& path, UINT maxWidth, UINT maxHeight) {
  if (JudgePictureFile(path) != PictureVerdict::kDecode) return nullptr;
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

void QueueNotice(HWND memo, const std::string& utf8Text) {
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
    if (IsWindow(n.memo)) MessageBoxJ(n.memo, n.text.c_str(), nullptr, MB_OK);
  }
  g_showingNotice = false;
}

void PaintPicture(HDC dc, const std::string& path, HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  RECT client;
  GetClientRect(memo, &client);
  const std::wstring wide = Widen(path);
  const FileIdentity id = IdentityOf(wide);
  if (!id.exists) {
    PaintMissingPicture(dc, n, memo, client);
    return;
  }
  PictureCache& cache = Memos()[n].picture;
  cache.reported = false;
  const PictureKey key{wide, id.written, id.size};
  const PictureSize size{static_cast<uint32_t>(std::max<LONG>(client.right, 0)),
                         static_cast<uint32_t>(std::max<LONG>(client.bottom, 0))};
  if (size.width == 0 || size.height == 0) return;
  const bool current = cache.shown && SameDecode(cache.shownKey, key);
  if (current && cache.shownSize == size) {
    CopyBitmap(dc, cache.shown.get(), client.right, client.bottom, client.right, client.bottom);
    return;
  }
  // A picture that could not be read is tried again at every paint: a
  // file being written or held by another program may be readable now.
  if (!cache.pending || !SameDecode(cache.pendingKey, key) || cache.pendingSize != size) {
    cache.pending = true;
    cache.generation = ++g_lastGeneration;
    cache.pendingKey = key;
    cache.pendingSize = size;
    RequestPicture(PictureRequest{memo, cache.generation, key, size});
  }
  // Until the new copy comes: the old one stretched (a memo being sized),
  // else the memo's solid colour.
  if (current) {
    CopyBitmap(dc, cache.shown.get(), client.right, client.bottom, static_cast<int>(cache.shownSize.width),
               static_cast<int>(cache.shownSize.height));
  } else {
    PaintSolid(dc, client, static_cast<COLORREF>(CategoryFile().ReadInt(kSecMemos, MemoKey(n, "Color1"), 0)));
  }
}

void OnPictureDecoded(std::unique_ptr<PictureResult> result) {
  const PictureRequest& r = result->request;
  const int n = MemoNumberFromWindow(r.memo);
  // A memo that changed meanwhile (sized again, another picture, gone) has
  // asked again or no longer needs it.
  if (n < 0 || !Memos()[n].picture.pending || Memos()[n].picture.generation != r.generation) return;
  PictureCache& cache = Memos()[n].picture;
  cache.pending = false;
  if (result->outcome == PictureOutcome::kReady) {
    cache.shown.reset(result->bitmap.release());
    cache.shownKey = r.key;
    cache.shownSize = r.target;
    InvalidateRect(r.memo, nullptr, FALSE);
    return;
  }
  // Not repainted: the memo shows its solid colour already, and the next
  // paint tries again.
  cache.shown.reset();
  // A file still being written when it was read, or gone since: the paint
  // its change calls for reads it again (or tells it is missing), and there
  // is nothing to tell here.
  const FileIdentity now = IdentityOf(r.key.path);
  if (!now.exists || !SameDecode(r.key, PictureKey{r.key.path, now.written, now.size})) {
    InvalidateRect(r.memo, nullptr, FALSE);
    return;
  }
  if (!ToldPaths().insert(r.key.path).second) return;
  const std::string text = result->outcome == PictureOutcome::kTooLarge ? kPictureTooLarge : kUnreadablePicture;
  QueueNotice(r.memo, text + "\n" + NarrowUtf8(r.key.path));
}

}  // namespace dz
