// What the main frame needs of the view it hosts and of the services around
// it. The view implements IFrameView; until the editors exist the frame hosts
// CEmptyView, which answers every operation by doing nothing.
//
// Threads: user-interface thread only.
#pragma once

#include <QWidget>
#include <string>

#include "CommandRouter.h"
#include "UiServices.h"

class CProApp;

class IFrameView {
 public:
  virtual ~IFrameView() = default;
  virtual QWidget* Widget() = 0;

  // The skinned buttons' operations, by editor.
  virtual void TrackViewFewerRows() = 0;
  virtual void TrackViewMoreRows() = 0;
  virtual void TrackViewZoomToProject() = 0;
  virtual void TrackViewZoomIn() = 0;
  virtual void TrackViewZoomOut() = 0;
  virtual void AudioEditorZoomIn() = 0;
  virtual void AudioEditorZoomOut() = 0;
  virtual void AudioEditorShowWholeAudio() = 0;
  virtual void LoopBankFewerRows() = 0;
  virtual void LoopBankMoreRows() = 0;
  // A page of rows up or down (the page keys).
  virtual void TrackViewPageRows(bool down) = 0;
  virtual void LoopBankPageRows(bool down) = 0;

  // The Track View's tracking bar follows a play position the slider set.
  virtual void RefreshTrackingBar() = 0;
  // The Audio Editor shows a tracker its tool bar's slider moved.
  virtual void AudioEditorTrackerMoved() = 0;
  virtual void Invalidate(bool erase) = 0;
  // Enter in the main window: the keyboard goes back to the view (to its first
  // child window), which applies what an edit box it leaves holds.
  virtual void OnEnterKey();
};

// The view area while there is no view: the view's ground, nothing else.
class CEmptyView final : public QWidget, public IFrameView {
 public:
  static constexpr uint32_t kGround = 0xF5F5F5;
  explicit CEmptyView(QWidget* parent = nullptr);

  QWidget* Widget() override { return this; }
  void TrackViewFewerRows() override {}
  void TrackViewMoreRows() override {}
  void TrackViewZoomToProject() override {}
  void TrackViewZoomIn() override {}
  void TrackViewZoomOut() override {}
  void AudioEditorZoomIn() override {}
  void AudioEditorZoomOut() override {}
  void AudioEditorShowWholeAudio() override {}
  void LoopBankFewerRows() override {}
  void LoopBankMoreRows() override {}
  void TrackViewPageRows(bool) override {}
  void LoopBankPageRows(bool) override {}
  void RefreshTrackingBar() override {}
  void AudioEditorTrackerMoved() override {}
  void Invalidate(bool) override { update(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The services the frame and its bars work with; the application may be
// missing (the handlers then say so), the view is the one the frame hosts.
struct FrameContext {
  ui::IUserInterface& ui;
  ui::IProfile& profile;
  CCommandRouter& router;
  CProApp* app = nullptr;
  IFrameView* view = nullptr;
};

// The box a handler shows when it finds no application object.
std::string AppMissingText(const char* where);
// The application, or null after showing that box for the handler named.
CProApp* RequireApp(FrameContext& context, const char* where);
