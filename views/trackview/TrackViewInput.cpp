// The Track View's input: clicks in headers, lanes, ruler and buttons, the
// selection of snippets, the drag with its snap, outline and automatic
// scrolling, the context menu, zoom and scrolling, and the row controls.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "AudioSnippet.h"
#include "Generic.h"
#include "draw/Canvas.h"
#include "pro.h"
#include "trackview/TrackViewCore.h"
#include "trackview/TrackViewGUI.h"
#include "view/ProView.h"

using namespace trackview;

namespace {

constexpr const char* kSource = "TrackViewGUI";
constexpr const char* kDivideByZero = "Divide By Zero Violation";
constexpr int kLineLaneRulerZero = 3769;
constexpr int kLineRulerZero = 4046;
constexpr int kLineNoMoveCallback = 4134;
constexpr int kLineLaneWidthZero = 4569;
constexpr int kLineNoPropertiesCallback = 5706;
constexpr unsigned kShiftClick = view::kMouseLeft | view::kMouseShift;      // 5
constexpr unsigned kControlClick = view::kMouseLeft | view::kMouseControl;  // 9
constexpr uint32_t kNarrowestZoomIn = 16384;
constexpr uint32_t kLastViewEnd = kMaxProjectFrames - 1;
constexpr int kOutlineBand = 3;
constexpr int kMaxTextBytes = 64;
constexpr double kMaxPitchSemitones = 12.0;  // the project pitch keeps within this anyway
constexpr const char* kLoopTrackText = "Cannot record extended audio to a loop based track.";
constexpr const char* kFourArmedText = "Sorry, you already have four tracks armed.  That is the maximum amount allowed.";
constexpr const char* kTempoDuringPlayText = "Sorry, cannot update tempo during playback.";
constexpr const char* kPitchDuringPlayText = "Sorry, cannot update tempo or pitch during playback.";
constexpr int kMaxArmed = 4;

// Rectangles of the Track View, both ends included.
bool Inside(const draw::Rect& r, int x, int y) { return r.ContainsInclusive(x, y); }

// A text typed as a number, read as every edit of the program reads it.
double ParseNumber(const QString& text) {
  return ParseNumberText(text.left(kMaxTextBytes).toStdString().c_str(), kMaxTextBytes);
}

}  // namespace

// ---- Rows and clicks ---------------------------------------------------------------

int CTrackViewGUI::RowAt(int, int y) const {
  for (int k = 0; k < rows_.visibleRows; ++k) {
    if (k * rows_.pitch <= y && y <= (k + 1) * rows_.pitch) {
      const int track = firstRow_ + k;
      return track <= lastRow_ ? track : -1;
    }
  }
  return -1;
}

bool CTrackViewGUI::Refused() { return app_ && trackview::RefuseDuringPlayback(*app_); }

void CTrackViewGUI::SetPlayPosition(uint32_t frames) {
  if (app_) trackview::SetPlayPosition(*app_, frames);
}

void CTrackViewGUI::OnLButtonDown(unsigned flags, int x, int y) {
  if (!trackList_) return;
  x -= areaX_;
  y -= areaY_;
  const int w = areaWidth_;
  const int h = areaHeight_;
  if (Inside({5, 4, 194, h - 37}, x, y)) {
    if (inputLocked_) return;
    const int track = RowAt(x, y);
    if (track < 0) return;
    trackList_->SelectTrack(track);
    hitList_.SelectTrack(track);
    trackList_->DeselectAllSnippets();
    Redraw();
    return;
  }
  if (Inside(LanesRect(), x, y)) {
    if (!inputLocked_) ClickLane(flags, x, y);
    return;
  }
  const struct {
    draw::Rect rect;
    void (CTrackViewGUI::*operation)();
  } buttons[] = {{{w - 56, h - 18, w - 40, h - 1}, &CTrackViewGUI::ZoomIn},
                 {{w - 38, h - 17, w - 22, h}, &CTrackViewGUI::ZoomOut},
                 {{w - 18, h - 17, w - 2, h}, &CTrackViewGUI::ZoomToProject},
                 {{w - 18, h - 53, w - 2, h - 36}, &CTrackViewGUI::FewerRows},
                 {{w - 18, h - 34, w - 2, h - 17}, &CTrackViewGUI::MoreRows}};
  for (const auto& button : buttons) {
    if (!Inside(button.rect, x, y)) continue;
    if (!Refused()) (this->*button.operation)();
    return;
  }
  if (Inside({kLaneX, h - 39, w - kLaneRightMargin, h - 19}, x, y)) {
    if (inputLocked_) return;
    if (RulerWidth() <= 0) ReportError(kSource, kLineRulerZero, kDivideByZero);
    SetPlayPosition(FrameAtX(x, trackList_->viewStart, trackList_->viewWidth, RulerWidth(), false));
    trackingX_ = static_cast<int16_t>(std::clamp(x, kLaneX, w - kLaneRightMargin));
    DrawTrackingBarOnScreen();
  }
}

