// Adding, deleting and switching categories, and the category submenus.
#include "category/category.h"

#include <shellapi.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/category_list.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/link_scan.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "text/edit.h"
#include "win/message.h"
#include "win/path.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kCurrentKey[] = "NowCagoteri";

size_t BaseChars() { return BaseDirectory().size(); }

std::string Utf8(std::string_view sjis) { return NarrowUtf8(Widen(sjis)); }

// Whether name, through a short (8.3) name, reaches a file or folder of the
// data folder that has another name of its own: the category would read,
// write and on deletion remove that one. Only for names that passed
// CheckCategoryName (no wildcards, no separators).
bool IsShortAliasOfAnother(std::string_view name) {
  const std::wstring wide = Widen(name);
  for (const std::wstring& leaf : {wide + L".dat", wide}) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(ExtendedPath(BaseDirectory() + L"\\data\\" + leaf).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) continue;
    FindClose(h);
    if (CompareStringOrdinal(found.cFileName, -1, leaf.c_str(), -1, TRUE) != CSTR_EQUAL) return true;
  }
  return false;
}

// The name of category number k, or nullopt after telling the user why it
// cannot be opened.
std::optional<std::string> NameToOpen(int k) {
  std::string name;
  CategoryStatus s = CategoryToOpen(AppFile(), k, BaseChars(), &name);
  if (s == CategoryStatus::kOk && IsShortAliasOfAnother(name)) s = CategoryStatus::kShortAlias;
  if (s == CategoryStatus::kOk) return name;
  if (s == CategoryStatus::kNotInList) {
    Tell(CategoryMessage(s));
  } else {
    const std::string stored = AppFile().Read(kSecCategory, std::to_string(k) + "Cagoteri", kDefaultCategory);
    Tell(("Memo.dat のカゴテリ名「" + Utf8(stored) + "」は使えないため、開きません。\n" + CategoryMessage(s)).c_str());
  }
  return std::nullopt;
}

// Replaces the memos of the current category with those of name. The
// current category is saved completely first (an open editor's text,
// offsets, placements); if that fails the user stays where they are. After
// a deletion nothing may be written, or the deleted file would come back.
void OpenCategory(const std::string& name, bool saveCurrent) {
  if (saveCurrent) {
    // Text that cannot be stored keeps its editor, and the user this category.
    if (!CommitEditor()) return;
    if (!SaveMemoTable()) {
      Tell(("カゴテリ「" + Utf8(CurrentCategory()) + "」を保存できなかったため、カゴテリを切り替えませんでした。")
               .c_str());
      return;
    }
  }
  DestroyAllMemos(saveCurrent);
  SetCurrentCategory(name);
  // A failure here is repaired by the save at exit, which names the
  // current category again.
  AppFile().Write(kSecCategory, kCurrentKey, name);
  if (!LoadMemoTable()) Tell(UnreadableCategoryMessage().c_str());
}

// True while the add dialog or the shell's delete confirmation is open.
// Their modal loops still run the tray and the other memos' menus; another
// category command then would pull the category out from under them.
bool g_busy = false;

class BusyScope {
 public:
  BusyScope() { g_busy = true; }
  ~BusyScope() { g_busy = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

// ---- the add dialog ----------------------------------------------------------

std::string g_addedName;

void OnAddDialogOk(HWND dlg) {
  HWND edit = GetDlgItem(dlg, IDC_CAG_NAME);
  const int len = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], len + 1)));
  const std::optional<std::string> name = NarrowExact(text);
  const char* refusal = nullptr;
  CategoryStatus s = CategoryStatus::kOk;
  if (!name) {
    refusal = "カゴテリ名に、Shift_JIS で表せない文字が含まれています。";
  } else if (CheckCategoryName(*name, BaseChars()) == CategoryStatus::kOk && IsShortAliasOfAnother(*name)) {
    refusal = CategoryMessage(CategoryStatus::kShortAlias);
  } else {
    s = AddCategory(AppFile(), *name, BaseChars());
    if (s != CategoryStatus::kOk) refusal = CategoryMessage(s);
  }
  if (refusal) {
    MessageBoxJ(dlg, refusal, nullptr, MB_OK | MB_ICONWARNING);
    SetFocus(edit);
    return;
  }
  // An existing folder is kept: it may hold the pictures of a category of
  // that name deleted by hand from the list.
  CreateDirectoryW(CategoryDirectory(*name).c_str(), nullptr);
  g_addedName = *name;
  EndDialog(dlg, 1);
}

INT_PTR CALLBACK AddCategoryProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dlg, IDC_CAG_NAME, L"");
      SendDlgItemMessageW(dlg, IDC_CAG_NAME, EM_LIMITTEXT, kMaxValueChars, 0);
      return TRUE;
    case WM_COMMAND:
      // Only its two buttons end the dialog; Escape does not.
      if (LOWORD(wParam) == IDC_CAG_OK) OnAddDialogOk(dlg);
      else if (LOWORD(wParam) == IDC_CAG_CANCEL) EndDialog(dlg, 2);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- deleting the files --------------------------------------------------------

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  if (n >= full.size()) {
    full.assign(n, L'\0');
    n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  }
  if (n == 0 || n >= full.size()) return std::wstring();
  full.resize(n);
  return full;
}

