// Pens and brushes: plain values a canvas selects, as the views make them once
// and draw with them many times.
#pragma once

#include "draw/Colour.h"

namespace draw {

enum class PenStyle {
  Solid,
  Dot,   // one pixel on, two off, counted along each line from its start
  Null,  // draws nothing: rectangles and polygons are filled only
};

struct CPen {
  PenStyle style = PenStyle::Solid;
  int width = 1;  // 0 counts as 1
  COLORREF colour = 0;

  static constexpr CPen Solid(COLORREF colour, int width = 1) { return {PenStyle::Solid, width, colour}; }
  static constexpr CPen Dotted(COLORREF colour) { return {PenStyle::Dot, 1, colour}; }
  static constexpr CPen None() { return {PenStyle::Null, 1, 0}; }
  friend bool operator==(const CPen&, const CPen&) = default;
};

struct CBrush {
  bool hollow = false;  // fills nothing
  COLORREF colour = 0xFFFFFF;

  static constexpr CBrush Solid(COLORREF colour) { return {false, colour}; }
  static constexpr CBrush Hollow() { return {true, 0}; }
  friend bool operator==(const CBrush&, const CBrush&) = default;
};

}  // namespace draw
