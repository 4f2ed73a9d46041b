// The Track View: the multi-track editor of view mode 1. A column of track
// headers with their row controls, a lane per visible track in which each
// snippet is a box with its waveform, the ruler with a grid that follows the
// tempo or the clock, the scroll bars, the tempo and pitch edits, the five
// navigation buttons and the one-pixel tracking bar at the play position.
//
// It draws into its own back buffer, which the view copies into its area.
// Between full repaints the tracking bar and a drag's outline move by
// inverting pixels of that buffer, which a second inversion undoes exactly.
// Hit tests use the rectangles of the last repaint (the hit list), not the model.
//
// Points handed in are the view's client points; the Track View subtracts its
// corner. The project it shows is the application's track list: its view
// start, end and width are the time window.
//
// Threads: user-interface thread only.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioTrackList.h"
#include "TrackViewCallbacks.h"
#include "draw/Bitmap.h"
#include "draw/Font.h"
#include "draw/PenBrush.h"
#include "trackview/TrackViewGrid.h"
#include "view/EditorSlots.h"

class CProApp;
class CAudioSnippet;
class CMyButton;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QTimer;

namespace trackview {
class CSpinArrows;
}

class CTrackViewGUI final : public view::ITrackViewEditor {
 public:
  // Row controls: row i uses kRowIds + 10i + k (name, Arm, Mute, Solo, Props).
  static constexpr int kRowIds = 16960;
  static constexpr int kArm = 1, kMute = 2, kSolo = 3, kProps = 4;
  static constexpr int kTempoEditId = 32880;
  static constexpr int kTempoSpinId = 32881;
  static constexpr int kPitchEditId = 32883;
  static constexpr int kPitchSpinId = 32884;
  static constexpr int kRowsScrollBarId = 1;
  // The skinned navigation buttons, posting 42935..42939 to the main window.
  static constexpr int kNavButtonCount = 5;
  static constexpr draw::COLORREF kGround = 0xF8F8F8;
  static constexpr int kAutoScrollMs = 200;
  // Context menu commands, as the main window takes them.
  static constexpr int kCutCommand = 32838, kCopyCommand = 32837, kPasteCommand = 32836, kDeleteCommand = 32801,
                       kClearTrackCommand = 32802, kEditSnippetCommand = 32915, kSnippetOnTopCommand = 32917,
                       kSnippetPropertiesCommand = 32916, kEmptyLoopsCommand = 32831;

  explicit CTrackViewGUI(CProApp* app);
  ~CTrackViewGUI() override;

  // ---- As the view hosts it ---------------------------------------------------
  void AttachView(CProView& view) override;
  void Layout(const view::EditorArea& area) override;
  void CreateBackBuffer() override;
  void Redraw() override;
  void Draw(draw::CCanvas& viewBuffer) override;
  void HideControls() override;
  void SetInputLocked(int locked) override;

  // ---- Layout and drawing -----------------------------------------------------
  // Lays out rows, grid and controls for an area at (x, y) of width x height.
  void SetArea(int x, int y, int width, int height);
  void ComputeGrid();
  void SetTempoText(float bpm) override;
  void SetPitchText(float semitones) override;
  void UpdateTrackingBar(uint32_t frame, bool follow) override;
  void ResetTrackingBar() override;
  void RefreshTrackingBar() override;
  bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const override;
  void ClearCurrentSnippet() override { rightClickSnippet_.reset(); }
  void SyncTrackingPosition();
  void RefreshAfterTempoChange();
  void UpdateHScrollBar();
  void UpdateVScrollBar();

  // ---- Input ------------------------------------------------------------------
  void OnLButtonDown(unsigned flags, int x, int y) override;
  void OnLButtonDblClk(unsigned flags, int x, int y) override { OnLButtonDown(flags, x, y); }
  void OnMouseMove(unsigned flags, int x, int y) override;
  void OnLButtonUp(unsigned flags, int x, int y) override;
  void OnRButtonDown(unsigned flags, int x, int y) override;
  void ShowContextMenu(int screenX, int screenY) override;
  // The context menu as ShowContextMenu opens it; its actions carry their command ids.
  std::unique_ptr<QMenu> BuildContextMenu();
  void ZoomIn() override;
  void ZoomOut() override;
  void ZoomToProject() override;
  void FewerRows() override;
  void MoreRows() override;
  void OnHScroll(int code, int position) override;
  void OnVScroll(int code, int position) override { ScrollTracks(code, position); }
  void ScrollTracks(int code, int position);
  // A spin control's thumb position: 1 one up, 0 one down.
  void OnSpin(int spinId, int position);
  void OnTrackNameChanged(int row) override;
  void OnArmClicked(int row) override;
  void OnMuteClicked(int row) override;
  void OnSoloClicked(int row) override;
  void OnTrackPropertiesClicked(int row) override;
  void OnTempoEdited() override;
  void OnPitchEdited() override;
  // One step of the automatic scroll of a drag held outside the lanes.
  void AutoScrollStep();

  // ---- What the application sets --------------------------------------------------
  std::function<void(int trackIndex)> trackPropertiesCallback;
  std::function<void(uint32_t newStart)> moveSelectedSnippetsCallback;
  void SetCallbacks(const TrackViewCallbacks& callbacks) {
    moveSelectedSnippetsCallback = callbacks.snippetsMoved;
    trackPropertiesCallback = callbacks.trackProperties;
  }
  // A context-menu command chosen; the main window's command map takes it.
  std::function<void(int commandId)> commandCallback;

