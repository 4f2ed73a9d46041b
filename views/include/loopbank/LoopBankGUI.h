// The Loop Bank: the editor of view mode 3. One row per visible loop: a
// header card with the loop's number, its name edit and the buttons "Play",
// "Edit" and "Props", and a lane with the loop's whole waveform; the selected
// loop's card is framed. A vertical scroll bar and two skinned buttons change
// which loops and how many show. While a loop previews, a one-pixel playhead
// moves across its lane on a 40 ms view timer.
//
// It draws into its own back buffer, which the view copies into its area; the
// playhead moves by inverting a column of that buffer, which a second
// inversion undoes exactly. Points handed in are the view's client points;
// the Loop Bank subtracts its corner.
//
// The rows always lie inside the loop list: the first row is never below 0,
// at most as many rows show as there are loops, and the last row shown is the
// first plus the visible rows less one.
//
// Threads: user-interface thread only.
#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "draw/Bitmap.h"
#include "draw/Font.h"
#include "draw/PenBrush.h"
#include "view/EditorSlots.h"

class CAudioLoop;
class CAudioLoopList;
class CMyButton;
class CProApp;
class QLineEdit;
class QPushButton;
class QScrollBar;

class CLoopBankGUI final : public view::ILoopBankEditor {
 public:
  // Row controls: row i uses kRowIds + 10i + k (name, Play, Edit, Props).
  static constexpr int kRowIds = 33920;
  static constexpr int kPlay = 1, kEdit = 2, kProps = 3;
  static constexpr int kRows = 8;
  static constexpr int kScrollBarId = 1;
  // The skinned buttons' messages to the main window, and their window ids.
  static constexpr int kFewerRowsMessage = 42943, kMoreRowsMessage = 42944;
  static constexpr int kFewerRowsWindowId = 42935, kMoreRowsWindowId = 42936;
  static constexpr int16_t kNoPlayhead = 0x7FFF;
  static constexpr int kPlayheadMs = 40;
  static constexpr draw::COLORREF kGround = 0xF8F8F8;
  static constexpr const char* kPlayText = "Play";
  static constexpr const char* kStopText = "Stop";

  explicit CLoopBankGUI(CProApp* app);
  ~CLoopBankGUI() override;
  CLoopBankGUI(const CLoopBankGUI&) = delete;
  CLoopBankGUI& operator=(const CLoopBankGUI&) = delete;

  // ---- As the view hosts it ---------------------------------------------------
  void AttachView(CProView& view) override;
  void Layout(const view::EditorArea& area) override;
  void CreateBackBuffer() override;
  void Redraw() override { RefreshView(0); }
  void Draw(draw::CCanvas& viewBuffer) override;
  void HideControls() override;
  void SetInputLocked(int locked) override { inputLocked = locked; }
  void OnLButtonDown(unsigned flags, int x, int y) override;
  void Scroll(int code, int position) override;
  void OnPlayheadTimer() override;
  void StartPlayhead() override;
  void StopPlayhead() override;
  void ResetPlayButton() override;
  bool IsRowVisible(int loopNumber) const override;
  void PressPlayButton(int loopNumber) override;
  void FewerRows() override;
  void MoreRows() override;
  void RebuildRows() override;
  void UpdateRowsAfterRemoval(int loopNumber) override;
  void OnLoopNameChanged(int row) override;
  void OnPlayButton(int row) override;
  void OnEditClicked(int row) override;
  void OnLoopPropertiesClicked(int row) override;

  // ---- Layout and drawing -----------------------------------------------------
  // Lays out the rows and places the controls for an area at (x, y) of width x height.
  void SetArea(int x, int y, int width, int height);
  // Repaints the back buffer (only while the view shows the Loop Bank); a flag
  // of 1 only brings the rows within the loop list. 3 after a fault, else 0.
  int RefreshView(int flag);
  void UpdateScrollBar();

  // ---- What the application sets --------------------------------------------------
  // Opens a loop's properties; the application's own unless it sets another.
  std::function<void(int loopNumber)> loopPropertiesCallback;
  // The device's count of milliseconds played since the preview started; the
  // device object's own unless a test sets another.
  std::function<uint32_t()> millisecondsPlayed;

  // ---- State, read by tests ---------------------------------------------------
  const draw::CBitmap& BackBuffer() const { return backBitmap; }
  int RowPitch() const { return pitch; }
  int LaneWidth() const { return laneWidth; }
  int BoxHeight() const { return boxHeight; }
  int Repaints() const { return repaints_; }
  QLineEdit* NameEdit(int row) const;
  QPushButton* RowButton(int row, int control) const;
  QScrollBar* VScrollBar() const;
  CMyButton* FewerRowsButton() const;
  CMyButton* MoreRowsButton() const;

  // ---- Fields, in the order the rest of the program knows them ------------------
  int16_t visibleRows = 0;
  int16_t firstRow = 0;
  int16_t lastRow = 0;
  int inputLocked = 0;
  int16_t previewLoop = 0;
  int16_t playheadX = kNoPlayhead;
  int areaX = 7;
  int areaY = 24;
  int16_t areaWidth = 0;
  int16_t areaHeight = 0;

 private:
  struct RowControls {
    QPointer<QLineEdit> name;
    std::array<QPointer<QPushButton>, 4> buttons;  // [kPlay], [kEdit], [kProps]
  };

  bool ShowsLoopBank() const;
  void CreateControls();
  void PlaceControls();
  // Rows back inside the loop list after any change of rows or loops.
  void KeepRowsInList();
  // The loop of visible row i, or nullptr (reported at line when the row has none).
  std::shared_ptr<CAudioLoop> LoopOfRow(int row, int line) const;
  void SelectLoop(int loopNumber);
  void DrawHeader(draw::CCanvas& dc, int loopNumber, int y, bool selected);
  int DrawRow(draw::CCanvas& dc, int loopNumber, int y);
  void InvertPlayhead(draw::CCanvas& dc);
  void InvalidateView();

  CProApp* app_;
  CAudioLoopList* loopList = nullptr;
  CProView* ownerView = nullptr;
  int controlsCreated = 0;
  std::array<RowControls, kRows> rowControls;
  QPointer<QScrollBar> vScrollBar;
  QPointer<CMyButton> fewerRowsButton;
  QPointer<CMyButton> moreRowsButton;
  draw::CPen loopPen;
  draw::CBrush waveBrush;
  draw::CBrush boxBrush;
  draw::CBrush groundBrush = draw::CBrush::Solid(kGround);
  draw::CFont rowFont;
  draw::CBitmap backBitmap;
  // The layout of the last SetArea.
  int pitch = 0;
  int laneWidth = 0;
  int boxHeight = 0;
  draw::Rect headerRect, laneRect, scrollBarRect, fewerRowsRect, moreRowsRect;
  int repaints_ = 0;
};
