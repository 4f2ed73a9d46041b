// The one view of the main window: a strip of three tabs over a frame, and
// inside it the editor of the view mode (1 Track View, 2 Audio Editor,
// 3 Loop Bank), which the whole program dispatches on. The view owns the
// three editors, composes the tabs, the frame and the shown editor's back
// buffer into its own back buffer, and routes mouse, wheel, scroll bar, timer,
// context-menu and row-control input to the shown editor. While input is
// locked (audio runs) mouse buttons, moves, the wheel and tab clicks do
// nothing; scroll bars, timers, context menus and row controls still work.
//
// Rendering is a function of state: every invalidation composes the back
// buffer from the editors' buffers, and paintEvent only copies the rectangle
// Qt asks for. Nothing is drawn on the window directly.
//
// Threads: the user-interface thread only. A call the core makes from another
// thread is not run there: it is posted to the user-interface thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>

#include "draw/Bitmap.h"
#include "draw/PenBrush.h"
#include "frame/FrameView.h"
#include "view/EditorSlots.h"

class CProApp;
class QAbstractButton;
class QLineEdit;
class QScrollBar;

class CProView final : public QWidget, public IFrameView {
 public:
  // Child-control ids of the editors' rows: track row i uses kTrackRowIds + 10i + k
  // (name, Arm, Mute, Solo, Props), loop row i kLoopRowIds + 10i + k (name, Play, Edit, Props).
  static constexpr int kTrackRowIds = 16960;
  static constexpr int kLoopRowIds = 33920;
  static constexpr int kRows = 8;
  static constexpr int kTempoEditId = 32880;
  static constexpr int kPitchEditId = 32883;
  static constexpr int kEditorZoomInCommand = 32771;
  static constexpr int kEditorZoomOutCommand = 32772;
  static constexpr int kEditorWholeAudioCommand = 32773;
  // The view timers the editors start: the Audio Editor's play cursor, the Loop Bank's playhead.
  static constexpr int kCursorTimer = 1;
  static constexpr int kPlayheadTimer = 2;
  static constexpr draw::COLORREF kGround = 0xF5F5F5;
  static constexpr draw::COLORREF kFrameColour = 0xB4A791;

  // Without an application the view reports it and shows only its ground.
  explicit CProView(CProApp* app, QWidget* parent = nullptr);
  ~CProView() override;

  // ---- The editors --------------------------------------------------------
  // Each joins the view (its controls become the view's children); an empty
  // slot leaves its area blank.
  void InstallTrackView(std::unique_ptr<view::ITrackViewEditor> editor);
  void InstallAudioEditor(std::unique_ptr<view::IWaveformEditor> editor);
  void InstallLoopBank(std::unique_ptr<view::ILoopBankEditor> editor);
  view::ITrackViewEditor* TrackView() const { return trackView.get(); }
  view::IWaveformEditor* AudioEditor() const { return audioEditor.get(); }
  view::ILoopBankEditor* LoopBank() const { return loopBank.get(); }
  // The Audio Editor's tool window while it exists; nullptr when it is gone.
  void SetEditorToolWindow(view::IEditorToolWindow* window) { toolWindow_ = window; }

  // ---- Called by the application ------------------------------------------
  void OnInitialUpdate();
  void LockInput(int locked);
  void RefreshTrackView();
  void RefreshCurrentView();
  void RefreshAllViews();
  void RefreshLoopBank();
  void RefreshLoopBankRow(int loopIndex);
  // Remakes the back buffer and lays out the shown editor over the area a
  // client of width x height leaves it.
  void Relayout(int16_t width, int16_t height);
  // Shows the editor of mode (1..3): refused during playback; the editor shown
  // before is hidden, the new one laid out, the menu and tool bars follow, and
  // an empty Audio Editor or Loop Bank says so until told not to.
  void SwitchView(int mode);
  int GetViewMode() const { return viewMode; }
  int IsInputLocked() const { return inputLocked; }
  // Whether the Track View snaps what it moves to its grid.
  void SetSnapToGrid(int snap);
  int GetSnapToGrid() const { return snapToGrid_; }