void CTrackViewGUI::ClickLane(unsigned flags, int x, int y) {
  std::shared_ptr<CAudioSnippet> hit;
  hitList_.HitTestSnippet(x, y, &hit);
  if (hit) {
    if (flags == kShiftClick || flags == kControlClick) trackList_->DeselectUnselectedTracks();
    const uint32_t id = hit->GetIdentifier();
    const int track = trackList_->FindTrackOfSnippet(id);
    trackList_->DeselectSnippetsExceptTrack(track);
    trackList_->SelectTrack(track);
    hitList_.SelectTrack(track);
    CAudioTrack* owner = nullptr;
    if (flags == kShiftClick && trackList_->FindTrack(track, &owner) == 1 && owner) {
      // From the anchor to this snippet, in the order of their starts.
      const auto& snippets = owner->Snippets().Snippets();
      const uint32_t anchor = owner->Snippets().selectionAnchor;
      const auto at = [&](uint32_t identifier) {
        return std::find_if(snippets.begin(), snippets.end(),
                            [&](const auto& s) { return s->GetIdentifier() == identifier; });
      };
      auto from = at(anchor);
      auto to = at(id);
      if (from == snippets.end()) from = to;
      if (from > to) std::swap(from, to);
      for (auto it = from; it <= to && it != snippets.end(); ++it) (*it)->selected = 1;
    } else if (!hit->selected || flags != kControlClick) {
      hit->selected = 1;
      trackList_->SetSelectionAnchor(track, id);
    } else {
      hit->selected = 0;
    }
    if (hit->selected) {
      BeginDrag(*hit);
      lastMouseX_ = static_cast<int16_t>(x);
    }
    Redraw();
    return;
  }
  bool changed = false;
  for (int index = 0; index < kTracks; ++index) {
    CAudioTrack* track = nullptr;
    if (trackList_->FindTrack(index, &track) == 1 && track && track->CountSelected() > 0) changed = true;
  }
  if (changed) trackList_->DeselectAllSnippets();
  const int row = RowAt(x, y);
  if (row >= 0 && row != trackList_->GetSelectedTrackIndex()) {
    trackList_->SelectTrack(row);
    hitList_.SelectTrack(row);
    changed = true;
  }
  if (RulerWidth() <= 0) ReportError(kSource, kLineLaneRulerZero, kDivideByZero);
  SetPlayPosition(FrameAtX(x, trackList_->viewStart, trackList_->viewWidth, RulerWidth(), true));
  trackingX_ = static_cast<int16_t>(std::clamp(x, kLaneX, areaWidth_ - kLaneRightMargin));
  if (changed) {
    Redraw();
  } else {
    DrawTrackingBarOnScreen();
  }
}

// ---- The drag ------------------------------------------------------------------------

