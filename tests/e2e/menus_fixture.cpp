#include "menus_fixture.h"

namespace e2e {

std::vector<UINT> ToStyleSubmenu() {
  std::vector<UINT> keys(9, VK_DOWN);
  keys.push_back(VK_RIGHT);
  return keys;
}

namespace {
std::optional<std::wstring> DefaultValue(const std::wstring& key) {
  wchar_t buf[2048];
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buf);
}

bool SetDefaultValue(const std::wstring& key, const std::wstring& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  bool ok = RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(k);
  return ok;
}
}  // namespace

ProtocolHandler::ProtocolHandler(const std::wstring& protocol, const std::wstring& command)
    : protocolKey_(L"Software\\Classes\\" + protocol), commandKey_(protocolKey_ + L"\\shell\\open\\command") {
  HKEY k = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, protocolKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                      &disposition) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open HKLM\\" << Narrow(protocolKey_);
    return;
  }
  createdProtocol_ = disposition == REG_CREATED_NEW_KEY;
  if (createdProtocol_)
    RegSetValueExW(k, L"URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
  RegCloseKey(k);
  saved_ = DefaultValue(commandKey_);
  ok_ = SetDefaultValue(commandKey_, command);
  if (!ok_) ADD_FAILURE() << "cannot set HKLM\\" << Narrow(commandKey_);
}

ProtocolHandler::~ProtocolHandler() {
  if (createdProtocol_)
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, protocolKey_.c_str());
  else if (saved_)
    SetDefaultValue(commandKey_, *saved_);
  else
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, commandKey_.c_str(), nullptr);
}

HWND MenuTest::OpenMemoMenu(HWND memo) {
  if (!memo) {
    ADD_FAILURE() << "no memo to right-click";
    return nullptr;
  }
  Post(memo, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  return WaitForMenu();
}

bool MenuTest::ChooseInMemoMenu(HWND memo, const std::vector<UINT>& keys) {
  HWND menu = OpenMemoMenu(memo);
  if (!menu) return false;
  MenuKeys(menu, keys);
  return WaitMenusClosed();
}

bool MenuTest::WaitMenusClosed() {
  return Wait(
      [&] {
        for (HWND h : TopLevelWindows(pid(), L"#32768"))
          if (IsWindowVisible(h)) return false;
        return true;
      },
      "the menu to close");
}

std::optional<StyleChecks> MenuTest::OpenStyleSubmenu(HWND memo, HWND* menuOut) {
  HWND menu = OpenMemoMenu(memo);
  if (!menu) return std::nullopt;
  *menuOut = menu;
  std::vector<UINT> keys = ToStyleSubmenu();
  keys.push_back(VK_UP);  // the last item, so the two checked ones are not highlighted
  MenuKeys(menu, keys);
  StyleChecks checks;
  // The submenu has five items; the last one is selected.
  bool seen = Wait(
      [&] {
        for (HWND h : TopLevelWindows(pid(), L"#32768")) {
          if (h == menu || !IsWindowVisible(h)) continue;
          // Painted: the selection shows in the last row.
          Image img = CaptureClient(h);
          const RECT last = img.BoundingBox(GetSysColor(COLOR_HIGHLIGHT));
          if (IsEmpty(last) || last.top < img.height() * 3 / 5) continue;
          const std::vector<bool> marks = CheckMarks(h, 5, 4);
          checks.topmost = marks[0];
          checks.framed = marks[1];
          return true;
        }
        return false;
      },
      "the memo style submenu with its last item selected");
  if (!seen) return std::nullopt;
  return checks;
}

std::wstring MenuTest::CopyLinkProgram(const std::string& name) {
  const std::wstring to = Path(name);
  if (!CopyFileW((DriverDirectory() + L"\\link_echo.exe").c_str(), to.c_str(), FALSE))
    ADD_FAILURE() << "cannot copy link_echo.exe to " << name << ": " << GetLastError();
  return to;
}

std::string MenuTest::RecordedCommandLine(const std::string& name) {
  std::string bytes;
  if (!ReadBytes(Path(name.substr(0, name.size() - 4) + ".txt"), &bytes)) return "";
  return bytes;
}

bool MenuTest::WaitForRecord(const std::string& name, std::string* commandLine) {
  return Wait([&] { return !(*commandLine = RecordedCommandLine(name)).empty(); },
              name + " to be started by the shell", kProcessStartMs);
}

Dialog MenuTest::WaitForFontDialog() {
  Dialog found;
  Wait(
      [&] {
        for (const Dialog& d : Dialogs())
          if (GetDlgItem(d.hwnd, fontdlg::kSize) && GetDlgItem(d.hwnd, fontdlg::kFace)) {
            found = d;
            return true;
          }
        return false;
      },
      "the font dialog");
  return found;
}

RECT MenuTest::TextBox(HWND memo, COLORREF c) { return CaptureClient(memo).BoundingBox(c, 60); }

}  // namespace e2e
