#pragma once
// Helpers of the menu, link and style end-to-end tests: the memo menu driven
// by keys, its check marks read from the screen, the font dialog, the
// program the tests hand to the shell, and shell handlers of the test's own.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "text_fixture.h"

namespace e2e {

namespace menucmd {
constexpr int kEditMemo = 502;
constexpr int kTopmost = 509;
constexpr int kFrame = 510;
constexpr int kFont = 511;
constexpr int kMakeDefault = 404;
}  // namespace menucmd

// Controls of the system's font dialog.
namespace fontdlg {
constexpr int kFace = 0x470, kSize = 0x472, kColor = 0x473;
constexpr int kStrikeOut = 0x410, kUnderline = 0x411;
}  // namespace fontdlg

// Keys from nothing selected in the memo menu to the first item of its
// "メモのスタイル" submenu: nine selectable items come before it.
std::vector<UINT> ToStyleSubmenu();

// What the "メモのスタイル" submenu shows before its first two items.
struct StyleChecks {
  bool topmost = false;  // "最前面表示"
  bool framed = false;   // "フレームの表示"
};

// The shell's handler of a protocol replaced by a command of the test's
// own ("%1" = the link) for the object's lifetime, then put back as it was.
// Wine's shell reads handlers from the machine's classes only.
class ProtocolHandler {
 public:
  ProtocolHandler(const std::wstring& protocol, const std::wstring& command);
  ~ProtocolHandler();
  ProtocolHandler(const ProtocolHandler&) = delete;
  ProtocolHandler& operator=(const ProtocolHandler&) = delete;
  bool ok() const { return ok_; }

 private:
  std::wstring protocolKey_, commandKey_;
  bool createdProtocol_ = false;
  std::optional<std::wstring> saved_;  // the command before, if there was one
  bool ok_ = false;
};

class MenuTest : public TextTest {
 protected:
  // Right-clicks the memo and waits for its menu; null (with a failure) when
  // none opens.
  HWND OpenMemoMenu(HWND memo);
  // Opens the memo menu and presses the keys in it.
  bool ChooseInMemoMenu(HWND memo, const std::vector<UINT>& keys);
  // Opens the memo menu and its "メモのスタイル" submenu with the last item
  // selected and reads the two check marks from the screen. The menu stays
  // open (*menu): the next keys start from "このメモのスタイルをデフォルトにする".
  std::optional<StyleChecks> OpenStyleSubmenu(HWND memo, HWND* menu);
  bool WaitMenusClosed();

  // A copy of the test's link program at base\name (UTF-8), and the command
  // line it recorded when it ran ("" until then).
  std::wstring CopyLinkProgram(const std::string& name);
  std::string RecordedCommandLine(const std::string& name);
  bool WaitForRecord(const std::string& name, std::string* commandLine);

  // The font dialog of the program.
  Dialog WaitForFontDialog();

  // Text pixels of colour c inside the memo's client area.
  RECT TextBox(HWND memo, COLORREF c);
};

}  // namespace e2e