void CTrackViewGUI::BeginDrag(const CAudioSnippet& clicked) {
  uint32_t first = 0, last = 0;
  trackList_->GetSelectionMoveLimits(&moveLimitLow_, &moveLimitHigh_, &first, &last);
  selectionStart_ = dragStartFrame_ = rawStart_ = first;
  selectionEnd_ = last;
  selectionLength_ = last >= first ? last - first : 0;
  const ScreenRect& box = const_cast<CAudioSnippet&>(clicked).GetScreenRects().GetRect(0);
  outlineTop_ = box.top;
  outlineBottom_ = box.bottom;
  dragging_ = 1;
  firstMove_ = 1;
  autoScrolling_ = 0;
}

void CTrackViewGUI::OnMouseMove(unsigned, int x, int y) {
  (void)y;
  if (inputLocked_ || !trackList_) return;
  x -= areaX_;
  const int right = areaWidth_ - kLaneRightMargin;
  if (autoScrolling_ && kLaneX < x && x < right) {
    autoScrolling_ = 0;
    if (autoScrollTimer_) autoScrollTimer_->stop();
  }
  if (!dragging_) return;
  if (x < kLaneX || x > right) {
    const int direction = x < kLaneX ? -1 : 1;
    if (direction < 0 && trackList_->viewStart == 0) return;
    if (direction > 0 && trackList_->viewEnd > kLastViewEnd) return;
    lastMouseX_ = static_cast<int16_t>(x);
    if (autoScrolling_ && autoScrollDirection_ == direction) return;
    autoScrolling_ = 1;
    autoScrollDirection_ = direction;
    // A step at once, then one every 200 ms while the pointer stays out.
    AutoScrollStep();
    if (!autoScrollTimer_) {
      autoScrollTimer_ = std::make_unique<QTimer>();
      QObject::connect(autoScrollTimer_.get(), &QTimer::timeout, [this] { AutoScrollStep(); });
    }
    if (autoScrolling_) autoScrollTimer_->start(kAutoScrollMs);
    return;
  }
  const uint32_t width = trackList_->viewWidth;
  const int laneWidth = LaneWidth();
  if (x == lastMouseX_) return;
  if (laneWidth <= 0) ReportError(kSource, kLineLaneWidthZero, kDivideByZero);
  const auto delta = [&](int pixels) {
    return laneWidth > 0 ? static_cast<uint32_t>(std::trunc(static_cast<double>(width) * pixels / laneWidth)) : 0u;
  };
  if (x < lastMouseX_) {
    autoScrolling_ = 0;
    if (rawStart_ <= moveLimitLow_) return;
    rawStart_ = rawStart_ - std::min(delta(lastMouseX_ - x), rawStart_ - moveLimitLow_);
    PlaceSelection(rawStart_ == moveLimitLow_ ? kSnapUp : kSnapNearest);
  } else {
    if (rawStart_ >= moveLimitHigh_) return;
    autoScrolling_ = 0;
    rawStart_ = rawStart_ + std::min(delta(x - lastMouseX_), moveLimitHigh_ - rawStart_);
    PlaceSelection(rawStart_ == moveLimitHigh_ ? kSnapDown : kSnapNearest);
  }
  MoveOutline();
  lastMouseX_ = static_cast<int16_t>(x);
}

void CTrackViewGUI::AutoScrollStep() {
  if (!autoScrolling_ || !dragging_ || !trackList_) {
    if (autoScrollTimer_) autoScrollTimer_->stop();
    return;
  }
  const bool left = autoScrollDirection_ < 0;
  if (left ? rawStart_ <= moveLimitLow_ : rawStart_ >= moveLimitHigh_) {
    autoScrolling_ = 0;
    if (autoScrollTimer_) autoScrollTimer_->stop();
    return;
  }
  OnHScroll(left ? view::kScrollLineUp : view::kScrollLineDown, 0);
  const uint32_t step = static_cast<uint32_t>(std::trunc(trackList_->viewWidth * 0.25));
  if (left) {
    rawStart_ -= std::min(step, rawStart_ - moveLimitLow_);
    PlaceSelection(rawStart_ == moveLimitLow_ ? kSnapUp : kSnapNearest);
  } else {
    rawStart_ += std::min(step, moveLimitHigh_ - rawStart_);
    PlaceSelection(rawStart_ == moveLimitHigh_ ? kSnapDown : kSnapNearest);
    if (selectionEnd_ > trackList_->projectEnd) trackList_->projectEnd = selectionEnd_;
  }
  // The scroll drew the lanes anew: the outline is drawn afresh.
  firstMove_ = 1;
  MoveOutline();
}

