// The position sliders of the lower tool bars: 0..1000, a page of 20, no
// ticks, in the flat look of the bars. A move by the user reports its action
// (page left or right, thumb drag) with the position the thumb then has.
//
// Threads: user-interface thread only.
#pragma once

#include <QSlider>
#include <functional>

class CPositionSlider final : public QSlider {
 public:
  // Scroll codes as the handlers count them.
  static constexpr int kPageLeft = 2;
  static constexpr int kPageRight = 3;
  static constexpr int kThumbTrack = 5;
  static constexpr int kOther = 8;

  CPositionSlider(int id, QWidget* parent);
  // The codes a bar acts on: a page either way or a drag of the thumb.
  static bool MovesPosition(int code) { return code == kPageLeft || code == kPageRight || code == kThumbTrack; }
  void SetScrollHandler(std::function<void(int code, int position)> handler) { onScroll_ = std::move(handler); }

 private:
  std::function<void(int, int)> onScroll_;
};
