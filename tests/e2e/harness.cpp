#include "harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace e2e {

// ---- text -----------------------------------------------------------------

static std::wstring ToWide(UINT cp, const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), int(s.size()), &w[0], n);
  return w;
}

static std::string ToBytes(UINT cp, const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(cp, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring Widen(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }
std::string Narrow(const std::wstring& w) { return ToBytes(CP_UTF8, w); }
std::string Sjis(const std::wstring& w) { return ToBytes(932, w); }
std::wstring FromSjis(const std::string& bytes) { return ToWide(932, bytes); }

// ---- settings files as bytes ---------------------------------------------

IniText& IniText::Section(const std::string& name) {
  text_ += "[" + name + "]\r\n";
  return *this;
}
IniText& IniText::Set(const std::string& key, const std::string& value) {
  text_ += key + "=" + value + "\r\n";
  return *this;
}
IniText& IniText::Set(const std::string& key, long long value) {
  return Set(key, std::to_string(value));
}
IniText& IniText::Memo(int n, const std::string& property, const std::string& value) {
  return Set(std::to_string(n) + property, value);
}
IniText& IniText::Memo(int n, const std::string& property, long long value) {
  return Set(std::to_string(n) + property, std::to_string(value));
}
IniText& IniText::Raw(const std::string& line) {
  text_ += line + "\r\n";
  return *this;
}

void AddMemoKeys(IniText& ini, int n, const MemoSetup& m) {
  ini.Memo(n, "x", m.x).Memo(n, "y", m.y).Memo(n, "h", m.w).Memo(n, "l", m.h);
  if (m.text) ini.Memo(n, "Text", *m.text);
  if (m.style) ini.Memo(n, "Style", *m.style);
  if (m.level) ini.Memo(n, "WindowLebel", *m.level);
  if (m.back) ini.Memo(n, "Back", *m.back);
  if (m.color1) ini.Memo(n, "Color1", *m.color1);
  if (m.fontColor) ini.Memo(n, "FontColor", *m.fontColor);
  if (m.fontHeight) ini.Memo(n, "FontHeight", *m.fontHeight);
  if (m.id) ini.Memo(n, "Id", *m.id);
}

std::string CategoryFile(const std::vector<MemoSetup>& memos) {
  IniText ini;
  ini.Section("ChildWindow").Set("No", (long long)memos.size());
  for (size_t i = 0; i < memos.size(); ++i) AddMemoKeys(ini, int(i), memos[i]);
  return ini.bytes();
}

// ---- windows ----------------------------------------------------------------

std::wstring WindowText(HWND hwnd) {
  wchar_t buf[1024] = L"";
  GetWindowTextW(hwnd, buf, 1024);
  return buf;
}

std::wstring ControlText(HWND hwnd) {
  // Controls of another process keep their text to themselves: ask them.
  wchar_t buf[1024] = L"";
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &r))
    return L"";
  return buf;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256] = L"";
  GetClassNameW(hwnd, buf, 256);
  return buf;
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

RECT ClientRectOnScreen(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  POINT p{0, 0};
  ClientToScreen(hwnd, &p);
  OffsetRect(&r, p.x, p.y);
  return r;
}

namespace {
struct EnumState {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* title;
  std::vector<HWND> out;
};
BOOL CALLBACK EnumTop(HWND hwnd, LPARAM lp) {
  auto* st = reinterpret_cast<EnumState*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != st->pid) return TRUE;
  if (st->cls && ClassOf(hwnd) != st->cls) return TRUE;
  if (st->title && WindowText(hwnd) != st->title) return TRUE;
  st->out.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* cls, const wchar_t* title) {
  EnumState st{pid, cls, title, {}};
  EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&st));
  return st.out;
}

WindowInfo Describe(HWND hwnd) {
  WindowInfo i{};
  i.hwnd = hwnd;
  i.cls = ClassOf(hwnd);
  i.title = WindowText(hwnd);
  i.rect = WindowRect(hwnd);
  i.style = GetWindowLongW(hwnd, GWL_STYLE);
  i.exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  i.visible = IsWindowVisible(hwnd) != FALSE;
  return i;
}

std::string DescribeForLog(HWND hwnd) {
  WindowInfo i = Describe(hwnd);
  char buf[160];
  snprintf(buf, sizeof buf, " %p style=0x%08lx ex=0x%08lx %s", (void*)hwnd, (unsigned long)i.style,
           (unsigned long)i.exStyle, i.visible ? "visible" : "hidden");
  return Narrow(i.cls) + " \"" + Narrow(i.title) + "\" " + RectStr(i.rect) + buf;
}

Dialog ReadDialog(HWND hwnd) {
  Dialog d;
  d.hwnd = hwnd;
  d.caption = WindowText(hwnd);
  d.owner = GetWindow(hwnd, GW_OWNER);
  for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassOf(c).c_str(), L"Static") != 0) continue;
    std::wstring t = WindowText(c);
    if (t.empty()) continue;
    if (!d.text.empty()) d.text += L"\n";
    d.text += t;
  }
  return d;
}

