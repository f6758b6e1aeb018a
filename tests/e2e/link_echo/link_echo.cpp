// Stands in for whatever the shell starts for a link: writes the command
// line it was started with, as UTF-8, to its own path with ".txt" in place
// of ".exe", so a test sees what the shell was asked to open.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH];
  DWORD len = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (len < 5 || len >= MAX_PATH) return 1;
  std::wstring out(self, len - 4);
  out += L".txt";
  const std::wstring line = GetCommandLineW();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                  nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], bytes, nullptr, nullptr);
  // Written beside and moved into place, so a reader never sees half of it.
  const std::wstring part = out + L".part";
  HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || !MoveFileExW(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
  return 0;
}
