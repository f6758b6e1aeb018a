// Timed runs of the real program: how long one full repaint of a category
// of 100 memos takes, from invalidating every memo to the last paint being
// done. Starts dereziz.exe in a fresh base directory, then for each run
// invalidates all memo windows at once and polls until none has an update
// region left. Prints the median and the spread of the runs.
//
//   paint_bench.exe <dereziz.exe> <work dir> [runs] [text bytes]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Found {
  DWORD pid;
  std::vector<HWND> memos;
};

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  wchar_t cls[32];
  if (pid == f->pid && GetClassNameW(h, cls, 32) && wcscmp(cls, L"Child") == 0) f->memos.push_back(h);
  return TRUE;
}

// A memo text of about `bytes` bytes: Japanese and ASCII words, line breaks,
// link marks and a live expression every line, as real memos hold.
std::string MemoText(size_t bytes) {
  const std::string line =
      "\x89\xEF\x8B\x63 ^%h*60+%i^ <\\http://example.com/\\> \x83\x81\x83\x82 abc`def$$";
  std::string t;
  while (t.size() + line.size() <= bytes) t += line;
  return t;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(f);
  return ok && done == bytes.size();
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: paint_bench <dereziz.exe> <work dir> [runs] [text bytes]\n");
    return 2;
  }
  const std::wstring exe = argv[1], dir = argv[2];
  const int runs = argc > 3 ? _wtoi(argv[3]) : 21;
  const size_t textBytes = argc > 4 ? static_cast<size_t>(_wtoi(argv[4])) : 200;

  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\data").c_str(), nullptr);
  std::string ini = "[ChildWindow]\r\nNo=100\r\n";
  const std::string text = MemoText(textBytes);
  for (int n = 0; n < 100; ++n) {
    const std::string k = std::to_string(n);
    ini += k + "x=" + std::to_string(10 + (n % 10) * 100) + "\r\n" + k + "y=" + std::to_string(10 + (n / 10) * 60) +
           "\r\n" + k + "h=95\r\n" + k + "l=55\r\n" + k + "Text=" + text + "\r\n" + k + "Back=" +
           (n % 3 == 0 ? "3" : "1") + "\r\n" + k + "Color1=" + std::to_string(0x80FFFF) + "\r\n";
  }
  if (!WriteFileBytes(dir + L"\\data\\data1.dat", ini)) {
    fprintf(stderr, "cannot write the category file\n");
    return 1;
  }

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
    fprintf(stderr, "cannot start %ls\n", exe.c_str());
    return 1;
  }
  Found f{pi.dwProcessId, {}};
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  for (;;) {
    f.memos.clear();
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
    QueryPerformanceCounter(&now);
    if (f.memos.size() >= 100) break;
    if (Ms(start, now, freq) > 60000) {
      fprintf(stderr, "only %zu memo windows after 60 s\n", f.memos.size());
      TerminateProcess(pi.hProcess, 1);
      return 1;
    }
    Sleep(20);
  }
  printf("start-up to 100 memo windows: %.0f ms\n", Ms(start, now, freq));

  std::vector<double> times;
  for (int r = 0; r < runs + 1; ++r) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (HWND h : f.memos) InvalidateRect(h, nullptr, TRUE);
    bool pending = true;
    while (pending) {
      pending = false;
      for (HWND h : f.memos)
        if (GetUpdateRect(h, nullptr, FALSE)) {
          pending = true;
          break;
        }
      QueryPerformanceCounter(&t1);
      if (Ms(t0, t1, freq) > 30000) {
        fprintf(stderr, "memos still not painted after 30 s\n");
        TerminateProcess(pi.hProcess, 1);
        return 1;
      }
    }
    if (r > 0) times.push_back(Ms(t0, t1, freq));  // the first run warms caches
  }
  std::sort(times.begin(), times.end());
  printf("full repaint of 100 memos (%zu-byte texts), %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n",
         text.size(), runs, times[times.size() / 2], times.front(), times.back());
  TerminateProcess(pi.hProcess, 0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