namespace {
BOOL CALLBACK FindEdit(HWND hwnd, LPARAM lp) {
  if (GetDlgCtrlID(hwnd) == 0x47c && _wcsicmp(ClassOf(hwnd).c_str(), L"Edit") == 0 &&
      IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FileNameEdit(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(dialog, FindEdit, reinterpret_cast<LPARAM>(&found));  // recursive
  return found;
}

// ---- clipboard ------------------------------------------------------------

namespace {
// The program may hold the clipboard for a moment; retry with a bound.
bool OpenClipboardBounded() {
  DWORD start = GetTickCount();
  while (!OpenClipboard(nullptr)) {
    if (GetTickCount() - start > 5000) return false;
    Sleep(5);
  }
  return true;
}
}  // namespace

std::optional<std::wstring> ClipboardUnicode() {
  if (!OpenClipboardBounded()) return std::nullopt;
  std::optional<std::wstring> out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      size_t max = GlobalSize(h) / sizeof(wchar_t);
      out = std::wstring(p, wcsnlen(p, max));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

std::optional<std::string> ClipboardAnsi() {
  if (!OpenClipboardBounded()) return std::nullopt;
  std::optional<std::string> out;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (auto* p = static_cast<const char*>(GlobalLock(h))) {
      out = std::string(p, strnlen(p, GlobalSize(h)));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

static HGLOBAL GlobalCopy(const void* data, size_t bytes) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!g) return nullptr;
  memcpy(GlobalLock(g), data, bytes);
  GlobalUnlock(g);
  return g;
}

bool SetClipboardTexts(const std::wstring& unicode, const std::string* ansi) {
  if (!OpenClipboardBounded()) return false;
  EmptyClipboard();
  bool ok = SetClipboardData(CF_UNICODETEXT,
                             GlobalCopy(unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t))) !=
            nullptr;
  if (ansi) ok = ok && SetClipboardData(CF_TEXT, GlobalCopy(ansi->c_str(), ansi->size() + 1));
  CloseClipboard();
  return ok;
}

// ---- pixels -----------------------------------------------------------------

bool NearColor(COLORREF a, COLORREF b, int t) {
  return abs(int(GetRValue(a)) - int(GetRValue(b))) <= t &&
         abs(int(GetGValue(a)) - int(GetGValue(b))) <= t &&
         abs(int(GetBValue(a)) - int(GetBValue(b))) <= t;
}

std::string ColorName(COLORREF c) {
  char buf[40];
  snprintf(buf, sizeof buf, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

std::string RectStr(const RECT& r) {
  char buf[80];
  snprintf(buf, sizeof buf, "(%ld,%ld)-(%ld,%ld) %ldx%ld", (long)r.left, (long)r.top,
           (long)r.right, (long)r.bottom, (long)(r.right - r.left), (long)(r.bottom - r.top));
  return buf;
}

COLORREF Image::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
  return px_[size_t(y) * w_ + x];
}

void Image::Put(int x, int y, COLORREF c) {
  if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[size_t(y) * w_ + x] = c;
}

static RECT Bounds(const Image& img, const std::function<bool(COLORREF)>& match) {
  RECT r{img.width(), img.height(), -1, -1};
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (match(img.At(x, y))) {
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  if (r.right < 0) return RECT{0, 0, 0, 0};
  return r;
}

RECT Image::BoundingBox(COLORREF c, int t) const {
  return Bounds(*this, [&](COLORREF p) { return NearColor(p, c, t); });
}

RECT Image::BoundingBoxNot(COLORREF c, int t) const {
  return Bounds(*this, [&](COLORREF p) { return !NearColor(p, c, t); });
}

int Image::Count(COLORREF c, int t) const {
  int n = 0;
  for (COLORREF p : px_) n += NearColor(p, c, t) ? 1 : 0;
  return n;
}

double Image::Fraction(COLORREF c, int t) const {
  return px_.empty() ? 0.0 : double(Count(c, t)) / double(px_.size());
}

bool Image::SameAs(const Image& o, int t) const {
  if (w_ != o.w_ || h_ != o.h_) return false;
  for (size_t i = 0; i < px_.size(); ++i)
    if (!NearColor(px_[i], o.px_[i], t)) return false;
  return true;
}

bool Image::SaveBmp(const std::wstring& path) const {
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof bih;
  bih.biWidth = w_;
  bih.biHeight = -h_;  // top-down
  bih.biPlanes = 1;
  bih.biBitCount = 32;
  bih.biCompression = BI_RGB;
  std::string pixels(size_t(w_) * h_ * 4, '\0');
  for (size_t i = 0; i < px_.size(); ++i) {
    pixels[i * 4 + 0] = char(GetBValue(px_[i]));
    pixels[i * 4 + 1] = char(GetGValue(px_[i]));
    pixels[i * 4 + 2] = char(GetRValue(px_[i]));
  }
  BITMAPFILEHEADER bfh{};
  bfh.bfType = 0x4D42;
  bfh.bfOffBits = sizeof bfh + sizeof bih;
  bfh.bfSize = DWORD(bfh.bfOffBits + pixels.size());
  std::string file(reinterpret_cast<const char*>(&bfh), sizeof bfh);
  file.append(reinterpret_cast<const char*>(&bih), sizeof bih);
  file += pixels;
  return WriteBytes(path, file);
}

Image CaptureScreen(const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return Image();
  Image img(w, h);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const auto* p = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned char* q = p + (size_t(y) * w + x) * 4;
        img.Put(x, y, RGB(q[2], q[1], q[0]));
      }
    SelectObject(mem, old);
    DeleteObject(bmp);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return img;
}

Image CaptureScreen() {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return CaptureScreen(r);
}

Image CaptureClient(HWND hwnd) { return CaptureScreen(ClientRectOnScreen(hwnd)); }

// ---- files ------------------------------------------------------------------

bool ReadBytes(const std::wstring& path, std::string* bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(f, buf, sizeof buf, &got, nullptr) != FALSE) && got > 0) bytes->append(buf, got);
  CloseHandle(f);
  return ok;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr) && put == bytes.size();
  CloseHandle(f);
  return ok;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& path) {
  DWORD attr = GetFileAttributesW(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return;
  if (attr & FILE_ATTRIBUTE_DIRECTORY) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") RemoveTree(path + L"\\" + n);
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
  } else {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
  }
}

std::wstring DriverDirectory() {
  wchar_t buf[MAX_PATH * 2] = L"";
  GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
  std::wstring p = buf;
  size_t slash = p.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

// The Wine path of a Linux path.
std::wstring DosPath(const std::string& unixPath) {
  using Fn = wchar_t*(CDECL*)(const char*);
  auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (!fn) return Widen(unixPath);
  wchar_t* d = fn(unixPath.c_str());
  if (!d) return Widen(unixPath);
  std::wstring s = d;
  HeapFree(GetProcessHeap(), 0, d);
  return s;
}

std::string UnixPathOf(const std::wstring& path) {
  using Fn = char*(CDECL*)(const wchar_t*);
  auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return std::string();
  char* u = fn(path.c_str());
  if (!u) return std::string();
  std::string s = u;
  HeapFree(GetProcessHeap(), 0, u);
  return s;
}

std::string UnixPath(const std::wstring& path) {
  const std::string u = UnixPathOf(path);
  return u.empty() ? Narrow(path) : u;
}

// ---- waiting ------------------------------------------------------------------

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs, const std::string& what,
             const std::function<std::string()>& alive) {
  DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (alive) {
      std::string why = alive();
      if (!why.empty()) {
        if (cond()) return true;  // it became true as the process ended
        ADD_FAILURE() << "while waiting for " << what << ": " << why;
        return false;
      }
    }
    if (GetTickCount() - start >= timeoutMs) {
      // One last look: the condition may have become true just now.
      if (cond()) return true;
      ADD_FAILURE() << "timed out after " << timeoutMs << " ms waiting for " << what;
      return false;
    }
    Sleep(10);  // poll interval
  }
}

