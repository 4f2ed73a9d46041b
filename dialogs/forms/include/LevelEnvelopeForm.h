// The level-envelope editor as plain C++: a zoomable graph of the points of
// one levels effect of a chain, edited with the mouse, a context menu and a
// level field. Coordinates are the window's own pixels: the graph's mouse
// area is (45, 20)-(469, 203), drawn from a 484 x 199 picture placed at
// (15, 20) in which the graph spans x 30..454 and y 0 (300 %)..183 (0 %).
//
// The chain may be playing: points are read as copies and changed only
// through the chain's calls, each under its lock, and a point is found by its
// number at each use, never kept as a pointer into the chain.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SliderMath.h"
#include "Zelmo.h"

namespace forms {

class CAudioLevelsVisualDialog {
 public:
  static constexpr int kTemplateId = 266;
  // Controls.
  static constexpr int kScrollBar = 1285, kChannel = 1068, kPointer = 1287, kZoomIn = 1286, kZoomOut = 1288,
                       kViewAll = 1032, kPoint = 1283, kTime = 1284, kLevel = 1276, kLevelUnit = 1291,
                       kTimeUnits = 1292, kUnits = 1160, kInsert = 32918, kDelete = 32920;
  // Geometry.
  static constexpr int kAreaLeft = 45, kAreaTop = 20, kAreaRight = 469, kAreaBottom = 203;
  static constexpr int kGraphWidth = 424, kGraphHeight = 183;
  static constexpr int kPictureX = 15, kPictureY = 20, kPictureWidth = 484, kPictureHeight = 199;
  static constexpr int kGraphLeft = 30;  // in the picture
  static constexpr float kMaxGain = 3.0f;
  static constexpr uint32_t kSmallestZoomWidth = 11025;
  static constexpr int kScrollSteps = 1000, kSmallestScrollPage = 30;
  static constexpr int kTimeLabelX[4] = {32, 138, 244, 350};

  static constexpr const char* kPointExistsText = "A point already exists here.";
  static constexpr const char* kInitialPointText = "Cannot remove initial point.";

  // What the envelope is drawn against: the project.
  struct Source {
    uint32_t length = 0;  // frames
    float tempo = 120.0f;
    int32_t beatsPerBarChoice = 0;
  };
  struct Rect {
    int left, top, right, bottom;
  };
  struct Line {
    int x1, y1, x2, y2;  // in the picture
  };
  // What a paint draws, in picture coordinates, and the points' hit rectangles
  // in window coordinates in drawing order.
  struct Drawing {
    std::vector<Rect> squares;
    std::vector<Rect> hitRects;
    std::vector<Line> lines;
    std::array<std::string, 4> timeLabels;
    int firstDrawnIndex = 0;  // the list index of the first point drawn
  };

  using Inform = std::function<void(const std::string&)>;

  // The window opens on effect `number` of engine (not owned).
  void Bind(CZelmo* engine, short number);
  void Unbind();
  bool IsBound() const { return engine_ != nullptr; }
  void SetProjectSource(const Source& source) { source_ = source; }
  void SetInform(Inform inform) { inform_ = std::move(inform); }
  void SetOnModified(std::function<void()> modified) { modified_ = std::move(modified); }
  void InitDialog();

  // Pure geometry.
  static int FrameToX(uint32_t frame, uint32_t viewStart, uint32_t viewWidth);  // 0..424
  static int GainToY(float gain);                                                // 0..183
  static uint32_t XToFrame(int x, uint32_t viewStart, uint32_t viewWidth);       // window x
  static float YToGain(int y);                                                   // window y
  // A point drawn at graph (x, y): its square in the picture, its hit rectangle in the window.
  static Rect Square(int x, int y) { return {x + 26, y - 4, x + 34, y + 4}; }
  static Rect HitRect(int x, int y) { return {x + 41, y + 16, x + 49, y + 24}; }

  // What the user does.
  void MouseMove(int x, int y);
  void MouseDown();
  void MouseUp();
  void OpenContextMenu(int x, int y);
  bool DeleteEnabled() const { return pointSelected_; }
  void InsertPoint();
  void DeletePoint();
  void CommitLevel(const std::string& text);
  void SelectChannel(int index);
  void SelectUnits(int index);
  void SelectTimeUnits(int index);
  void ZoomIn();
  void ZoomOut();
  void ViewAll();
  void Scroll(SliderAction action, int thumb);

  // What the window shows.
  Drawing Draw() const;
  std::string Text(int controlId) const;
  std::vector<std::string> Items(int comboId) const;
  int Selection(int comboId) const;
  bool SizeCursor() const { return sizeCursor_; }
  bool Dragging() const { return dragging_; }
  uint32_t ViewStart() const { return viewStart_; }
  uint32_t ViewEnd() const { return viewEnd_; }
  uint32_t ViewWidth() const { return viewWidth_; }
  int ScrollPage() const;
  int ScrollPosition() const;
  // The 1-based number of the point under the pointer (0: none), and of the point the fields show.
  int PointNumber() const { return pointSelected_ ? pointNumber_ : 0; }
  int ShownPoint() const { return shownPoint_; }
  // Copies of the edited channel's points, in order.
  std::vector<Zelmo_Level_Entry> Points() const;

 private:
  unsigned int Channel() const { return channelMode_ == 2 && independent_ ? 2u : 1u; }
  bool InArea(int x, int y) const;
  std::string TimeText(uint32_t frame) const;
  std::string LevelText(float gain) const;  // "%.2f" in the units
  void ShowPoint(int number);
  void ClearPoint();
  void SetGain(float gain);
  void ViewChanged();
  void Tell(const std::string& text) const;
  void Modified() const;

  CZelmo* engine_ = nullptr;
  short number_ = 0;
  Source source_;
  Inform inform_;
  std::function<void()> modified_;
  int32_t units_ = 0;     // 0 decibel, 1 percent
  int channelMode_ = 3;   // 1 left, 2 right, 3 both
  int independent_ = 0;
  bool bpmUnits_ = false;
  bool pointSelected_ = false;
  bool dragging_ = false;
  bool sizeCursor_ = false;
  int pointNumber_ = 0;
  int shownPoint_ = 0;
  uint32_t viewStart_ = 0, viewEnd_ = 0, viewWidth_ = 0;
  int contextX_ = 0, contextY_ = 0;
  std::string pointer_, pointText_, timeText_, levelText_;
};

}  // namespace forms
