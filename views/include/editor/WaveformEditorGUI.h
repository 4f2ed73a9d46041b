// The Audio Editor: one piece of audio drawn as a waveform in its own back
// buffer, with the level scale, the ruler, the markers, the highlighted range
// (the tracker) and the play cursor. It keeps the view window and the tracker
// in the edited segment's own fields, converts between frames and pixels,
// zooms and scrolls, and writes the tracker's times into the lower tool bar.
//
// The tracker and the cursor are shown by inverting columns of the back
// buffer, so a drag or a timer tick changes only the columns that differ and
// never redraws the waveform.
//
// Coordinates given to the mouse handlers are the view's client coordinates.
// User-interface thread only. Faults are reported under "WaveformEditorGUI".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TrackColorSet.h"
#include "draw/Bitmap.h"
#include "draw/Font.h"
#include "draw/PenBrush.h"
#include "view/EditorSlots.h"

class CAudioSegment;
class CAudioSnippet;
class CMyButton;
class CProApp;
class QScrollBar;

namespace editor {

// The lower editor tool bar, as the editor writes the tracker's times into it.
class IEditorTimeBoxes {
 public:
  static constexpr int kStartBox = 32979;
  static constexpr int kEndBox = 32981;
  static constexpr int kSizeBox = 32983;
  virtual ~IEditorTimeBoxes() = default;
  // Minutes, seconds and milliseconds of frames at 44100 per second.
  virtual void SetTimeText(int id, uint32_t frames) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual void UpdatePositionSlider() = 0;
};

// The tool window as the editor keeps it up to date.
class IEditorToolFields {
 public:
  virtual ~IEditorToolFields() = default;
  virtual bool IsShown() const = 0;
  virtual void UpdateTimeFields(int ignoreProjectValues) = 0;
};

// One entry of the editor's context menu; a separator has id 0.
struct EditorMenuItem {
  int id;
  const char* text;
};
// The context menu's entries in order (menu resource 223).
const std::vector<EditorMenuItem>& EditorContextMenu();

}  // namespace editor

class CWaveformEditorGUI final : public view::IWaveformEditor {
 public:
  static constexpr int16_t kNotDrawn = 0x7FFF;
  static constexpr int kCursorIntervalMs = 40;
  static constexpr int kMinControlsHeight = 201;
  static constexpr int kScrollRange = 1000;
  // The skinned buttons' messages to the main window.
  static constexpr int kZoomInMessage = 42940;
  static constexpr int kZoomOutMessage = 42941;
  static constexpr int kWholeViewMessage = 42942;
  static constexpr draw::COLORREF kBackground = 0xB4B4B4;
  static constexpr draw::COLORREF kGround = 0xF8F8F8;
  static constexpr draw::COLORREF kScale = 0xF0F0F0;

  // Without an application the editor draws its frame and scales only.
  explicit CWaveformEditorGUI(CProApp* app);
  ~CWaveformEditorGUI() override;
  CWaveformEditorGUI(const CWaveformEditorGUI&) = delete;
  CWaveformEditorGUI& operator=(const CWaveformEditorGUI&) = delete;

  // ---- What the view asks ----------------------------------------------------
  void AttachView(CProView& view) override;
  void Layout(const view::EditorArea& area) override;
  void CreateBackBuffer() override;
  void Redraw() override;
  void Draw(draw::CCanvas& viewBuffer) override;
  void HideControls() override;
  void SetInputLocked(int locked) override { inputLocked = locked; }
  void OnLButtonDown(unsigned flags, int x, int y) override;
  void OnLButtonUp(unsigned flags, int x, int y) override;
  void OnMouseMove(unsigned flags, int x, int y) override;
  void OnLButtonDblClk(unsigned flags, int x, int y) override;
  void ShowContextMenu(int screenX, int screenY) override;
  void Scroll(int code, int position) override;
  void ZoomIn() override;
  void ZoomOut() override;
  void ShowWholeAudio() override;
  void OnCursorTimer() override;
  void StartTracking(int loopWrap) override;
  void StopTracking() override;
  void UpdateToolBarTimes() override;
  void TrackerMoved() override;
  void SetProjectTempo(float bpm) override;
  void SetColors(const TrackColorSet& colors) override;
  void SetSegment(CAudioSegment* segment) override;

