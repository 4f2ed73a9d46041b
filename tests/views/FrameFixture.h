// A main frame on scripted seams, with or without an application object, and
// a view that records what the frame asks of it.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "CommandRouter.h"
#include "ScriptedUi.h"
#include "frame/FrameView.h"
#include "frame/MainFrame.h"
#include "pro.h"

namespace tessiro::test {

class CRecordingView final : public QWidget, public IFrameView {
 public:
  QWidget* Widget() override { return this; }
  void TrackViewFewerRows() override { calls.push_back("TrackViewFewerRows"); }
  void TrackViewMoreRows() override { calls.push_back("TrackViewMoreRows"); }
  void TrackViewZoomToProject() override { calls.push_back("TrackViewZoomToProject"); }
  void TrackViewZoomIn() override { calls.push_back("TrackViewZoomIn"); }
  void TrackViewZoomOut() override { calls.push_back("TrackViewZoomOut"); }
  void AudioEditorZoomIn() override { calls.push_back("AudioEditorZoomIn"); }
  void AudioEditorZoomOut() override { calls.push_back("AudioEditorZoomOut"); }
  void AudioEditorShowWholeAudio() override { calls.push_back("AudioEditorShowWholeAudio"); }
  void LoopBankFewerRows() override { calls.push_back("LoopBankFewerRows"); }
  void LoopBankMoreRows() override { calls.push_back("LoopBankMoreRows"); }
  void TrackViewPageRows(bool down) override { calls.push_back(down ? "TrackViewPageRows(down)" : "TrackViewPageRows(up)"); }
  void LoopBankPageRows(bool down) override { calls.push_back(down ? "LoopBankPageRows(down)" : "LoopBankPageRows(up)"); }
  void RefreshTrackingBar() override { calls.push_back("RefreshTrackingBar"); }
  void AudioEditorTrackerMoved() override { calls.push_back("AudioEditorTrackerMoved"); }
  void Invalidate(bool erase) override { calls.push_back(erase ? "Invalidate(erase)" : "Invalidate"); }
  std::vector<std::string> calls;
};

class FrameTest : public ::testing::Test {
 protected:
  void TearDown() override {
    frame.reset();
    app.reset();
    seams.ui.CheckDone();
  }
  // The frame made for a screen of that size; an application object unless told otherwise.
  CMainFrame& Make(bool withApp = true, QSize screen = QSize(1024, 768)) {
    if (withApp) app = std::make_unique<CProApp>(seams.Services());
    frame = std::make_unique<CMainFrame>(seams.ui, seams.profile, router, app.get());
    EXPECT_EQ(frame->Create(screen), 0);
    return *frame;
  }
  static void DeliverPosted() { QCoreApplication::sendPostedEvents(); }

  ScriptedServices seams;
  CCommandRouter router;
  std::unique_ptr<CProApp> app;
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace tessiro::test
