// A hook the tests put on the program's thread: it refuses the creation of
// a memo window 313 pixels wide, as a system out of resources would.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK RefuseMemoWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    wchar_t cls[16] = L"";
    GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 16);
    if (cs->cx == 313 && lstrcmpiW(cls, L"Child") == 0) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
