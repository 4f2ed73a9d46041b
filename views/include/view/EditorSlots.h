// What the view asks of the three editors it hosts, and of the Audio Editor's
// tool window. The view owns one editor per slot; an empty slot leaves that
// editor's area blank and takes none of its calls, so the view works before
// the editors exist and each editor joins without a change to the view.
//
// Coordinates handed to an editor are the view's client coordinates; each
// editor subtracts its area's corner itself. Everything here is called on the
// user-interface thread only.
#pragma once

#include <cstdint>

#include "TrackColorSet.h"
#include "draw/Canvas.h"

class CAudioSegment;
class CProView;

namespace view {

// Buttons and keys held during a mouse message, as the editors' handlers test them.
constexpr unsigned kMouseLeft = 0x01;
constexpr unsigned kMouseRight = 0x02;
constexpr unsigned kMouseShift = 0x04;
constexpr unsigned kMouseControl = 0x08;
constexpr unsigned kMouseMiddle = 0x10;

// Scroll bar codes, for both directions (up is left, down is right).
constexpr int kScrollLineUp = 0;
constexpr int kScrollLineDown = 1;
constexpr int kScrollPageUp = 2;
constexpr int kScrollPageDown = 3;
constexpr int kScrollThumbPosition = 4;
constexpr int kScrollThumbTrack = 5;
constexpr int kScrollTop = 6;
constexpr int kScrollBottom = 7;
constexpr int kScrollEnd = 8;

// Notifications of the editors' row controls.
constexpr int kButtonClicked = 0;
constexpr int kEditKillFocus = 0x200;
constexpr int kEditChange = 0x300;

// Where an editor sits in the view.
struct EditorArea {
  int x = 7;
  int y = 24;
  int16_t width = 0;
  int16_t height = 0;
};

// Every editor.
class IViewEditor {
 public:
  virtual ~IViewEditor() = default;
  // The view it lives in: the parent of its controls and the owner of its timers.
  virtual void AttachView(CProView& view) = 0;
  // Takes the area, places its controls and remakes its back buffer, drawn anew.
  virtual void Layout(const EditorArea& area) = 0;
  // Remakes its back buffer at the area it has, drawn anew.
  virtual void CreateBackBuffer() = 0;
  // Draws its back buffer anew from the model.
  virtual void Redraw() = 0;
  // Copies its back buffer to its area of the view's buffer.
  virtual void Draw(draw::CCanvas& viewBuffer) = 0;
  // Out of sight while another editor is shown.
  virtual void HideControls() = 0;
  virtual void SetInputLocked(int locked) = 0;
  virtual void OnLButtonDown(unsigned flags, int x, int y) = 0;
};

class ITrackViewEditor : public IViewEditor {
 public:
  virtual void OnLButtonUp(unsigned flags, int x, int y) = 0;
  virtual void OnMouseMove(unsigned flags, int x, int y) = 0;
  virtual void OnLButtonDblClk(unsigned flags, int x, int y) = 0;
  virtual void OnRButtonDown(unsigned flags, int x, int y) = 0;
  // The point is on the screen; the menu's commands go to the main window.
  virtual void ShowContextMenu(int screenX, int screenY) = 0;
  virtual void OnHScroll(int code, int position) = 0;
  virtual void OnVScroll(int code, int position) = 0;
  virtual void ZoomIn() = 0;
  virtual void ZoomOut() = 0;
  virtual void ZoomToProject() = 0;
  virtual void FewerRows() = 0;
  virtual void MoreRows() = 0;
  // Row commands; row is the visible row 0..7.
  virtual void OnTrackNameChanged(int row) = 0;
  virtual void OnArmClicked(int row) = 0;
  virtual void OnMuteClicked(int row) = 0;
  virtual void OnSoloClicked(int row) = 0;
  virtual void OnTrackPropertiesClicked(int row) = 0;
  virtual void OnTempoEdited() = 0;
  virtual void OnPitchEdited() = 0;
  // The tracking bar and the tempo and pitch boxes, as the core moves them.
  virtual void UpdateTrackingBar(uint32_t frame, bool follow) = 0;
  virtual void ResetTrackingBar() = 0;
  virtual void RefreshTrackingBar() = 0;
  virtual void SetTempoText(float bpm) = 0;
  virtual void SetPitchText(float semitones) = 0;
  // The snippet under the last right click, by its track and identifier; false for none.
  virtual bool GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const = 0;
  virtual void ClearCurrentSnippet() = 0;
};

class IWaveformEditor : public IViewEditor {
 public:
  virtual void OnLButtonUp(unsigned flags, int x, int y) = 0;
  virtual void OnMouseMove(unsigned flags, int x, int y) = 0;
  virtual void OnLButtonDblClk(unsigned flags, int x, int y) = 0;
  virtual void ShowContextMenu(int screenX, int screenY) = 0;
  virtual void Scroll(int code, int position) = 0;
  virtual void ZoomIn() = 0;
  virtual void ZoomOut() = 0;
  virtual void ShowWholeAudio() = 0;
  // The play cursor's tick (view timer 1) and its start and stop.
  virtual void OnCursorTimer() = 0;
  virtual void StartTracking(int loopWrap) = 0;
  virtual void StopTracking() = 0;
  // The tracker's times into the lower tool bar (and the tool window).
  virtual void UpdateToolBarTimes() = 0;
  // The tool bar's slider moved the tracker.
  virtual void TrackerMoved() = 0;
  virtual void SetProjectTempo(float bpm) = 0;
  virtual void SetColors(const TrackColorSet& colors) = 0;
  // The audio shown; nullptr for none. The core keeps it alive while shown.
  virtual void SetSegment(CAudioSegment* segment) = 0;
};

class ILoopBankEditor : public IViewEditor {
 public:
  virtual void Scroll(int code, int position) = 0;
  // The preview playhead's tick (view timer 2) and its start and stop.
  virtual void OnPlayheadTimer() = 0;
  virtual void StartPlayhead() = 0;
  virtual void StopPlayhead() = 0;
  virtual void ResetPlayButton() = 0;
  virtual bool IsRowVisible(int loopNumber) const = 0;
  // The Play/Stop button of the loop's row, pressed as by the user; nothing when the row is not shown.
  virtual void PressPlayButton(int loopNumber) = 0;
  virtual void FewerRows() = 0;
  virtual void MoreRows() = 0;
  // After loops were added; after loop loopNumber was removed.
  virtual void RebuildRows() = 0;
  virtual void UpdateRowsAfterRemoval(int loopNumber) = 0;
  // Row commands; row is the visible row 0..7.
  virtual void OnLoopNameChanged(int row) = 0;
  virtual void OnPlayButton(int row) = 0;
  virtual void OnEditClicked(int row) = 0;
  virtual void OnLoopPropertiesClicked(int row) = 0;
};

// The Audio Editor's tool window, as the view hides it when the Audio Editor
// is left and puts it back when the Audio Editor is shown again.
class IEditorToolWindow {
 public:
  virtual ~IEditorToolWindow() = default;
  // Made and shown with every field filled (the application's toggle), or taken down.
  virtual void Open() = 0;
  virtual void Close() = 0;
  // The window is open (it stays so while hidden by a switch).
  virtual bool IsShown() const = 0;
  // Where it stands on the screen.
  virtual draw::Rect WindowRect() const = 0;
  virtual void Hide() = 0;
  // Placed at the rectangle, above the other windows, and shown.
  virtual void ShowAt(const draw::Rect& rect) = 0;
  // What the editor holds: the title, "Use Project Values" and the project fields.
  virtual void UpdateContentFields() = 0;
  virtual void UpdateTimeFields(int ignoreProjectValues) = 0;
  virtual void UpdateTempoFields() = 0;
};

}  // namespace view