bool Within(const std::function<bool()>& cond, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start >= timeoutMs) return cond();
    Sleep(10);  // poll interval
  }
  return true;
}

// ---- the desktop -----------------------------------------------------------

bool UseTestDesktop() {
  HDESK desk = CreateDesktopW(kTestDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (!desk || !SetThreadDesktop(desk)) {
    fprintf(stderr, "cannot switch to desktop %ls (error %lu)\n", kTestDesktop, GetLastError());
    return false;
  }
  return true;
}

bool WriteDisplayScale(DWORD dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

// ---- the program under test -----------------------------------------------------

void DerezizTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  testName_ = std::string(info->test_suite_name()) + "." + info->name();
  std::string dirName = testName_;
  for (char& c : dirName)
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?') c = '_';
  std::wstring runs = DriverDirectory() + L"\\e2e-runs";
  CreateDirectoryW(runs.c_str(), nullptr);
  base_ = runs + L"\\" + Widen(dirName);
  RemoveTree(base_);
  ASSERT_FALSE(FileExists(base_)) << "cannot wipe " << UnixPath(base_);
  ASSERT_TRUE(CreateDirectoryW(base_.c_str(), nullptr)) << "cannot create " << UnixPath(base_);
  ASSERT_TRUE(CreateDirectoryW(Path("data").c_str(), nullptr));
}

void DerezizTest::TearDown() {
  if (HasFailure() && !screenshotTaken_) SaveScreenshot("failure");
  if (Running()) {
    std::vector<Dialog> open = Dialogs();
    if (exitFailed_) {
      ADD_FAILURE() << "dereziz.exe was still running after its exit; killed";
      KillProgram();
    } else if (!open.empty()) {
      // A dialog left open by a failed step: the program cannot exit through
      // its menu now, and the test has already reported its failure (or
      // should have).
      if (!HasFailure()) {
        ADD_FAILURE() << "a dialog was left open at the end of the test: \""
                      << Narrow(open[0].caption) << "\" / \"" << Narrow(open[0].text) << "\"";
        SaveScreenshot("failure");
      }
      KillProgram();
    } else if (!Exit()) {
      KillProgram();
    }
  }
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
  pi_ = PROCESS_INFORMATION{};
  if (scaled_) {
    EXPECT_TRUE(WriteDisplayScale(96)) << "cannot put the display scale back to 96 dpi";
    scaled_ = false;
  }
}

void DerezizTest::SetDisplayScale(DWORD dpi) {
  scaled_ = true;
  ASSERT_TRUE(WriteDisplayScale(dpi)) << "cannot set the display scale to " << dpi << " dpi";
}

std::wstring DerezizTest::Path(const std::string& relative) const {
  return relative.empty() ? base_ : base_ + L"\\" + Widen(relative);
}

void DerezizTest::WriteFile(const std::string& relative, const std::string& bytes) {
  std::wstring p = Path(relative);
  size_t slash = p.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > base_.size())
    CreateDirectoryW(p.substr(0, slash).c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(p, bytes)) << "cannot write " << UnixPath(p);
}

