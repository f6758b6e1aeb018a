// The settings engine on a full category (100 memos, every key) on disk:
// the reads of a repaint, renumbering after deleting memo 0, saving the table.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "core/keys.h"
#include "core/memo_store.h"
#include "core/memo_sync.h"
#include "core/posix_fs.h"

namespace {

const char* const kProps[] = {"WindowLebel", "FontColor", "Style", "x",      "y",      "h",        "l",
                              "Font",        "FontHeight", "Italic", "UnderLine", "OnLine", "Back",
                              "Color1",      "Color2",    "Color3", "GradMode", "Brows", "BroURL"};

std::string FullCategory(size_t textLen) {
  dz::IniDocument d;
  for (int k = 0; k < 100; ++k) d.Set(dz::kSecVOffset, dz::OffsetKey(k), "0");
  for (int k = 0; k < 100; ++k) d.Set(dz::kSecHOffset, dz::OffsetKey(k), "0");
  d.Set(dz::kSecMemos, "No", "100");
  for (int n = 0; n < 100; ++n) {
    for (const char* p : kProps) d.Set(dz::kSecMemos, dz::MemoKey(n, p), "123");
    d.Set(dz::kSecMemos, dz::MemoKey(n, "Text"), std::string(textLen, 'a' + n % 26));
  }
  return d.Serialize();
}

struct TempCategory {
  explicit TempCategory(size_t textLen) {
    char tmpl[] = "/tmp/dz_bench_XXXXXX";
    dir = mkdtemp(tmpl);
    path = dir + "/data/data1.dat";
    fs.ReplaceAtomically(path, FullCategory(textLen));
  }
  ~TempCategory() { std::system(("rm -rf '" + dir + "'").c_str()); }
  std::string dir, path;
  dz::PosixFileSystem fs;
};

// Four paint keys of every memo, read through a file that is unchanged.
void BM_PaintReads(benchmark::State& state) {
  TempCategory t(static_cast<size_t>(state.range(0)));
  dz::SettingsFile cat(t.fs, t.path);
  for (auto _ : state) {
    for (int n = 0; n < 100; ++n) {
      benchmark::DoNotOptimize(cat.ReadInt(dz::kSecMemos, dz::MemoKey(n, "FontColor"), 0));
      benchmark::DoNotOptimize(cat.Read(dz::kSecMemos, dz::MemoKey(n, "Text"), "", 8191));
      benchmark::DoNotOptimize(cat.Read(dz::kSecMemos, dz::MemoKey(n, "Back"), "3"));
      benchmark::DoNotOptimize(cat.ReadInt(dz::kSecMemos, dz::MemoKey(n, "Color1"), 0));
    }
  }
}
BENCHMARK(BM_PaintReads)->Arg(100)->Arg(8191)->Unit(benchmark::kMillisecond);

// Deleting memo 0 of 100: 99 memos move down, one parse and one write.
void BM_RenumberAfterDeletingFirst(benchmark::State& state) {
  TempCategory t(static_cast<size_t>(state.range(0)));
  std::string full = FullCategory(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    t.fs.ReplaceAtomically(t.path, full);
    dz::SettingsFile cat(t.fs, t.path);
    state.ResumeTiming();
    benchmark::DoNotOptimize(dz::RenumberAfterDelete(cat, 0, 100));
  }
}
BENCHMARK(BM_RenumberAfterDeletingFirst)->Arg(100)->Arg(8191)->Unit(benchmark::kMillisecond);

void BM_SaveTable(benchmark::State& state) {
  TempCategory t(100);
  dz::SettingsFile cat(t.fs, t.path);
  dz::TableState read = dz::ReadTableState(cat);
  dz::TableState mine = read;
  int i = 0;
  for (auto _ : state) {
    mine.memos[0].vOffset = ++i;  // something changed, so the file is written each time
    benchmark::DoNotOptimize(dz::SaveTable(cat, read, mine));
    read = mine;
  }
}
BENCHMARK(BM_SaveTable)->Unit(benchmark::kMillisecond);

}  // namespace
