// The control-hosting library, the browser host windows and their browser
// objects, and what a memo records of its browser.
#include <ole2.h>
#include <exdisp.h>

#include <algorithm>

#include "browser/browser.h"
#include "browser/host.h"
#include "core/keys.h"
#include "core/limits.h"
#include "memo/memo_table.h"
#include "store/settings_access.h"
#include "win/process.h"
#include "win/text.h"

namespace dz {

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

struct BrowserLibrary {
  HMODULE atl = nullptr;
  AtlAxGetControlFn getControl = nullptr;
  bool oleTried = false;
  bool ole = false;  // OleInitialize succeeded and is undone at exit
};
BrowserLibrary g_library;

constexpr wchar_t kHostClass[] = L"AtlAxWin";
// The host is given the web browser control's class identifier rather than
// the address: the library takes a window text that names a COM class as
// that class and creates it, so a link reading "{...}" or a program
// identifier would put an arbitrary control into the memo. The address only
// ever reaches Navigate.
constexpr wchar_t kWebBrowserClass[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
// WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL and the host's own low bits.
constexpr DWORD kHostStyle = 0x503000C0;

template <class T>
struct Released {
  T* p = nullptr;
  Released() = default;
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  ~Released() {
    if (p) p->Release();
  }
};

template <class F>
bool CallBrowser(HWND host, F&& f) {
  if (!g_library.getControl || !host || !IsWindow(host)) return false;
  Released<IUnknown> control;
  g_library.getControl(host, &control.p);  // S_FALSE also comes with a control
  if (!control.p) return false;
  Released<IWebBrowser2> web;
  if (FAILED(control.p->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web.p))) || !web.p)
    return false;
  f(*web.p);
  return true;
}

void AppendPercentEncoded(std::string& out, std::wstring_view ch) {
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char b : NarrowUtf8(ch)) {
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
}

// The browser control needs OLE on this thread (in-place activation, its
// own drag and drop and clipboard). It is started with the first browser,
// not at start-up, where it would slow every start, browser or not; it is
// ended once at exit.
void StartOle() {
  if (g_library.oleTried) return;
  g_library.oleTried = true;
  g_library.ole = SUCCEEDED(OleInitialize(nullptr));
}

// What "%dBroURL" gets for the page url: the whole address, or, when even
// that cannot be read back whole, the home page rather than a cut address
// that would open some other page.
std::string RecordedUrl(std::wstring_view url) {
  std::string stored = StorableUrl(url);
  if (stored.size() > static_cast<size_t>(kMaxUrlChars)) return kDefaultHomePage;
  return stored;
}

}  // namespace

void LoadBrowserLibrary() {
  g_library.atl = LoadLibraryW(L"atl.dll");
  if (g_library.atl) {
    auto init = reinterpret_cast<AtlAxWinInitFn>(
        reinterpret_cast<void*>(GetProcAddress(g_library.atl, "AtlAxWinInit")));
    g_library.getControl = reinterpret_cast<AtlAxGetControlFn>(
        reinterpret_cast<void*>(GetProcAddress(g_library.atl, "AtlAxGetControl")));
    if (!init || !init()) g_library.getControl = nullptr;  // no host class: no browser
  }
  CreateCaptionResources();
}

void FreeBrowserLibrary() {
  ReleaseCaptionResources();
  if (g_library.atl) FreeLibrary(g_library.atl);
  if (g_library.ole) OleUninitialize();
  g_library = BrowserLibrary{};
}

bool HasBrowser(HWND host) {
  return CallBrowser(host, [](IWebBrowser2&) {});
}

bool NavigateTo(HWND host, std::wstring_view url) {
  return CallBrowser(host, [&](IWebBrowser2& web) {
    BSTR address = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    if (!address) return;
    VARIANT none;
    VariantInit(&none);
    web.Navigate(address, &none, &none, &none, &none);
    SysFreeString(address);
  });
}

bool GoHome(HWND host) {
  return CallBrowser(host, [](IWebBrowser2& web) { web.GoHome(); });
}

std::optional<std::wstring> PageUrl(HWND host) {
  std::optional<std::wstring> url;
  CallBrowser(host, [&](IWebBrowser2& web) {
    BSTR location = nullptr;
    if (SUCCEEDED(web.get_LocationURL(&location))) url = std::wstring(location ? location : L"");
    SysFreeString(location);
  });
  return url;
}

std::string StorableUrl(std::wstring_view url) {
  std::string out;
  for (size_t i = 0; i < url.size();) {
    const size_t len = (IS_HIGH_SURROGATE(url[i]) && i + 1 < url.size() && IS_LOW_SURROGATE(url[i + 1])) ? 2 : 1;
    const std::wstring_view ch = url.substr(i, len);
    i += len;
    if (ch[0] >= 0x20 && ch[0] != 0x7F) {
      std::optional<std::string> sjis = NarrowExact(ch);
      if (sjis && !sjis->empty()) {
        out += *sjis;
        continue;
      }
    }
    AppendPercentEncoded(out, ch);
  }
  return out;
}

HWND CreateBrowserHost(HWND memo, std::string_view sjisUrl) {
  if (!g_library.getControl || !memo || !IsWindow(memo)) return nullptr;
  StartOle();
  RECT rc = {};
  GetClientRect(memo, &rc);
  const int strip = CaptionStripPixels(DpiOfMemo(memo));
  HWND host = CreateWindowExW(0, kHostClass, kWebBrowserClass, kHostStyle, 0, strip, rc.right,
                              std::max<LONG>(0, rc.bottom - strip), memo, nullptr, TheProcess().inst, nullptr);
  if (!host) return nullptr;
  // An empty address would open no page at all.
  const std::wstring url = Widen(sjisUrl.empty() ? std::string_view(kDefaultHomePage) : sjisUrl);
  if (!NavigateTo(host, url)) {
    // No browser control on this system: a blank host would only hide the text.
    DestroyWindow(host);
    return nullptr;
  }
  return host;
}

void RecordBrowserState(int n) {
  if (n < 0 || n >= Memos().count) return;
  SettingsFile& cat = CategoryFile();
  if (!InBrowserMode(n)) {
    // A missing key reads as "0" too: writing it for every memo would
    // rewrite the category file once per memo at every exit and switch.
    if (cat.ReadInt(kSecMemos, MemoKey(n, "Brows"), 0) != 0) cat.Write(kSecMemos, MemoKey(n, "Brows"), "0");
    return;
  }
  SettingsBatch batch(cat);
  cat.Write(kSecMemos, MemoKey(n, "Brows"), "1");
  if (std::optional<std::wstring> url = PageUrl(Memos()[n].browser))
    cat.Write(kSecMemos, MemoKey(n, "BroURL"), RecordedUrl(*url));
}

void OnMemoDestroy(HWND memo) {
  // A deleted or replaced window has no number any more and records nothing.
  RecordBrowserState(MemoNumberFromWindow(memo));
}

}  // namespace dz
