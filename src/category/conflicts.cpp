// Conflict copies: found by name beside the settings files, folded back
// into them, then moved to the backup folder, where they stay.
#include "category/conflicts.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "category/category.h"
#include "core/category_list.h"
#include "core/conflict_copy.h"
#include "core/conflict_fold.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"
#include "win/path.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kAppFileName[] = "Memo.dat";

// The files of dir as code page 932 names; a name without an exact form
// there can be no copy of a settings file, whose names all have one.
std::vector<std::string> FilesIn(const std::wstring& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(ExtendedPath(dir + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (std::optional<std::string> name = NarrowExact(fd.cFileName)) names.push_back(std::move(*name));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

std::wstring ConflictsFolder() { return BaseDirectory() + L"\\backup\\conflicts"; }

// Moves the copy into the conflicts folder under a name no earlier copy
// took there. Returns the new path, or nothing when it stayed.
std::optional<std::wstring> PutAway(const std::wstring& from, const std::string& sjisName) {
  CreateDirectoryW(ExtendedPath(BaseDirectory() + L"\\backup").c_str(), nullptr);
  CreateDirectoryW(ExtendedPath(ConflictsFolder()).c_str(), nullptr);
  const std::wstring name = Widen(sjisName);
  const size_t dot = name.rfind(L'.');
  const std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
  const std::wstring ext = dot == std::wstring::npos ? L"" : name.substr(dot);
  for (int k = 1; k < 1000; ++k) {
    const std::wstring to =
        ConflictsFolder() + L"\\" + (k == 1 ? name : stem + L" (" + std::to_wstring(k) + L")" + ext);
    if (MoveFileExW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str(), MOVEFILE_WRITE_THROUGH)) return to;
    const DWORD e = GetLastError();
    if (e != ERROR_ALREADY_EXISTS && e != ERROR_FILE_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

struct Outcome {
  int copies = 0;
  int memos = 0;
  int categories = 0;
  std::string lines;  // one per copy that kept memos or categories, or stayed
};

// Copies already reported that could not be moved: each change of the
// folder folds them again (adding nothing) and tries the move again, but
// the user hears of them once.
std::set<std::wstring>& Stuck() {
  static std::set<std::wstring> stuck;
  return stuck;
}

// Moves the copy away and counts it. Returns where the copy is now, or
// nothing when there is nothing new to tell about it.
std::optional<std::wstring> Settle(const std::wstring& path, const std::string& name, int came, Outcome& out) {
  const std::optional<std::wstring> moved = PutAway(path, name);
  const bool known = Stuck().count(path) > 0;
  if (moved) Stuck().erase(path);
  if (!moved) Stuck().insert(path);
  if (!moved && known && came == 0) return std::nullopt;
  ++out.copies;
  if (!moved)
    out.lines += "コピー「" + NarrowUtf8(path) + "」はほかのプログラムが使用中のため、移せませんでした。\n";
  return moved ? *moved : path;
}

std::string Utf8(std::string_view sjis) { return NarrowUtf8(Widen(sjis)); }

// Categories the copy lists that are missing here join the list; the
// current category stays this PC's.
void FoldAppFileCopy(const std::string& name, Outcome& out) {
  const std::wstring path = BaseDirectory() + L"\\" + Widen(name);
  SettingsFile copy(SettingsFileSystem(), NarrowUtf8(path));
  if (!copy.Readable() || !AppFile().Readable()) return;
  CategoryFold fold;
  const bool folded = AppFile().Transaction([&] {
    fold = PlanCategoryFold(ReadCategories(copy), ReadCategories(AppFile()), BaseDirectory().size());
    for (const std::string& category : fold.add) AddCategory(AppFile(), category, BaseDirectory().size());
    return true;
  });
  if (!folded) return;
  for (const std::string& category : fold.add)
    CreateDirectoryW(ExtendedPath(CategoryDirectory(category)).c_str(), nullptr);
  const std::optional<std::wstring> now = Settle(path, name, static_cast<int>(fold.add.size()), out);
  if (!now) return;
  out.categories += static_cast<int>(fold.add.size());
  if (fold.leftOut > 0)
    out.lines += "カゴテリが10を超えるため、" + std::to_string(fold.leftOut) + " 個のカゴテリは「" +
                 NarrowUtf8(*now) + "」に残っています。\n";
}

void FoldCategoryCopy(const std::string& name, const std::string& category, Outcome& out) {
  const std::wstring path = BaseDirectory() + L"\\data\\" + Widen(name);
  SettingsFile copy(SettingsFileSystem(), NarrowUtf8(path));
  const bool current = SameCategoryName(category, CurrentCategory());
  SettingsFile other(SettingsFileSystem(), CategoryFilePath(category));
  SettingsFile& target = current ? CategoryFile() : other;
  // A sync service moves the file aside as the copy and then puts its
  // winner in: folded into the gap, the memos would go with the move.
  const std::wstring targetPath = ExtendedPath(WidenUtf8(target.path()));
  for (int waited = 0; waited < 1000 && GetFileAttributesW(targetPath.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 10)
    Sleep(10);
  if (!copy.Readable() || !target.Readable()) return;
  MemoFold fold;
  // Planned and added as one: a file replaced meanwhile is planned again.
  const bool folded = target.Transaction([&] {
    fold = PlanMemoFold(ReadStoredMemos(copy), ReadStoredMemos(target));
    return AppendMemos(target, fold.add);
  });
  if (!folded) return;
  // The memos added get their windows the way any memo of the file does.
  if (current && !fold.add.empty()) SyncTable(true);
  const std::optional<std::wstring> now = Settle(path, name, static_cast<int>(fold.add.size()), out);
  if (!now) return;
  out.memos += static_cast<int>(fold.add.size());
  if (fold.leftOut > 0)
    out.lines += "カゴテリ「" + Utf8(category) + "」はメモが百枚あるため、" + std::to_string(fold.leftOut) +
                 " 枚のメモは「" + NarrowUtf8(*now) +
                 "」に残っています。メモを減らしてからこのファイルを data フォルダーに戻すと、残りを取り込みます。\n";
}

}  // namespace

std::string FoldConflictCopies() {
  Outcome out;
  const std::vector<std::string> appFile = {kAppFileName};
  for (const std::string& name : FilesIn(BaseDirectory()))
    if (RecognizeConflictCopy(name, appFile).style != ConflictStyle::kNone) FoldAppFileCopy(name, out);

  // The current category counts as listed even when Memo.dat lacks it.
  std::vector<std::string> originals;
  for (const std::string& category : ReadCategories(AppFile())) originals.push_back(category + ".dat");
  originals.push_back(CurrentCategory() + ".dat");
  for (const std::string& name : FilesIn(BaseDirectory() + L"\\data")) {
    const ConflictCopy c = RecognizeConflictCopy(name, originals);
    if (c.style == ConflictStyle::kNone) continue;
    const std::string category = c.original.substr(0, c.original.size() - 4);
    if (CheckCategoryName(category, BaseDirectory().size()) == CategoryStatus::kOk)
      FoldCategoryCopy(name, category, out);
  }

  if (out.copies == 0) return std::string();
  std::string text = "別のパソコンと同時に変更されたファイルのコピー(競合コピー)が " + std::to_string(out.copies) +
                     " 個見つかりました。\nメモを " + std::to_string(out.memos) + " 枚取り込みました。\n";
  if (out.categories > 0) text += "カゴテリを " + std::to_string(out.categories) + " 個追加しました。\n";
  text += out.lines;
  text += "コピーは次のフォルダーに移しました。\n" + NarrowUtf8(ConflictsFolder());
  return text;
}

}  // namespace dz
