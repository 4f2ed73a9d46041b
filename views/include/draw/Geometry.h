// Points and rectangles in the views' logical pixels. A rectangle holds the
// pixels from left to right - 1 and from top to bottom - 1: its right and bottom
// edges lie outside it, as every rectangle of the views is given.
#pragma once

#include <QRect>
#include <algorithm>

namespace draw {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static constexpr Rect FromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  // Inside with all four edges included, as the views' hit tests count.
  constexpr bool ContainsInclusive(int x, int y) const { return left <= x && x <= right && top <= y && y <= bottom; }
  constexpr Rect Intersected(const Rect& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
  constexpr Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace draw
