#pragma once
// The memo table: what the program keeps in memory about the memos of the
// current category. Every other memo property lives in the category file.
#include <windows.h>

#include <cstdint>

#include "core/limits.h"

namespace dz {

struct MemoTable {
  int count = 0;  // 0..kMaxMemos; entries 0..count-1 are live memos
  HWND wnd[kMaxMemos] = {};
  HFONT font[kMaxMemos] = {};
  HWND browser[kMaxMemos] = {};     // browser host, or null
  int32_t vOffset[kMaxMemos] = {};  // text drawn this many pixels higher
  int32_t hOffset[kMaxMemos] = {};  // text drawn this many pixels further left
  uint32_t custColors[kCustomColors] = {};
};

MemoTable& Memos();

// Memo number whose window is wnd, or -1.
int MemoNumberFromWindow(HWND wnd);
// Reads the current category file and creates every memo window.
void LoadMemoTable();
// Writes the current category to Memo.dat and the table and placements to
// the category file (one file replacement each).
void SaveMemoTable();
// Destroys every memo window in number order (each records its browser
// state while it still has its number), releases the fonts and empties the
// table. Used at shutdown and by a category switch.
void DestroyAllMemos();
// True while memo n hosts a live browser window.
bool InBrowserMode(int n);
// Puts font into memo n's font list entry and releases the font it replaces.
void ReplaceMemoFont(int n, HFONT font);

}  // namespace dz

using dz::DestroyAllMemos;
using dz::InBrowserMode;
using dz::LoadMemoTable;
using dz::MemoNumberFromWindow;
using dz::Memos;
using dz::MemoTable;
using dz::ReplaceMemoFont;
using dz::SaveMemoTable;