void DerezizTest::RemoveDataFolder() {
  RemoveTree(Path("data"));
  ASSERT_FALSE(FileExists(Path("data")));
}

// Starts dereziz.exe on the test desktop with dir as its current directory.
static bool LaunchProgram(const std::wstring& dir, PROCESS_INFORMATION* pi, DWORD flags = 0) {
  std::wstring exe;
  if (const wchar_t* env = _wgetenv(L"DEREZIZ_EXE"); env && *env)
    exe = env;
  else
    exe = DriverDirectory() + L"\\dereziz.exe";
  if (!FileExists(exe)) {
    ADD_FAILURE() << "program not found: " << Narrow(exe) << " (set DEREZIZ_EXE or build it)";
    return false;
  }
  std::wstring cmdline = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring desktop = kTestDesktop;
  si.lpDesktop = &desktop[0];
  if (!CreateProcessW(exe.c_str(), &cmdline[0], nullptr, nullptr, FALSE, flags, nullptr, dir.c_str(), &si, pi)) {
    ADD_FAILURE() << "CreateProcess failed with error " << GetLastError() << " for " << Narrow(exe);
    return false;
  }
  return true;
}

bool DerezizTest::Start(int memos) {
  // A second start in the same test (a restart) begins afresh.
  if (Running()) {
    ADD_FAILURE() << "Start() while the program is still running";
    return false;
  }
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
  pi_ = PROCESS_INFORMATION{};
  main_ = nullptr;
  snapshot_.clear();
  exitFailed_ = false;
  if (!LaunchProgram(base_, &pi_)) return false;
  // The main window exists from the start of its creation; the memos are
  // loaded inside that creation, and the message loop runs after it. Input
  // idle therefore means start-up is over. Starting with 100 memos takes
  // about 5 s here and over 15 s while other work shares the two cores: the
  // limits are for a program that never gets there.
  if (!Wait([&] { return !TopLevelWindows(pid(), L"MEMOWnd").empty(); },
            "the main window (class MEMOWnd)", kProcessStartMs))
    return false;
  main_ = TopLevelWindows(pid(), L"MEMOWnd")[0];
  // A hundred memos on a busy machine take far longer than one: the bound
  // grows with them, so that only a real hang fails here.
  DWORD idle = WaitForInputIdle(pi_.hProcess, kProcessStartMs + 300 * static_cast<DWORD>(memos > 0 ? memos : 0));
  if (idle != 0) {
    ADD_FAILURE() << "dereziz.exe did not become idle after start (" << idle << "); " << Health();
    return false;
  }
  if (memos >= 0 && !WaitForMemoCount(size_t(memos))) return false;
  SnapshotMemos();
  return ExpectAlive();
}

bool DerezizTest::Running() const {
  DWORD code = 0;
  return pi_.hProcess && GetExitCodeProcess(pi_.hProcess, &code) && code == STILL_ACTIVE;
}

DWORD DerezizTest::ExitCode() const {
  DWORD code = 0;
  if (!pi_.hProcess || !GetExitCodeProcess(pi_.hProcess, &code)) return DWORD(-1);
  return code;
}

std::string DerezizTest::Health(DWORD answerMs) const {
  if (!pi_.hProcess) return "the program was never started";
  DWORD code = ExitCode();
  if (code != STILL_ACTIVE) {
    char buf[96];
    snprintf(buf, sizeof buf, "dereziz.exe exited unexpectedly (exit code 0x%08lx)", (unsigned long)code);
    return buf;
  }
  if (main_) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, answerMs, &r))
      return "dereziz.exe does not answer messages (hung, or busy for more than " +
             std::to_string(answerMs) + " ms)";
  }
  return "";
}

bool DerezizTest::ExpectAlive() {
  std::string why = Health();
  if (why.empty()) return true;
  ADD_FAILURE() << why;
  return false;
}