  // ---- The main frame's skinned buttons and page keys, by editor -------------
  QWidget* Widget() override { return this; }
  void TrackViewFewerRows() override;
  void TrackViewMoreRows() override;
  void TrackViewZoomToProject() override;
  void TrackViewZoomIn() override;
  void TrackViewZoomOut() override;
  void AudioEditorZoomIn() override;
  void AudioEditorZoomOut() override;
  void AudioEditorShowWholeAudio() override;
  void LoopBankFewerRows() override;
  void LoopBankMoreRows() override;
  void TrackViewPageRows(bool down) override;
  void LoopBankPageRows(bool down) override;
  void RefreshTrackingBar() override;
  void AudioEditorTrackerMoved() override;
  // In the Track View the tempo or pitch typed in its edit is applied (once),
  // then the keyboard goes back to the view.
  void OnEnterKey() override;
  // The id of the view's control that has the keyboard; 0 for none.
  int GetFocusedControlId() const;

  // ---- The core's calls on the Track View ---------------------------------------------
  // The play timer's move of the tracking bar, paging the view when following.
  void MoveTrackingBar(uint32_t frame, bool follow);
  // Play stopped: the bar is forgotten and put back at the play cursor.
  void ResetTrackingBar();
  void SetTempoText(float bpm);
  void SetPitchText(float semitones);
  bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const;
  void ClearCurrentSnippet();

  // ---- Drawing -------------------------------------------------------------------
  // Composes the back buffer: ground, tab strip, frame, corners, the shown editor.
  void OnDraw();
  const draw::CBitmap& BackBuffer() const { return backBitmap; }
  // Composes the back buffer and has the window copy it (erasing is never needed).
  void Invalidate(bool erase = false) override;
  // The same, copying only the rectangle to the window.
  void InvalidateRect(const draw::Rect& rect);

  // ---- For the editors ------------------------------------------------------------
  // View timers by id (kCursorTimer, kPlayheadTimer); setting one again restarts it.
  void SetTimer(int timerId, int intervalMs);
  void KillTimer(int timerId);
  bool IsTimerRunning(int timerId) const { return timers_.count(timerId) != 0; }
  // A scroll bar or row control of an editor, made a child of the view: its
  // actions arrive as the view's scroll, command and focus messages, routed by
  // the shown mode. A control's id becomes its object name.
  void RouteScrollBar(QScrollBar* bar);
  void RouteControl(QLineEdit* edit, int id);
  void RouteControl(QAbstractButton* button, int id);

  // ---- The routing, by message ----------------------------------------------------
  void OnHScroll(int code, int position);
  void OnVScroll(int code, int position);
  void OnTimer(int timerId);
  // A command or a row control's notification (kButtonClicked, kEditChange, kEditKillFocus).
  void OnCommand(int id, int notification);

  // ---- Fields -------------------------------------------------------------------
  std::unique_ptr<view::ITrackViewEditor> trackView;
  std::unique_ptr<view::IWaveformEditor> audioEditor;
  std::unique_ptr<view::ILoopBankEditor> loopBank;
  // Where the tool window stood when the Audio Editor was last left; empty before.
  draw::Rect toolWindowRect;
  // Size events still to be ignored (set by whoever switches the tool bars).
  int16_t sizeEventsToSkip = 0;
  int32_t inputLocked = 0;
  int16_t clientWidth = 0;
  int16_t clientHeight = 0;
  int32_t viewMode = 1;  // ViewMode
  view::EditorArea audioEditorArea;
  view::EditorArea trackViewArea;
  view::EditorArea loopBankArea;
  draw::CPen framePen = draw::CPen::Solid(kFrameColour);
  draw::CBrush groundBrush = draw::CBrush::Solid(kGround);
  draw::CBitmap backBitmap;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void CreateBackBuffer();
  view::IViewEditor* ShownEditor() const;
  view::EditorArea& AreaOf(int mode);
  bool InsideShownArea(int x, int y);
  bool RefusedDuringPlayback();
  void ShowEmptyNotices(int mode);
  void RefreshAudioEditor(int ignoreProjectValues);
  // Makes an editor's control a child of the view known by its id.
  void AdoptControl(QWidget* control, int id);
  void OnLeftButtonDown(unsigned flags, int x, int y);
  void OnWheel(int delta);
  // Posts the call to the user-interface thread when made from another; true then.
  template <class Call>
  bool PostedFromOtherThread(Call call);

  CProApp* app_;
  view::IEditorToolWindow* toolWindow_ = nullptr;
  const draw::CBitmap* tabStrips_[3] = {};
  const draw::CBitmap* corners_[3] = {};  // bottom left, bottom right, top right
  std::map<int, int> timers_;             // view timer id -> Qt timer id
  int snapToGrid_ = 1;
  int wheelDelta_ = 0;  // wheel turns not yet a whole notch (fine-grained wheels and touchpads)
  bool initialUpdateDone_ = false;
  int appliedByEnter_ = 0;  // the edit Enter applied: its losing the focus must not apply it again
};
