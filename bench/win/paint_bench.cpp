// Timed runs of the real program against the floor program (bench/win/
// floor.cpp: 100 windows painting a background and a text, nothing else),
// taking turns in one run: time from starting the process until all 100
// memo windows are shown and painted; one full repaint (every memo
// invalidated at once, polled until none has an update region left); a
// switch between two categories of 100 memos (until all new windows are
// painted); private memory once all are painted and repainted; with switches, also (the
// program only) a change of every memo put into its category file by another program, as a
// synchronisation service does, until every window follows it and is painted; the
// delete of memo 0 (from the OK of its confirmation) and the end of the
// session (the program saves its table), until the process has ended.
// Prints each round, then the medians and the median of the ratios. With idle on, both are then started
// side by side and their wake-ups counted between two minute boundaries.
//
//   paint_bench.exe <dereziz.exe> <floor.exe> <work dir> [rounds] [text bytes] [repaints] [switches] [idle]
//
// Pictures: the program against itself, 100 memos of 110 x 80 with solid
// colours, each with its own copy of a photo, and all sharing one copy,
// taking turns: start-up until every memo is painted, until every picture
// is in place, private memory, and the bytes read beyond the solid run.
//
//   paint_bench.exe pictures <dereziz.exe> <work dir> <photo> [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
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

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

// The host's /proc folder (on Wine's drive for the root) of the process
// running exeName under Wine, or "" when there is none. GetProcessMemoryInfo
// on another process gives nothing under Wine; the host knows.
std::wstring HostProcDir(const std::wstring& exeName) {
  const std::string name = Lower(std::string(exeName.begin(), exeName.end()));
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
  if (find == INVALID_HANDLE_VALUE) return L"";
  std::wstring found;
  do {
    if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName;
    std::string cmd = ReadAll(dir + L"\\cmdline");
    cmd = Lower(cmd.substr(0, cmd.find('\0')));  // the first argument: the program
    if (cmd.size() < name.size() + 1 || cmd.compare(cmd.size() - name.size(), name.size(), name) != 0) continue;
    const char sep = cmd[cmd.size() - name.size() - 1];
    if (sep == '\\' || sep == '/') found = dir;
  } while (found.empty() && FindNextFileW(find, &fd));
  FindClose(find);
  return found;
}

std::wstring ExeName(const std::wstring& exe) { return exe.substr(exe.find_last_of(L"\\/") + 1); }

// Private dirty memory, in KB, of the process running exeName; -1 when not
// found.
long PrivateDirtyKb(const std::wstring& exeName) {
  const std::wstring dir = HostProcDir(exeName);
  if (dir.empty()) return -1;
  const std::string rollup = ReadAll(dir + L"\\smaps_rollup");
  const size_t at = rollup.find("Private_Dirty:");
  return at == std::string::npos ? -1 : atol(rollup.c_str() + at + 14);
}

