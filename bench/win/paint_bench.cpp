// Timed runs of the real program against the floor program (bench/win/
// floor.cpp: 100 windows painting a background and a text, nothing else),
// taking turns in one run: time from starting the process until all 100
// memo windows are shown and painted, and one full repaint (every memo
// invalidated at once, polled until none has an update region left).
// Prints each round, then the medians and the median of the ratios.
//
//   paint_bench.exe <dereziz.exe> <floor.exe> <work dir> [rounds] [text bytes] [repaints]
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
  t.append(bytes - t.size(), 'x');
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

// Reads a whole small file; files under /proc report no size, so it reads
// until the end.
std::string ReadAll(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(f);
  return out;
}

// Private dirty memory, in KB, of the host process running `exeName` under
// Wine (GetProcessMemoryInfo on another process gives nothing under Wine):
// found through the host's /proc, on Wine's drive for the root. -1 when not
// found.
long PrivateDirtyKb(const std::wstring& exeName) {
  std::string name(exeName.begin(), exeName.end());
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
  if (find == INVALID_HANDLE_VALUE) return -1;
  long kb = -1;
  do {
    if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName;
    std::string cmd = ReadAll(dir + L"\\cmdline");
    cmd = cmd.substr(0, cmd.find('\0'));  // the first argument: the program
    for (char& c : cmd) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (cmd.size() < name.size() + 1 || cmd.compare(cmd.size() - name.size(), name.size(), name) != 0) continue;
    const char sep = cmd[cmd.size() - name.size() - 1];
    if (sep != '\\' && sep != '/') continue;
    const std::string rollup = ReadAll(dir + L"\\smaps_rollup");
    const size_t at = rollup.find("Private_Dirty:");
    if (at != std::string::npos) kb = atol(rollup.c_str() + at + 14);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  return kb;
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

bool AllPainted(const std::vector<HWND>& memos) {
  for (HWND h : memos)
    if (!IsWindowVisible(h) || GetUpdateRect(h, nullptr, FALSE)) return false;
  return true;
}

struct Timing {
  double startup = 0;  // from CreateProcess until 100 memo windows are shown and painted
  double repaint = 0;  // median of the full repaints
  long privateKb = -1;  // private dirty memory once all are painted
};

// Starts cmd in dir, waits until its 100 windows are all painted, then
// repaints them all `repaints` times. false on a timeout.
bool Measure(const std::wstring& exe, const std::wstring& args, const std::wstring& dir, int repaints,
             Timing* out) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
    fprintf(stderr, "cannot start %ls\n", exe.c_str());
    return false;
  }
  Found f{pi.dwProcessId, {}};
  bool ok = true;
  for (;;) {
    f.memos.clear();
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
    QueryPerformanceCounter(&now);
    if (f.memos.size() >= 100 && AllPainted(f.memos)) break;
    if (Ms(start, now, freq) > 60000) {
      fprintf(stderr, "%ls: %zu memo windows, not all painted after 60 s\n", exe.c_str(), f.memos.size());
      ok = false;
      break;
    }
    Sleep(2);
  }
  out->startup = Ms(start, now, freq);
  if (ok) out->privateKb = PrivateDirtyKb(exe.substr(exe.find_last_of(L"\\/") + 1));
  std::vector<double> times;
  for (int r = 0; ok && r < repaints + 1; ++r) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (HWND h : f.memos) InvalidateRect(h, nullptr, TRUE);
    for (;;) {
      QueryPerformanceCounter(&t1);
      if (AllPainted(f.memos)) break;
      if (Ms(t0, t1, freq) > 30000) {
        fprintf(stderr, "memos still not painted after 30 s\n");
        ok = false;
        break;
      }
    }
    if (r > 0) times.push_back(Ms(t0, t1, freq));  // the first run warms caches
  }
  out->repaint = Median(times);
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Wine's desktop process is still taking the windows down; the next
  // program would pay for it.
  Sleep(1500);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: paint_bench <dereziz.exe> <floor.exe> <work dir> [rounds] [text bytes] [repaints]\n");
    return 2;
  }
  const std::wstring exe = argv[1], floorExe = argv[2], dir = argv[3];
  const int rounds = argc > 4 ? _wtoi(argv[4]) : 7;
  const size_t textBytes = argc > 5 ? static_cast<size_t>(_wtoi(argv[5])) : 160;
  const int repaints = argc > 6 ? _wtoi(argv[6]) : 11;

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

  // The real program and the floor take turns, so a load that comes and
  // goes on the machine weighs on both alike.
  std::vector<double> realStart, floorStart, realPaint, floorPaint, ratioStart, ratioPaint, realKb, floorKb,
      aboveKb;
  for (int r = 0; r < rounds; ++r) {
    if (!WriteFileBytes(dir + L"\\data\\data1.dat", ini)) {
      fprintf(stderr, "cannot write the category file\n");
      return 1;
    }
    Timing real, floor;
    const bool realFirst = r % 2 == 0;
    if (realFirst && !Measure(exe, L"", dir, repaints, &real)) return 1;
    if (!Measure(floorExe, std::to_wstring(text.size()), dir, repaints, &floor)) return 1;
    if (!realFirst && !Measure(exe, L"", dir, repaints, &real)) return 1;
    realStart.push_back(real.startup);
    floorStart.push_back(floor.startup);
    realPaint.push_back(real.repaint);
    floorPaint.push_back(floor.repaint);
    ratioStart.push_back(real.startup / floor.startup);
    ratioPaint.push_back(real.repaint / floor.repaint);
    realKb.push_back(static_cast<double>(real.privateKb));
    floorKb.push_back(static_cast<double>(floor.privateKb));
    aboveKb.push_back(static_cast<double>(real.privateKb - floor.privateKb));
    printf("  round %d: start-up %.0f / %.0f ms, repaint %.1f / %.1f ms, private memory %ld / %ld KB\n", r + 1,
           real.startup, floor.startup, real.repaint, floor.repaint, real.privateKb, floor.privateKb);
  }
  printf("texts of %zu bytes, %d rounds, medians (program / floor = ratio):\n", text.size(), rounds);
  printf("start-up until all 100 painted: %.0f / %.0f ms = %.2fx\n", Median(realStart), Median(floorStart),
         Median(ratioStart));
  printf("one full repaint of 100 memos:  %.1f / %.1f ms = %.2fx\n", Median(realPaint), Median(floorPaint),
         Median(ratioPaint));
  printf("private memory, all 100 painted: %.0f / %.0f KB = %.0f KB above the floor\n", Median(realKb),
         Median(floorKb), Median(aboveKb));
  return 0;
}
