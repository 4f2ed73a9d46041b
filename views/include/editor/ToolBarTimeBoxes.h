// The main frame's lower editor tool bar as the Audio Editor's time boxes.
#pragma once

#include <algorithm>

#include "editor/WaveformEditorGUI.h"
#include "frame/ToolBarEditorLower.h"

class CToolBarTimeBoxes final : public editor::IEditorTimeBoxes {
 public:
  explicit CToolBarTimeBoxes(CMyToolBarEditorLower& bar) : bar_(bar) {}
  void SetTimeText(int id, uint32_t frames) override {
    bar_.SetTimeText(id, static_cast<int>(std::min<uint32_t>(frames, 0x7FFFFFFF)));
  }
  void SetText(int id, const std::string& text) override { bar_.SetText(id, text); }
  void UpdatePositionSlider() override { bar_.UpdatePositionSlider(); }

 private:
  CMyToolBarEditorLower& bar_;
};