bool DerezizTest::Wait(const std::function<bool()>& cond, const std::string& what, DWORD timeoutMs) {
  bool ok = WaitFor(cond, timeoutMs, what, [this]() -> std::string {
    if (Running()) return "";
    return Health();
  });
  if (!ok && Running()) {
    // Say whether the program was stuck rather than just slow.
    std::string why = Health();
    if (!why.empty()) ADD_FAILURE() << why;
  }
  return ok;
}

bool DerezizTest::WaitForExit(DWORD timeoutMs) {
  if (!pi_.hProcess) return false;
  if (WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0) return true;
  ADD_FAILURE() << "dereziz.exe did not end within " << timeoutMs << " ms";
  return false;
}

bool DerezizTest::Exit() {
  if (!Running()) {
    ADD_FAILURE() << "cannot exit: " << Health();
    return false;
  }
  exitFailed_ = true;  // until it has ended
  PostCommand(main_, cmd::kExit);
  Dialog d = WaitForDialog(std::wstring(L"終了確認"));
  if (!d) return false;
  EXPECT_EQ(Narrow(d.text), "終了してもよろしいですか");
  EXPECT_EQ(d.owner, main_) << "the exit confirmation must be owned by the main window";
  PostMessageW(d.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(d.hwnd, IDOK));
  if (!WaitForExit()) return false;
  exitFailed_ = false;
  EXPECT_EQ(ExitCode(), 0u) << "exit code of dereziz.exe";
  return true;
}

void DerezizTest::KillProgram() {
  if (!Running()) return;
  TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, 5000);
}

