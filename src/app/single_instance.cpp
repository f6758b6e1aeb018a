#include "app/single_instance.h"

#include <string>

#include "app/main_window.h"
#include "core/instance_key.h"
#include "memo/memo_window.h"

namespace dz {

namespace {

// The main window answers the registered message with this, so that a window
// that merely lets the message through to DefWindowProc (which answers 0)
// never counts as an answer.
constexpr LRESULT kCameForward = 0x445A;
// The running program's own start-up, from claiming the folder to its main
// window (loading every memo), may still be under way; this bounds the wait
// for it with room for a slow machine.
constexpr DWORD kWaitForWindowMs = 15000;
// A program that does not answer within this is hung (or stuck in something
// that is not its message loop): the second start says so and ends.
constexpr UINT kAnswerMs = 4000;
constexpr DWORD kPollMs = 50;

// What the running program publishes for later starts. A fresh mapping
// reads as zeros: no window yet.
struct Published {
  volatile LONG64 window;  // the main window handle, 0 until it exists
  volatile LONG pid;
};

HANDLE g_mutex = nullptr;
HANDLE g_mapping = nullptr;
Published* g_published = nullptr;

// The current directory as Windows compares paths: full, upper-cased without
// regard to the user's locale.
std::wstring FoldedBaseFolder() {
  wchar_t dir[MAX_PATH] = {};
  DWORD len = GetCurrentDirectoryW(MAX_PATH, dir);
  if (len == 0 || len >= MAX_PATH) return {};
  DWORD need = GetFullPathNameW(dir, 0, nullptr, nullptr);
  if (need == 0) return {};
  std::wstring full(need, L'\0');
  DWORD got = GetFullPathNameW(dir, need, &full[0], nullptr);
  if (got == 0 || got >= need) return {};
  full.resize(got);
  int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.c_str(), static_cast<int>(full.size()),
                        nullptr, 0, nullptr, nullptr, 0);
  if (n <= 0) return {};
  std::wstring folded(static_cast<size_t>(n), L'\0');
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.c_str(), static_cast<int>(full.size()), &folded[0], n,
                nullptr, nullptr, 0);
  return folded;
}

std::wstring ObjectName(const wchar_t* kind, const std::wstring& folded) {
  std::u16string key = InstanceKey(std::u16string(folded.begin(), folded.end()));
  return std::wstring(L"Local\\Dereziz.") + kind + L":" + std::wstring(key.begin(), key.end());
}

// The running program's main window as published, or null while it has not
// published one (or the record belongs to a program that has ended).
HWND PublishedWindow(const std::wstring& mappingName, DWORD* pid) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, mappingName.c_str());
  if (!mapping) return nullptr;
  HWND found = nullptr;
  if (auto* p = static_cast<const Published*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(Published)))) {
    HWND w = reinterpret_cast<HWND>(static_cast<INT_PTR>(p->window));
    DWORD recorded = static_cast<DWORD>(p->pid);
    DWORD owner = 0;
    wchar_t cls[32] = {};
    if (w && GetWindowThreadProcessId(w, &owner) && owner == recorded && GetClassNameW(w, cls, 32) &&
        lstrcmpW(cls, kMainClass) == 0) {
      found = w;
      *pid = owner;
    }
    UnmapViewOfFile(p);
  }
  CloseHandle(mapping);
  return found;
}

void Own(HANDLE mutex, const std::wstring& mappingName) {
  g_mutex = mutex;
  g_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Published),
                                 mappingName.c_str());
  if (g_mapping) g_published = static_cast<Published*>(MapViewOfFile(g_mapping, FILE_MAP_WRITE, 0, 0, 0));
  // A later start that is still waiting may keep an ended program's record
  // alive: it must not be taken for ours.
  if (g_published) {
    InterlockedExchange64(&g_published->window, 0);
    InterlockedExchange(&g_published->pid, 0);
  }
}

void SayNoAnswer() {
  MessageBoxW(nullptr,
              L"このフォルダーで起動している Dereziz が応答しません。\n"
              L"メモを守るため、ここでは起動しません。しばらく待ってから、もう一度起動してください。",
              L"Dereziz", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

}  // namespace

FolderClaim ClaimBaseFolder() {
  const std::wstring folded = FoldedBaseFolder();
  // Without a name to claim the folder by, the program runs as it always
  // did rather than not at all.
  if (folded.empty()) return FolderClaim::kOwned;
  const std::wstring mappingName = ObjectName(L"Window", folded);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, ObjectName(L"Run", folded).c_str());
  if (!mutex) return FolderClaim::kOwned;

  const DWORD start = GetTickCount();
  for (;;) {
    // Abandoned: the program that ran here ended without letting go (it
    // crashed or was killed); the folder is free.
    DWORD wait = WaitForSingleObject(mutex, 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      Own(mutex, mappingName);
      return FolderClaim::kOwned;
    }
    DWORD pid = 0;
    if (HWND running = PublishedWindow(mappingName, &pid)) {
      // The running program may take the foreground: the user started us.
      AllowSetForegroundWindow(pid);
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutW(running, ComeForwardMessage(), 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                              &answer) &&
          static_cast<LRESULT>(answer) == kCameForward) {
        CloseHandle(mutex);
        return FolderClaim::kHandedOver;
      }
      // A window that is still there did not answer. One that went away
      // belongs to a program that is ending: wait to take its place.
      if (IsWindow(running)) break;
    }
    if (GetTickCount() - start >= kWaitForWindowMs) break;
    // Waits on the claim itself, so that the end of the running program
    // ends the wait at once.
    wait = WaitForSingleObject(mutex, kPollMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      Own(mutex, mappingName);
      return FolderClaim::kOwned;
    }
  }
  CloseHandle(mutex);
  SayNoAnswer();
  return FolderClaim::kNoAnswer;
}

void PublishMainWindow(HWND main) {
  if (!g_published) return;
  InterlockedExchange(&g_published->pid, static_cast<LONG>(GetCurrentProcessId()));
  InterlockedExchange64(&g_published->window, static_cast<LONG64>(reinterpret_cast<INT_PTR>(main)));
}

void ReleaseBaseFolder() {
  if (g_published) {
    InterlockedExchange64(&g_published->window, 0);
    UnmapViewOfFile(g_published);
  }
  if (g_mapping) CloseHandle(g_mapping);
  if (g_mutex) {
    ReleaseMutex(g_mutex);
    CloseHandle(g_mutex);
  }
  g_published = nullptr;
  g_mapping = g_mutex = nullptr;
}

UINT ComeForwardMessage() {
  static const UINT message = RegisterWindowMessageW(L"Dereziz.ComeForward");
  return message;
}

LRESULT OnComeForward() {
  ShowAllMemos();
  // The memo in front now takes the foreground, as after a click on the
  // tray icon.
  const DWORD self = GetCurrentProcessId();
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    wchar_t cls[16] = {};
    if (IsWindowVisible(w) && GetWindowThreadProcessId(w, &pid) && pid == self && GetClassNameW(w, cls, 16) &&
        lstrcmpW(cls, kMemoClass) == 0) {
      SetForegroundWindow(w);
      break;
    }
  }
  return kCameForward;
}

}  // namespace dz
