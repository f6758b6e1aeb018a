#include "core/placement.h"

#include <algorithm>

namespace dz {
namespace {

// 64-bit edges: stored places come from editable files, and right - left of
// two 32-bit values may not fit 32 bits.
struct Box {
  int64_t l, t, r, b;
  bool Empty() const { return r <= l || b <= t; }
};

Box ToBox(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

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
// sum of two squares fits 64 bits; no screen is that far away.
int64_t Gap(int64_t lo1, int64_t hi1, int64_t lo2, int64_t hi2) {
  return std::min<int64_t>(std::max<int64_t>({0, lo2 - hi1, lo1 - hi2}), int64_t{1} << 31);
}

}  // namespace

bool IsReachable(const Rect& memo, const std::vector<Rect>& workAreas) {
  Box m = ToBox(memo);
  m.r = std::max(m.r, m.l + 1);
  m.b = std::max(m.b, m.t + 1);
  const int64_t gw = std::min<int64_t>(kGripWidth, m.r - m.l);
  const int64_t gh = std::min<int64_t>(kGripHeight, m.b - m.t);
  // The parts of the memo on each work area.
  std::vector<Box> parts;
  for (const Rect& w : workAreas) {
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

PlacementResult PlaceOnScreen(const Rect& memo, const std::vector<Rect>& workAreas) {
  PlacementResult out{memo, false};
  if (IsReachable(memo, workAreas)) return out;
  const Box m = ToBox(memo);
  const Box* best = nullptr;
  int64_t bestDist = 0, bestOverlap = 0;
  std::vector<Box> areas;
  areas.reserve(workAreas.size());
  for (const Rect& w : workAreas) areas.push_back(ToBox(w));
  for (const Box& a : areas) {
    if (a.Empty()) continue;
    const int64_t dx = Gap(m.l, std::max(m.r, m.l), a.l, a.r), dy = Gap(m.t, std::max(m.b, m.t), a.t, a.b);
    const int64_t dist = dx * dx + dy * dy;
    const Box o = Intersect(m, a);
    const int64_t cap = int64_t{1} << 31;  // keeps the product within 64 bits
    const int64_t overlap = o.Empty() ? 0 : std::min(o.r - o.l, cap) * std::min(o.b - o.t, cap);
    if (!best || dist < bestDist || (dist == bestDist && overlap > bestOverlap)) {
      best = &a;
      bestDist = dist;
      bestOverlap = overlap;
    }
  }
  if (!best) return out;
  const int64_t w = std::clamp<int64_t>(m.r - m.l, 0, best->r - best->l);
  const int64_t h = std::clamp<int64_t>(m.b - m.t, 0, best->b - best->t);
  const int64_t l = std::clamp(m.l, best->l, best->r - w);
  const int64_t t = std::clamp(m.t, best->t, best->b - h);
  out.rect = {static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(l + w),
              static_cast<int32_t>(t + h)};
  out.moved = !(out.rect == memo);
  return out;
}

}  // namespace dz