OtherProgram::~OtherProgram() {
  if (Running()) {
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
  if (pi_.hProcess) CloseHandle(pi_.hProcess);
  if (pi_.hThread) CloseHandle(pi_.hThread);
}

bool OtherProgram::Start(const std::wstring& dir, bool suspended) {
  if (pi_.hProcess) {
    ADD_FAILURE() << "OtherProgram started twice";
    return false;
  }
  return LaunchProgram(dir, &pi_, suspended ? CREATE_SUSPENDED : 0);
}

void OtherProgram::Resume() { ResumeThread(pi_.hThread); }

bool OtherProgram::Running() const {
  DWORD code = 0;
  return pi_.hProcess && GetExitCodeProcess(pi_.hProcess, &code) && code == STILL_ACTIVE;
}

bool OtherProgram::WaitForExit(DWORD timeoutMs) {
  if (!pi_.hProcess) return false;
  if (WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0) return true;
  ADD_FAILURE() << "the other dereziz.exe did not end within " << timeoutMs << " ms";
  return false;
}

HWND OtherProgram::Main() const {
  std::vector<HWND> w = TopLevelWindows(pid(), L"MEMOWnd");
  return w.empty() ? nullptr : w[0];
}

bool OtherProgram::Exit() {
  HWND main = Main();
  if (!main) {
    ADD_FAILURE() << "the other program has no main window";
    return false;
  }
  PostMessageW(main, WM_COMMAND, cmd::kExit, 0);
  HWND box = nullptr;
  if (!WaitFor(
          [&] {
            for (HWND h : TopLevelWindows(pid(), L"#32770"))
              if (IsWindowVisible(h) && ReadDialog(h).caption == L"終了確認") box = h;
            return box != nullptr;
          },
          kDefaultTimeoutMs, "the exit confirmation of the other program"))
    return false;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
  if (!WaitForExit()) return false;
  EXPECT_EQ(ExitCode(), 0u);
  return true;
}

bool OtherProgram::EndSession() {
  HWND main = Main();
  if (!main) {
    ADD_FAILURE() << "the other program has no main window";
    return false;
  }
  PostMessageW(main, WM_ENDSESSION, TRUE, 0);
  return WaitForExit(kProcessStartMs);
}

DWORD OtherProgram::ExitCode() const {
  DWORD code = 0;
  if (!pi_.hProcess || !GetExitCodeProcess(pi_.hProcess, &code)) return DWORD(-1);
  return code;
}

std::vector<HWND> DerezizTest::Memos() const {
  if (!pi_.hProcess) return {};
  return TopLevelWindows(pid(), L"Child", L"child");
}

std::vector<HWND> DerezizTest::VisibleMemos() const {
  std::vector<HWND> v;
  for (HWND h : Memos())
    if (IsWindowVisible(h)) v.push_back(h);
  return v;
}

HWND DerezizTest::MemoAt(int x, int y) const {
  for (HWND h : Memos()) {
    RECT r = WindowRect(h);
    if (r.left == x && r.top == y) return h;
  }
  return nullptr;
}

HWND DerezizTest::WaitForMemoAt(int x, int y) {
  HWND found = nullptr;
  Wait([&] { return (found = MemoAt(x, y)) != nullptr; },
       "a memo window at (" + std::to_string(x) + "," + std::to_string(y) + ")");
  return found;
}

void DerezizTest::SnapshotMemos() { snapshot_ = Memos(); }

HWND DerezizTest::WaitForNewMemo() {
  HWND found = nullptr;
  Wait(
      [&] {
        for (HWND h : Memos())
          if (std::find(snapshot_.begin(), snapshot_.end(), h) == snapshot_.end()) {
            found = h;
            return true;
          }
        return false;
      },
      "a new memo window");
  if (!found) return nullptr;
  snapshot_.push_back(found);
  // A new memo is shown as the last step of its creation: from then on it
  // has its place, z-order and style.
  if (!Wait([&] { return (GetWindowLongW(found, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0 && IsWindowVisible(found); },
            "the new memo to be shown (the end of its creation)"))
    return nullptr;
  return found;
}

bool DerezizTest::WaitForMemoCount(size_t n) {
  size_t seen = 0;
  bool ok = Wait([&] { return (seen = Memos().size()) == n; },
                 std::to_string(n) + " memo windows (class Child, title \"child\")");
  if (!ok) ADD_FAILURE() << "memo windows found: " << seen;
  return ok;
}

std::vector<Dialog> DerezizTest::Dialogs() const {
  std::vector<Dialog> v;
  if (!pi_.hProcess) return v;
  for (HWND h : TopLevelWindows(pid(), L"#32770"))
    if (IsWindowVisible(h)) v.push_back(ReadDialog(h));
  return v;
}

Dialog DerezizTest::WaitForDialog(const std::optional<std::wstring>& caption,
                                  const std::optional<std::wstring>& text, DWORD timeoutMs) {
  Dialog found;
  std::string what = "a dialog";
  if (caption) what += " with caption \"" + Narrow(*caption) + "\"";
  if (text) what += " with text \"" + Narrow(*text) + "\"";
  bool ok = Wait(
      [&] {
        for (const Dialog& d : Dialogs())
          if ((!caption || d.caption == *caption) && (!text || d.text == *text)) {
            found = d;
            return true;
          }
        return false;
      },
      what, timeoutMs);
  if (!ok) {
    for (const Dialog& d : Dialogs())
      ADD_FAILURE() << "open instead: caption \"" << Narrow(d.caption) << "\", text \""
                    << Narrow(d.text) << "\"";
  }
  return found;
}

bool DerezizTest::Press(const Dialog& d, int id) {
  if (!d) return false;
  PostMessageW(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(d.hwnd, id));
  return Wait([&] { return !IsWindow(d.hwnd) || !IsWindowVisible(d.hwnd); },
              "the dialog \"" + Narrow(d.caption) + "\" to close after button " + std::to_string(id));
}

bool DerezizTest::NoDialogs(const std::string& when) {
  std::vector<Dialog> open = Dialogs();
  for (const Dialog& d : open)
    ADD_FAILURE() << when << ": unexpected dialog \"" << Narrow(d.caption) << "\" / \""
                  << Narrow(d.text) << "\"";
  return open.empty();
}

Dialog DerezizTest::WaitForMessageWith(const std::wstring& part) {
  Dialog found;
  bool ok = Wait(
      [&] {
        for (const Dialog& d : Dialogs())
          if (d.text.find(part) != std::wstring::npos) {
            found = d;
            return true;
          }
        return false;
      },
      "a message saying \"" + Narrow(part) + "\"");
  if (!ok)
    for (const Dialog& d : Dialogs()) ADD_FAILURE() << "open instead: \"" << Narrow(d.text) << "\"";
  return found;
}

bool DerezizTest::NoDialogsOncePending(HWND memo, const std::string& when, bool paint) {
  DWORD_PTR r = 0;
  if (paint) {
    InvalidateRect(memo, nullptr, TRUE);
    if (!SendMessageTimeoutW(memo, WM_PAINT, 0, 0, SMTO_BLOCK, kDefaultTimeoutMs, &r)) {
      ADD_FAILURE() << when << ": the memo did not paint";
      return false;
    }
  }
  const DWORD seq = GetClipboardSequenceNumber();
  PostMessageW(memo, WM_COMMAND, 520, 0);
  if (!Wait([&] { return GetClipboardSequenceNumber() != seq; }, when + ": the program to run what was pending"))
    return false;
  return NoDialogs(when);
}

bool DerezizTest::ChooseFileIn(const std::optional<std::wstring>& caption, const std::wstring& path) {
  Dialog found;
  HWND edit = nullptr;
  bool ok = Wait(
      [&] {
        for (const Dialog& d : Dialogs())
          if ((!caption || d.caption == *caption) && (edit = FileNameEdit(d.hwnd)) != nullptr) {
            found = d;
            return true;
          }
        return false;
      },
      "a file dialog" + (caption ? " \"" + Narrow(*caption) + "\"" : std::string()));
  if (!ok) return false;
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  if (ControlText(edit) != path) {
    ADD_FAILURE() << "the file name field did not take \"" << Narrow(path) << "\"";
    return false;
  }
  return Press(found, IDOK);
}

void DerezizTest::Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(hwnd, msg, wp, lp))
    ADD_FAILURE() << "PostMessage(" << msg << ") to " << (void*)hwnd << " failed: " << GetLastError();
}

LRESULT DerezizTest::Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, 10000, &r)) {
    ADD_FAILURE() << "SendMessage(" << msg << ", " << wp << ") to " << (void*)hwnd
                  << " got no answer; " << Health();
  }
  return LRESULT(r);
}

