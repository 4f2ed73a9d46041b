#include "view/ProView.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>
#include <algorithm>

#include "Generic.h"
#include "pro.h"
#include "requests/ViewRequests.h"
#include "skin/SkinFactory.h"
#include "skin/SkinIds.h"
#include "view/TabStrip.h"

namespace {

constexpr const char* kSource = "ProView";
constexpr int kLineNoApp = 155;
constexpr draw::COLORREF kWhite = 0xFFFFFF;
constexpr draw::COLORREF kEditorGround = 0xF8F8F8;
// The editors' area lies this far inside the client on the left and right
// together, and below the tab strip and above the frame's foot together.
constexpr int kAreaMarginX = 14;
constexpr int kAreaMarginY = 31;

int16_t ClampSize(int pixels) { return static_cast<int16_t>(std::clamp(pixels, 0, 32767)); }

}  // namespace

template <class Call>
bool CProView::PostedFromOtherThread(Call call) {
  if (QThread::currentThread() == thread()) return false;
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
  return true;
}

CProView::CProView(CProApp* app, QWidget* parent) : QWidget(parent), app_(app) {
  setObjectName(QStringLiteral("view"));
  // Every pixel comes from the back buffer: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  if (!app_) ReportError(kSource, kLineNoApp, "");
}

// The editors go first, the last made first, while the view that holds their
// controls still stands.
CProView::~CProView() {
  for (const auto& [id, qtId] : timers_) killTimer(qtId);
  timers_.clear();
  loopBank.reset();
  audioEditor.reset();
  trackView.reset();
}

void CProView::InstallTrackView(std::unique_ptr<view::ITrackViewEditor> editor) {
  trackView = std::move(editor);
  if (trackView) trackView->AttachView(*this);
}

void CProView::InstallAudioEditor(std::unique_ptr<view::IWaveformEditor> editor) {
  audioEditor = std::move(editor);
  if (audioEditor) audioEditor->AttachView(*this);
}

void CProView::InstallLoopBank(std::unique_ptr<view::ILoopBankEditor> editor) {
  loopBank = std::move(editor);
  if (loopBank) loopBank->AttachView(*this);
}

view::IViewEditor* CProView::ShownEditor() const {
  switch (viewMode) {
    case ViewModeTrack: return trackView.get();
    case ViewModeEditor: return audioEditor.get();
    case ViewModeLoopBank: return loopBank.get();
    default: return nullptr;
  }
}

view::EditorArea& CProView::AreaOf(int mode) {
  switch (mode) {
    case ViewModeEditor: return audioEditorArea;
    case ViewModeLoopBank: return loopBankArea;
    default: return trackViewArea;
  }
}

// ---- Called by the application -------------------------------------------------

void CProView::OnInitialUpdate() {
  initialUpdateDone_ = true;
  const int16_t width = ClampSize(this->width() - kAreaMarginX);
  const int16_t height = ClampSize(this->height() - kAreaMarginY);
  for (view::EditorArea* area : {&audioEditorArea, &trackViewArea, &loopBankArea}) {
    area->width = width;
    area->height = height;
  }
  CreateBackBuffer();
  if (trackView) trackView->CreateBackBuffer();
  if (audioEditor) audioEditor->CreateBackBuffer();
  if (loopBank) loopBank->CreateBackBuffer();
  Invalidate();
}

void CProView::LockInput(int locked) {
  if (PostedFromOtherThread([this, locked] { LockInput(locked); })) return;
  inputLocked = locked;
  if (trackView) trackView->SetInputLocked(locked);
  if (audioEditor) audioEditor->SetInputLocked(locked);
  if (loopBank) loopBank->SetInputLocked(locked);
}

void CProView::RefreshTrackView() {
  if (PostedFromOtherThread([this] { RefreshTrackView(); })) return;
  if (trackView) trackView->Redraw();
  Invalidate();
}

// The Audio Editor's refresh also brings its times up to date in the tool bar
// and in the tool window.
void CProView::RefreshAudioEditor(int ignoreProjectValues) {
  if (audioEditor) {
    audioEditor->Redraw();
    audioEditor->UpdateToolBarTimes();
  }
  if (toolWindow_ && toolWindow_->IsShown()) {
    toolWindow_->UpdateContentFields();
    toolWindow_->UpdateTimeFields(ignoreProjectValues);
    toolWindow_->UpdateTempoFields();
  }
}

