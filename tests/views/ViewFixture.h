// A CProView on an application with scripted seams, hosting editors that
// record every call the view makes on them and paint their area in a colour
// of their own, and a tool window that records what the view asks of it.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedUi.h"
#include "pro.h"
#include "view/ProView.h"

namespace tessiro::test {

using CallLog = std::vector<std::string>;

// One recorder serves as any of the three editors; the name tells them apart in the log.
class CRecordingEditor final : public view::ITrackViewEditor, public view::IWaveformEditor, public view::ILoopBankEditor {
 public:
  CRecordingEditor(std::string name, draw::COLORREF colour, CallLog& log) : name_(std::move(name)), colour_(colour), log_(log) {}

  void AttachView(CProView&) override { Log("AttachView"); }
  void Layout(const view::EditorArea& area) override {
    area_ = area;
    Log("Layout", area.x, area.y, area.width, area.height);
  }
  void CreateBackBuffer() override { Log("CreateBackBuffer"); }
  void Redraw() override { Log("Redraw"); }
  void Draw(draw::CCanvas& dc) override { dc.FillSolidRect(draw::Rect::FromSize(area_.x, area_.y, area_.width, area_.height), colour_); }
  void HideControls() override { Log("HideControls"); }
  void SetInputLocked(int locked) override {
    onUiThread = QThread::currentThread() == qApp->thread();
    Log("SetInputLocked", locked);
  }
  void OnLButtonDown(unsigned f, int x, int y) override { Log("OnLButtonDown", f, x, y); }
  void OnLButtonUp(unsigned f, int x, int y) override { Log("OnLButtonUp", f, x, y); }
  void OnMouseMove(unsigned f, int x, int y) override { Log("OnMouseMove", f, x, y); }
  void OnLButtonDblClk(unsigned f, int x, int y) override { Log("OnLButtonDblClk", f, x, y); }
  void OnRButtonDown(unsigned f, int x, int y) override { Log("OnRButtonDown", f, x, y); }
  void ShowContextMenu(int, int) override { Log("ShowContextMenu"); }
  void OnHScroll(int code, int position) override { Log("OnHScroll", code, position); }
  void OnVScroll(int code, int position) override { Log("OnVScroll", code, position); }
  void Scroll(int code, int position) override { Log("Scroll", code, position); }
  void ZoomIn() override { Log("ZoomIn"); }
  void ZoomOut() override { Log("ZoomOut"); }
  void ZoomToProject() override { Log("ZoomToProject"); }
  void ShowWholeAudio() override { Log("ShowWholeAudio"); }
  void FewerRows() override { Log("FewerRows"); }
  void MoreRows() override { Log("MoreRows"); }
  void OnTrackNameChanged(int row) override { Log("OnTrackNameChanged", row); }
  void OnArmClicked(int row) override { Log("OnArmClicked", row); }
  void OnMuteClicked(int row) override { Log("OnMuteClicked", row); }
  void OnSoloClicked(int row) override { Log("OnSoloClicked", row); }
  void OnTrackPropertiesClicked(int row) override { Log("OnTrackPropertiesClicked", row); }
  void OnTempoEdited() override { Log("OnTempoEdited"); }
  void OnPitchEdited() override { Log("OnPitchEdited"); }
  void UpdateTrackingBar(uint32_t frame, bool follow) override { Log("UpdateTrackingBar", frame, follow); }
  void ResetTrackingBar() override { Log("ResetTrackingBar"); }
  void RefreshTrackingBar() override { Log("RefreshTrackingBar"); }
  void SetTempoText(float) override { Log("SetTempoText"); }
  void SetPitchText(float) override { Log("SetPitchText"); }
  bool GetCurrentSnippet(int*, uint32_t*) const override { return false; }
  void ClearCurrentSnippet() override { Log("ClearCurrentSnippet"); }
  void OnCursorTimer() override { Log("OnCursorTimer"); }
  void StartTracking(int loopWrap) override { Log("StartTracking", loopWrap); }
  void StopTracking() override { Log("StopTracking"); }
  void UpdateToolBarTimes() override { Log("UpdateToolBarTimes"); }
  void TrackerMoved() override { Log("TrackerMoved"); }
  void SetProjectTempo(float bpm) override { Log("SetProjectTempo", static_cast<int>(bpm)); }
  void SetColors(const TrackColorSet&) override { Log("SetColors"); }
  void SetSegment(CAudioSegment*) override { Log("SetSegment"); }
  void OnPlayheadTimer() override { Log("OnPlayheadTimer"); }
  void StartPlayhead() override { Log("StartPlayhead"); }
  void StopPlayhead() override { Log("StopPlayhead"); }
  void ResetPlayButton() override { Log("ResetPlayButton"); }
  bool IsRowVisible(int) const override { return false; }
  void PressPlayButton(int loopNumber) override { Log("PressPlayButton", loopNumber); }
  void RebuildRows() override { Log("RebuildRows"); }
  void UpdateRowsAfterRemoval(int loopNumber) override { Log("UpdateRowsAfterRemoval", loopNumber); }
  void OnLoopNameChanged(int row) override { Log("OnLoopNameChanged", row); }
  void OnPlayButton(int row) override { Log("OnPlayButton", row); }
  void OnEditClicked(int row) override { Log("OnEditClicked", row); }
  void OnLoopPropertiesClicked(int row) override { Log("OnLoopPropertiesClicked", row); }