void DerezizTest::Tray(UINT mouseMessage) { Post(main_, kTrayMessage, kTrayIcon, mouseMessage); }

void DerezizTest::DoubleClickTray() {
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  Tray(WM_LBUTTONDBLCLK);
  Tray(WM_LBUTTONUP);
}

std::vector<bool> DerezizTest::CheckMarks(HWND menu, int rows, int selected) {
  std::vector<bool> marks(static_cast<size_t>(rows), false);
  Image img = CaptureClient(menu);
  if (img.empty() || rows < 2) return marks;
  const int rowHeight = img.height() / rows;
  // The menu's own background: the right end of a row that is not selected.
  const int plain = selected == 0 ? 1 : 0;
  const COLORREF back = img.At(img.width() - 3, plain * rowHeight + rowHeight / 2);
  for (int r = 0; r < rows; ++r) {
    if (r == selected) continue;
    int differing = 0;
    for (int y = r * rowHeight + 2; y < (r + 1) * rowHeight - 2; ++y)
      for (int x = 2; x < 16 && x < img.width(); ++x)
        if (!NearColor(img.At(x, y), back, 16)) ++differing;
    marks[static_cast<size_t>(r)] = differing > 4;
  }
  return marks;
}

void DerezizTest::Key(HWND hwnd, UINT vk) {
  UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (LPARAM(scan) << 16);
  if (vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT) down |= LPARAM(1) << 24;
  Send(hwnd, WM_KEYDOWN, vk, down);
  Send(hwnd, WM_KEYUP, vk, down | (LPARAM(3) << 30));
}

void DerezizTest::Wheel(HWND hwnd, int delta) {
  RECT r = WindowRect(hwnd);
  LPARAM pos = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Send(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(delta))), pos);
}

void DerezizTest::Mouse(DWORD flags, int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  if (SendInput(1, &in, sizeof in) != 1) ADD_FAILURE() << "SendInput failed: " << GetLastError();
}

