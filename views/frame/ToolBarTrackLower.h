// The Track View's lower tool bar: the position and length of the project in
// two time boxes, the transport buttons, and the position slider, which
// stretches to the bar's right end and moves the play position.
#pragma once

#include <cstdint>

#include "frame/FrameView.h"
#include "frame/SkinToolBar.h"

class CMyEdit;
class CPositionSlider;

class CMyToolBarTrackLower final : public CSkinToolBar {
 public:
  static constexpr int kResource = 235;
  static constexpr int kPositionBoxId = 32880;
  static constexpr int kLengthBoxId = 32883;
  static constexpr int kSliderId = 32886;
  static constexpr int kSliderLeft = 625;
  // The slider ends this far inside the bar, so its end and its handle at the end show whole.
  static constexpr int kSliderRightMargin = 10;
  static constexpr int kPositionLabel = 328;
  static constexpr int kLengthLabel = 327;

  CMyToolBarTrackLower(FrameContext& context, QWidget* parent = nullptr);

  CPositionSlider* positionSlider;
  CMyEdit* positionBox;
  CMyEdit* lengthBox;

 protected:
  void RenderBackground(draw::CCanvas& canvas) const override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnHScroll(int code, int position);

  FrameContext& context_;
  int16_t lastWidth_ = 0;
};
