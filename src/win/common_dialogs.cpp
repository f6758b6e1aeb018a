#include "win/common_dialogs.h"

#include <string>

#include "win/message.h"

namespace dz {

namespace {

constexpr char kNoCommonDialogs[] =
    "ファイル、色、フォントを選ぶダイアログを開けません。comdlg32.dll を読み込めませんでした。";

struct CommonDialogs {
  decltype(&GetOpenFileNameW) open = nullptr;
  decltype(&GetSaveFileNameW) save = nullptr;
  decltype(&ChooseColorW) colour = nullptr;
  decltype(&ChooseFontW) font = nullptr;
};

template <typename F>
void Bind(HMODULE lib, const char* name, F& f) {
  // The two steps quiet the function-cast warnings of both compilers.
  f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

// Loaded once, from the system folder only (the program runs in the notes
// folder, which may be a synced one), and kept until the process ends.
const CommonDialogs* Loaded() {
  static CommonDialogs dialogs;
  static bool bound = false;
  if (bound) return &dialogs;
  wchar_t system[MAX_PATH];
  const UINT len = GetSystemDirectoryW(system, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(system, len) + L"\\comdlg32.dll";
  HMODULE lib = LoadLibraryW(path.c_str());
  if (!lib) return nullptr;
  CommonDialogs d;
  Bind(lib, "GetOpenFileNameW", d.open);
  Bind(lib, "GetSaveFileNameW", d.save);
  Bind(lib, "ChooseColorW", d.colour);
  Bind(lib, "ChooseFontW", d.font);
  if (!d.open || !d.save || !d.colour || !d.font) {
    FreeLibrary(lib);
    return nullptr;
  }
  dialogs = d;
  bound = true;
  return &dialogs;
}

template <typename F, typename S>
bool Run(F CommonDialogs::*which, S* params) {
  const CommonDialogs* d = Loaded();
  if (!d) {
    Tell(kNoCommonDialogs);
    return false;
  }
  return (d->*which)(params) != FALSE;
}

}  // namespace

bool OpenFileDialog(OPENFILENAMEW* ofn) { return Run(&CommonDialogs::open, ofn); }
bool SaveFileDialog(OPENFILENAMEW* ofn) { return Run(&CommonDialogs::save, ofn); }
bool ColourDialog(CHOOSECOLORW* cc) { return Run(&CommonDialogs::colour, cc); }
bool FontDialog(CHOOSEFONTW* cf) { return Run(&CommonDialogs::font, cf); }

}  // namespace dz
