#include "core/placement.h"

#include <algorithm>
#include <limits>

namespace dz {
namespace {

constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

struct Box {
  int64_t l, t, r, b;
  bool Empty() const { return r <= l || b <= t; }
};

Box ToBox(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
Box ToBox(const Edges& e) { return {e.left, e.top, e.right, e.bottom}; }

Rect ToRect(const Box& b) {
  return {static_cast<int32_t>(b.l), static_cast<int32_t>(b.t), static_cast<int32_t>(b.r),
          static_cast<int32_t>(b.b)};
}

// One axis moved back, keeping its length, until both ends fit 32 bits.
void FitAxis(int64_t* lo, int64_t* hi) {
  const int64_t len = std::min(*hi - *lo, kMax32);
  *lo = std::clamp(*lo, kMin32, kMax32 - len);
  *hi = *lo + len;
}

Box Intersect(const Box& a, const Box& b) {
  return {std::max(a.l, b.l), std::max(a.t, b.t), std::min(a.r, b.r), std::min(a.b, b.b)};
}

// Whether the union of areas covers all of g. The edges of the areas cut g
// into cells, each wholly inside or outside every area; one point per cell
// (its top-left corner) decides.
bool Covered(const Box& g, const std::vector<Box>& areas) {
  std::vector<int64_t> xs{g.l}, ys{g.t};
  for (const Box& a : areas) {
    if (a.l > g.l && a.l < g.r) xs.push_back(a.l);
    if (a.r > g.l && a.r < g.r) xs.push_back(a.r);
    if (a.t > g.t && a.t < g.b) ys.push_back(a.t);
    if (a.b > g.t && a.b < g.b) ys.push_back(a.b);
  }
  for (int64_t x : xs)
    for (int64_t y : ys) {
      bool in = false;
      for (const Box& a : areas) in = in || (x >= a.l && x < a.r && y >= a.t && y < a.b);
      if (!in) return false;
    }
  return true;
}

// Distance between two intervals along one axis, capped at 2^31 so that the
// sum of two squares fits 64 bits unsigned; no screen is that far away.
uint64_t Gap(int64_t lo1, int64_t hi1, int64_t lo2, int64_t hi2) {
  return static_cast<uint64_t>(std::min<int64_t>(std::max<int64_t>({0, lo2 - hi1, lo1 - hi2}), int64_t{1} << 31));
}

}  // namespace

Edges WindowEdges(int32_t x, int32_t y, int32_t width, int32_t height) {
  return {x, y, int64_t{x} + std::max(width, 0), int64_t{y} + std::max(height, 0)};
}

Edges ToEdges(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool FitsWindow(const Edges& e) {
  for (int64_t v : {e.left, e.top, e.right, e.bottom})
    if (v < kMin32 || v > kMax32) return false;
  return true;
}

bool IsReachable(const Edges& memo, const std::vector<Rect>& monitors) {
  Box m = ToBox(memo);
  m.r = std::max(m.r, m.l + 1);
  m.b = std::max(m.b, m.t + 1);
  const int64_t gw = std::min<int64_t>(kGripWidth, m.r - m.l);
  const int64_t gh = std::min<int64_t>(kGripHeight, m.b - m.t);
  // The parts of the memo on each monitor.
  std::vector<Box> parts;
  for (const Rect& w : monitors) {
    Box p = Intersect(m, ToBox(w));
    if (!p.Empty()) parts.push_back(p);
  }
  // A grip that fits can slide left and then up until a part's left and top
  // edge stop it, so only those corners need a try.
  for (const Box& px : parts)
    for (const Box& py : parts) {
      const Box g{px.l, py.t, px.l + gw, py.t + gh};
      if (g.r <= m.r && g.b <= m.b && Covered(g, parts)) return true;
    }
  return false;
}

bool IsReachable(const Rect& memo, const std::vector<Rect>& monitors) {
  return IsReachable(ToEdges(memo), monitors);
}

PlacementResult PlaceOnScreen(const Edges& memo, const std::vector<Rect>& monitors) {
  const Box m = ToBox(memo);
  const bool fits = FitsWindow(memo);
  if (fits && (monitors.empty() || IsReachable(memo, monitors))) return {ToRect(m), false};
  const Box* best = nullptr;
  uint64_t bestDist = 0;
  int64_t bestOverlap = 0;
  std::vector<Box> areas;
  areas.reserve(monitors.size());
  for (const Rect& w : monitors) areas.push_back(ToBox(w));
  for (const Box& a : areas) {
    if (a.Empty()) continue;
    const uint64_t dx = Gap(m.l, std::max(m.r, m.l), a.l, a.r), dy = Gap(m.t, std::max(m.b, m.t), a.t, a.b);
    const uint64_t dist = dx * dx + dy * dy;
    const Box o = Intersect(m, a);
    const int64_t cap = int64_t{1} << 31;  // keeps the product within 64 bits
    const int64_t overlap = o.Empty() ? 0 : std::min(o.r - o.l, cap) * std::min(o.b - o.t, cap);
    if (!best || dist < bestDist || (dist == bestDist && overlap > bestOverlap)) {
      best = &a;
      bestDist = dist;
      bestOverlap = overlap;
    }
  }
  Box out = m;
  if (best) {
    const int64_t w = std::clamp<int64_t>(m.r - m.l, 0, best->r - best->l);
    const int64_t h = std::clamp<int64_t>(m.b - m.t, 0, best->b - best->t);
    out.l = std::clamp(m.l, best->l, best->r - w);
    out.t = std::clamp(m.t, best->t, best->b - h);
    out.r = out.l + w;
    out.b = out.t + h;
  } else {
    FitAxis(&out.l, &out.r);
    FitAxis(&out.t, &out.b);
  }
  const Rect rect = ToRect(out);
  return {rect, !(ToEdges(rect) == memo)};
}

PlacementResult PlaceOnScreen(const Rect& memo, const std::vector<Rect>& monitors) {
  return PlaceOnScreen(ToEdges(memo), monitors);
}

}  // namespace dz
