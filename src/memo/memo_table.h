#pragma once
// The memo table: what the program keeps in memory about the memos of the
// current category, one record per memo. Every other memo property lives in
// the category file and is read when it is needed.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "core/limits.h"
#include "core/picture_rules.h"

namespace Gdiplus {
class GpBitmap;
}

namespace dz {

// Height of the strip a memo in browser mode shows above its browser.
inline constexpr int kCaptionStripHeight = 16;

struct GdiplusBitmapRelease {
  void operator()(Gdiplus::GpBitmap* bitmap) const;
};
struct GdiBitmapRelease {
  void operator()(HBITMAP bitmap) const {
    if (bitmap) DeleteObject(bitmap);
  }
};

// A memo's background picture: its copy at the memo's size, made from the
// file by the picture worker (look/picture_worker.h), and the request that
// is being decoded for it.
struct PictureCache {
  // The file was found missing and the memo could not be switched to its
  // solid colour: the user has been told, so the same failure is not
  // reported at every paint.
  bool reported = false;
  // The picture stretched over a client area of shownSize, made from the
  // file as shownKey names it: a paint at that size only copies it.
  std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiBitmapRelease> shown;
  PictureKey shownKey;
  PictureSize shownSize;
  // A decode asked for and not answered yet; its answer carries the same
  // generation, which no other request of this run has.
  bool pending = false;
  uint64_t generation = 0;
  PictureKey pendingKey;
  PictureSize pendingSize;
};

struct Memo {
  HWND wnd = nullptr;
  HFONT font = nullptr;    // owned: released when replaced or when the memo goes
  HWND browser = nullptr;  // browser host inside wnd, or null
  int32_t vOffset = 0;     // text drawn this many pixels higher
  int32_t hOffset = 0;     // text drawn this many pixels further left
  PictureCache picture;    // owned: goes with the record
};

struct MemoTable {
  int count = 0;  // 0..kMaxMemos; records 0..count-1 are live memos
  // Records past count keep the offsets loaded for them: they are saved
  // back as they were read.
  Memo memo[kMaxMemos];
  uint32_t custColors[kCustomColors] = {};

  Memo& operator[](int n) { return memo[n]; }
};

MemoTable& Memos();

// Memo number whose window is wnd, or -1.
int MemoNumberFromWindow(HWND wnd);
// True while memo n hosts a live browser window.
bool InBrowserMode(int n);
// Puts font into memo n's record and releases the font it replaces.
void ReplaceMemoFont(int n, HFONT font);
// The live memo windows in number order, taken before a loop whose calls
// send messages that could change the table. A memo whose window could not
// be created has none and is left out.
std::vector<HWND> MemoWindows();
// Removes memo n from the table: later records move down one place. The
// window is left to the caller; the memo's font and picture are released.
void RemoveMemoRecord(int n);

}  // namespace dz
