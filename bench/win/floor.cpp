// The least a program can do for what a category of memos shows: 100
// framed topmost tool windows, each painting a background and a text in one
// font. Nothing is read from any file. Benchmarks compare the real program
// with this one, started and repainted the same way. A category switch here
// is either category command sent to any of the windows: all 100 are
// destroyed and 100 new ones created. The delete command asks for a
// confirmation, as the program does, and destroys the window it was sent to.
//
//   floor.exe [text bytes]
#include <windows.h>

#include <string>

namespace {

constexpr WPARAM kFirstCategory = 40020, kSecondCategory = 40021, kDelete = 506;
HFONT g_font;
std::wstring g_text;
HWND g_windows[100];
bool g_keepRunning = false;

bool CreateAll() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  for (int n = 0; n < 100; ++n) {
    g_windows[n] = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Child", L"child",
                                   WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME, 10 + (n % 10) * 100,
                                   10 + (n / 10) * 60, 95, 55, nullptr, nullptr, inst, nullptr);
    if (!g_windows[n]) return false;
  }
  return true;
}

LRESULT CALLBACK FloorProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint below fills the whole client area
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT rc;
      GetClientRect(h, &rc);
      HBRUSH back = CreateSolidBrush(RGB(0xFF, 0xFF, 0x80));
      FillRect(dc, &rc, back);
      DeleteObject(back);
      HGDIOBJ old = SelectObject(dc, g_font);
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, g_text.c_str(), static_cast<int>(g_text.size()), &rc, DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_COMMAND:
      if (wp == kFirstCategory || wp == kSecondCategory) {
        g_keepRunning = true;
        for (HWND w : g_windows) DestroyWindow(w);
        g_keepRunning = false;
        if (!CreateAll()) PostQuitMessage(1);
      } else if (wp == kDelete && MessageBoxW(h, L"Delete this window?", L"Floor", MB_OKCANCEL) == IDOK) {
        for (HWND& w : g_windows)
          if (w == h) w = nullptr;
        g_keepRunning = true;
        DestroyWindow(h);
        g_keepRunning = false;
      }
      return 0;
    case WM_DESTROY:
      if (!g_keepRunning) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const size_t bytes = argc > 1 ? static_cast<size_t>(_wtoi(argv[1])) : 160;
  // The same mix of Japanese and ASCII the benchmark stores in the memos;
  // each Japanese character is two bytes in the settings file.
  const std::wstring line = L"\x4F1A\x8B70 ^%h*60+%i^ <\\http://example.com/\\> \x30E1\x30E2 abc`def$$";
  const size_t lineBytes = line.size() + 4;
  while ((g_text.size() / line.size() + 1) * lineBytes <= bytes) g_text += line;

  WNDCLASSW wc{};
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"Child";
  RegisterClassW(&wc);
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpyW(lf.lfFaceName, L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF");
  g_font = CreateFontIndirectW(&lf);
  if (!CreateAll()) return 1;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}
