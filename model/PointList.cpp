#include "PointList.h"

#include <new>

#include "Generic.h"

namespace {
constexpr int kLineNoMemory = 45;
}

int CPointList::Add(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  try {
    rects_.push_back(ScreenRect{left, top, right, bottom});
  } catch (const std::bad_alloc&) {
    ReportError(__FILE__, kLineNoMemory, "");
    return 3;
  }
  return 0;
}

int CPointList::Clear() {
  rects_.clear();
  hitNumber_ = 0;
  return 0;
}

int CPointList::HitTest(int32_t x, int32_t y) {
  for (size_t i = 0; i < rects_.size(); ++i) {
    const ScreenRect& r = rects_[i];
    if (IsPointInRect(x, y, r.left, r.top, r.right, r.bottom)) {
      hitNumber_ = static_cast<int>(i) + 1;
      return 1;
    }
  }
  hitNumber_ = 0;
  return 0;
}
