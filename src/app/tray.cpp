#include "app/tray.h"

#include <cwchar>

#include "app/app.h"
#include "memo/memo_table.h"
#include "res/resource.h"
#include "win/process.h"

namespace dz {

namespace {
// The icon's own image at the notification area's size for the display's
// scale (16, 20, 24 or 32 pixels): a larger one shrunk by the shell blurs.
HICON g_trayIcon = nullptr;

void ReleaseTrayIcon() {
  if (g_trayIcon) DestroyIcon(g_trayIcon);
  g_trayIcon = nullptr;
}
}  // namespace

void AddTrayIcon(HWND main) {
  App& app = TheApp();
  NOTIFYICONDATAW& nid = app.tray;
  nid = NOTIFYICONDATAW{};
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;  // the plain record: callback lParam is the mouse message
  nid.hWnd = main;
  nid.uID = ID_TRAY_ICON;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = WM_TRAY_CALLBACK;
  // Loaded again each time: the shell may come back at another scale.
  ReleaseTrayIcon();
  g_trayIcon = static_cast<HICON>(LoadImageW(TheProcess().inst, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  nid.hIcon = g_trayIcon;
  wcsncpy(nid.szTip, L"Dereziz", sizeof nid.szTip / sizeof nid.szTip[0] - 1);
  Shell_NotifyIconW(NIM_ADD, &nid);
}

void RemoveTrayIcon() {
  App& app = TheApp();
  if (!app.tray.hWnd) return;
  Shell_NotifyIconW(NIM_DELETE, &app.tray);
  ReleaseTrayIcon();
}

void OnTrayCallback(HWND main, UINT mouseMsg) {
  App& app = TheApp();
  switch (mouseMsg) {
    case WM_LBUTTONDOWN: {
      // The last memo ends up in front and active.
      for (HWND w : MemoWindows()) {
        ShowWindow(w, SW_SHOW);
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(w);
      }
      break;
    }
    case WM_LBUTTONDBLCLK: SendMessageW(main, WM_COMMAND, IDC_ADD_MEMO, 0); break;
    case WM_RBUTTONDOWN: {
      POINT pt;
      GetCursorPos(&pt);
      // Without the foreground the menu would not close when clicked away
      // from; the null message after it lets a second click open it again.
      SetForegroundWindow(main);
      TrackPopupMenu(app.trayMenu, TPM_BOTTOMALIGN, pt.x, pt.y, 0, main, nullptr);
      PostMessageW(main, WM_NULL, 0, 0);
      break;
    }
    default: break;
  }
}

}  // namespace dz