  // ---- Wiring ------------------------------------------------------------------
  void SetArea(int x, int y, int width, int height);
  void SetTimeBoxes(editor::IEditorTimeBoxes* boxes) { editorToolBar = boxes; }
  void SetToolWindow(editor::IEditorToolFields* window) { toolWindow = window; }
  // The milliseconds the device has played of the current run.
  void SetPlayedClock(std::function<uint32_t()> clock) { player = std::move(clock); }
  // Where the context menu's commands go (the main frame's command router).
  void SetCommandSink(std::function<void(int commandId)> sink) { commandSink = std::move(sink); }
  void UpdateSelectionPixels(int resetShown);
  void UpdateScrollBar();
  void PaintTracker();
  // The column of a frame of the view without the clamp; false for a view width of 0.
  bool FrameOffset(uint32_t frame, int64_t* offset) const;
  const draw::CBitmap& BackBuffer() const { return backBitmap; }
  QScrollBar* ScrollBar() const { return scrollBar; }
  CMyButton* ZoomInButton() const { return zoomInButton; }

  // ---- Fields ------------------------------------------------------------------
  CAudioSegment* segment = nullptr;
  draw::Rect scrollBarRect;
  float tempoRatio = 1.0f;
  draw::CPen waveformPen = draw::CPen::Solid(0);
  draw::CBrush waveformFillBrush = draw::CBrush::Solid(0xFFFFFF);
  draw::CBrush waveformGroundBrush = draw::CBrush::Solid(0xFFFFFF);
  draw::CBrush markerBrush = draw::CBrush::Solid(0x0000FF);
  int16_t trackerX1 = 0, trackerX2 = 0;
  int16_t anchorX = 0;
  int16_t shownX1 = 0, shownX2 = 0;
  int singleLineShown = 0;
  CMyButton* zoomInButton = nullptr;
  CMyButton* zoomOutButton = nullptr;
  CMyButton* fullViewButton = nullptr;
  draw::CPen gridDotPen = draw::CPen::Dotted(0x646464);
  draw::CPen gridPen = draw::CPen::Solid(0x969696);
  draw::CPen dividerPen = draw::CPen::Solid(0x969696, 2);
  draw::CPen markerPen = draw::CPen::Solid(0x0000FF);
  view::EditorArea area;
  draw::Rect frameRect, waveRect, axisRect, rightStripRect, rulerRect;
  int16_t waveWidth = 0, waveHeight = 0;
  draw::Rect zoomInHit, zoomOutHit, wholeViewHit;
  int16_t cursorX = 0;
  std::function<uint32_t()> player;
  draw::CBitmap backBitmap;
  draw::CBrush groundBrush = draw::CBrush::Solid(kGround);
  draw::CBrush scaleBrush = draw::CBrush::Solid(kScale);
  draw::CFont scaleFont = draw::CFont::FromPixelHeight("Arial", 10, draw::kWeightNormal);
  int loopWrap = 0;
  int tracking = 0;
  int dragging = 0;
  int selectAllPending = 0;
  CProView* view = nullptr;
  float projectTempo = 120.0f;
  CAudioSnippet* snippet = nullptr;
  QScrollBar* scrollBar = nullptr;
  draw::Rect invalidRect;
  editor::IEditorTimeBoxes* editorToolBar = nullptr;
  editor::IEditorToolFields* toolWindow = nullptr;
  int inputLocked = 0;

 private:
  void MakeControls();
  void PlaceButton(CMyButton* button, int top);
  void DrawFrame(draw::CCanvas& dc);
  void DrawMarkers(draw::CCanvas& dc);
  void DrawScales(draw::CCanvas& dc);
  void DrawRuler(draw::CCanvas& dc);
  void InvertColumns(int from, int to);
  void InvertShownTracker();
  // The view window's end moved: width, pixels, scroll bar, picture.
  void ViewChanged();
  void Invalidate();
  // The x of a client point inside the waveform, clamped to its edges; false outside the frame.
  bool FramePoint(int x, int y, int* waveX) const;
  void SetTrackerFromColumns(int x1, int x2);
  bool UsesProjectValues() const;
  int TimeDisplay() const;
  std::string TimeText(uint32_t frames, uint32_t rate) const;

  CProApp* app_;
  std::function<void(int)> commandSink;
};
