// The gradient dialog (IDD_INT): every change is stored at once, so the
// memo and the preview show it while the dialog is open; キャンセル stores
// the values the dialog opened with again.
#include <cstdint>

#include "core/keys.h"
#include "look/background.h"
#include "look/look.h"
#include "memo/memo_table.h"
#include "res/resource.h"
#include "store/settings_access.h"
#include "win/message.h"
#include "win/process.h"

namespace dz {

namespace {

struct GradientDialog {
  HWND memo = nullptr;
  // As stored when the dialog opened.
  int32_t openStart = 0, openEnd = 0, openMode = 0;
  // Shown by the swatches.
  COLORREF start = 0, end = 0;
};

GradientDialog* StateOf(HWND dlg) { return reinterpret_cast<GradientDialog*>(GetWindowLongPtrW(dlg, DWLP_USER)); }

// The memo may have been renumbered while the dialog was open: its number
// is looked up at each use.
bool WriteKey(const GradientDialog& d, const char* property, int32_t value) {
  const int n = MemoNumberFromWindow(d.memo);
  if (n < 0) return false;
  if (CategoryFile().WriteInt(kSecMemos, MemoKey(n, property), value)) return true;
  Tell(kSettingsNotStored);
  return false;
}

void ShowChange(HWND dlg, const GradientDialog& d) {
  for (int id : {IDC_GRAD_PREVIEW, IDC_GRAD_START_SWATCH, IDC_GRAD_END_SWATCH})
    InvalidateRect(GetDlgItem(dlg, id), nullptr, TRUE);
  InvalidateRect(d.memo, nullptr, TRUE);
}

void ChangeColour(HWND dlg, GradientDialog& d, bool start) {
  // Owned by this dialog, which stays disabled while the colour dialog is
  // open: it cannot be closed under it.
  const COLORREF c = ChooseColour(dlg, start ? d.start : d.end);
  if (!WriteKey(d, start ? "Color2" : "Color3", static_cast<int32_t>(c))) return;
  (start ? d.start : d.end) = c;
  ShowChange(dlg, d);
}

void Restore(const GradientDialog& d) {
  const int n = MemoNumberFromWindow(d.memo);
  if (n < 0) return;
  SettingsFile& cat = CategoryFile();
  cat.BeginBatch();
  cat.WriteInt(kSecMemos, MemoKey(n, "Color2"), d.openStart);
  cat.WriteInt(kSecMemos, MemoKey(n, "Color3"), d.openEnd);
  cat.WriteInt(kSecMemos, MemoKey(n, "GradMode"), d.openMode);
  if (!cat.EndBatch()) Tell(kSettingsNotStored);
}

void DrawSwatch(const DRAWITEMSTRUCT& dis, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dis.hDC, &dis.rcItem, brush);
  DeleteObject(brush);
}

void OnDrawItem(const GradientDialog& d, const DRAWITEMSTRUCT& dis) {
  switch (dis.CtlID) {
    // The preview shows the keys as they are stored now.
    case IDC_GRAD_PREVIEW: PaintGradient(dis.hDC, d.memo, dis.hwndItem); break;
    case IDC_GRAD_START_SWATCH: DrawSwatch(dis, d.start); break;
    case IDC_GRAD_END_SWATCH: DrawSwatch(dis, d.end); break;
    default: break;
  }
}

void OnDialogCommand(HWND dlg, GradientDialog& d, int id, int code) {
  switch (id) {
    case IDC_GRAD_START_CHANGE: ChangeColour(dlg, d, true); break;
    case IDC_GRAD_END_CHANGE: ChangeColour(dlg, d, false); break;
    case IDC_GRAD_OK: EndDialog(dlg, 1); break;
    // Escape cancels too: the dialog has no close box.
    case IDCANCEL:
    case IDC_GRAD_CANCEL:
      Restore(d);
      EndDialog(dlg, 2);
      break;
    case IDC_GRAD_MODE_0:
    case IDC_GRAD_MODE_1:
    case IDC_GRAD_MODE_2:
    case IDC_GRAD_MODE_3:
      if (code == BN_CLICKED && WriteKey(d, "GradMode", id - IDC_GRAD_MODE_0)) ShowChange(dlg, d);
      break;
    default: break;
  }
}

// The dialog opens beside its memo rather than over it, so that the memo
// can be seen to follow each change; where no side has room it stays where
// the template puts it.
void PlaceBeside(HWND dlg, HWND memo) {
  RECT m, d;
  if (!GetWindowRect(memo, &m) || !GetWindowRect(dlg, &d)) return;
  const LONG w = d.right - d.left, h = d.bottom - d.top;
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoW(MonitorFromWindow(memo, MONITOR_DEFAULTTONEAREST), &mi)) return;
  const RECT& work = mi.rcWork;
  auto clamp = [](LONG v, LONG lo, LONG hi) { return v < lo ? lo : (v > hi ? hi : v); };
  const LONG y = clamp(m.top, work.top, work.bottom - h), x = clamp(m.left, work.left, work.right - w);
  POINT at;
  if (m.right + w <= work.right) {
    at = {m.right, y};
  } else if (m.left - w >= work.left) {
    at = {m.left - w, y};
  } else if (m.bottom + h <= work.bottom) {
    at = {x, m.bottom};
  } else if (m.top - h >= work.top) {
    at = {x, m.top - h};
  } else {
    return;
  }
  SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK GradientDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dlg, DWLP_USER, lParam);
    const auto* d = reinterpret_cast<const GradientDialog*>(lParam);
    CheckRadioButton(dlg, IDC_GRAD_MODE_0, IDC_GRAD_MODE_3, IDC_GRAD_MODE_0 + GradientMode(d->openMode));
    PlaceBeside(dlg, d->memo);
    return TRUE;
  }
  GradientDialog* d = StateOf(dlg);
  if (!d) return FALSE;
  switch (msg) {
    case WM_DRAWITEM: OnDrawItem(*d, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_COMMAND: OnDialogCommand(dlg, *d, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void OnBackGradient(HWND memo) {
  int n = MemoNumberFromWindow(memo);
  if (n < 0) return;
  SettingsFile& cat = CategoryFile();
  GradientDialog d;
  d.memo = memo;
  d.openStart = cat.ReadInt(kSecMemos, MemoKey(n, "Color2"), 0);
  d.openEnd = cat.ReadInt(kSecMemos, MemoKey(n, "Color3"), 0);
  d.openMode = cat.ReadInt(kSecMemos, MemoKey(n, "GradMode"), 0);
  d.start = static_cast<COLORREF>(d.openStart);
  d.end = static_cast<COLORREF>(d.openEnd);
  const INT_PTR result = DialogBoxParamW(TheProcess().inst, MAKEINTRESOURCEW(IDD_INT), memo, GradientDialogProc,
                                         reinterpret_cast<LPARAM>(&d));
  n = MemoNumberAfterDialog(memo);
  if (n < 0) return;
  if (result == 1 && !cat.Write(kSecMemos, MemoKey(n, "Back"), "2")) Tell(kSettingsNotStored);
  InvalidateRect(memo, nullptr, TRUE);
}

}  // namespace dz