void CTrackViewGUI::PlaceSelection(int direction) {
  uint32_t start = rawStart_;
  if (view_ && view_->GetSnapToGrid() && !SnapToGrid(grid_.snapUnit, start, direction, moveLimitLow_, moveLimitHigh_)) {
    return;
  }
  selectionStart_ = start;
  selectionEnd_ = start + selectionLength_;
}

void CTrackViewGUI::InvertOutline(uint32_t start, uint32_t end) {
  const int laneWidth = LaneWidth();
  const uint32_t s = trackList_->viewStart;
  const double width = trackList_->viewWidth;
  const auto pixel = [&](uint32_t frame) {
    if (frame < s) return -1;
    if (frame > trackList_->viewEnd || width <= 0) return laneWidth + 1;
    return static_cast<int>(std::trunc((frame - s) / width * laneWidth));
  };
  outlineLeft_ = pixel(start);
  outlineRight_ = pixel(end);
  const bool leftShown = outlineLeft_ >= 0 && outlineLeft_ <= laneWidth;
  const bool rightShown = outlineRight_ >= 0 && outlineRight_ <= laneWidth;
  const int from = kLaneX + std::max(outlineLeft_, 0);
  const int to = kLaneX + std::min(outlineRight_, laneWidth);
  draw::CCanvas dc(backBitmap_);
  // The ends full height, the top and bottom between them: no pixel twice,
  // so a second pass restores every one.
  int innerLeft = from, innerRight = to;
  if (leftShown) {
    dc.InvertRect({from, outlineTop_, std::min(from + kOutlineBand, to), outlineBottom_});
    innerLeft = std::min(from + kOutlineBand, to);
  }
  if (rightShown && to - kOutlineBand >= innerLeft) {
    dc.InvertRect({to - kOutlineBand, outlineTop_, to, outlineBottom_});
    innerRight = to - kOutlineBand;
  }
  if (innerRight > innerLeft) {
    dc.InvertRect({innerLeft, outlineTop_, innerRight, outlineTop_ + kOutlineBand});
    dc.InvertRect({innerLeft, outlineBottom_ - kOutlineBand, innerRight, outlineBottom_});
  }
}

void CTrackViewGUI::MoveOutline() {
  if (backBitmap_.IsNull()) return;
  // The old outline goes with a second inversion of the same pixels.
  if (!firstMove_ && outlineDrawn_) InvertOutline(outlinedStart_, outlinedEnd_);
  InvertOutline(selectionStart_, selectionEnd_);
  outlinedStart_ = selectionStart_;
  outlinedEnd_ = selectionEnd_;
  outlineDrawn_ = true;
  firstMove_ = 0;
  if (view_) view_->Invalidate();
}

void CTrackViewGUI::OnLButtonUp(unsigned, int, int) {
  if (inputLocked_ || !dragging_) return;
  dragging_ = 0;
  autoScrolling_ = 0;
  if (autoScrollTimer_) autoScrollTimer_->stop();
  if (selectionStart_ == dragStartFrame_) {
    Redraw();
    return;
  }
  if (!moveSelectedSnippetsCallback) {
    ReportError(kSource, kLineNoMoveCallback, "");
    Redraw();
    return;
  }
  moveSelectedSnippetsCallback(selectionStart_);
  Redraw();
}

// ---- Right click and the context menu -----------------------------------------------

void CTrackViewGUI::OnRButtonDown(unsigned, int x, int y) {
  if (inputLocked_) return;
  x -= areaX_;
  y -= areaY_;
  const int row = RowAt(x, y);
  if (row >= 0) rightClickRow_ = static_cast<int16_t>(row);
  rightClickSnippet_.reset();
  if (Inside(LanesRect(), x, y)) hitList_.HitTestSnippet(x, y, &rightClickSnippet_);
}