void CProView::RefreshCurrentView() {
  if (PostedFromOtherThread([this] { RefreshCurrentView(); })) return;
  switch (viewMode) {
    case ViewModeTrack:
      if (trackView) trackView->Redraw();
      break;
    case ViewModeEditor:
      RefreshAudioEditor(1);
      break;
    case ViewModeLoopBank:
      if (loopBank) loopBank->Redraw();
      break;
    default:
      break;
  }
  Invalidate();
}

void CProView::RefreshAllViews() {
  if (PostedFromOtherThread([this] { RefreshAllViews(); })) return;
  if (trackView) trackView->Redraw();
  RefreshAudioEditor(0);
  if (loopBank) loopBank->Redraw();
  Invalidate();
}

void CProView::RefreshLoopBank() {
  if (PostedFromOtherThread([this] { RefreshLoopBank(); })) return;
  if (loopBank) loopBank->RebuildRows();
  if (app_) app_->RebuildLoopMenu();
}

void CProView::RefreshLoopBankRow(int loopIndex) {
  if (PostedFromOtherThread([this, loopIndex] { RefreshLoopBankRow(loopIndex); })) return;
  if (loopBank) loopBank->UpdateRowsAfterRemoval(loopIndex);
  if (app_) app_->RebuildLoopMenu();
}

void CProView::Relayout(int16_t width, int16_t height) {
  if (PostedFromOtherThread([this, width, height] { Relayout(width, height); })) return;
  CreateBackBuffer();
  // A client smaller than the frame leaves the editor no room, never a negative one.
  view::EditorArea& area = AreaOf(viewMode);
  area.width = ClampSize(width - kAreaMarginX);
  area.height = ClampSize(height - kAreaMarginY);
  if (view::IViewEditor* editor = ShownEditor()) editor->Layout(area);
  Invalidate();
}

bool CProView::RefusedDuringPlayback() { return app_->RefuseDuringPlayback(); }

void CProView::SwitchView(int mode) {
  if (PostedFromOtherThread([this, mode] { SwitchView(mode); })) return;
  if (!app_ || mode < ViewModeTrack || mode > ViewModeLoopBank) return;
  if (RefusedDuringPlayback()) return;
  switch (viewMode) {
    case ViewModeTrack:
      if (trackView) trackView->HideControls();
      break;
    case ViewModeEditor:
      if (audioEditor) audioEditor->HideControls();
      if (toolWindow_ && toolWindow_->IsShown()) {
        toolWindowRect = toolWindow_->WindowRect();
        toolWindow_->Hide();
      }
      break;
    case ViewModeLoopBank:
      if (loopBank) loopBank->HideControls();
      break;
    default:
      break;
  }
  if (mode == ViewModeEditor) {
    if (audioEditor) {
      audioEditor->SetProjectTempo(app_->project.tempo);
      audioEditor->UpdateToolBarTimes();
    }
    if (toolWindow_ && toolWindow_->IsShown()) {
      // A window opened elsewhere and never put away keeps its place.
      toolWindow_->ShowAt(toolWindowRect.IsEmpty() ? toolWindow_->WindowRect() : toolWindowRect);
      toolWindow_->UpdateContentFields();
      toolWindow_->UpdateTimeFields(1);
      toolWindow_->UpdateTempoFields();
    }
  }
  viewMode = mode;
  Relayout(clientWidth, clientHeight);
  app_->SwitchView(mode);
  if (mode == ViewModeEditor) app_->ApplyEditorColorSet();
  ShowEmptyNotices(mode);
}

