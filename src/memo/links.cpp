// The link submenus of the memo menu, and opening a link through the shell.
#include "memo/links.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "core/keys.h"
#include "core/limits.h"
#include "memo/memo_table.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

constexpr int kLinkSubmenuPos = 0;    // "URL,MailAdress"
constexpr int kBrowseSubmenuPos = 1;  // "内臓ブラウザで表示"

// The links of the menu prepared last. A link command always comes from the
// menu prepared just before it, on this one thread, so one list serves all
// memos.
std::vector<Link> g_links;

// Empties the submenu (the resource's placeholder the first time, the
// previous memo's links later) and lists the links from firstId on.
void FillSubmenu(HMENU sub, UINT firstId) {
  if (!sub) return;
  while (GetMenuItemCount(sub) > 0) {
    if (!DeleteMenu(sub, 0, MF_BYPOSITION)) break;
  }
  for (size_t i = 0; i < g_links.size() && i < static_cast<size_t>(kMaxLinks); ++i) {
    AppendMenuW(sub, MF_STRING, firstId + static_cast<UINT>(i), Widen(g_links[i].caption).c_str());
  }
}

bool ShellOpen(const std::string& sjisTarget) {
  const std::wstring target = Widen(sjisTarget);
  HINSTANCE r = ShellExecuteW(TheProcess().main, L"open", target.c_str(), target.c_str(), nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(r) > 32;
}

}  // namespace

void OnLinksInitMenu(HWND memo, HMENU memoMenu) {
  const int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  g_links = ScanLinks(CategoryFile().Read(kSecMemos, MemoKey(n, "Text"), "", kMaxTextChars));
  FillSubmenu(GetSubMenu(memoMenu, kLinkSubmenuPos), IDC_LINK_FIRST);
  FillSubmenu(GetSubMenu(memoMenu, kBrowseSubmenuPos), IDC_BROWSE_LINK_FIRST);
}

const Link* MenuLink(int index) {
  if (index < 0 || static_cast<size_t>(index) >= g_links.size()) return nullptr;
  return &g_links[static_cast<size_t>(index)];
}

void OnOpenLink(HWND, int index) {
  const Link* link = MenuLink(index);
  if (!link) return;
  // Whatever the shell opens unchanged (a web address, a path) opens at the
  // first attempt; a bare mail address only as a "mailto:" address.
  const LinkTargets targets = LinkOpenTargets(link->text);
  if (!targets.first.empty() && ShellOpen(targets.first)) return;
  if (!targets.retry.empty() && ShellOpen(targets.retry)) return;
  const std::string message = link->text.empty()
                                  ? std::string("このリンクは空のため、開けません。")
                                  : "次のリンクを開けませんでした。\n" + NarrowUtf8(Widen(link->text));
  Tell(message.c_str());
}

}  // namespace dz
