// Finding memos: 10 categories of 100 memos with texts of 8,191 bytes on
// disk, searched at every keystroke. Beside it what a keystroke costs when
// every file is read again (no cache), and a floor: a plain byte search of
// the raw texts already in memory, without folding and without asking the
// files for their stamps.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/keys.h"
#include "core/limits.h"
#include "core/memo_find.h"
#include "core/posix_fs.h"
#include "core/settings.h"

namespace {

constexpr int kCategories = 10;
constexpr int kMemosEach = 100;
const std::string kGuide = "\x83\x4B\x83\x43\x83\x68";  // "ガイド"

// A stored text of exactly kMaxTextChars bytes: words of kanji, hiragana,
// katakana and ASCII, line breaks now and then, and in every 50th memo the
// word "ガイド"; every 20th has a live expression.
std::string MemoText(uint32_t seed) {
  uint32_t x = seed * 2654435761u + 1;
  auto next = [&x] { return x = x * 1664525u + 1013904223u, x >> 8; };
  std::string t;
  if (seed % 20 == 0) t += "^%y*100+%m^ ";
  if (seed % 50 == 7) t += kGuide;
  while (t.size() < static_cast<size_t>(dz::kMaxTextChars)) {
    const uint32_t kind = next() % 8;
    const uint32_t len = 1 + next() % 6;
    for (uint32_t i = 0; i < len; ++i) {
      if (kind < 3) {  // kanji
        t.push_back(static_cast<char>(0x88 + next() % 0x17));
        t.push_back(static_cast<char>(0x9F + next() % 0x5D));
      } else if (kind < 5) {  // hiragana
        t.push_back('\x82');
        t.push_back(static_cast<char>(0x9F + next() % 0x52));
      } else if (kind < 6) {  // katakana
        t.push_back('\x83');
        t.push_back(static_cast<char>(0x40 + next() % 0x3E));
      } else {
        t.push_back(static_cast<char>('a' + next() % 26));
      }
    }
    t += next() % 10 == 0 ? "$$" : " ";
  }
  // Cut at a whole character.
  size_t keep = 0;
  for (size_t i = 0; i < t.size();) {
    const size_t len = (static_cast<unsigned char>(t[i]) >= 0x81) ? 2 : 1;
    if (i + len > static_cast<size_t>(dz::kMaxTextChars)) break;
    i += len;
    keep = i;
  }
  t.resize(keep);
  return t;
}

struct Library {
  Library() {
    char tmpl[] = "/tmp/dz_bench_find_XXXXXX";
    dir = mkdtemp(tmpl);
    for (int c = 0; c < kCategories; ++c) {
      const std::string name = "cat" + std::to_string(c);
      dz::IniDocument d;
      d.Set(dz::kSecMemos, "No", std::to_string(kMemosEach));
      for (int n = 0; n < kMemosEach; ++n) {
        const std::string text = MemoText(static_cast<uint32_t>(c * kMemosEach + n));
        d.Set(dz::kSecMemos, dz::MemoKey(n, "Text"), text);
        raw.push_back(text);
      }
      sources.push_back(dz::FindSource{name, dir + "/data/" + name + ".dat"});
      fs.ReplaceAtomically(sources.back().path, d.Serialize());
    }
  }
  ~Library() { std::system(("rm -rf '" + dir + "'").c_str()); }
  std::string dir;
  dz::PosixFileSystem fs;
  std::vector<dz::FindSource> sources;
  std::vector<std::string> raw;
};

Library& TheLibrary() {
  static Library library;
  return library;
}

const std::string& Query(int64_t which) {
  static const std::string queries[] = {
      "\xB6\xDE\xB2\xC4\xDE",  // "ｶﾞｲﾄﾞ", half-width: found in every 50th memo
      "xqzj",                  // ASCII found nowhere
      "\x82\xA0\x82\xA2",      // "あい": two common characters
      "",                      // nothing typed: every memo
  };
  return queries[which];
}

void Label(benchmark::State& state) {
  static const char* const names[] = {"half-width kana", "ascii, no hit", "hiragana", "empty"};
  state.SetLabel(names[state.range(0)]);
}

// One keystroke with the cache warm: ten stamps, the folded texts searched.
void BM_FindKeystroke(benchmark::State& state) {
  Library& lib = TheLibrary();
  dz::MemoFinder finder(lib.fs);
  const dz::ClockFields clock;
  finder.Find(lib.sources, "", clock);
  size_t hits = 0;
  for (auto _ : state) hits = finder.Find(lib.sources, Query(state.range(0)), clock).hits.size();
  state.counters["hits"] = static_cast<double>(hits);
  // What the cache holds while the find dialog is open.
  size_t folded = 0;
  for (const std::string& t : lib.raw) folded += dz::FoldForFind(t).size();
  state.counters["folded_MB"] = static_cast<double>(folded) / 1e6;
  Label(state);
}
BENCHMARK(BM_FindKeystroke)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The same keystroke if every file were read, parsed and folded again.
void BM_FindRereadingEveryFile(benchmark::State& state) {
  Library& lib = TheLibrary();
  const dz::ClockFields clock;
  for (auto _ : state) {
    dz::MemoFinder finder(lib.fs);
    benchmark::DoNotOptimize(finder.Find(lib.sources, Query(state.range(0)), clock).hits.size());
  }
  Label(state);
}
BENCHMARK(BM_FindRereadingEveryFile)->Arg(0)->Unit(benchmark::kMillisecond);

// Floor: the raw query searched byte by byte in the raw texts (no folding,
// no stamps; it would also find words inside double-byte characters).
void BM_FloorRawSearch(benchmark::State& state) {
  Library& lib = TheLibrary();
  const std::string& q = Query(state.range(0));
  const std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher(q.begin(), q.end());
  for (auto _ : state) {
    size_t hits = 0;
    for (const std::string& t : lib.raw) hits += std::search(t.begin(), t.end(), searcher) != t.end();
    benchmark::DoNotOptimize(hits);
  }
  Label(state);
}
BENCHMARK(BM_FloorRawSearch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
