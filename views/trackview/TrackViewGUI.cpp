// The Track View's layout, controls and drawing.
#include "trackview/TrackViewGUI.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_set>
#include <vector>

#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "Generic.h"
#include "controls/MyButton.h"
#include "draw/Canvas.h"
#include "pro.h"
#include "skin/SkinFactory.h"
#include "skin/SkinIds.h"
#include "trackview/SpinArrows.h"
#include "trackview/TrackViewCore.h"
#include "view/ProView.h"
#include "waveform/WaveformPainter.h"

using namespace trackview;

namespace {

constexpr const char* kSource = "TrackViewGUI";
constexpr const char* kDivideByZero = "Divide By Zero Violation";
constexpr int kLineScrollTotalZero = 4939;
constexpr int kLineScrollPageZero = 4950;
constexpr int kMaxBufferSide = 12000;
constexpr int kMinControlsArea = 200;
constexpr int kHeaderX = 5;
constexpr int kHeaderWidth = 189;
constexpr int kHeaderHeight = 43;
constexpr int kBodyBand = 24;
constexpr int kLabelWidth = 80;
constexpr int kLabelHeight = 10;
constexpr draw::COLORREF kLabelGround = 0xF0F0F0;
constexpr draw::COLORREF kLabelText = 0x000000;
constexpr draw::COLORREF kBlack = 0x000000;
constexpr int kHiddenAt = 8000;
constexpr int kNameMaxBytes = 255;
const char* const kRowCaptions[] = {"Arm", "Mute", "Solo", "Props"};

// The five navigation buttons: the message each posts to the main window and
// its pictures (normal, hot, pressed); fewer rows, more rows, whole project,
// zoom in, zoom out.
struct NavButton {
  int message;
  int normal, hot, pressed;
};
constexpr NavButton kNavButtons[CTrackViewGUI::kNavButtonCount] = {
    {42935, skin::kPlusNormal, skin::kPlusHot, skin::kPlusPressed},
    {42936, skin::kMinusNormal, skin::kMinusHot, skin::kMinusPressed},
    {42937, skin::kWholeNormal, skin::kWholeHot, skin::kWholePressed},
    {42938, skin::kPlusNormal, skin::kPlusHot, skin::kPlusPressed},
    {42939, skin::kMinusNormal, skin::kMinusHot, skin::kMinusPressed}};
constexpr int kNavButtonWidth = 17, kNavButtonHeight = 18;

std::string CutToBytes(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t cut = bytes;
  // Never split a character in two.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

}  // namespace

CTrackViewGUI::CTrackViewGUI(CProApp* app)
    : app_(app),
      rowFont_(draw::CFont::FromPointTenths("Tohama", 85)),
      rulerFont_(draw::CFont::FromPixelHeight("Arial", 10)) {
  if (app_) {
    trackList_ = &app_->project;
    SetCallbacks(MakeTrackViewCallbacks(*app_));
    commandCallback = [this](int commandId) { trackview::RunMenuCommand(*app_, commandId); };
  }
  hitList_.CreateTracks(CAudioSnippetList::kModeView, CAudioTrack::kTypeExtended, kTracks);
}

CTrackViewGUI::~CTrackViewGUI() {
  autoScrollTimer_.reset();
  for (RowControls& row : rowControls_) {
    delete row.name;
    for (QPushButton* button : row.buttons) delete button;
  }
  delete tempoEdit_;
  delete pitchEdit_;
  delete tempoSpin_;
  delete pitchSpin_;
  delete hScrollBar_;
  delete vScrollBar_;
  for (CMyButton* button : navButtons_) delete button;
}

void CTrackViewGUI::AttachView(CProView& view) { view_ = &view; }

QLineEdit* CTrackViewGUI::NameEdit(int row) const {
  return row >= 0 && row < kMaxVisibleRows ? rowControls_[row].name : nullptr;
}

CMyButton* CTrackViewGUI::NavigationButton(int index) const {
  return index >= 0 && index < kNavButtonCount ? navButtons_[static_cast<size_t>(index)] : nullptr;
}

QPushButton* CTrackViewGUI::RowButton(int row, int control) const {
  if (row < 0 || row >= kMaxVisibleRows || control < kArm || control > kProps) return nullptr;
  return rowControls_[row].buttons[control - 1];
}

draw::Rect CTrackViewGUI::LanesRect() const {
  return {kLaneX, kFirstRowY, areaWidth_ - kLaneRightMargin, areaHeight_ - 37};
}

// ---- Layout ----------------------------------------------------------------------

void CTrackViewGUI::Layout(const view::EditorArea& area) {
  SetArea(area.x, area.y, area.width, area.height);
  ResetTrackingBar();
  CreateBackBuffer();
}

void CTrackViewGUI::SetArea(int x, int y, int width, int height) {
  areaX_ = x;
  areaY_ = y;
  areaWidth_ = static_cast<int16_t>(std::clamp(width, 0, 32767));
  areaHeight_ = static_cast<int16_t>(std::clamp(height, 0, 32767));
  if (!LayoutRows(rows_, areaHeight_)) return;
  lastRow_ = static_cast<int16_t>(firstRow_ + rows_.visibleRows - 1);
  if (lastRow_ > kTracks - 1) {
    lastRow_ = kTracks - 1;
    firstRow_ = static_cast<int16_t>(kTracks - rows_.visibleRows);
  }
  ComputeGrid();
  CreateControls();
  PlaceControls();
}

void CTrackViewGUI::ComputeGrid() {
  if (!trackList_) return;
  const GridInput input{trackList_->tempo, trackList_->beatsPerBarChoice, trackList_->timeDisplay,
                        trackList_->viewWidth, RulerWidth()};
  trackview::ComputeGrid(grid_, input);
}

void CTrackViewGUI::CreateControls() {
  if (controlsCreated_ || !view_ || areaWidth_ < kMinControlsArea || areaHeight_ < kMinControlsArea) return;
  controlsCreated_ = true;
  const QFont& font = rowFont_.Get();
  for (int i = 0; i < kMaxVisibleRows; ++i) {
    const int base = kRowIds + 10 * i;
    RowControls& row = rowControls_[i];
    row.name = new QLineEdit(view_);
    row.name->setFont(font);
    row.name->setMaxLength(kNameMaxBytes);
    view_->RouteControl(row.name, base);
    for (int k = 0; k < 4; ++k) {
      auto* button = new QPushButton(QString::fromLatin1(kRowCaptions[k]), view_);
      button->setCheckable(true);
      button->setFont(font);
      button->setFocusPolicy(Qt::NoFocus);
      row.buttons[k] = button;
      view_->RouteControl(button, base + 1 + k);
    }
  }
  hScrollBar_ = new QScrollBar(Qt::Horizontal, view_);
  hScrollBar_->setRange(0, 100);
  view_->RouteScrollBar(hScrollBar_);
  vScrollBar_ = new QScrollBar(Qt::Vertical, view_);
  vScrollBar_->setRange(0, kTracks - 1);
  view_->RouteScrollBar(vScrollBar_);
  tempoEdit_ = new QLineEdit(view_);
  tempoEdit_->setAlignment(Qt::AlignRight);
  tempoEdit_->setFont(font);
  tempoEdit_->setMaxLength(64);
  view_->RouteControl(tempoEdit_, kTempoEditId);
  QObject::connect(tempoEdit_, &QLineEdit::returnPressed, view_, [this] { OnTempoEdited(); });
  tempoSpin_ = new CSpinArrows(view_);
  tempoSpin_->onStep = [this](int position) { OnSpin(kTempoSpinId, position); };
  pitchEdit_ = new QLineEdit(view_);
  pitchEdit_->setFont(font);
  pitchEdit_->setMaxLength(64);
  view_->RouteControl(pitchEdit_, kPitchEditId);
  QObject::connect(pitchEdit_, &QLineEdit::returnPressed, view_, [this] { OnPitchEdited(); });
  pitchSpin_ = new CSpinArrows(view_);
  pitchSpin_->onStep = [this](int position) { OnSpin(kPitchSpinId, position); };
  for (int i = 0; i < kNavButtonCount; ++i) {
    const NavButton& b = kNavButtons[i];
    navButtons_[static_cast<size_t>(i)] = new CMyButton(b.message, b.normal, b.hot, b.pressed, view_);
  }
  if (trackList_) {
    SetTempoText(trackList_->tempo);
    SetPitchText(trackList_->globalPitch.load());
  }
}

void CTrackViewGUI::PlaceControls() {
  if (!controlsCreated_) return;
  if (!app_ || !app_->initialised) {
    HideControls();
    return;
  }
  const int w = areaWidth_;
  const int h = areaHeight_;
  for (int r = 0; r < kMaxVisibleRows; ++r) {
    RowControls& row = rowControls_[r];
    const bool shown = r < rows_.visibleRows;
    row.name->setGeometry(70, 33 + r * rows_.pitch, 125, 17);
    row.name->setVisible(shown);
    for (int k = 0; k < 4; ++k) {
      row.buttons[k]->setGeometry(37 + 40 * k, 53 + r * rows_.pitch, 38, 19);
      row.buttons[k]->setVisible(shown);
    }
  }
  // The scroll bars at their layout rectangles, in the view's coordinates.
  hScrollBar_->setGeometry(kLaneX + 5, h - 19 + 24, (w - 55) - kLaneX, 19);
  vScrollBar_->setGeometry(w - 18 + 5, 4 + 24, 18, (h - 55) - 4);
  tempoEdit_->setGeometry(38, h + 2, 40, 17);
  tempoSpin_->setGeometry(79, h + 2, 16, 15);
  pitchEdit_->setGeometry(135, h + 2, 40, 17);
  pitchSpin_->setGeometry(175, h + 2, 16, 15);
  // Fewer rows, more rows and whole project stacked at the right; zoom out, then
  // zoom in, to the left of whole project. Children of the view, they stand
  // above its frame, never cut by it.
  for (size_t i = 0; i < 3; ++i) {
    navButtons_[i]->setGeometry(w - 12, h - 29 + 18 * static_cast<int>(i), kNavButtonWidth, kNavButtonHeight);
  }
  const int bottom = h - 29 + 18 * 2;
  navButtons_[4]->setGeometry(w - 12 - 17, bottom, kNavButtonWidth, kNavButtonHeight);
  navButtons_[3]->setGeometry(w - 12 - 34, bottom, kNavButtonWidth, kNavButtonHeight);
  for (CMyButton* button : navButtons_) button->show();
  for (QWidget* control : {static_cast<QWidget*>(hScrollBar_), static_cast<QWidget*>(vScrollBar_),
                           static_cast<QWidget*>(tempoEdit_), static_cast<QWidget*>(tempoSpin_),
                           static_cast<QWidget*>(pitchEdit_), static_cast<QWidget*>(pitchSpin_)}) {
    control->show();
  }
  controlsPlaced_ = true;
  UpdateVScrollBar();
  UpdateHScrollBar();
}

void CTrackViewGUI::HideControls() {
  if (!controlsCreated_) return;
  controlsPlaced_ = false;
  auto hide = [](QWidget* control) {
    control->move(kHiddenAt, kHiddenAt);
    control->hide();
  };
  for (RowControls& row : rowControls_) {
    hide(row.name);
    for (QPushButton* button : row.buttons) hide(button);
  }
  for (CMyButton* button : navButtons_) hide(button);
  for (QWidget* control : {static_cast<QWidget*>(hScrollBar_), static_cast<QWidget*>(vScrollBar_),
                           static_cast<QWidget*>(tempoEdit_), static_cast<QWidget*>(tempoSpin_),
                           static_cast<QWidget*>(pitchEdit_), static_cast<QWidget*>(pitchSpin_)}) {
    hide(control);
  }
}

void CTrackViewGUI::SetInputLocked(int locked) {
  inputLocked_ = locked;
  if (hScrollBar_) hScrollBar_->setEnabled(locked == 0);
}

void CTrackViewGUI::SetTempoText(float bpm) {
  if (!tempoEdit_) return;
  char text[64];
  std::snprintf(text, sizeof text, "%.2lf", static_cast<double>(bpm));
  tempoEdit_->setText(QString::fromLatin1(text));
}

void CTrackViewGUI::SetPitchText(float semitones) {
  if (!pitchEdit_) return;
  char text[64];
  std::snprintf(text, sizeof text, semitones > 0 ? "+%.2lf" : "%.2lf", static_cast<double>(semitones));
  pitchEdit_->setText(QString::fromLatin1(text));
}

void CTrackViewGUI::UpdateHScrollBar() {
  if (!hScrollBar_ || !trackList_) return;
  const double total = std::max(trackList_->projectEnd, trackList_->viewEnd);
  int page = 3;
  int position = 0;
  if (total <= 0) {
    ReportError(kSource, kLineScrollTotalZero, kDivideByZero);
    ReportError(kSource, kLineScrollPageZero, kDivideByZero);
  } else {
    page = std::max(3, static_cast<int>(std::trunc(trackList_->viewWidth / total * 100)));
    position = static_cast<int>(std::trunc(trackList_->viewStart / total * 100));
  }
  // The thumb of a range 0..100 with this page runs to 101 - page.
  hScrollBar_->setPageStep(page);
  hScrollBar_->setRange(0, std::max(0, 101 - page));
  hScrollBar_->setValue(position);
  hScrollBar_->setEnabled(inputLocked_ == 0);
}

void CTrackViewGUI::UpdateVScrollBar() {
  if (!vScrollBar_) return;
  vScrollBar_->setPageStep(rows_.visibleRows);
  vScrollBar_->setRange(0, kTracks - rows_.visibleRows);
  vScrollBar_->setValue(firstRow_);
}

// ---- The back buffer -------------------------------------------------------------

void CTrackViewGUI::CreateBackBuffer() {
  if (areaWidth_ > kMaxBufferSide || areaHeight_ > kMaxBufferSide) return;
  backBitmap_ = draw::CBitmap(areaWidth_, areaHeight_, view_ ? view_->devicePixelRatioF() : 1.0, kGround);
  drawnTrackingX_ = -1;
  outlineDrawn_ = false;
  Redraw();
}

void CTrackViewGUI::Draw(draw::CCanvas& viewBuffer) {
  DrawTrackingBar();
  if (!backBitmap_.IsNull()) viewBuffer.Blit(areaX_, areaY_, backBitmap_);
}

void CTrackViewGUI::Redraw() {
  if (backBitmap_.IsNull()) return;
  draw::CCanvas dc(backBitmap_);
  dc.FillRect(backBitmap_.Bounds(), groundBrush_);
  drawnTrackingX_ = -1;
  outlineDrawn_ = false;
  if (!app_ || !app_->initialised || !trackList_) return;
  // The ruler and the snap follow whatever changed since: a project opened, its
  // tempo, time signature or time display, the zoom.
  ComputeGrid();
  // Laid out before the application was ready: the controls come now.
  if (controlsCreated_ && !controlsPlaced_ && view_ && view_->GetViewMode() == ViewModeTrack) PlaceControls();
  hitList_.RemoveAllSnippetNodes();
  for (int index = firstRow_; index <= lastRow_ && rows_.pitch > 0; ++index) {
    CAudioTrack* track = TrackOfRow(index - firstRow_, 0);
    if (!track) break;
    DrawTrack(dc, *track, kFirstRowY + (index - firstRow_) * rows_.pitch);
  }
  if (inputLocked_) {
    trackingX_ = -1;
  } else if (app_->playCursor > trackList_->viewStart && app_->playCursor < trackList_->viewEnd) {
    SyncTrackingPosition();
  }
  DrawRuler(dc);
  dc.Blit(kHeaderX, areaHeight_ - 39, CSkinFactory::Get(skin::kTempoPanel, backBitmap_.Scale()));
}

CAudioTrack* CTrackViewGUI::TrackOfRow(int row, int line) {
  CAudioTrack* track = nullptr;
  if (!trackList_ || trackList_->FindTrack(firstRow_ + row, &track) != 1 || !track) {
    if (line) ReportError(kSource, line, "");
    return nullptr;
  }
  return track;
}

void CTrackViewGUI::DrawTrack(draw::CCanvas& dc, CAudioTrack& track, int y) {
  const double scale = backBitmap_.Scale();
  const int b = rows_.boxHeight;
  const bool selected = track.selected != 0;
  dc.Blit(kHeaderX, y, CSkinFactory::Get(skin::kTrackHeader, scale));
  if (track.GetType() == CAudioTrack::kTypeLoopBased) dc.Blit(11, y + 27, CSkinFactory::Get(skin::kLoopTrackMark, scale));
  const int bodyEnd = y + b - std::min(b - kHeaderHeight, 3);
  const draw::CBitmap& body = CSkinFactory::Get(selected ? skin::kTrackBodySelected : skin::kTrackBody, scale);
  for (int top = y + kHeaderHeight; top < bodyEnd; top += kBodyBand) {
    dc.Blit(kHeaderX, top, kHeaderWidth, std::min(kBodyBand, bodyEnd - top), body);
  }
  dc.Blit(kHeaderX, bodyEnd, CSkinFactory::Get(skin::kTrackUnderline, scale));
  const int n = track.index;
  dc.Blit(47, y + 7, skin::kNumberCellWidth, skin::kNumberCellHeight, CSkinFactory::Get(skin::kTrackNumbers, scale),
          (n % skin::kNumbersPerRow) * skin::kNumberCellWidth, (n / skin::kNumbersPerRow) * skin::kNumberCellHeight);
  dc.SelectPen(draw::CPen::Solid(kBlack));
  dc.SelectBrush(groundBrush_);
  dc.Rectangle(kLaneX, y, kLaneX + LaneWidth() + 1, y + b + 1);
  if (selected) {
    dc.Blit(kHeaderX, y, CSkinFactory::Get(skin::kSelectionTop, scale));
    dc.Blit(kHeaderX, y + b - 3, CSkinFactory::Get(skin::kSelectionBottom, scale));
    dc.Blit(kHeaderX, y, CSkinFactory::Get(skin::kSelectionLeft, scale));
    dc.Blit(kHeaderX + 186, y, CSkinFactory::Get(skin::kSelectionRight, scale));
  }
  const int row = track.index - firstRow_;
  if (controlsCreated_ && row >= 0 && row < kMaxVisibleRows) {
    RowControls& controls = rowControls_[row];
    const QString name = QString::fromStdString(CutToBytes(track.description, kNameMaxBytes));
    // Only a new text is written, so a name being typed keeps its cursor.
    if (controls.name->text() != name) controls.name->setText(name);
    controls.buttons[kArm - 1]->setChecked(track.armed != 0);
    controls.buttons[kMute - 1]->setChecked(track.mute.load() != 0);
    controls.buttons[kSolo - 1]->setChecked(track.solo.load() != 0);
  }
  DrawSnippets(dc, track, y);
}

void CTrackViewGUI::DrawSnippets(draw::CCanvas& dc, CAudioTrack& track, int y) {
  const uint32_t s = trackList_->viewStart;
  const uint32_t e = trackList_->viewEnd;
  const int b = rows_.boxHeight;
  const int laneWidth = LaneWidth();
  track.ClearScreenRects();
  hitList_.SetTrackRect(track.index, kLaneX, y, kLaneX + kHeaderWidth, y + b);
  if (e <= s || laneWidth <= 0) return;
  const draw::CPen trackPen = draw::CPen::Solid(track.colors.waveformOutline);
  const draw::CBrush waveBrush = draw::CBrush::Solid(track.colors.waveformFill);
  const draw::CBrush boxBrush = draw::CBrush::Solid(track.colors.snippetBox);
  const draw::CPen black = draw::CPen::Solid(kBlack);
  const double span = static_cast<double>(e) - s;
  CAudioSnippetList& list = track.Snippets();
  CAudioTrack* hitTrack = nullptr;
  hitList_.FindTrack(track.index, &hitTrack);
  // Each snippet drawn goes on the hit list once, in the order first drawn.
  std::vector<std::shared_ptr<CAudioSnippet>> drawn;
  std::unordered_set<const CAudioSnippet*> listed;
  if (hitTrack) {
    for (const auto& held : hitTrack->Snippets().Snippets()) listed.insert(held.get());
  }
  list.SetWindow(s, e);
  std::shared_ptr<CAudioSnippet> shared;
  uint32_t pieceStart = 0, pieceEnd = 0;
  while (list.GetNextVisiblePiece(&shared, &pieceStart, &pieceEnd) == 1) {
    CAudioSnippet* snippet = shared.get();
    if (!snippet || pieceEnd <= pieceStart) continue;
    pieceStart = std::clamp(pieceStart, s, e);
    pieceEnd = std::clamp(pieceEnd, s, e);
    const int left = static_cast<int>(std::trunc(laneWidth * (pieceStart - s) / span));
    const int width = static_cast<int>(std::trunc(laneWidth * (pieceEnd - s) / span)) - left;
    const int x = kLaneX + left;
    snippet->AddScreenRect(x, y, x + width, y + b);
    if (hitTrack && listed.insert(snippet).second) drawn.push_back(shared);
    std::shared_ptr<CAudioSegment> segment;
    snippet->GetSegment(&segment);
    const double audioLength = segment ? segment->length : 0;
    const double f0 = snippet->length ? (static_cast<double>(pieceStart) - snippet->start) / snippet->length : 0;
    const double f1 = snippet->length ? (static_cast<double>(pieceEnd) - snippet->start) / snippet->length : 0;
    const uint32_t first = static_cast<uint32_t>(std::max(0.0, std::trunc(f0 * audioLength)));
    const uint32_t last = static_cast<uint32_t>(std::max(0.0, std::trunc(f1 * audioLength)));
    dc.SelectPen(black);
    dc.SelectBrush(boxBrush);
    if (segment && width > 0 && b > 0) {
      // Without a frame object of its own the painter draws the box first, with this pen and brush.
      DrawWaveform(segment.get(), &dc, &trackPen, &waveBrush, {}, x, y, static_cast<int16_t>(width),
                   static_cast<int16_t>(b), first, last, nullptr);
    } else {
      dc.Rectangle(x, y, x + width, y + b);
    }
    // Black sides where the snippet itself begins and ends; a side cut by the
    // view's edge stays open.
    dc.SelectPen(black);
    const int right = last >= audioLength ? x + width - 1 : x + width + 1;
    dc.MoveTo(x, y + 1);
    dc.LineTo(right, y + 1);
    dc.LineTo(right, y + b - 1);
    dc.LineTo(x - 1, y + b - 1);
    if (first == 0) dc.LineTo(x - 1, y + 1);
    if (snippet->selected) dc.InvertRect(draw::Rect::FromSize(x + 1, y + 2, width - 2, b - 3));
  }
  if (hitTrack) hitTrack->Snippets().AddSnippets(drawn);
}

void CTrackViewGUI::DrawRuler(draw::CCanvas& dc) {
  const double scale = backBitmap_.Scale();
  const int y0 = areaHeight_ - 39;
  const int rw = RulerWidth();
  const int right = areaWidth_ - kLaneRightMargin;
  if (rw <= 0) return;
  const draw::CBitmap& end = CSkinFactory::Get(skin::kRulerEnd, scale);
  dc.Blit(kLaneX, y0, end);
  dc.Blit(right - 1, y0, end);
  const draw::CBitmap& tile = CSkinFactory::Get(skin::kRulerTile, scale);
  for (int x = kLaneX + 1; x < kLaneX + 1 + rw - 2; x += tile.Width()) {
    dc.Blit(x, y0, std::min(tile.Width(), kLaneX + 1 + rw - 2 - x), tile.Height(), tile);
  }
  const GridInput input{trackList_->tempo, trackList_->beatsPerBarChoice, trackList_->timeDisplay,
                        trackList_->viewWidth, rw};
  const draw::CBitmap& major = CSkinFactory::Get(skin::kRulerTick, scale);
  const draw::CBitmap& minor = CSkinFactory::Get(skin::kRulerSubTick, scale);
  dc.SelectFont(rulerFont_);
  dc.SetTextColour(kLabelText);
  dc.SetBackMode(draw::BackMode::Transparent);
  for (const RulerTick& tick : RulerTicks(grid_, input, trackList_->viewStart)) {
    if (tick.major) dc.Blit(kLaneX + tick.x, y0, major);
    for (int x : tick.minor) dc.Blit(kLaneX + x, y0, minor);
    if (tick.label.empty()) continue;
    // The label on its own ground, cut at the ruler's end.
    const int left = kLaneX + tick.labelX;
    const draw::Rect box{left, y0 + 5, std::min(left + kLabelWidth, right), y0 + 5 + kLabelHeight};
    if (box.IsEmpty()) continue;
    dc.FillSolidRect(box, kLabelGround);
    dc.DrawText(QString::fromStdString(tick.label), box, draw::kTextLeft | draw::kTextSingleLine | draw::kTextNoPrefix);
  }
}

// ---- The tracking bar ------------------------------------------------------------

void CTrackViewGUI::InvertTrackingColumn(int x) {
  draw::CCanvas dc(backBitmap_);
  dc.InvertRect({x, kFirstRowY, x + 1, areaHeight_ - 37});
}

void CTrackViewGUI::DrawTrackingBar() {
  if (backBitmap_.IsNull() || drawnTrackingX_ == trackingX_) return;
  if (drawnTrackingX_ >= 0) InvertTrackingColumn(drawnTrackingX_);
  drawnTrackingX_ = -1;
  if (kLaneX < trackingX_ && trackingX_ < areaWidth_ - kLaneRightMargin) {
    InvertTrackingColumn(trackingX_);
    drawnTrackingX_ = trackingX_;
  }
}

// The buffer changes by the two columns only; the window is told of those.
void CTrackViewGUI::DrawTrackingBarOnScreen() {
  const int before = drawnTrackingX_;
  DrawTrackingBar();
  if (!view_) return;
  for (int x : {before, static_cast<int>(drawnTrackingX_)}) {
    if (x >= 0) view_->InvalidateRect({areaX_ + x, areaY_ + kFirstRowY, areaX_ + x + 1, areaY_ + areaHeight_ - 37});
  }
}

void CTrackViewGUI::SyncTrackingPosition() {
  if (!trackList_ || !app_) return;
  trackingX_ = static_cast<int16_t>(
      trackview::TrackingX(app_->playCursor, trackList_->viewStart, trackList_->viewEnd, areaWidth_));
}

void CTrackViewGUI::ResetTrackingBar() {
  drawnTrackingX_ = -1;
  SyncTrackingPosition();
}

void CTrackViewGUI::RefreshTrackingBar() {
  SyncTrackingPosition();
  DrawTrackingBarOnScreen();
}

void CTrackViewGUI::UpdateTrackingBar(uint32_t frame, bool follow) {
  if (!trackList_) return;
  const uint32_t s = trackList_->viewStart;
  const uint32_t e = trackList_->viewEnd;
  if (s < frame && frame < e) {
    trackingX_ = static_cast<int16_t>(trackview::TrackingX(frame, s, e, areaWidth_));
    DrawTrackingBarOnScreen();
    return;
  }
  if (!follow) {
    trackingX_ = -1;
    DrawTrackingBarOnScreen();
    return;
  }
  // The view pages to begin at the play position, never past the project's limit.
  const uint32_t width = trackList_->viewWidth;
  trackList_->viewStart = std::min(frame, kMaxProjectFrames - std::min(width, kMaxProjectFrames));
  trackList_->viewEnd = trackList_->viewStart + width;
  trackingX_ = static_cast<int16_t>(trackview::TrackingX(frame, trackList_->viewStart, trackList_->viewEnd, areaWidth_));
  Redraw();
  UpdateHScrollBar();
  Invalidate();
}

void CTrackViewGUI::RefreshAfterTempoChange() {
  ResetTrackingBar();
  if (trackList_) SetTempoText(trackList_->tempo);
  ComputeGrid();
  Redraw();
  UpdateHScrollBar();
  Invalidate();
}

void CTrackViewGUI::Invalidate() {
  if (view_) view_->Invalidate(true);
}

void CTrackViewGUI::InvalidateHorizontal() {
  if (view_) view_->InvalidateRect(draw::Rect{kLaneX, 4, areaWidth_ - 13, areaHeight_ + 5}.Offset(areaX_, areaY_));
}
