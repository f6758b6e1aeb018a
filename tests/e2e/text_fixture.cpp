#include "text_fixture.h"

#include <algorithm>
#include <string>

#include "core/settings.h"

namespace e2e {

std::string TextTest::Stored(int n, const std::string& key) { return StoredKey(std::to_string(n) + key); }

bool TextTest::WaitStored(int n, const std::string& value, const std::string& key) {
  return WaitKey(std::to_string(n) + key, value);
}

void TextTest::OneMemo(const std::string& text, int x, int y, int w, int h) {
  MemoSetup m;
  m.x = x;
  m.y = y;
  m.w = w;
  m.h = h;
  m.text = text;
  WriteCategory(std::vector<MemoSetup>{m});
}

bool TextTest::ChooseFile(const char* utf8Caption, const std::wstring& path) {
  return ChooseFileIn(Widen(utf8Caption), path);
}

bool TextTest::ConfirmMessage(const char* utf8Text) {
  Dialog d = WaitForDialog(std::nullopt, Widen(utf8Text));
  if (!d) return false;
  EXPECT_EQ(d.owner, main()) << "the message belongs to the main window";
  return Press(d, IDOK);
}

bool TextTest::AnswerNotSavedNotice(const std::wstring& file) {
  Dialog named = WaitForMessageWith(textmsg::kNotSaved);
  if (!named) return false;
  EXPECT_NE(named.text.find(file), std::wstring::npos) << Narrow(named.text);
  return Press(named, IDOK);
}

HWND TextTest::EditorOf(HWND memo) {
  for (HWND c = GetWindow(memo, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (_wcsnicmp(ClassOf(c).c_str(), L"RichEdit", 8) == 0) return c;
  return nullptr;
}

HWND TextTest::WaitForEditor(HWND memo) {
  HWND e = nullptr;
  Wait([&] { return (e = EditorOf(memo)) != nullptr; }, "the editor on the memo");
  return e;
}

bool TextTest::WaitEditorGone(HWND editor) {
  return Wait([&] { return !IsWindow(editor); }, "the editor to close");
}

std::wstring TextTest::EditorText(HWND editor) {
  int len = static_cast<int>(Send(editor, WM_GETTEXTLENGTH));
  std::wstring s(static_cast<size_t>(len) + 1, L'\0');
  len = static_cast<int>(Send(editor, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&s[0])));
  s.resize(len > 0 ? len : 0);
  return s;
}

void TextTest::Type(HWND editor, const std::wstring& text) {
  for (wchar_t c : text) Send(editor, WM_CHAR, c, 1);
}

bool TextTest::DropFiles(POINT at, const std::vector<std::wstring>& files) {
  // This file's own path names the folder of the drop script.
  std::string script = __FILE__;
  script = script.substr(0, script.find_last_of("/\\") + 1) + "xdnd_drop.py";
  const std::wstring result = Path("xdnd-result.txt");
  DeleteFileW(result.c_str());
  std::wstring cmd = L"/usr/bin/python3 \"" + Widen(script) + L"\" " + std::to_wstring(at.x) + L" " +
                     std::to_wstring(at.y) + L" \"" + Widen(UnixPathOf(result)) + L"\"";
  for (const std::wstring& f : files) cmd += L" \"" + Widen(UnixPathOf(f)) + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  // Wine runs a Linux program from here, but hands back no process handle
  // to wait on: the script reports through its result file instead.
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "cannot start the drop script: " << GetLastError();
    return false;
  }
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  std::string outcome;
  if (!Wait([&] { return ReadBytes(result, &outcome); }, "the drop script's result", 20000)) return false;
  EXPECT_EQ(outcome, "ok") << "drop at " << at.x << "," << at.y;
  return outcome == "ok";
}

bool TextTest::DropFiles(HWND memo, const std::vector<std::wstring>& files) {
  RECT r = ClientRectOnScreen(memo);
  return DropFiles(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, files);
}

std::vector<std::string> TextTest::FilesIn(const std::string& relative) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((Path(relative) + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(fd.cFileName));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace e2e