  bool onUiThread = false;

 private:
  // "TV.OnLButtonDown(1,100,50)"
  template <class... Args>
  void Log(const char* op, Args... args) {
    std::string call = name_ + "." + op;
    if constexpr (sizeof...(args) > 0) {
      std::string list;
      ((list += (list.empty() ? "" : ",") + std::to_string(args)), ...);
      call += "(" + list + ")";
    }
    log_.push_back(call);
  }

  std::string name_;
  draw::COLORREF colour_;
  CallLog& log_;
  view::EditorArea area_;
};

class CRecordingToolWindow final : public view::IEditorToolWindow {
 public:
  explicit CRecordingToolWindow(CallLog& log) : log_(log) {}
  void Open() override { log_.push_back("Tool.Open"); }
  void Close() override { log_.push_back("Tool.Close"); }
  bool IsShown() const override { return shown; }
  draw::Rect WindowRect() const override { return rect; }
  void Hide() override { log_.push_back("Tool.Hide"); }
  void ShowAt(const draw::Rect& at) override {
    rect = at;
    log_.push_back("Tool.ShowAt(" + std::to_string(at.left) + "," + std::to_string(at.top) + "," +
                   std::to_string(at.right) + "," + std::to_string(at.bottom) + ")");
  }
  void UpdateContentFields() override { log_.push_back("Tool.UpdateContentFields"); }
  void UpdateTimeFields(int ignore) override { log_.push_back("Tool.UpdateTimeFields(" + std::to_string(ignore) + ")"); }
  void UpdateTempoFields() override { log_.push_back("Tool.UpdateTempoFields"); }
  bool shown = true;
  draw::Rect rect{300, 200, 500, 480};

 private:
  CallLog& log_;
};

constexpr draw::COLORREF kTrackViewColour = 0x0000C0;
constexpr draw::COLORREF kEditorColour = 0x00C000;
constexpr draw::COLORREF kLoopBankColour = 0xC00000;

class ViewTest : public ::testing::Test {
 protected:
  void TearDown() override {
    view.reset();
    app.reset();
    seams.ui.CheckDone();
  }
  // The view of that client size, shown, with the recording editors unless told otherwise.
  CProView& Make(int width = 838, int height = 600, bool withEditors = true) {
    app = std::make_unique<CProApp>(seams.Services());
    view = std::make_unique<CProView>(app.get());
    if (withEditors) {
      view->InstallTrackView(std::make_unique<CRecordingEditor>("TV", kTrackViewColour, calls));
      view->InstallAudioEditor(std::make_unique<CRecordingEditor>("AE", kEditorColour, calls));
      view->InstallLoopBank(std::make_unique<CRecordingEditor>("LB", kLoopBankColour, calls));
    }
    view->resize(width, height);
    view->show();
    calls.clear();
    seams.view.calls.clear();
    return *view;
  }
  // The calls of one editor ("TV", "AE", "LB", "Tool") in order, taken out of the log.
  CallLog Take(const std::string& who) {
    CallLog mine, others;
    for (const std::string& call : calls) {
      if (call.rfind(who + ".", 0) == 0) {
        mine.push_back(call.substr(who.size() + 1));
      } else {
        others.push_back(call);
      }
    }
    calls = std::move(others);
    return mine;
  }

  ScriptedServices seams;
  std::unique_ptr<CProApp> app;
  std::unique_ptr<CProView> view;
  CallLog calls;
};

}  // namespace tessiro::test
