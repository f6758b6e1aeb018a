#include <benchmark/benchmark.h>

#include <string>

#include "core/display_text.h"

namespace {

dz::ClockFields Clock() {
  dz::ClockFields c;
  c.year = 2005;
  c.month = 3;
  c.day = 9;
  c.hour = 14;
  c.minute = 5;
  return c;
}

// Repeats piece up to 8191 bytes without cutting it.
std::string Fill(const std::string& piece) {
  std::string s;
  while (s.size() + piece.size() <= 8191) s += piece;
  return s;
}

void Run(benchmark::State& state, const std::string& stored) {
  const dz::ClockFields clock = Clock();
  for (auto _ : state) benchmark::DoNotOptimize(dz::BuildDisplayText(stored, clock));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stored.size()));
}

void BM_PlainText(benchmark::State& state) { Run(state, std::string(8191, 'x')); }
BENCHMARK(BM_PlainText);

void BM_ExpressionsAndMarkers(benchmark::State& state) {
  Run(state, Fill("Today ^%m^/^%d^ <\\http://example.invalid/\\> at ^%h*60+%i^$$x`y "));
}
BENCHMARK(BM_ExpressionsAndMarkers);

void BM_OnlyMarkers(benchmark::State& state) { Run(state, Fill("<\\")); }
BENCHMARK(BM_OnlyMarkers);

void BM_OnlyCarets(benchmark::State& state) { Run(state, std::string(8191, '^')); }
BENCHMARK(BM_OnlyCarets);

// One expression as long as the text: the rewriting passes over 8190
// characters of reductions, and 4095 nested parentheses.
void BM_OneLongSum(benchmark::State& state) { Run(state, "^" + Fill("1+").substr(1)); }
BENCHMARK(BM_OneLongSum);

void BM_OneLongDifference(benchmark::State& state) { Run(state, "^" + Fill("1-").substr(1)); }
BENCHMARK(BM_OneLongDifference);

void BM_DeepParentheses(benchmark::State& state) {
  Run(state, "^" + std::string(4094, '(') + "1" + std::string(4094, ')') + "^");
}
BENCHMARK(BM_DeepParentheses);

}  // namespace
