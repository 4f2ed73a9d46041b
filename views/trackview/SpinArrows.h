// A pair of arrows beside an edit that steps a value by one: a press on the
// upper half reports position 1 (up), on the lower half position 0 (down),
// as a spin control of range 0..1 reports its thumb.
#pragma once

#include <QWidget>
#include <functional>

namespace trackview {

class CSpinArrows final : public QWidget {
 public:
  explicit CSpinArrows(QWidget* parent = nullptr);
  std::function<void(int position)> onStep;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace trackview
