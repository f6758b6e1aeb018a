// Arbitrary stored text, cut to the text buffer's 8191 bytes, through the
// display-text builder. The builder must never crash, hang or read or write
// out of bounds, and the display text must fit the text buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/display_text.h"
#include "core/expression.h"
#include "../unit/display_text_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8191) size = 8191;
  std::string stored(reinterpret_cast<const char*>(data), size);
  dz::ClockFields clock;
  if (size >= 1) clock.minute = data[0] % 60;
  std::string shown = dz::BuildDisplayText(stored, clock);
  if (shown.size() > 8191) std::abort();
  // Short texts also through the plain in-place rewrite: both must agree.
  if (size <= 256) {
    long steps = 0;
    if (dz::reference::Build(stored, clock, steps) != shown || steps >= 1000000) std::abort();
  }
  // The evaluator on the whole input as one expression, and the passes on
  // the raw bytes, which hold characters the filter would have removed.
  (void)dz::EvaluateExpression(stored, clock);
  std::string w = stored;
  dz::RewritePass(w, '*', '/');
  dz::RewritePass(w, '+', '-');
  if (w.size() > stored.size()) std::abort();
  return 0;
}
