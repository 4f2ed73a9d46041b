// The screen rectangles a snippet (or a level point) was last drawn in, kept in
// drawing order for hit tests. User-interface thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class CPointList {
 public:
  CPointList() = default;
  virtual ~CPointList() = default;

  // Appends a rectangle; 0, or 3 when memory fails.
  int Add(int32_t left, int32_t top, int32_t right, int32_t bottom);
  int Clear();
  // 1 when a rectangle holds the point, edges included: the first such
  // rectangle in drawing order wins and its 1-based number is remembered.
  int HitTest(int32_t x, int32_t y);

  // The 1-based number of the rectangle the last hit test stopped at; 0 after a miss.
  int GetHitNumber() const { return hitNumber_; }
  size_t GetCount() const { return rects_.size(); }
  const ScreenRect& GetRect(size_t i) const { return rects_[i]; }

 private:
  std::vector<ScreenRect> rects_;
  int hitNumber_ = 0;
};
