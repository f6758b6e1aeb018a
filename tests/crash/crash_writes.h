#pragma once
// The numbered writes of the crash tests, shared by the writer processes
// (native and Windows) and by the tests that check what a kill left: write
// k always gives the same file from the same file before it.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "core/settings.h"

namespace dz::test {

// A memo text that names its write and memo and has a length that varies
// with both (0 to 1200 bytes), with double-byte characters whose trail byte
// is '\' so that a torn write would also tear characters.
inline std::string Text(int64_t k, int i) {
  std::string t = "k" + std::to_string(k) + "i" + std::to_string(i) + ":";
  const size_t len = static_cast<size_t>((k * 31 + i * 17) % 1201);
  static const char kFill[] = "abc \x83\x5c$`0123456789\x95\x5c";
  while (t.size() < len) t += kFill[t.size() % (sizeof kFill - 1)];
  return t;
}

inline std::string Num(int64_t v) { return std::to_string(v); }

// Write k, as one file replacement. Target is a SettingsFile (the writer) or
// an IniDocument (the parent's model); both have Set-like and Remove calls
// through the two adapters below.
template <class Target>
void Perform(int64_t k, Target& t) {
  const int i = static_cast<int>(k % 100);
  switch (k % 5) {
    case 0:  // the whole table, as saving it on exit does
      t.Begin();
      t.Set("Progress", "k", Num(k));
      for (int m = 0; m < 100; ++m) t.Set("ChildWindow", Num(m) + "Text", Text(k, m));
      t.End();
      break;
    case 1:  // one memo's text
      t.Set("ChildWindow", Num(i) + "Text", Text(k, i));
      break;
    case 2:
      t.Set("Progress", "k", Num(k));
      break;
    case 3:  // a removal and a key in a section that may be new
      t.Begin();
      t.Remove("ChildWindow", Num((k * 7) % 100) + "Text");
      t.Set("Sec" + Num(k % 13), "key" + Num(k % 17), Num(k));
      t.Set("Progress", "k", Num(k));
      t.End();
      break;
    default:
      t.Begin();
      t.Set("Progress", "k", Num(k));
      t.Set("ChildWindow", Num(i) + "x", Num(-k));
      t.End();
      break;
  }
}

struct FileTarget {
  SettingsFile& f;
  void Begin() { f.BeginBatch(); }
  void End() { f.EndBatch(); }
  void Set(const std::string& s, const std::string& k, const std::string& v) { f.Write(s, k, v); }
  void Remove(const std::string& s, const std::string& k) { f.Remove(s, k); }
};

struct ModelTarget {
  IniDocument& d;
  void Begin() {}
  void End() {}
  void Set(const std::string& s, const std::string& k, const std::string& v) { d.Set(s, k, v); }
  void Remove(const std::string& s, const std::string& k) { d.Remove(s, k); }
};

// "Progress"/"k" after write k: every write but a single memo text sets it.
inline std::optional<std::string> ProgressMark(int64_t k) {
  const int64_t mark = k - (k % 5 == 1 ? 1 : 0);
  return mark >= 1 ? std::optional<std::string>(Num(mark)) : std::nullopt;
}

// What a writer publishes, in memory shared with the test: "started k"
// before write k, "done k" after it.
struct Progress {
  std::atomic<int64_t> started;
  std::atomic<int64_t> done;
};
static_assert(std::atomic<int64_t>::is_always_lock_free, "shared counters must not need a lock");

// A state of the file: its bytes, or missing.
struct State {
  std::optional<std::string> bytes;
  int64_t k = 0;
  bool operator==(const State& o) const { return bytes == o.bytes; }
};

inline State Next(const State& s) {
  IniDocument d = s.bytes ? IniDocument::Parse(*s.bytes) : IniDocument();
  ModelTarget t{d};
  Perform(s.k + 1, t);
  return State{d.Serialize(), s.k + 1};
}

// What the kills of one run found, counted by CheckKill.
struct KillTally {
  int kills = 0, beforeFirst = 0, midWrite = 0, betweenWrites = 0, sawBefore = 0, sawAfter = 0;
  int64_t writesDone = 0;
};

// The check after one kill: the writer had started write `started` and
// finished write `done`, and the file now holds `seen`. The file must hold
// the state before or after the last started write, and the state after it
// when that write had finished. Returns what is wrong, or "" with `current`
// moved on to the state the file is in.
inline std::string CheckKill(State& current, int64_t started, int64_t done, const State& seen, KillTally& t) {
  ++t.kills;
  if (done > started || started - done > 1) return "the writer's marks are inconsistent";
  t.writesDone += done - current.k;
  State before = current;
  while (before.k + 1 < started) before = Next(before);
  const State after = started > before.k ? Next(before) : before;
  if (started == current.k) {
    ++t.beforeFirst;
    if (!(seen == before)) return "no write began, yet the file changed";
  } else if (done == started) {
    ++t.betweenWrites;
    if (!(seen == after)) return "the last write had finished, yet the file does not show it";
  } else {
    ++t.midWrite;
    if (!(seen == before || seen == after)) return "the interrupted write left a third state";
    (seen == after ? t.sawAfter : t.sawBefore)++;
  }
  current = seen == after ? after : before;
  return "";
}

}  // namespace dz::test
