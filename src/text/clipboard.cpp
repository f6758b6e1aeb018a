#include "text/clipboard.h"

#include <cstring>
#include <cwchar>

#include "win/process.h"
#include "win/text.h"

namespace dz {

// Another program may hold the clipboard for a moment.
bool OpenClipboardPatiently() {
  for (int i = 0; i < 20; ++i) {
    if (OpenClipboard(TheProcess().main)) return true;
    Sleep(10);
  }
  return false;
}

namespace {

HGLOBAL GlobalCopy(const void* data, size_t bytes, size_t terminator) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes + terminator);
  if (!g) return nullptr;
  void* p = GlobalLock(g);
  if (!p) {
    GlobalFree(g);
    return nullptr;
  }
  if (bytes) std::memcpy(p, data, bytes);
  GlobalUnlock(g);
  return g;
}

}  // namespace

bool ClipboardHasText() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

bool PutClipboardText(std::string_view sjis) {
  const std::wstring wide = Widen(sjis);
  HGLOBAL unicode = GlobalCopy(wide.data(), wide.size() * sizeof(wchar_t), sizeof(wchar_t));
  HGLOBAL ansi = GlobalCopy(sjis.data(), sjis.size(), 1);
  if (!unicode || !ansi || !OpenClipboardPatiently()) {
    if (unicode) GlobalFree(unicode);
    if (ansi) GlobalFree(ansi);
    return false;
  }
  EmptyClipboard();
  // Once set, a block belongs to the clipboard; only a refused one is ours.
  bool ok = true;
  if (!SetClipboardData(CF_UNICODETEXT, unicode)) {
    GlobalFree(unicode);
    ok = false;
  }
  if (!SetClipboardData(CF_TEXT, ansi)) {
    GlobalFree(ansi);
    ok = false;
  }
  CloseClipboard();
  return ok;
}

std::optional<std::string> GetClipboardText(std::vector<std::wstring>* unstorable) {
  if (!ClipboardHasText() || !OpenClipboardPatiently()) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      const std::wstring_view wide(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t)));
      text = Narrow(wide);
      if (unstorable && Widen(*text) != wide) *unstorable = UnstorableCharacters(wide);
      GlobalUnlock(h);
    }
  }
  if (!text) {
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      if (const auto* p = static_cast<const char*>(GlobalLock(h))) {
        text = std::string(p, strnlen(p, GlobalSize(h)));
        GlobalUnlock(h);
      }
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace dz