// How many times the threads of the process in procDir have gone to sleep
// and been woken (voluntary context switches, all threads together).
long long Wakeups(const std::wstring& procDir) {
  long long total = 0;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((procDir + L"\\task\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return -1;
  do {
    if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
    const std::string status = ReadAll(procDir + L"\\task\\" + fd.cFileName + L"\\status");
    const size_t at = status.find("\nvoluntary_ctxt_switches:");
    if (at != std::string::npos) total += atoll(status.c_str() + at + 26);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  return total;
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Polls done every millisecond from t0 on. The time in ms until it held,
// or -1 after limitMs.
double TimeUntil(LARGE_INTEGER t0, double limitMs, const std::function<bool()>& done) {
  LARGE_INTEGER freq, t1;
  QueryPerformanceFrequency(&freq);
  for (;;) {
    const bool held = done();
    QueryPerformanceCounter(&t1);
    if (held) return Ms(t0, t1, freq);
    if (Ms(t0, t1, freq) > limitMs) return -1;
    Sleep(1);
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Best(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// Every window shown and painted. A window's update region is gone as soon
// as its paint begins; a message sent to the painting thread is answered
// only once the paint under way has ended.
bool AllPainted(const std::vector<HWND>& memos) {
  for (HWND h : memos)
    if (!IsWindowVisible(h) || GetUpdateRect(h, nullptr, FALSE)) return false;
  if (!memos.empty()) SendMessageTimeoutW(memos.front(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, nullptr);
  return true;
}

struct Timing {
  double startup = 0;  // from CreateProcess until 100 memo windows are shown and painted
  double repaint = 0;  // median of the full repaints
  long privateKb = -1;  // private dirty memory once all are painted and repainted
  double switched = 0;  // median of the category switches until all new memos are painted
  double followed = -1;  // an outside change of every memo of the category taken in; the program only
  double deleted = 0;   // from the OK of the confirmation until memo 0 is gone and the handler is over
  double ended = 0;     // from the end of the session until the process has ended; -1 when killed
};

HWND WindowOf(DWORD pid, const wchar_t* cls) {
  for (HWND h = FindWindowExW(nullptr, nullptr, cls, nullptr); h; h = FindWindowExW(nullptr, h, cls, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == pid) return h;
  }
  return nullptr;
}

// Ends a started program the way the end of the Windows session does, so
// that it takes its tray icon away: a killed program's icon stays in the
// notification area, and each one left there slows the windows every later
// program creates. The floor closes on WM_CLOSE. Killed only if it does not
// end within 10 s. Returns the ms until it ended, -1 when it was killed.
double EndProgram(PROCESS_INFORMATION& pi) {
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  if (HWND main = WindowOf(pi.dwProcessId, L"MEMOWnd")) {
    PostMessageW(main, WM_ENDSESSION, TRUE, 0);
  } else if (HWND any = WindowOf(pi.dwProcessId, L"Child")) {
    PostMessageW(any, WM_CLOSE, 0, 0);
  }
  double ms = -1;
  if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0) {
    QueryPerformanceCounter(&t1);
    ms = Ms(t0, t1, freq);
  } else {
    fprintf(stderr, "process %lu did not end within 10 s, ended by force\n", pi.dwProcessId);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

// Deletes memo 0 (the window at 10,10) with the delete command and the OK
// of its confirmation. The time in ms from the OK until the window and the
// box are gone and the process answers again (the handler, with its
// renumbering and file write, is over); negative on a timeout.
double TimeDelete(Found* f) {
  constexpr WPARAM kDeleteMemo = 506;
  HWND first = nullptr;
  for (HWND h : f->memos) {
    RECT r;
    if (GetWindowRect(h, &r) && r.left == 10 && r.top == 10) first = h;
  }
  if (!first) return -1;
  PostMessageW(first, WM_COMMAND, kDeleteMemo, 0);
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  HWND box = nullptr;
  for (;;) {
    box = WindowOf(f->pid, L"#32770");
    if (box && IsWindowVisible(box)) break;
    QueryPerformanceCounter(&t1);
    if (Ms(t0, t1, freq) > 10000) {
      fprintf(stderr, "delete: no confirmation after 10 s\n");
      return -1;
    }
    Sleep(1);
  }
  QueryPerformanceCounter(&t0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  const double ms = TimeUntil(t0, 30000, [&] {
    if (IsWindow(first) || IsWindow(box)) return false;
    f->memos.clear();
    EnumWindows(Collect, reinterpret_cast<LPARAM>(f));
    return f->memos.size() == 99 && AllPainted(f->memos);
  });
  if (ms < 0) fprintf(stderr, "delete: memo 0 still there after 30 s\n");
  return ms;
}

// Sends the category command to target and waits until 100 memo windows
// other than those in *memos are shown and painted; they replace *memos.
// The time in ms, or a negative number on a timeout. The old windows are
// told apart by a property: a new window may get the handle of an old one.
double TimeSwitch(HWND target, WPARAM command, Found* f) {
  const wchar_t* const kOld = L"DerezizBenchOld";
  for (HWND h : f->memos) SetPropW(h, kOld, reinterpret_cast<HANDLE>(1));
  LARGE_INTEGER t0;
  QueryPerformanceCounter(&t0);
  PostMessageW(target, WM_COMMAND, command, 0);
  const double ms = TimeUntil(t0, 60000, [&] {
    f->memos.clear();
    EnumWindows(Collect, reinterpret_cast<LPARAM>(f));
    f->memos.erase(std::remove_if(f->memos.begin(), f->memos.end(),
                                  [&](HWND h) { return GetPropW(h, kOld) != nullptr; }),
                   f->memos.end());
    return f->memos.size() >= 100 && AllPainted(f->memos);
  });
  if (ms < 0) {
    Found all{f->pid, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    fprintf(stderr, "category switch: %zu new memo windows after 60 s (%zu in all)\n", f->memos.size(),
            all.memos.size());
  }
  return ms;
}

// Puts bytes in as the category file the way a synchronisation service
// does (written beside, renamed over) and waits until every memo window has
// the height `height` and is painted. The time in ms from the rename, or a
// negative number on a timeout.
double TimeOutsideChange(const std::wstring& file, const std::string& bytes, int height, Found* f) {
  const std::wstring beside = file + L".~sync";
  if (!WriteFileBytes(beside, bytes)) return -1;
  LARGE_INTEGER t0;
  QueryPerformanceCounter(&t0);
  if (!MoveFileExW(beside.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) return -1;
  const double ms = TimeUntil(t0, 60000, [&] {
    for (HWND h : f->memos) {
      RECT r;
      if (!GetWindowRect(h, &r) || r.bottom - r.top != height) return false;
    }
    return AllPainted(f->memos);
  });
  if (ms < 0) fprintf(stderr, "outside change: not taken in after 60 s\n");
  return ms;
}

// Starts cmd in dir, waits until its 100 windows are all painted, then
// repaints them all `repaints` times. false on a timeout.
bool Measure(const std::wstring& exe, const std::wstring& args, const std::wstring& dir, int repaints,
             int switches, const std::string& changed, Timing* out) {
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
    const bool done = f.memos.size() >= 100 && AllPainted(f.memos);
    QueryPerformanceCounter(&now);
    if (done) break;
    if (Ms(start, now, freq) > 60000) {
      fprintf(stderr, "%ls: %zu memo windows, not all painted after 60 s\n", exe.c_str(), f.memos.size());
      ok = false;
      break;
    }
    Sleep(2);
  }
  out->startup = Ms(start, now, freq);
  std::vector<double> times;
  for (int r = 0; ok && r < repaints + 1; ++r) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (HWND h : f.memos) InvalidateRect(h, nullptr, TRUE);
    for (;;) {
      const bool done = AllPainted(f.memos);
      QueryPerformanceCounter(&t1);
      if (done) break;
      if (Ms(t0, t1, freq) > 30000) {
        fprintf(stderr, "memos still not painted after 30 s\n");
        ok = false;
        break;
      }
    }
    if (r > 0) times.push_back(Ms(t0, t1, freq));  // the first run warms caches
  }
  out->repaint = Median(times);
  // After the repaints, not at the first paint: the program adds its tray
  // icon once the memos are painted, and the icon is part of its memory.
  if (ok) out->privateKb = PrivateDirtyKb(ExeName(exe));
  // The program switches from its main window, between its two categories;
  // the floor recreates its windows when any of them gets the command.
  const bool real = WindowOf(pi.dwProcessId, L"MEMOWnd") != nullptr;
  times.clear();
  for (int k = 0; ok && k < switches; ++k) {
    HWND target = real ? WindowOf(pi.dwProcessId, L"MEMOWnd") : f.memos.front();
    const double ms = TimeSwitch(target, k % 2 == 0 ? 40021 : 40020, &f);
    ok = ms >= 0;
    times.push_back(ms);
  }
  out->switched = Median(times);
  // The program again shows the category it started with: another program
  // changes the height of every memo in its file.
  if (ok && real && switches > 0 && switches % 2 == 0) {
    out->followed = TimeOutsideChange(dir + L"\\data\\data1.dat", changed, 56, &f);
    ok = out->followed >= 0;
  }
  // Deleting and ending wait for a window manager's answer for every framed
  // window taken down: timed only where the switches are, on Wine's desktop.
  if (ok && switches > 0) {
    out->deleted = TimeDelete(&f);
    ok = out->deleted >= 0;
  }
  out->ended = EndProgram(pi);
  // Wine's desktop process is still taking the windows down; the next
  // program would pay for it.
  Sleep(1500);
  return ok;
}

// Starts the program and the floor side by side and counts how often each
// process's threads were woken while idle, over the stretch between two
// minute boundaries (the program repaints at each boundary, and before the
// first one it aligns its clock). Returns false when either did not start.
bool MeasureIdle(const std::wstring& exe, const std::wstring& floorExe, const std::wstring& floorArgs,
                 const std::wstring& dir) {
  PROCESS_INFORMATION pis[2]{};
  const std::wstring cmds[2] = {L"\"" + exe + L"\"", L"\"" + floorExe + L"\" " + floorArgs};
  const std::wstring exes[2] = {exe, floorExe};
  for (int i = 0; i < 2; ++i) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = cmds[i];
    if (!CreateProcessW(exes[i].c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pis[i]))
      return false;
  }
  // Past the program's first minute boundary, then 2 s into the next minute.
  SYSTEMTIME st;
  GetLocalTime(&st);
  Sleep(static_cast<DWORD>((60 - st.wSecond) * 1000 - st.wMilliseconds + 2000));
  const std::wstring procs[2] = {HostProcDir(ExeName(exe)), HostProcDir(ExeName(floorExe))};
  bool ok = !procs[0].empty() && !procs[1].empty();
  if (ok) {
    const long long before[2] = {Wakeups(procs[0]), Wakeups(procs[1])};
    Sleep(55000);  // up to 57 s past the minute: no boundary in between
    const long long after[2] = {Wakeups(procs[0]), Wakeups(procs[1])};
    printf("idle, 55 s between two minute boundaries: program woken %lld times (%lld since it started), "
           "floor %lld times (%lld since it started)\n",
           after[0] - before[0], after[0], after[1] - before[1], after[1]);
  } else {
    fprintf(stderr, "idle: processes not found under /proc\n");
  }
  for (PROCESS_INFORMATION& pi : pis) EndProgram(pi);
  Sleep(1500);
  return ok;
}

}  // namespace

// One timed figure over the rounds: the program's and the floor's times and
// their ratio per round.
struct Figure {
  Figure(const char* label, const char* ms) : label(label), ms(ms) {}

  const char* label;
  const char* ms;  // printf format of one time
  std::vector<double> real, floor, ratio;

  void Add(double realMs, double floorMs) {
    real.push_back(realMs);
    floor.push_back(floorMs);
    ratio.push_back(realMs / floorMs);
  }
  // Medians, and the best rounds too: on a busy machine a round is slowed by
  // whoever else gets the processor, never sped up.
  void Print() const {
    if (real.empty()) return;
    const std::string format = std::string("%s (%zu rounds): ") + ms + " / " + ms + " ms = %.2fx (best " + ms +
                               " / " + ms + " ms = %.2fx)\n";
    printf(format.c_str(), label, real.size(), Median(real), Median(floor), Median(ratio), Best(real), Best(floor),
           Best(real) / Best(floor));
  }
};

namespace {

constexpr COLORREF kPending = RGB(255, 0, 255);  // the memos' solid colour, absent from the photo

// The host's /proc folder of the process whose command line holds token:
// other programs of the same name may run on the machine.
std::wstring ProcDirWith(const std::string& token) {
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &fd);
  if (find == INVALID_HANDLE_VALUE) return L"";
  std::wstring found;
  do {
    if (fd.cFileName[0] < L'0' || fd.cFileName[0] > L'9') continue;
    const std::wstring dir = std::wstring(L"Z:\\proc\\") + fd.cFileName;
    if (ReadAll(dir + L"\\cmdline").find(token) != std::string::npos) found = dir;
  } while (found.empty() && FindNextFileW(find, &fd));
  FindClose(find);
  return found;
}

// A number after `field` in the text of a /proc file; -1 when absent.
long long ProcField(const std::wstring& file, const char* field) {
  const std::string text = ReadAll(file);
  const size_t at = text.find(field);
  return at == std::string::npos ? -1 : atoll(text.c_str() + at + strlen(field));
}

struct PictureRun {
  double painted = 0;  // ms from the start until every memo window is painted
  double pictures = 0;  // ms from the start until no memo shows its solid colour
  long privateKb = -1;
  long long bytesRead = -1;
};

// The memo's centre on screen no longer shows the colour it waits in.
bool PictureShown(HDC screen, HWND memo) {
  RECT r;
  if (!GetWindowRect(memo, &r)) return false;
  return GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2) != kPending;
}

// Writes 100 memos whose backgrounds are back(n), starts the program and
// times it. false on a timeout.
bool MeasurePictures(const std::wstring& exe, const std::wstring& dir, const std::function<std::string(int)>& back,
                     bool pictures, PictureRun* out) {
  std::string ini = "[ChildWindow]\r\nNo=100\r\n";
  for (int n = 0; n < 100; ++n) {
    const std::string k = std::to_string(n);
    ini += k + "x=" + std::to_string(10 + (n % 10) * 120) + "\r\n" + k + "y=" + std::to_string(10 + (n / 10) * 95) +
           "\r\n" + k + "h=110\r\n" + k + "l=80\r\n" + k + "Style=0\r\n" + k + "Text=\r\n" + k + "Back=" +
           back(n) + "\r\n" + k + "Color1=" + std::to_string(kPending) + "\r\n";
  }
  if (!WriteFileBytes(dir + L"\\Memo.dat", "[Cagoteri]\r\nCagoteriNo=1\r\n1Cagoteri=data1\r\nNowCagoteri=data1\r\n") ||
      !WriteFileBytes(dir + L"\\data\\data1.dat", ini))
    return false;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // The program ignores its arguments; this one finds it under /proc.
  const std::string token = "picture-bench-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  std::wstring cmd = L"\"" + exe + L"\" " + std::wstring(token.begin(), token.end());
  LARGE_INTEGER freq, start, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return false;
  Found f{pi.dwProcessId, {}};
  bool ok = true;
  // Painted once each: a picture that arrives invalidates its memo again,
  // which is not a memo waiting for its first paint.
  std::vector<HWND> seen;
  for (;;) {
    f.memos.clear();
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
    for (HWND h : f.memos)
      if (std::find(seen.begin(), seen.end(), h) == seen.end() && IsWindowVisible(h) && !GetUpdateRect(h, nullptr, FALSE))
        seen.push_back(h);
    const bool done = seen.size() >= 100 && SendMessageTimeoutW(seen.front(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, nullptr);
    QueryPerformanceCounter(&now);
    if (done) break;
    if (Ms(start, now, freq) > 60000) {
      fprintf(stderr, "pictures: %zu memo windows, %zu painted after 60 s\n", f.memos.size(), seen.size());
      ok = false;
      break;
    }
    Sleep(2);
  }
  out->painted = Ms(start, now, freq);
  HDC screen = GetDC(nullptr);
  for (;;) {
    const bool done = !pictures || std::all_of(f.memos.begin(), f.memos.end(), [&](HWND h) { return PictureShown(screen, h); });
    QueryPerformanceCounter(&now);
    if (done || !ok) break;
    if (Ms(start, now, freq) > 600000) {
      fprintf(stderr, "pictures: not all in place after 600 s\n");
      ok = false;
      break;
    }
    Sleep(20);
  }
  ReleaseDC(nullptr, screen);
  out->pictures = Ms(start, now, freq);
  const std::wstring proc = ProcDirWith(token);
  if (ok && !proc.empty()) {
    out->privateKb = static_cast<long>(ProcField(proc + L"\\smaps_rollup", "Private_Dirty:"));
    out->bytesRead = ProcField(proc + L"\\io", "rchar:");
  }
  EndProgram(pi);
  Sleep(1500);
  return ok;
}

int PictureBench(const std::wstring& exe, const std::wstring& dir, const std::wstring& photo, int rounds) {
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\data").c_str(), nullptr);
  CreateDirectoryW((dir + L"\\own").c_str(), nullptr);
  WIN32_FILE_ATTRIBUTE_DATA fad;
  if (!GetFileAttributesExW(photo.c_str(), GetFileExInfoStandard, &fad)) {
    fprintf(stderr, "no photo at %ls\n", photo.c_str());
    return 1;
  }
  const double photoBytes = static_cast<double>(fad.nFileSizeLow);
  // Windows paths in the settings are ASCII here: no conversion needed.
  std::string photoA(photo.begin(), photo.end());
  std::vector<std::string> copies;
  for (int n = 0; n < 100; ++n) {
    const std::wstring copy = dir + L"\\own\\photo" + std::to_wstring(n) + L".jpg";
    if (!CopyFileW(photo.c_str(), copy.c_str(), FALSE)) return 1;
    copies.emplace_back(copy.begin(), copy.end());
  }
  const std::function<std::string(int)> kinds[3] = {[](int) { return std::string("1"); },
                                                    [&](int n) { return copies[static_cast<size_t>(n)]; },
                                                    [&](int) { return photoA; }};
  const char* names[3] = {"solid colours", "own photos", "one shared photo"};
  std::vector<double> painted[3], placed[3], kb[3], read[3];
  for (int r = 0; r < rounds; ++r) {
    for (int i = 0; i < 3; ++i) {
      const int k = (i + r) % 3;  // each kind goes first in turn
      PictureRun run;
      if (!MeasurePictures(exe, dir, kinds[k], k != 0, &run)) return 1;
      painted[k].push_back(run.painted);
      placed[k].push_back(run.pictures);
      kb[k].push_back(static_cast<double>(run.privateKb));
      read[k].push_back(static_cast<double>(run.bytesRead));
      printf("  round %d, %s: all painted %.0f ms, pictures in place %.0f ms, private memory %ld KB, read %.1f MB\n",
             r + 1, names[k], run.painted, run.pictures, run.privateKb, run.bytesRead / 1048576.0);
    }
  }
  printf("100 memos of 110 x 80, photo of %.1f MB, %d rounds, medians:\n", photoBytes / 1048576.0, rounds);
  for (int k = 1; k < 3; ++k) {
    printf("%s: all painted %.0f / %.0f ms = %.2fx the solid colours; every picture in place %.0f ms; "
           "private memory %.0f / %.0f KB = %.0f KB above; read %.1f MB more = %.1f times the photo\n",
           names[k], Median(painted[k]), Median(painted[0]), Median(painted[k]) / Median(painted[0]),
           Median(placed[k]), Median(kb[k]), Median(kb[0]), Median(kb[k]) - Median(kb[0]),
           (Median(read[k]) - Median(read[0])) / 1048576.0, (Median(read[k]) - Median(read[0])) / photoBytes);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 5 && std::wstring(argv[1]) == L"pictures")
    return PictureBench(argv[2], argv[3], argv[4], argc > 5 ? _wtoi(argv[5]) : 3);
  if (argc < 4) {
    fprintf(stderr,
            "usage: paint_bench <dereziz.exe> <floor.exe> <work dir> [rounds] [text bytes] [repaints] [switches] "
            "[idle: 0 or 1]\n");
    return 2;
  }
  const std::wstring exe = argv[1], floorExe = argv[2], dir = argv[3];
  const int rounds = argc > 4 ? _wtoi(argv[4]) : 7;
  const size_t textBytes = argc > 5 ? static_cast<size_t>(_wtoi(argv[5])) : 160;
  const int repaints = argc > 6 ? _wtoi(argv[6]) : 11;
  const int switches = argc > 7 ? _wtoi(argv[7]) : 6;
  const bool idle = argc > 8 && _wtoi(argv[8]) != 0;

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
  // Two categories of 100 memos to switch between.
  const std::string app =
      "[Cagoteri]\r\nCagoteriNo=2\r\n1Cagoteri=data1\r\n2Cagoteri=data2\r\nNowCagoteri=data1\r\n";
  auto writeFiles = [&] {
    return WriteFileBytes(dir + L"\\Memo.dat", app) && WriteFileBytes(dir + L"\\data\\data1.dat", ini) &&
           WriteFileBytes(dir + L"\\data\\data2.dat", ini);
  };
  const std::wstring floorArgs = std::to_wstring(text.size());
  // The category as another PC changed it: every memo one pixel higher.
  std::string changed = ini;
  for (size_t at = changed.find("l=55\r\n"); at != std::string::npos; at = changed.find("l=55\r\n", at))
    changed.replace(at, 4, "l=56");

  // The real program and the floor take turns, so a load that comes and
  // goes on the machine weighs on both alike.
  Figure startup("start-up until all 100 painted", "%.0f"), repaint("one full repaint of 100 memos", "%.1f"),
      switched("category switch, 100 memos each", "%.0f"), deleted("delete memo 0 of 100, from the OK", "%.1f"),
      ended("end of session (the program saves its table)", "%.0f");
  std::vector<double> realKb, floorKb, aboveKb, followedMs, switchedMs, followedRatio;
  for (int r = 0; r < rounds; ++r) {
    if (!writeFiles()) {
      fprintf(stderr, "cannot write the settings files\n");
      return 1;
    }
    Timing real, floor;
    const bool realFirst = r % 2 == 0;
    if (realFirst && !Measure(exe, L"", dir, repaints, switches, changed, &real)) return 1;
    if (!Measure(floorExe, floorArgs, dir, repaints, switches, changed, &floor)) return 1;
    if (!realFirst && !Measure(exe, L"", dir, repaints, switches, changed, &real)) return 1;
    if (real.followed >= 0) {
      followedMs.push_back(real.followed);
      switchedMs.push_back(real.switched);
      followedRatio.push_back(real.followed / real.switched);
    }
    startup.Add(real.startup, floor.startup);
    repaint.Add(real.repaint, floor.repaint);
    realKb.push_back(static_cast<double>(real.privateKb));
    floorKb.push_back(static_cast<double>(floor.privateKb));
    aboveKb.push_back(static_cast<double>(real.privateKb - floor.privateKb));
    if (switches > 0) {
      switched.Add(real.switched, floor.switched);
      deleted.Add(real.deleted, floor.deleted);
      if (real.ended >= 0 && floor.ended >= 0) ended.Add(real.ended, floor.ended);
    }
    printf("  round %d: start-up %.0f / %.0f ms, repaint %.1f / %.1f ms, switch %.0f / %.0f ms, "
           "delete %.1f / %.1f ms, end %.0f / %.0f ms, private memory %ld / %ld KB\n",
           r + 1, real.startup, floor.startup, real.repaint, floor.repaint, real.switched, floor.switched,
           real.deleted, floor.deleted, real.ended, floor.ended, real.privateKb, floor.privateKb);
  }
  printf("texts of %zu bytes, %d rounds, medians (program / floor = ratio):\n", text.size(), rounds);
  startup.Print();
  repaint.Print();
  if (switches > 0) {
    switched.Print();
    deleted.Print();
    ended.Print();
  }
  if (!followedMs.empty())
    printf("outside change of all 100 memos taken in / category switch of the program: %.0f / %.0f ms = %.2f\n",
           Median(followedMs), Median(switchedMs), Median(followedRatio));
  printf("private memory, 100 memos painted and repainted: %.0f / %.0f KB = %.0f KB above the floor\n", Median(realKb),
         Median(floorKb), Median(aboveKb));
  if (idle && (!writeFiles() || !MeasureIdle(exe, floorExe, floorArgs, dir))) return 1;
  return 0;
}
