#pragma once
// The memo table: what the program keeps in memory about the memos of the
// current category, one record per memo. Every other memo property lives in
// the category file and is read when it is needed.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <array>
#include <vector>

#include "core/dpi.h"
#include "core/limits.h"
#include "core/memo_store.h"
#include "core/memo_sync.h"
#include "core/picture_rules.h"

namespace Gdiplus {
class GpBitmap;
}

namespace dz {

// Height of the strip a memo in browser mode shows above its browser, in
// 96-dpi units.
inline constexpr int kCaptionStripHeight = 16;
inline int CaptionStripPixels(int32_t dpi) { return ToPixels(kCaptionStripHeight, dpi); }

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
  // Offsets, font heights and the place are 96-dpi units, as stored; the
  // window shows them at dpi.
  int32_t vOffset = 0;     // text drawn this many units higher
  int32_t hOffset = 0;     // text drawn this many units further left
  // The place as last read or stored, and the window place it was shown
  // at: saved again unchanged while the window is still there, so rounding
  // never moves a memo.
  Placement place;
  Placement shown;
  int32_t dpi = kBaseDpi;  // the scale the window is shown at
  PictureCache picture;    // owned: goes with the record
  std::string id;          // the memo's identity ("%dId"): finds it in the file whatever its number
  // Identity, placement and offsets as last read from the file or written
  // to it: a save writes only what changed here since.
  MemoState read;
};

struct MemoTable {
  int count = 0;  // 0..kMaxMemos; records 0..count-1 are live memos
  // Records past count keep the offsets loaded for them: they are saved
  // back as they were read.
  Memo memo[kMaxMemos];
  uint32_t custColors[kCustomColors] = {};
  std::array<uint32_t, kCustomColors> readColors = {};  // as last read or written

  Memo& operator[](int n) { return memo[n]; }
};

MemoTable& Memos();

// Memo number whose window is wnd, or -1.
int MemoNumberFromWindow(HWND wnd);
// The scale memo window w is shown at; the window's own for any other.
int32_t DpiOfMemo(HWND w);
// Memo number of the memo with this identity, or -1.
int MemoNumberFromId(const std::string& id);
// A new identity: 128 random bits.
std::string NewMemoId();
// Brings the table in line with the category file as it is now, when
// another program changed it or this one added or removed a memo: windows
// are matched to memos by identity and created, moved or destroyed. The
// category subsystem, which loads the table, provides it. Without
// evenUnchanged it does nothing while the file is as the table last saw it.
void SetTableSync(void (*sync)(bool evenUnchanged));
void SyncTable(bool evenUnchanged = false);
// The number of wnd's memo once the table has taken in what other programs
// changed: for a command going on after a modal dialog, during which the
// table waits (the memo may have been renumbered or deleted meanwhile).
// -1 when the memo is gone.
int MemoNumberAfterDialog(HWND wnd);
// The memo an open editor lies on, when another program deleted it: kept
// out of the table, its window still shown, until the editor is done with it.
void KeepDetached(Memo&& memo);
HWND DetachedWindow();
void DropDetached();
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
