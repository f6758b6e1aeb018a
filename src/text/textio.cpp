#include "text/textio.h"

#include <optional>
#include <string>
#include <vector>

#include "core/display_text.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/text_ops.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "store/settings_access.h"
#include "text/clipboard.h"
#include "win/common_dialogs.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kFileTooLarge[] = "ファイルサイズが大きすぎます。";
constexpr char kClipboardTooLarge[] = "クリップボードのテキストが大きすぎます。";
constexpr char kCannotRead[] = "ファイルを開けないか、読み込めませんでした。";
constexpr char kCannotSave[] = "ファイルを保存できませんでした。";
constexpr char kBackNotStored[] = "背景の画像を記録できませんでした。設定ファイルに書き込めません。";

std::string StoredText(int n) { return CategoryFile().Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars); }

// Stores the combined text of memo n and repaints it, or says the text is
// too large (no value) and changes nothing.
void StoreCombinedText(HWND memo, int n, const std::optional<std::string>& stored, const char* tooLarge) {
  if (!stored) {
    Tell(tooLarge);
    return;
  }
  if (!CategoryFile().Write(kSecMemos, MemoKey(n, "Text"), *stored)) {
    Tell(kTextNotStored);
    return;
  }
  InvalidateRect(memo, nullptr, TRUE);
}

// The text of a file as Shift_JIS bytes, up to its first zero byte; only
// as much as the size checks need is read. nullopt when the file cannot be
// opened or read (missing, a folder, locked by another program).
std::optional<std::string> ReadTextFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char buf[4096];
  bool ok = true;
  while (text.size() < kTextReadLimit) {
    DWORD got = 0;
    if (!ReadFile(f, buf, sizeof buf, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    text.append(buf, got);
    if (text.find('\0', text.size() - got) != std::string::npos) break;
  }
  CloseHandle(f);
  if (!ok) return std::nullopt;
  return std::string(UpToFirstZero(text));
}

std::wstring DroppedFile(HDROP drop, UINT index) {
  UINT len = DragQueryFileW(drop, index, nullptr, 0);
  std::wstring path(len + 1, L'\0');
  len = DragQueryFileW(drop, index, &path[0], len + 1);
  path.resize(len);
  return path;
}

void DropTextFile(const std::wstring& path) {
  // The new memo is appended to the category: at the limit there is no room.
  if (Memos().count >= kMaxMemos) {
    Tell(kTooManyMemos);
    return;
  }
  std::optional<std::string> text = ReadTextFile(path);
  if (!text) {
    Tell(kCannotRead);
    return;
  }
  std::optional<std::string> stored = NewMemoText(*text);
  if (!stored) {
    Tell(kFileTooLarge);
    return;
  }
  if (!CreateMemo(*stored)) Tell(kMemoNotAdded);
}

}  // namespace

void OnInsertFile(HWND memo, bool atStart) {
  if (MemoNumberFromWindow(memo) < 0) return;
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = memo;
  ofn.lpstrFilter = L"TextFile(*.txt)\0*.txt\0All Files(*.*)\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"txt";
  const std::wstring title = WidenUtf8("テキストファイルの選択");
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!OpenFileDialog(&ofn)) return;

  std::optional<std::string> text = ReadTextFile(file);
  if (!text) {
    Tell(kCannotRead);
    return;
  }
  int n = MemoNumberAfterDialog(memo);
  if (n < 0) return;
  StoreCombinedText(memo, n, InsertFileText(StoredText(n), *text, atStart), kFileTooLarge);
}

void OnSaveMemoText(HWND memo) {
  if (MemoNumberFromWindow(memo) < 0) return;
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = TheProcess().main;
  ofn.lpstrFilter = L"Text File(*.txt)\0*.txt\0All Files(*.*)\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"txt";
  const std::wstring title = WidenUtf8("文章の保存");
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!SaveFileDialog(&ofn)) return;

  int n = MemoNumberAfterDialog(memo);
  if (n < 0) return;
  const std::string text = BuildDisplayText(StoredText(n), ClockNow());
  HANDLE f = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = f != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD written = 0;
    ok = text.empty() ||
         (WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size());
    ok = CloseHandle(f) && ok;
  }
  // The user must not believe the text is saved when it is not.
  if (!ok) Tell(kCannotSave);
}

void OnCopyMemoText(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  PutClipboardText(BuildDisplayText(StoredText(n), ClockNow()));
}

void OnInsertClipboardText(HWND memo, bool atStart) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  std::vector<std::wstring> unstorable;
  std::optional<std::string> clip = GetClipboardText(&unstorable);
  if (!clip) return;
  // They would be stored as "?".
  if (!unstorable.empty()) {
    Tell(("クリップボードのテキストには Shift_JIS で表せない次の文字があるため、メモに挿入しませんでした。" +
          ListCharacters(unstorable))
             .c_str());
    return;
  }
  StoreCombinedText(memo, n, InsertClipboardText(StoredText(n), *clip, atStart), kClipboardTooLarge);
}

void OnDropFiles(HWND memo, HDROP drop) {
  const UINT files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  const std::wstring path = files ? DroppedFile(drop, 0) : std::wstring();
  // Released before any message box, so the drop source is not kept waiting.
  DragFinish(drop);
  int n = MemoNumberFromWindow(memo);
  if (n < 0 || path.empty()) return;

  if (IsPictureFileName(NarrowUtf8(path))) {
    std::optional<std::string> stored = StorablePath(path);
    if (!stored) {
      Tell(kBadPicturePath);
      return;
    }
    if (!CategoryFile().Write(kSecMemos, MemoKey(n, "Back"), *stored)) {
      Tell(kBackNotStored);
      return;
    }
  } else {
    DropTextFile(path);
  }
  InvalidateRect(memo, nullptr, TRUE);
}

}  // namespace dz
