#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include "core/clock.h"

namespace dz {
// Evaluates a live expression's text (already between the carets) with the
// rewriting evaluator; 32-bit wrap-around arithmetic.
int32_t EvaluateExpression(std::string_view expr, const ClockFields& clock);
// Stored memo text -> what the memo shows: escapes decoded, link-mark
// markers removed, live expressions replaced by their values. Linear time.
std::string BuildDisplayText(std::string_view stored, const ClockFields& clock);
}  // namespace dz
