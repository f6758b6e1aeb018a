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
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF text = GetSysColor(COLOR_MENUTEXT);
  StyleChecks checks;
  // The submenu has five items of one height; the highlighted last one
  // gives the height and where the rows are. The check marks lie left of
  // the captions.
  bool seen = Wait(
      [&] {
        for (HWND h : TopLevelWindows(pid(), L"#32768")) {
          if (h == menu || !IsWindowVisible(h)) continue;
          Image img = CaptureScreen(WindowRect(h));
          RECT last = img.BoundingBox(highlight);
          int rowHeight = last.bottom - last.top;
          if (IsEmpty(last) || rowHeight < 8 || last.top < 4 * rowHeight) continue;
          auto checked = [&](int row) {
            int top = last.top - (4 - row) * rowHeight;
            int marks = 0;
            for (int y = top; y < top + rowHeight; ++y)
              for (int x = 3; x < 16 && x < img.width(); ++x) marks += NearColor(img.At(x, y), text, 80) ? 1 : 0;
            return marks >= 4;
          };
          checks.topmost = checked(0);
          checks.framed = checked(1);
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

std::string MenuTest::StoredKey(const std::string& key) {
  std::string bytes;
  if (!ReadBytes(Path("data\\data1.dat"), &bytes)) return "<unreadable>";
  auto v = dz::IniDocument::Parse(bytes).Get("ChildWindow", key);
  return v ? *v : "<missing>";
}

bool MenuTest::WaitKey(const std::string& key, const std::string& value) {
  std::string last;
  bool ok = Wait([&] { return (last = StoredKey(key)) == value; }, key + " to become \"" + value + "\"");
  if (!ok) ADD_FAILURE() << key << " is \"" << last << "\"";
  return ok;
}

Dialog MenuTest::WaitForMessageStartingWith(const char* utf8Prefix) {
  const std::wstring prefix = Widen(utf8Prefix);
  Dialog found;
  bool ok = Wait(
      [&] {
        for (const Dialog& d : Dialogs())
          if (d.text.compare(0, prefix.size(), prefix) == 0) {
            found = d;
            return true;
          }
        return false;
      },
      "a message beginning \"" + std::string(utf8Prefix) + "\"");
  if (!ok)
    for (const Dialog& d : Dialogs()) ADD_FAILURE() << "open instead: \"" << Narrow(d.text) << "\"";
  return found;
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