bool CTrackViewGUI::GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const {
  if (!rightClickSnippet_ || !trackList_) return false;
  const int track = trackList_->FindTrackOfSnippet(rightClickSnippet_->GetIdentifier());
  if (track < 0) return false;
  if (trackIndex) *trackIndex = track;
  if (snippetIdentifier) *snippetIdentifier = rightClickSnippet_->GetIdentifier();
  return true;
}

std::unique_ptr<QMenu> CTrackViewGUI::BuildContextMenu() {
  auto menu = std::make_unique<QMenu>();
  const auto add = [](QMenu* into, const char* text, int id) {
    QAction* action = into->addAction(QString::fromLatin1(text));
    action->setData(id);
  };
  add(menu.get(), "Cu&t\tCtrl+X", kCutCommand);
  add(menu.get(), "&Copy\tCtrl+C", kCopyCommand);
  add(menu.get(), "&Paste\tCtrl+V", kPasteCommand);
  add(menu.get(), "&Delete\tDel", kDeleteCommand);
  add(menu.get(), "&Clear Selected Track", kClearTrackCommand);
  if (rightClickSnippet_) {
    menu->addSeparator();
    add(menu.get(), "&Edit Snippet", kEditSnippetCommand);
    add(menu.get(), "&Set Snippet on Top", kSnippetOnTopCommand);
    add(menu.get(), "Snippet &Properties", kSnippetPropertiesCommand);
  }
  menu->addSeparator();
  QMenu* loops = menu->addMenu(QStringLiteral("&Insert Loop"));
  const std::vector<LoopMenuEntry> entries = app_ ? app_->loopBank.BuildLoopMenu() : std::vector<LoopMenuEntry>{};
  if (entries.empty()) add(loops, "Loop Bank is Empty", kEmptyLoopsCommand);
  for (const LoopMenuEntry& entry : entries) {
    QAction* action = loops->addAction(QString::fromStdString(entry.text));
    action->setData(static_cast<int>(entry.commandId));
  }
  return menu;
}

void CTrackViewGUI::ShowContextMenu(int screenX, int screenY) {
  contextMenu_ = BuildContextMenu();
  QObject::connect(contextMenu_.get(), &QMenu::triggered, [this](QAction* action) {
    if (commandCallback && action->data().isValid()) commandCallback(action->data().toInt());
  });
  contextMenu_->popup(QPoint(screenX, screenY));
}

// ---- Zoom and scrolling ------------------------------------------------------------------

void CTrackViewGUI::AfterZoom() {
  trackList_->viewWidth = trackList_->viewEnd - trackList_->viewStart;
  ComputeGrid();
  ResetTrackingBar();
  UpdateHScrollBar();
  Redraw();
}

void CTrackViewGUI::ZoomIn() {
  if (!trackList_ || trackList_->viewWidth < kNarrowestZoomIn) return;
  const uint32_t q = trackList_->viewWidth / 4;
  const uint32_t position = app_ ? app_->playCursor : 0;
  if (position < trackList_->viewStart || position > trackList_->viewEnd) {
    trackList_->viewStart += q;
    trackList_->viewEnd -= q;
  } else if (position < q) {
    trackList_->viewStart = 0;
    trackList_->viewEnd = 2 * q;
  } else {
    trackList_->viewStart = position - q;
    trackList_->viewEnd = position + q;
  }
  AfterZoom();
}

void CTrackViewGUI::ZoomOut() {
  if (!trackList_) return;
  const uint32_t q = trackList_->viewWidth / 4;
  trackList_->viewStart = trackList_->viewStart < q ? 0 : trackList_->viewStart - q;
  const uint64_t end = static_cast<uint64_t>(trackList_->viewEnd) + q;
  trackList_->viewEnd = end > kLastViewEnd ? kMaxProjectFrames : static_cast<uint32_t>(end);
  AfterZoom();
}

