#pragma once
// The common dialogs (open, save, colour, font). Their library brings the
// printing system with it: under Wine that is 2.6 MB of private memory and
// its libraries' start-up, paid by every run for dialogs most runs never
// open. So it is loaded when the first dialog opens, not at start.
// Each returns what the system function of the same job returns; when the
// library cannot be loaded the user is told once per attempt and the answer
// is that of a cancelled dialog.
#include <windows.h>
#include <commdlg.h>

namespace dz {

bool OpenFileDialog(OPENFILENAMEW* ofn);
bool SaveFileDialog(OPENFILENAMEW* ofn);
bool ColourDialog(CHOOSECOLORW* cc);
bool FontDialog(CHOOSEFONTW* cf);

}  // namespace dz