  // ---- State, read by tests and the main window ------------------------------------
  const draw::CBitmap& BackBuffer() const { return backBitmap_; }
  const trackview::Grid& GetGrid() const { return grid_; }
  int16_t FirstRow() const { return firstRow_; }
  int16_t LastRow() const { return lastRow_; }
  int16_t VisibleRows() const { return rows_.visibleRows; }
  int RowPitch() const { return rows_.pitch; }
  int16_t TrackingX() const { return trackingX_; }
  int16_t DrawnTrackingX() const { return drawnTrackingX_; }
  bool IsDragging() const { return dragging_ != 0; }
  bool IsAutoScrolling() const { return autoScrolling_ != 0; }
  uint32_t SelectionStart() const { return selectionStart_; }
  int RightClickRow() const { return rightClickRow_; }
  const std::shared_ptr<CAudioSnippet>& RightClickSnippet() const { return rightClickSnippet_; }
  QLineEdit* NameEdit(int row) const;
  // Fewer rows, more rows, whole project, zoom in, zoom out; null before the controls exist.
  CMyButton* NavigationButton(int index) const;
  QPushButton* RowButton(int row, int control) const;
  QLineEdit* TempoEdit() const { return tempoEdit_; }
  QLineEdit* PitchEdit() const { return pitchEdit_; }
  QScrollBar* HScrollBar() const { return hScrollBar_; }
  QScrollBar* VScrollBar() const { return vScrollBar_; }
  int AreaWidth() const { return areaWidth_; }
  int AreaHeight() const { return areaHeight_; }

 private:
  struct RowControls {
    QLineEdit* name = nullptr;
    std::array<QPushButton*, 4> buttons{};  // Arm, Mute, Solo, Props
  };

  void CreateControls();
  void PlaceControls();
  void DrawTrack(draw::CCanvas& dc, CAudioTrack& track, int rowTop);
  void DrawSnippets(draw::CCanvas& dc, CAudioTrack& track, int rowTop);
  void DrawRuler(draw::CCanvas& dc);
  // Moves the bar in the back buffer: the old column inverted back, the new one inverted.
  void DrawTrackingBar();
  void DrawTrackingBarOnScreen();
  void InvertTrackingColumn(int x);
  // Inverts the outline of a selection from start to end in the back buffer.
  void InvertOutline(uint32_t start, uint32_t end);
  // The track of a point in the Track View; -1 below the last row.
  int RowAt(int x, int y) const;
  void ClickLane(unsigned flags, int x, int y);
  void BeginDrag(const CAudioSnippet& clicked);
  void PlaceSelection(int direction);
  void MoveOutline();
  void AfterZoom();
  void Invalidate();
  void InvalidateHorizontal();
  bool Refused();
  CAudioTrack* TrackOfRow(int row, int line);
  int RulerWidth() const { return areaWidth_ - trackview::kLaneWidthMargin; }
  int LaneWidth() const { return areaWidth_ - trackview::kLaneWidthMargin; }
  draw::Rect LanesRect() const;
  void SetPlayPosition(uint32_t frames);

  CProApp* app_;
  CProView* view_ = nullptr;
  CAudioTrackList* trackList_ = nullptr;
  CAudioTrackList hitList_{CAudioSnippetList::kModeView};
  std::shared_ptr<CAudioSnippet> rightClickSnippet_;
  int16_t rightClickRow_ = 0;
  trackview::RowLayout rows_;
  int16_t firstRow_ = 0;
  int16_t lastRow_ = 3;
  int inputLocked_ = 0;
  int16_t trackingX_ = -1;
  int16_t drawnTrackingX_ = -1;
  int areaX_ = 7, areaY_ = 24;
  int16_t areaWidth_ = 0, areaHeight_ = 0;
  std::array<RowControls, trackview::kMaxVisibleRows> rowControls_{};
  QLineEdit* tempoEdit_ = nullptr;
  QLineEdit* pitchEdit_ = nullptr;
  trackview::CSpinArrows* tempoSpin_ = nullptr;
  trackview::CSpinArrows* pitchSpin_ = nullptr;
  std::array<CMyButton*, kNavButtonCount> navButtons_{};
  QScrollBar* hScrollBar_ = nullptr;
  QScrollBar* vScrollBar_ = nullptr;
  bool controlsCreated_ = false;
  bool controlsPlaced_ = false;  // shown at their places (not hidden)
  draw::CFont rowFont_;
  draw::CFont rulerFont_;
  draw::CBitmap backBitmap_;
  draw::CBrush groundBrush_ = draw::CBrush::Solid(kGround);
  trackview::Grid grid_;

  // The drag.
  int dragging_ = 0;
  uint32_t moveLimitLow_ = 0, moveLimitHigh_ = 0;
  uint32_t selectionStart_ = 0, selectionEnd_ = 0;
  int outlineLeft_ = 0, outlineRight_ = 0, outlineTop_ = 0, outlineBottom_ = 0;
  bool outlineDrawn_ = false;
  uint32_t outlinedStart_ = 0, outlinedEnd_ = 0;  // the selection the drawn outline shows
  int16_t lastMouseX_ = 0;
  int firstMove_ = 0;
  int autoScrolling_ = 0;
  int autoScrollDirection_ = 0;  // -1 left, 1 right
  uint32_t dragStartFrame_ = 0;
  uint32_t rawStart_ = 0;
  uint32_t selectionLength_ = 0;
  std::unique_ptr<QTimer> autoScrollTimer_;
  std::unique_ptr<QMenu> contextMenu_;
};