void CTrackViewGUI::ZoomToProject() {
  if (!trackList_) return;
  if (trackList_->projectEnd != 0) {
    trackList_->viewStart = 0;
    trackList_->viewEnd = trackList_->projectEnd;
  }
  AfterZoom();
}

void CTrackViewGUI::OnHScroll(int code, int position) {
  if (!trackList_) return;
  uint32_t& s = trackList_->viewStart;
  uint32_t& e = trackList_->viewEnd;
  const uint32_t width = trackList_->viewWidth;
  const uint32_t q = width / 4;
  // Scrolling right stops at the project's limit, keeping the width.
  const auto to = [&](uint64_t start) {
    const uint64_t last = kMaxProjectFrames - std::min(width, kMaxProjectFrames);
    s = static_cast<uint32_t>(std::min(start, last));
    e = s + width;
  };
  switch (code) {
    case view::kScrollLineUp: to(s <= q ? 0 : s - q); break;
    case view::kScrollLineDown: to(static_cast<uint64_t>(s) + q); break;
    case view::kScrollPageUp: to(s <= width ? 0 : s - width); break;
    case view::kScrollPageDown: to(static_cast<uint64_t>(s) + width); break;
    case view::kScrollThumbTrack:
      to(static_cast<uint64_t>(std::trunc(std::clamp(position, 0, 100) / 100.0 * trackList_->projectEnd)));
      break;
    default:
      UpdateHScrollBar();
      return;
  }
  SyncTrackingPosition();
  UpdateHScrollBar();
  Redraw();
  InvalidateHorizontal();
}

void CTrackViewGUI::ScrollTracks(int code, int position) {
  const int visible = rows_.visibleRows;
  switch (code) {
    case view::kScrollLineUp:
      if (firstRow_ == 0) return;
      --firstRow_;
      --lastRow_;
      break;
    case view::kScrollLineDown:
      if (lastRow_ >= kTracks - 1) return;
      ++firstRow_;
      ++lastRow_;
      break;
    case view::kScrollPageUp:
      if (firstRow_ == 0) return;
      if (firstRow_ > visible) {
        firstRow_ = static_cast<int16_t>(firstRow_ - visible);
        lastRow_ = static_cast<int16_t>(lastRow_ - visible);
      } else {
        firstRow_ = 0;
        lastRow_ = static_cast<int16_t>(visible - 1);
      }
      break;
    case view::kScrollPageDown:
      if (lastRow_ >= kTracks - 1) return;
      if (lastRow_ + visible < kTracks - 1) {
        firstRow_ = static_cast<int16_t>(firstRow_ + visible);
        lastRow_ = static_cast<int16_t>(lastRow_ + visible);
      } else {
        lastRow_ = kTracks - 1;
        firstRow_ = static_cast<int16_t>(kTracks - visible);
      }
      break;
    case view::kScrollThumbTrack:
      firstRow_ = static_cast<int16_t>(std::clamp(position, 0, kTracks - visible));
      lastRow_ = static_cast<int16_t>(firstRow_ + visible - 1);
      break;
    default:
      return;
  }
  UpdateVScrollBar();
  Redraw();
  Invalidate();
}

void CTrackViewGUI::FewerRows() {
  if (rows_.visibleRows <= 1) return;
  --rows_.visibleRows;
  --lastRow_;
  UpdateVScrollBar();
  SetArea(areaX_, areaY_, areaWidth_, areaHeight_);
  Redraw();
}

void CTrackViewGUI::MoreRows() {
  if (rows_.visibleRows >= kMaxVisibleRows || lastRow_ >= kTracks - 1) return;
  ++rows_.visibleRows;
  ++lastRow_;
  UpdateVScrollBar();
  SetArea(areaX_, areaY_, areaWidth_, areaHeight_);
  Redraw();
}

// ---- Spin controls and row controls ----------------------------------------------------

