// The writer of the end-to-end crash test: opens the settings file named on
// its command line through the Windows file adapter and performs the
// numbered writes after the given one, publishing its progress in a named
// shared memory section, until the test terminates it.
//   crash_writer.exe <file> <last write done> <section name> <test pid>
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "crash_writes.h"
#include "store/win_fs.h"
#include "win/text.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 5) return 2;
  const std::string path = dz::NarrowUtf8(argv[1]);
  const int64_t from = _wcstoi64(argv[2], nullptr, 10);
  HANDLE map = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, argv[3]);
  if (!map) return 3;
  auto* progress =
      static_cast<dz::test::Progress*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(dz::test::Progress)));
  if (!progress) return 4;
  // A writer whose test is gone ends by itself instead of writing forever.
  HANDLE test = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(_wtoi(argv[4])));
  if (!test) return 5;

  dz::WinFileSystem fs;
  dz::SettingsFile file(fs, path);
  dz::test::FileTarget target{file};
  for (int64_t k = from + 1;; ++k) {
    progress->started.store(k);
    dz::test::Perform(k, target);
    progress->done.store(k);
    if (WaitForSingleObject(test, 0) != WAIT_TIMEOUT) return 0;
  }
}