// A notice closed without its box ticked (or not shown at all) shows again next time.
void CProView::ShowEmptyNotices(int mode) {
  ProConfig& config = app_->config;
  if (mode == ViewModeLoopBank && app_->loopBank.GetCount() == 0 && config.showEmptyLoopBankNotice == 1) {
    const auto answer = app_->services.ui.Request(NoLoopsExistRequest{});
    config.showEmptyLoopBankNotice = answer && answer->dontShowAgain ? 0 : 1;
  }
  if (mode == ViewModeEditor && !app_->GetEditorSegment() && config.showEmptyEditorNotice == 1) {
    const auto answer = app_->services.ui.Request(NoAudioEditingExistsRequest{});
    config.showEmptyEditorNotice = answer && answer->dontShowAgain ? 0 : 1;
  }
}

void CProView::SetSnapToGrid(int snap) {
  if (PostedFromOtherThread([this, snap] { SetSnapToGrid(snap); })) return;
  snapToGrid_ = snap;
}

// ---- The main frame's skinned buttons -----------------------------------------------

void CProView::TrackViewFewerRows() {
  if (trackView) trackView->FewerRows();
}
void CProView::TrackViewMoreRows() {
  if (trackView) trackView->MoreRows();
}
void CProView::TrackViewZoomToProject() {
  if (trackView) trackView->ZoomToProject();
}
void CProView::TrackViewZoomIn() {
  if (trackView) trackView->ZoomIn();
}
void CProView::TrackViewZoomOut() {
  if (trackView) trackView->ZoomOut();
}
void CProView::AudioEditorZoomIn() {
  if (audioEditor) audioEditor->ZoomIn();
}
void CProView::AudioEditorZoomOut() {
  if (audioEditor) audioEditor->ZoomOut();
}
void CProView::AudioEditorShowWholeAudio() {
  if (audioEditor) audioEditor->ShowWholeAudio();
}
void CProView::LoopBankFewerRows() {
  if (loopBank) loopBank->FewerRows();
}
void CProView::LoopBankMoreRows() {
  if (loopBank) loopBank->MoreRows();
}
void CProView::TrackViewPageRows(bool down) {
  if (trackView) trackView->OnVScroll(down ? view::kScrollPageDown : view::kScrollPageUp, 0);
}
void CProView::LoopBankPageRows(bool down) {
  if (loopBank) loopBank->Scroll(down ? view::kScrollPageDown : view::kScrollPageUp, 0);
}
void CProView::RefreshTrackingBar() {
  if (trackView) trackView->RefreshTrackingBar();
}
void CProView::AudioEditorTrackerMoved() {
  if (audioEditor) audioEditor->TrackerMoved();
}

void CProView::MoveTrackingBar(uint32_t frame, bool follow) {
  if (PostedFromOtherThread([this, frame, follow] { MoveTrackingBar(frame, follow); })) return;
  if (trackView) trackView->UpdateTrackingBar(frame, follow);
}

void CProView::ResetTrackingBar() {
  if (PostedFromOtherThread([this] { ResetTrackingBar(); })) return;
  if (!trackView) return;
  trackView->ResetTrackingBar();
  Invalidate();
}

void CProView::SetTempoText(float bpm) {
  if (trackView) trackView->SetTempoText(bpm);
}

void CProView::SetPitchText(float semitones) {
  if (trackView) trackView->SetPitchText(semitones);
}

bool CProView::GetCurrentSnippet(int* trackIndex, uint32_t* snippetIdentifier) const {
  return trackView && trackView->GetCurrentSnippet(trackIndex, snippetIdentifier);
}

void CProView::ClearCurrentSnippet() {
  if (trackView) trackView->ClearCurrentSnippet();
}

// ---- Drawing -------------------------------------------------------------------------

void CProView::CreateBackBuffer() {
  const double scale = devicePixelRatioF();
  backBitmap = draw::CBitmap(clientWidth, clientHeight, scale, kGround);
  for (int mode = ViewModeTrack; mode <= ViewModeLoopBank; ++mode) {
    tabStrips_[mode - 1] = &CSkinFactory::Get(view::TabStripFor(mode).skinId, scale);
  }
  corners_[0] = &CSkinFactory::Get(skin::kCornerBottomLeft, scale);
  corners_[1] = &CSkinFactory::Get(skin::kCornerBottomRight, scale);
  corners_[2] = &CSkinFactory::Get(skin::kCornerTopRight, scale);
}

