#include "widgets/window_placement.h"

#include <algorithm>

namespace {
// The start of a span of `length` within [low, high): as near `wanted` as the room allows, never
// before `low` (a window taller than the screen keeps its title bar on it).
int within(int wanted, int length, int low, int high) { return std::max(low, std::min(wanted, high - length)); }
}  // namespace

QPoint window_beside(const QRect& anchor, const QSize& size, const QRect& screen) {
  const int screen_right = screen.x() + screen.width();
  const int screen_bottom = screen.y() + screen.height();
  const int top = within(anchor.y(), size.height(), screen.y(), screen_bottom);
  const int right_of = anchor.x() + anchor.width();
  if (right_of + size.width() <= screen_right) return {right_of, top};
  const int left_of = anchor.x() - size.width();
  if (left_of >= screen.x()) return {left_of, top};
  return {within(anchor.x() + (anchor.width() - size.width()) / 2, size.width(), screen.x(), screen_right),
          within(anchor.y() + (anchor.height() - size.height()) / 2, size.height(), screen.y(), screen_bottom)};
}
