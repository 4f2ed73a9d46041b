// The Audio Editor's lower tool bar: the tracker's start, end and size in three
// time boxes under their labels, the editor's transport, and a slider that
// moves the tracker through the audio.
#pragma once

#include <cstdint>
#include <string>

#include "frame/FrameView.h"
#include "frame/SkinToolBar.h"

class CMyEdit;
class CPositionSlider;

class CMyToolBarEditorLower final : public CSkinToolBar {
 public:
  static constexpr int kResource = 349;
  static constexpr int kStartBoxId = 32979;
  static constexpr int kEndBoxId = 32981;
  static constexpr int kSizeBoxId = 32983;
  static constexpr int kSliderId = 32992;
  static constexpr int kSliderLeft = 600;
  // The slider ends this far inside the bar, so its end and its handle at the end show whole.
  static constexpr int kSliderRightMargin = 10;
  static constexpr int kLabels = 352;

  CMyToolBarEditorLower(FrameContext& context, QWidget* parent = nullptr);

  // The frames as minutes, seconds and milliseconds in the box with that id.
  void SetTimeText(int id, int frames);
  // Any text (bars and beats in the tempo display) in the box with that id.
  void SetText(int id, const std::string& text);
  // The slider at the tracker's place in the edited audio; 0 without audio.
  void UpdatePositionSlider();
  CMyEdit* Box(int id) const;

  CPositionSlider* positionSlider;
  CMyEdit* startBox;
  CMyEdit* endBox;
  CMyEdit* sizeBox;

 protected:
  void RenderBackground(draw::CCanvas& canvas) const override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnHScroll(int code, int position);

  FrameContext& context_;
};
