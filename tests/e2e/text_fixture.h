#pragma once
// Helpers of the text end-to-end tests: stored texts, file dialogs,
// message boxes, the editor and dropping files from an X client.
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

namespace textcmd {
constexpr int kEditMemo = 502;
constexpr int kInsertFileStart = 503;
constexpr int kInsertFileEnd = 504;
constexpr int kSaveMemo = 508;
constexpr int kCopyText = 520;
constexpr int kInsertClipStart = 521;
constexpr int kInsertClipEnd = 522;
constexpr int kCut = 700, kCopy = 701, kPaste = 702, kSelectAll = 704;
constexpr int kLinkMarks = 705, kTime = 706, kDate = 707, kExprMarks = 708;
}  // namespace textcmd

// Texts of the program's messages (UTF-8).
namespace textmsg {
constexpr char kFileTooLarge[] = "ファイルサイズが大きすぎます。";
constexpr char kClipboardTooLarge[] = "クリップボードのテキストが大きすぎます。";
constexpr char kCannotRead[] = "ファイルを開けないか、読み込めませんでした。";
constexpr char kTooManyMemos[] = "メモが百枚を超えています。";
// The start of the notice naming a settings file that could not be written,
// looked for inside the whole text.
constexpr wchar_t kNotSaved[] = L"次のファイルに保存できませんでした";
}  // namespace textmsg

class TextTest : public DerezizTest {
 protected:
  // Memo n's "%dText" as the category file holds it now, "<missing>" when
  // absent, "<unreadable>" while the file cannot be read.
  std::string Stored(int n, const std::string& key = "Text");
  // Waits until memo n's key holds value.
  bool WaitStored(int n, const std::string& value, const std::string& key = "Text");
  // The files (not folders) of a folder under the base folder, sorted.
  std::vector<std::string> FilesIn(const std::string& relative);
  // One memo of stored text `text` at (x, y), size w x h, as the only memo.
  void OneMemo(const std::string& text, int x = 200, int y = 200, int w = 200, int h = 150);

  // Waits for the file dialog with this caption, types path into its file
  // name field and presses OK; waits for the dialog to close.
  bool ChooseFile(const char* utf8Caption, const std::wstring& path);
  // Waits for a message box with this text owned by the main window and
  // presses its OK button.
  bool ConfirmMessage(const char* utf8Text);
  // Waits for the once-a-run notice that a settings file could not be
  // written, checks that it names file and answers it.
  bool AnswerNotSavedNotice(const std::wstring& file);

  // The editor laid over a memo, or null; waits for it to appear.
  static HWND EditorOf(HWND memo);
  HWND WaitForEditor(HWND memo);
  bool WaitEditorGone(HWND editor);
  std::wstring EditorText(HWND editor);
  // Types characters into a window as WM_CHAR messages (sent).
  void Type(HWND editor, const std::wstring& text);

  // Drops the files on the screen point (x, y) from an X client (XDND).
  bool DropFiles(POINT at, const std::vector<std::wstring>& files);
  bool DropFiles(HWND memo, const std::vector<std::wstring>& files);
};

}  // namespace e2e