// True when full names an entry directly in the data folder (both full
// paths): nothing else may ever be handed to the shell's delete, which
// also takes wildcards.
bool DirectlyInside(const std::wstring& full, const std::wstring& data) {
  const size_t cut = full.find_last_of(L'\\');
  if (full.empty() || data.empty() || cut == std::wstring::npos) return false;
  const std::wstring parent = full.substr(0, cut), leaf = full.substr(cut + 1);
  if (leaf.empty() || leaf == L"." || leaf == L".." || leaf.find_first_of(L"*?") != std::wstring::npos)
    return false;
  return CompareStringOrdinal(parent.c_str(), static_cast<int>(parent.size()), data.c_str(),
                              static_cast<int>(data.size()), TRUE) == CSTR_EQUAL;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Sends the category's file and folder to the Recycle Bin through the
// shell (deleted outright where the drive has none), which asks the user
// first (one question for both). True when the category file is gone
// (or never existed); false when the user cancelled or the delete failed,
// and then the file is where it was.
bool DeleteCategoryFiles(const std::string& name) {
  const std::wstring data = FullPath(BaseDirectory() + L"\\data");
  const std::wstring file = FullPath(BaseDirectory() + L"\\data\\" + Widen(name) + L".dat");
  const std::wstring dir = FullPath(CategoryDirectory(name));
  const DWORD dirAttributes = GetFileAttributesW(dir.c_str());
  // The shell may follow a link or junction into what it points at.
  const bool dirIsLink =
      dirAttributes != INVALID_FILE_ATTRIBUTES && (dirAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!DirectlyInside(file, data) || !DirectlyInside(dir, data) || dirIsLink) {
    Tell(("カゴテリ「" + Utf8(name) + "」のファイルは data フォルダーの中にないため、削除しません。").c_str());
    return false;
  }
  // The paths one after another, each ended by a zero, the list by another.
  std::wstring list;
  for (const std::wstring* p : {&file, &dir}) {
    if (!Exists(*p)) continue;
    list += *p;
    list.push_back(L'\0');
  }
  if (list.empty()) return true;
  list.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.hwnd = TheProcess().main;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  // A category deleted by mistake can then be taken back from there.
  op.fFlags = FOF_SILENT | FOF_ALLOWUNDO;
  const int rc = SHFileOperationW(&op);
  if (Exists(file)) {
    if (!op.fAnyOperationsAborted)
      Tell(("カゴテリ「" + Utf8(name) + "」のファイルを削除できませんでした (" + std::to_string(rc) + ")。").c_str());
    return false;
  }
  // The memos are gone with the file, so the category leaves the list even
  // when its folder of pictures stayed behind.
  if (Exists(dir))
    Tell(("カゴテリ「" + Utf8(name) + "」のフォルダーを削除できませんでした。").c_str());
  return true;
}

}  // namespace

std::string OpenStartCategory() {
  const std::optional<std::string> stored = AppFile().Get(kSecCategory, kCurrentKey);
  std::string name = CurrentCategory(AppFile(), BaseChars());
  const bool alias = IsShortAliasOfAnother(name);
  if (alias) name = kDefaultCategory;
  SetCurrentCategory(name);
  if (!stored || *stored == name) return std::string();
  const CategoryStatus why = alias ? CategoryStatus::kShortAlias : CheckCategoryName(*stored, BaseChars());
  return "Memo.dat に記録された現在のカゴテリ名「" + Utf8(*stored) + "」は使えないため、カゴテリ「" + Utf8(name) +
         "」を開きました。\n" + CategoryMessage(why);
}

void OnAddCategory(HWND wnd) {
  if (g_busy) return;
  if (ReadCategories(AppFile()).size() >= static_cast<size_t>(kMaxCategories)) {
    Tell(CategoryMessage(CategoryStatus::kListFull));
    return;
  }
  INT_PTR result = 0;
  {
    BusyScope busy;
    result = DialogBoxParamW(TheProcess().inst, MAKEINTRESOURCEW(IDD_CAG), wnd, AddCategoryProc, 0);
  }
  if (result != 1) return;
  // The new category stands last in the list.
  const int k = FindCategory(ReadCategories(AppFile()), g_addedName) + 1;
  if (std::optional<std::string> name = NameToOpen(k)) OpenCategory(*name, true);
}

void OnDeleteCategory(HWND) {
  if (g_busy) return;
  const std::vector<std::string> names = ReadCategories(AppFile());
  if (names.size() <= 1) {
    Tell(CategoryMessage(CategoryStatus::kOnlyOne));
    return;
  }
  const std::string current = CurrentCategory();
  if (FindCategory(names, current) < 0) {
    Tell(("現在のカゴテリ「" + Utf8(current) + "」はカゴテリの一覧にないため、削除しません。").c_str());
    return;
  }
  {
    BusyScope busy;
    if (!DeleteCategoryFiles(current)) return;
  }
  const CategoryStatus s = DeleteCategory(AppFile(), current);
  // Even when the list could not be written the memos shown are gone with
  // their file, so the program moves on to the first category.
  if (s != CategoryStatus::kOk) Tell(CategoryMessage(s));
  std::string first;
  if (CategoryToOpen(AppFile(), 1, BaseChars(), &first) != CategoryStatus::kOk) {
    first = kDefaultCategory;
    Tell("一覧の最初のカゴテリは開けないため、カゴテリ「data1」を開きます。");
  }
  OpenCategory(first, false);
}

void OnSwitchCategory(HWND, WPARAM cmd) {
  if (g_busy) return;
  if (std::optional<std::string> name = NameToOpen(LOWORD(cmd) - IDC_CATEGORY_FIRST + 1)) OpenCategory(*name, true);
}

void OnCategoryInitMenu(HMENU submenu) {
  if (!submenu) return;
  const std::vector<std::string> names = ReadCategories(AppFile());
  for (int i = 0; i < kMaxCategories; ++i) DeleteMenu(submenu, 0, MF_BYPOSITION);
  const std::string& current = CurrentCategory();
  for (size_t i = 0; i < names.size(); ++i) {
    const UINT flags = MF_STRING | (names[i] == current ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(submenu, flags, IDC_CATEGORY_FIRST + i, Widen(MenuCaption(names[i])).c_str());
  }
}

}  // namespace dz
