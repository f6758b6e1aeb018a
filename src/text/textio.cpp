#include "text/textio.h"

// Text import and export are not built yet: these commands do nothing so far.
namespace dz {
void OnInsertFile(HWND, bool) {}
void OnSaveMemoText(HWND) {}
void OnCopyMemoText(HWND) {}
void OnInsertClipboardText(HWND, bool) {}
// The drop handle is still released so that no system memory leaks.
void OnDropFiles(HWND, HDROP drop) { DragFinish(drop); }
}  // namespace dz