void CProView::OnDraw() {
  if (backBitmap.IsNull()) return;
  draw::CCanvas dc(backBitmap);
  const int w = clientWidth;
  const int h = clientHeight;
  dc.FillRect({0, 0, w, h}, groundBrush);
  const view::TabStripPicture strip = view::TabStripFor(viewMode);
  if (const draw::CBitmap* tabs = tabStrips_[std::clamp(viewMode, 1, 3) - 1]) {
    dc.Blit(view::kTabStripX, view::kTabStripY, strip.width, view::kTabStripHeight, *tabs);
  }
  // Down the left, along the foot, up the right and back along the top to the tabs.
  dc.SelectPen(framePen);
  const draw::Point frame[] = {{6, 24}, {6, h - 4}, {w - 4, h - 4}, {w - 4, 23}, {strip.width + 5, 23}};
  dc.Polyline(frame, std::size(frame));
  dc.FillSolidRect({7, h - 7, w - 4, h - 4}, kWhite);
  dc.FillSolidRect({w - 7, 24, w - 4, h - 4}, kWhite);
  if (corners_[0]) dc.Blit(6, h - 6, 3, 3, *corners_[0]);
  if (corners_[1]) dc.Blit(w - 6, h - 8, 3, 5, *corners_[1]);
  if (corners_[2]) dc.Blit(w - 5, 22, 3, 5, *corners_[2]);
  // An empty slot shows the editors' ground, which the open tab above it has too.
  if (view::IViewEditor* editor = ShownEditor()) {
    editor->Draw(dc);
  } else {
    const view::EditorArea& area = AreaOf(viewMode);
    dc.FillSolidRect(draw::Rect::FromSize(area.x, area.y, area.width, area.height), kEditorGround);
  }
}

void CProView::Invalidate(bool) {
  if (PostedFromOtherThread([this] { Invalidate(); })) return;
  OnDraw();
  update();
}

void CProView::InvalidateRect(const draw::Rect& rect) {
  if (PostedFromOtherThread([this, rect] { InvalidateRect(rect); })) return;
  OnDraw();
  update(rect.ToQRect());
}

void CProView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect dirty = event->rect();
  const draw::Rect part{dirty.left(), dirty.top(), dirty.right() + 1, dirty.bottom() + 1};
  backBitmap.PaintTo(painter, part.left, part.top, part);
  // Beyond the buffer (a client larger than a view can be drawn): the ground.
  const QRegion outside = QRegion(dirty) - QRegion(0, 0, backBitmap.Width(), backBitmap.Height());
  for (const QRect& r : outside) painter.fillRect(r, draw::ToQColor(kGround));
}

void CProView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (sizeEventsToSkip > 0) {
    --sizeEventsToSkip;
    return;
  }
  const int16_t width = ClampSize(this->width());
  const int16_t height = ClampSize(this->height());
  if (width == clientWidth && height == clientHeight) return;
  clientWidth = width;
  clientHeight = height;
  Relayout(width, height);
}

void CProView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!initialUpdateDone_) OnInitialUpdate();
}

bool CProView::event(QEvent* event) {
  // Moved to a screen of another pixel ratio: the buffers follow it.
  if (event->type() == QEvent::ScreenChangeInternal && !backBitmap.IsNull() &&
      backBitmap.Scale() != devicePixelRatioF()) {
    const bool handled = QWidget::event(event);
    Relayout(clientWidth, clientHeight);
    return handled;
  }
  return QWidget::event(event);
}

// ---- View timers --------------------------------------------------------------------

void CProView::SetTimer(int timerId, int intervalMs) {
  KillTimer(timerId);
  timers_[timerId] = startTimer(std::max(intervalMs, 1), Qt::PreciseTimer);
}

void CProView::KillTimer(int timerId) {
  const auto it = timers_.find(timerId);
  if (it == timers_.end()) return;
  killTimer(it->second);
  timers_.erase(it);
}

void CProView::timerEvent(QTimerEvent* event) {
  for (const auto& [id, qtId] : timers_) {
    if (qtId == event->timerId()) {
      OnTimer(id);
      return;
    }
  }
  QWidget::timerEvent(event);
}
