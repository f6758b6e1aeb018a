// Process entry: GDI+, the main window and the message loop.
#include <windows.h>
#include <objidl.h>  // gdiplus.h needs it with WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include "app/app.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "look/look.h"
#include "win/process.h"

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  // Before anything is read or written: a second program on the same
  // folder would save over this one's memos.
  switch (dz::ClaimBaseFolder()) {
    case dz::FolderClaim::kOwned: break;
    case dz::FolderClaim::kHandedOver: return 0;
    case dz::FolderClaim::kNoAnswer: return 1;
  }
  dz::App& app = dz::TheApp();
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, codecs and thread kept
  Gdiplus::GdiplusStartup(&app.gdiplusToken, &input, nullptr);
  dz::TheProcess().inst = inst;
  int exitCode = 0;
  if (dz::RegisterMainClass(inst)) {
    if (HWND main = dz::CreateMainWindow(inst)) {
      dz::PublishMainWindow(main);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      exitCode = static_cast<int>(msg.wParam);
    }
  }
  if (dz::StopPictureWorker()) Gdiplus::GdiplusShutdown(app.gdiplusToken);
  dz::ReleaseBaseFolder();
  return exitCode;
}
