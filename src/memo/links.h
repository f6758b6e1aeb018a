#pragma once
// The link submenus of the memo menu and the links chosen in them.
#include <windows.h>

#include "core/link_scan.h"

namespace dz {

// Menu preparation: lists the link marks of memo's text in the two link
// submenus of memoMenu (the stored memo menu), IDC_LINK_FIRST + i and
// IDC_BROWSE_LINK_FIRST + i, and keeps them for the command that follows.
void OnLinksInitMenu(HWND memo, HMENU memoMenu);
// IDC_LINK_FIRST + index: hands the link to the shell.
void OnOpenLink(HWND memo, int index);
// Link `index` of the last menu preparation, or null when that menu listed
// fewer links.
const Link* MenuLink(int index);

}  // namespace dz