void DerezizTest::KeyInput(const std::vector<WORD>& keys) {
  std::vector<INPUT> in(keys.size() * 2);
  for (size_t i = 0; i < keys.size(); ++i) {
    in[i].type = in[in.size() - 1 - i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = in[in.size() - 1 - i].ki.wVk = keys[i];
    in[in.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  if (SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) != in.size())
    ADD_FAILURE() << "SendInput failed: " << GetLastError();
}

bool DerezizTest::WaitForMoveSize(HWND hwnd, bool moving) {
  DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  return Wait(
      [&] {
        GUITHREADINFO gi{};
        gi.cbSize = sizeof gi;
        bool in = GetGUIThreadInfo(thread, &gi) && (gi.flags & GUI_INMOVESIZE) != 0;
        return in == moving;
      },
      moving ? "a drag of the window to begin" : "the drag of the window to end");
}

bool DerezizTest::DragMemoTo(HWND m, POINT grab, int x, int y) {
  const RECT before = WindowRect(m);
  // A real press, move and release of the mouse, as a user does: move only
  // once the drag has begun. The memo turns the press into a caption drag.
  Mouse(0, grab.x, grab.y);
  Mouse(MOUSEEVENTF_LEFTDOWN, grab.x, grab.y);
  if (!WaitForMoveSize(m, true)) return false;
  // Nudge until the memo follows: from then on it keeps its distance to the
  // pointer. (The system's move loop takes its starting point a moment after
  // it begins; a move before that is not part of the drag.)
  int px = grab.x;
  while (WindowRect(m).left == before.left && px < grab.x + 30) {
    Mouse(0, ++px, grab.y);
    Within([&] { return WindowRect(m).left != before.left; }, 200);
  }
  const RECT start = WindowRect(m);
  if (start.left == before.left) {
    ADD_FAILURE() << "the memo does not follow the pointer";
    Mouse(MOUSEEVENTF_LEFTUP, px, grab.y);
    return false;
  }
  const int tx = x + px - start.left, ty = y + grab.y - start.top;
  auto there = [&] { return WindowRect(m).left == x && WindowRect(m).top == y; };
  for (int step = 1; step <= 10; ++step) Mouse(0, px + (tx - px) * step / 10, grab.y + (ty - grab.y) * step / 10);
  // Released once the memo is under the pointer, as a user does: the move
  // loop ends at the release without taking its point. Wine's move loop
  // drops a move now and then on a loaded machine (the memo then stays a
  // step behind for good), so the last move is made again, as a user moves
  // the mouse once more, until the memo is there.
  for (int tries = 0; tries < 5 && !Within(there, 2000); ++tries) {
    Mouse(0, tx - 1, ty - 1);
    Mouse(0, tx, ty);
  }
  const bool followed = there();
  Mouse(MOUSEEVENTF_LEFTUP, tx, ty);
  if (!WaitForMoveSize(m, false)) return false;
  if (!followed || !there()) {
    ADD_FAILURE() << "the memo did not follow the drag to (" << x << "," << y << "); it is at "
                  << RectStr(WindowRect(m));
    return false;
  }
  return true;
}

HWND DerezizTest::WaitForMenu() {
  HWND menu = nullptr;
  Wait(
      [&] {
        for (HWND h : TopLevelWindows(pid(), L"#32768"))
          if (IsWindowVisible(h)) {
            menu = h;
            return true;
          }
        return false;
      },
      "a popup menu (class #32768)");
  return menu;
}

void DerezizTest::MenuKeys(HWND menu, const std::vector<UINT>& keys) {
  // The menu's tracking loop takes every keyboard message of its thread, so
  // keys posted to the first menu window also drive its submenus, in order.
  for (UINT vk : keys) Post(menu, WM_KEYDOWN, vk, 1 | (LPARAM(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16));
}

std::vector<HWND> DerezizTest::OpenMenus() const {
  std::vector<HWND> v;
  for (HWND h : TopLevelWindows(pid(), L"#32768"))
    if (IsWindowVisible(h)) v.push_back(h);
  return v;
}

HWND DerezizTest::OpenSubmenu(HWND menu) {
  MenuKeys(menu, {VK_RIGHT});
  HWND sub = nullptr;
  Wait(
      [&] {
        for (HWND h : OpenMenus())
          if (h != menu) sub = h;
        return sub != nullptr;
      },
      "a submenu to open");
  return sub;
}

dz::IniDocument DerezizTest::ReadIni(const std::string& relative) {
  std::string bytes;
  if (!ReadBytes(Path(relative), &bytes)) {
    ADD_FAILURE() << "cannot read " << UnixPath(Path(relative));
    return dz::IniDocument();
  }
  return dz::IniDocument::Parse(bytes);
}

bool DerezizTest::WaitForKey(const std::string& section, const std::string& key,
                             const std::string& category) {
  const std::wstring path = Path("data\\" + category + ".dat");
  return Wait(
      [&] {
        std::string bytes;
        return ReadBytes(path, &bytes) && dz::IniDocument::Parse(bytes).Get(section, key).has_value();
      },
      "key \"" + key + "\" in [" + section + "] of " + category + ".dat");
}

void DerezizTest::ReplaceLikeSync(const std::string& relative, const std::string& bytes) {
  const std::wstring target = Path(relative);
  const std::wstring beside = target + L".~sync";
  ASSERT_TRUE(WriteBytes(beside, bytes)) << "writing beside " << relative;
  ASSERT_TRUE(MoveFileExW(beside.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
      << "renaming over " << relative << ": error " << GetLastError();
}

void DerezizTest::ChangeLikeSync(const std::string& relative,
                                 const std::function<void(dz::IniDocument&)>& change) {
  dz::IniDocument doc = ReadIni(relative);
  change(doc);
  ReplaceLikeSync(relative, doc.Serialize());
}

std::string DerezizTest::ReadFileBytes(const std::string& relative) {
  std::string bytes;
  if (!ReadBytes(Path(relative), &bytes)) ADD_FAILURE() << "cannot read " << UnixPath(Path(relative));
  return bytes;
}

std::string DerezizTest::StoredKey(const std::string& key) {
  std::string bytes;
  // Read quietly: the program may be replacing the file at this moment.
  if (!ReadBytes(Path("data\\data1.dat"), &bytes)) return "<unreadable>";
  auto v = dz::IniDocument::Parse(bytes).Get("ChildWindow", key);
  return v ? *v : "<missing>";
}

bool DerezizTest::WaitKey(const std::string& key, const std::string& value) {
  std::string last;
  bool ok = Wait([&] { return (last = StoredKey(key)) == value; },
                 key + " to become \"" + value.substr(0, 80) + "\"");
  if (!ok) ADD_FAILURE() << key << " is \"" << last.substr(0, 200) << "\"";
  return ok;
}

std::string DerezizTest::Get(const dz::IniDocument& ini, const std::string& section,
                             const std::string& key) {
  auto v = ini.Get(section, key);
  return v ? *v : "<missing>";
}

std::wstring DerezizTest::SaveScreenshot(const std::string& name) {
  Image img = CaptureScreen();
  std::wstring path = base_ + L"\\" + Widen(name) + L".bmp";
  if (img.empty() || !img.SaveBmp(path)) {
    printf("[ harness  ] could not save a screenshot to %s\n", UnixPath(path).c_str());
    return L"";
  }
  screenshotTaken_ = true;
  printf("[ harness  ] screenshot of %s: %s\n", testName_.c_str(), UnixPath(path).c_str());
  fflush(stdout);
  return path;
}

}  // namespace e2e
