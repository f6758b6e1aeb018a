#include "app/find_dialog.h"

#include <string>
#include <vector>

#include "category/category.h"
#include "core/category_list.h"
#include "core/limits.h"
#include "core/memo_find.h"
#include "memo/memo_table.h"
#include "memo/memo_window.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "store/win_fs.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

// What the open dialog works with. The finder and its folded texts live as
// long as the dialog: a program that sits in the tray all day keeps no copy
// of every memo once the user has found one.
struct FindState {
  HWND dlg = nullptr;
  MemoFinder* finder = nullptr;
  std::vector<FindSource> sources;
  FindResult result;
  // The hit chosen, kept by category name: the list may change while the
  // dialog closes.
  std::string category;
  int memo = -1;
};
FindState g_find;

// Tab stop between the category and the memo's line, in dialog units.
constexpr int kCategoryColumn = 64;

// The listed categories whose names can be files; the others cannot be
// opened either.
std::vector<FindSource> Sources() {
  std::vector<FindSource> out;
  for (const std::string& name : ReadCategories(AppFile())) {
    if (CheckCategoryName(name, BaseDirectory().size()) == CategoryStatus::kOk)
      out.push_back(FindSource{name, CategoryFilePath(name)});
  }
  return out;
}

std::wstring QueryText(HWND dlg) {
  HWND edit = GetDlgItem(dlg, IDC_FIND_TEXT);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
  return text;
}

std::wstring StatusText() {
  const FindResult& r = g_find.result;
  std::wstring status = r.hits.empty() ? L"見つかりません。" : std::to_wstring(r.hits.size()) + L" 件";
  for (size_t s : r.unreadable)
    status += L"　カゴテリ「" + Widen(g_find.sources[s].name) + L"」のファイルを読めません。";
  return status;
}

void Refill(HWND dlg) {
  // The list is read again at every keystroke: a category added meanwhile
  // is found too. Unchanged files are not read again.
  g_find.sources = Sources();
  g_find.result = g_find.finder->Find(g_find.sources, Narrow(QueryText(dlg)), ClockNow());
  HWND list = GetDlgItem(dlg, IDC_FIND_LIST);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const FindHit& hit : g_find.result.hits) {
    const std::wstring caption = hit.caption.empty() ? std::wstring(L"（空のメモ）") : Widen(hit.caption);
    const std::wstring line = Widen(g_find.sources[hit.source].name) + L"\t" + caption;
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SetDlgItemTextW(dlg, IDC_FIND_STATUS, StatusText().c_str());
}

// Up, Down, Page Up and Page Down in the edit field move through the hits,
// so that typing, choosing and Enter need no other key.
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK QueryFieldProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT))
    return SendMessageW(GetDlgItem(GetParent(edit), IDC_FIND_LIST), msg, wParam, lParam);
  return CallWindowProcW(g_editProc, edit, msg, wParam, lParam);
}

// Enter, the open button or a double click: the selected hit, else the
// first one.
void OnOpenChosen(HWND dlg) {
  const std::vector<FindHit>& hits = g_find.result.hits;
  if (hits.empty()) {
    MessageBeep(MB_OK);
    return;
  }
  const LRESULT sel = SendDlgItemMessageW(dlg, IDC_FIND_LIST, LB_GETCURSEL, 0, 0);
  const FindHit& hit = hits[sel >= 0 && static_cast<size_t>(sel) < hits.size() ? static_cast<size_t>(sel) : 0];
  g_find.category = g_find.sources[hit.source].name;
  g_find.memo = hit.memo;
  EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK FindProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      g_find.dlg = dlg;
      SendDlgItemMessageW(dlg, IDC_FIND_TEXT, EM_LIMITTEXT, kMaxValueChars, 0);
      const int stops[] = {kCategoryColumn};
      SendDlgItemMessageW(dlg, IDC_FIND_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops));
      g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
          GetDlgItem(dlg, IDC_FIND_TEXT), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QueryFieldProc)));
      Refill(dlg);
      SetForegroundWindow(dlg);
      return TRUE;  // the focus goes to the edit field
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FIND_TEXT:
          if (HIWORD(wParam) == EN_CHANGE) Refill(dlg);
          break;
        case IDC_FIND_LIST:
          if (HIWORD(wParam) == LBN_DBLCLK) OnOpenChosen(dlg);
          break;
        case IDOK: OnOpenChosen(dlg); break;
        case IDCANCEL: EndDialog(dlg, IDCANCEL); break;
        default: break;
      }
      return TRUE;
    default:
      return FALSE;
  }
}

// Opens the category of the memo through the ordinary switch (an open
// editor is committed and the category saved first; when that fails the
// user stays where they are, told why) and brings the memo forward.
void OpenFoundMemo(HWND main, const std::string& category, int memo) {
  if (CurrentCategory() != category) {
    const int k = FindCategory(ReadCategories(AppFile()), category);
    if (k < 0) {
      Tell(("カゴテリ「" + NarrowUtf8(Widen(category)) + "」は一覧にないため、開けません。").c_str());
      return;
    }
    OnSwitchCategory(main, IDC_CATEGORY_FIRST + k);
    if (CurrentCategory() != category) return;
  }
  const MemoTable& m = Memos();
  if (memo < 0 || memo >= m.count || !m.memo[memo].wnd) {
    Tell("そのメモは見つかりませんでした。削除されたか、ほかのプログラムがファイルを変えた可能性があります。");
    return;
  }
  BringMemoForward(m.memo[memo].wnd);
}

}  // namespace

void OpenFindDialog(HWND main) {
  if (g_find.dlg) {
    SetForegroundWindow(g_find.dlg);
    return;
  }
  WinFileSystem fs;
  MemoFinder finder(fs);
  g_find.finder = &finder;
  const INT_PTR result = DialogBoxParamW(TheProcess().inst, MAKEINTRESOURCEW(IDD_FIND), main, FindProc, 0);
  const std::string category = g_find.category;
  const int memo = g_find.memo;
  g_find = FindState{};
  if (result == IDOK) OpenFoundMemo(main, category, memo);
}

}  // namespace dz
