// The browser menu's commands, opening a link in the built-in browser, and
// the URL dialog.
#include <optional>
#include <string>
#include <vector>

#include "browser/browser.h"
#include "browser/host.h"
#include "core/keys.h"
#include "core/limits.h"
#include "core/link_scan.h"
#include "core/text_ops.h"
#include "memo/memo_table.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr char kUrlTooLong[] = "URLが長過ぎます";
constexpr int kUrlDialogLimit = 256;  // characters the URL field takes
constexpr INT_PTR kUrlOk = 1;

std::string StoredText(int n) { return CategoryFile().Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars); }

// The browser host of memo, or null when it is no memo or has no browser.
HWND HostOf(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  return InBrowserMode(n) ? Memos()[n].browser : nullptr;
}

// The URL dialog keeps to its two buttons: the Escape key (IDCANCEL) and
// Return on no button do not end it.
INT_PTR CALLBACK UrlDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      SendDlgItemMessageW(dlg, IDC_URL_EDIT, EM_LIMITTEXT, kUrlDialogLimit, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_URL_OK: {
          auto* url = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dlg, DWLP_USER));
          HWND edit = GetDlgItem(dlg, IDC_URL_EDIT);
          const int len = GetWindowTextLengthW(edit);
          url->assign(static_cast<size_t>(len) + 1, L'\0');
          url->resize(static_cast<size_t>(GetWindowTextW(edit, &(*url)[0], len + 1)));
          EndDialog(dlg, kUrlOk);
          return TRUE;
        }
        case IDC_URL_CANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

// The address typed into the URL dialog; nullopt when it was cancelled.
std::optional<std::wstring> AskUrl(HWND owner) {
  std::wstring url;
  if (DialogBoxParamW(TheProcess().inst, MAKEINTRESOURCEW(IDD_URL), owner, UrlDialogProc,
                      reinterpret_cast<LPARAM>(&url)) != kUrlOk)
    return std::nullopt;
  return url;
}

}  // namespace

void OnOpenLinkInBrowser(HWND memo, int index) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  // The same scan the menu was filled from, over the same stored text.
  const std::vector<Link> links = ScanLinks(StoredText(n));
  if (index < 0 || static_cast<size_t>(index) >= links.size()) return;
  const std::string& url = links[static_cast<size_t>(index)].text;
  Memo& m = Memos()[n];
  if (InBrowserMode(n)) {
    NavigateTo(m.browser, Widen(url.empty() ? std::string_view(kDefaultHomePage) : std::string_view(url)));
    return;
  }
  m.browser = CreateBrowserHost(memo, url);
  if (m.browser) InvalidateRect(memo, nullptr, FALSE);
}

void OnCloseBrowser(HWND memo) {
  const int n = MemoNumberFromWindow(memo);
  if (!InBrowserMode(n)) return;
  Memo& m = Memos()[n];
  DestroyWindow(m.browser);
  // Cleared, not left dangling: a later window could get the same handle
  // and make the memo look as if it still had a browser.
  m.browser = nullptr;
  InvalidateRect(memo, nullptr, FALSE);
}

void OnBrowserHome(HWND memo) { GoHome(HostOf(memo)); }

void OnBrowserGoToUrl(HWND memo) {
  if (!HasBrowser(HostOf(memo))) return;
  std::optional<std::wstring> url = AskUrl(memo);
  // An empty field opens nothing; the memo may also have lost its browser
  // (or been deleted) while the dialog was open.
  if (!url || url->empty()) return;
  NavigateTo(HostOf(memo), *url);
}

void OnInsertPageUrl(HWND memo, bool atStart) {
  const int n = MemoNumberFromWindow(memo);
  if (!InBrowserMode(n)) return;
  std::optional<std::wstring> url = PageUrl(Memos()[n].browser);
  if (!url) return;
  std::optional<std::string> text = InsertPageLink(StoredText(n), StorableUrl(*url), atStart);
  if (!text) {
    Tell(kUrlTooLong);
    return;
  }
  // Shown once the browser is closed; the strip has nothing to repaint.
  CategoryFile().Write(kSecMemos, MemoKey(n, "Text"), *text);
}

}  // namespace dz
