// Process entry: GDI+, the main window and the message loop.
#include <windows.h>
#include <objidl.h>  // gdiplus.h needs it with WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include "app/app.h"
#include "app/main_window.h"
#include "win/process.h"

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  dz::App& app = dz::TheApp();
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, codecs and thread kept
  Gdiplus::GdiplusStartup(&app.gdiplusToken, &input, nullptr);
  dz::TheProcess().inst = inst;
  int exitCode = 0;
  if (dz::RegisterMainClass(inst)) {
    if (dz::CreateMainWindow(inst)) {
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      exitCode = static_cast<int>(msg.wParam);
    }
  }
  Gdiplus::GdiplusShutdown(app.gdiplusToken);
  return exitCode;
}
