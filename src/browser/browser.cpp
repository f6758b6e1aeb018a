#include "browser/browser.h"

namespace dz {

// The link commands are not built yet: these entry points do nothing so far.
void OnOpenLink(HWND, int) {}
void OnLinksInitMenu(HWND, HMENU) {}

}  // namespace dz