void CTrackViewGUI::OnSpin(int spinId, int position) {
  if (!app_ || !trackList_ || (spinId != kTempoSpinId && spinId != kPitchSpinId)) return;
  if (Refused()) return;
  const float step = position == 1 ? 1.0f : -1.0f;
  if (spinId == kTempoSpinId) {
    trackview::SetProjectTempo(*app_, trackList_->tempo + step);
    RefreshAfterTempoChange();
  } else {
    trackview::SetProjectPitch(*app_, trackList_->globalPitch.load() + step);
    SetPitchText(trackList_->globalPitch.load());
  }
  app_->document.SetModifiedFlag();
}

void CTrackViewGUI::OnTrackNameChanged(int row) {
  CAudioTrack* track = TrackOfRow(row, 0);
  QLineEdit* edit = NameEdit(row);
  if (!track || !edit || !app_) return;
  std::string text = edit->text().toStdString();
  if (text.size() > CAudioTrack::kMaxDescription) {
    // Never split a character in two.
    size_t cut = CAudioTrack::kMaxDescription;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  if (text == track->description) return;
  track->description = text;
  app_->document.SetModifiedFlag();
}

void CTrackViewGUI::OnArmClicked(int row) {
  CAudioTrack* track = TrackOfRow(row, 0);
  QPushButton* button = RowButton(row, kArm);
  if (!track || !button || !app_) return;
  const char* refusal = nullptr;
  if (app_->playing.load() == 1) {
    refusal = "Sorry, cannot perform this operation during playback.";
  } else if (track->GetType() == CAudioTrack::kTypeLoopBased) {
    refusal = kLoopTrackText;
  } else if (!track->armed && trackList_->CountArmedTracks() >= kMaxArmed) {
    refusal = kFourArmedText;
  } else {
    trackList_->ToggleArm(track->index);
  }
  // A refused press shows the button as it was while the message says why.
  button->setChecked(track->armed != 0);
  if (refusal) app_->services.ui.Inform(refusal);
}

void CTrackViewGUI::OnMuteClicked(int row) {
  CAudioTrack* track = TrackOfRow(row, 0);
  if (!track) return;
  trackList_->ToggleMute(track->index);
  if (QPushButton* button = RowButton(row, kMute)) button->setChecked(track->mute.load() != 0);
}

void CTrackViewGUI::OnSoloClicked(int row) {
  CAudioTrack* track = TrackOfRow(row, 0);
  if (!track) return;
  trackList_->ToggleSolo(track->index);
  trackList_->UpdateSoloState();
  if (QPushButton* button = RowButton(row, kSolo)) button->setChecked(track->solo.load() != 0);
}

void CTrackViewGUI::OnTrackPropertiesClicked(int row) {
  CAudioTrack* track = TrackOfRow(row, 0);
  if (QPushButton* button = RowButton(row, kProps)) button->setChecked(false);
  if (!track) return;
  if (!trackPropertiesCallback) {
    ReportError(kSource, kLineNoPropertiesCallback, "");
    return;
  }
  trackPropertiesCallback(track->index);
}

void CTrackViewGUI::OnTempoEdited() {
  if (!app_ || !trackList_ || !tempoEdit_) return;
  if (app_->mixing.load() == 1) {
    app_->services.ui.Inform(kTempoDuringPlayText);
    SetTempoText(trackList_->tempo);
    return;
  }
  const float bpm = static_cast<float>(std::clamp(ParseNumber(tempoEdit_->text()), 50.0, 250.0));
  SetTempoText(bpm);
  trackview::SetProjectTempo(*app_, bpm);
  RefreshAfterTempoChange();
  app_->document.SetModifiedFlag();
}

void CTrackViewGUI::OnPitchEdited() {
  if (!app_ || !trackList_ || !pitchEdit_) return;
  if (app_->mixing.load() == 1) {
    app_->services.ui.Inform(kPitchDuringPlayText);
    SetPitchText(trackList_->globalPitch.load());
    return;
  }
  const double typed = std::clamp(ParseNumber(pitchEdit_->text()), -kMaxPitchSemitones, kMaxPitchSemitones);
  trackview::SetProjectPitch(*app_, static_cast<float>(typed));
  SetPitchText(trackList_->globalPitch.load());
  app_->document.SetModifiedFlag();
}
