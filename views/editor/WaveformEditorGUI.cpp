#include "editor/WaveformEditorGUI.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "Generic.h"
#include "controls/MyButton.h"
#include "draw/Canvas.h"
#include "pro.h"
#include "skin/SkinFactory.h"
#include "skin/SkinIds.h"
#include "view/ProView.h"
#include "waveform/WaveformPainter.h"

namespace {

constexpr const char* kSource = "WaveformEditorGUI";
constexpr int kLineNoScrollBar = 1111;
constexpr int kLineScrollBarNoView = 1116;
constexpr int kLineMarkerDivide = 1873;
constexpr int kLineCursorNoPlayer = 2371;
constexpr int kLineCursorNoView = 2376;
constexpr int kLineCursorDivide = 2390;
constexpr int kLineStartNoView = 2488;
constexpr int kLineStopNoView = 2510;
constexpr int kLineStartPixelDivide = 2550;
constexpr int kLineScrollPageDivide = 3057;
constexpr int kLineScrollPositionDivide = 3068;
constexpr const char* kDivideByZero = "Divide By Zero Violation";

constexpr int kWaveLeft = 48;
constexpr int kWaveTop = 10;
constexpr int kMaxBufferSide = 12000;
constexpr int kMinScrollPage = 30;
constexpr int kButtonWidth = 17;
constexpr int kButtonHeight = 18;
constexpr int kHiddenAt = 8000;
constexpr uint32_t kMinZoomWidth = 8;
constexpr uint32_t kMinZoomHalf = 4;

uint32_t ClampFrame(double frames) {
  if (!(frames > 0.0)) return 0;
  return frames >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(frames);
}

}  // namespace

namespace editor {

const std::vector<EditorMenuItem>& EditorContextMenu() {
  static const std::vector<EditorMenuItem> items = {
      {32857, "&Set Begin Marker"},
      {32858, "Set &End Marker"},
      {32859, "Set &Highlighted Section as Marker"},
      {0, nullptr},
      {32860, "&Erase Begin Marker"},
      {32861, "Erase &End Marker"},
      {32862, "Erase &Both Markers"},
      {0, nullptr},
      {32926, "&Audio Properties"},
      {32927, "Create &Track Snippet"},
      {32928, "Create Audio &Loop"},
  };
  return items;
}

}  // namespace editor

CWaveformEditorGUI::CWaveformEditorGUI(CProApp* app) : app_(app) {
  if (app_) {
    player = [app] { return app->devices.GetMillisecondsPlayed(); };
    projectTempo = app_->project.tempo;
  }
}

// The buttons and the scroll bar are the view's children; the view outlives
// the editor only while it closes, so they go with the editor.
CWaveformEditorGUI::~CWaveformEditorGUI() {
  delete scrollBar;
  delete zoomInButton;
  delete zoomOutButton;
  delete fullViewButton;
}

void CWaveformEditorGUI::AttachView(CProView& attached) { view = &attached; }

// ---- Layout -------------------------------------------------------------------------

void CWaveformEditorGUI::Layout(const view::EditorArea& given) {
  SetArea(given.x, given.y, given.width, given.height);
  UpdateSelectionPixels(1);
  CreateBackBuffer();
}

void CWaveformEditorGUI::SetArea(int x, int y, int width, int height) {
  area.x = x;
  area.y = y;
  area.width = static_cast<int16_t>(std::clamp(width, 0, 32767));
  area.height = static_cast<int16_t>(std::clamp(height, 0, 32767));
  const int w = area.width;
  const int h = area.height;
  scrollBarRect = {5, h - 19, w, h};
  frameRect = {5, 4, w - 3, h - 19};
  waveRect = {kWaveLeft, kWaveTop, w - 46, h - 38};
  waveWidth = static_cast<int16_t>(w - 94);
  waveHeight = static_cast<int16_t>(h - 48);
  axisRect = {13, 10, 48, h - 38};
  rightStripRect = {w - 46, 10, w - 11, h - 38};
  rulerRect = {13, h - 38, w - 11, h - 25};
  zoomInHit = {w - 14, h - 52, w + 3, h - 34};
  zoomOutHit = {w - 14, h - 32, w + 3, h - 14};
  wholeViewHit = {w - 14, h - 12, w + 3, h + 6};
  if (h >= kMinControlsHeight) MakeControls();
  invalidRect = {0, 0, x + w, y + h + 2};
  UpdateToolBarTimes();
}

void CWaveformEditorGUI::MakeControls() {
  if (!view) {
    ReportError(kSource, kLineScrollBarNoView, "");
    return;
  }
  if (!zoomInButton) {
    zoomInButton = new CMyButton(kZoomInMessage, skin::kPlusNormal, skin::kPlusHot, skin::kPlusPressed, view);
  }
  if (!zoomOutButton) {
    zoomOutButton = new CMyButton(kZoomOutMessage, skin::kMinusNormal, skin::kMinusHot, skin::kMinusPressed, view);
  }
  if (!fullViewButton) {
    fullViewButton = new CMyButton(kWholeViewMessage, skin::kWholeNormal, skin::kWholeHot, skin::kWholePressed, view);
  }
  const int h = area.height;
  PlaceButton(zoomInButton, h - 52);
  PlaceButton(zoomOutButton, h - 34);
  PlaceButton(fullViewButton, h - 16);
  if (!scrollBar) {
    scrollBar = new QScrollBar(Qt::Horizontal, view);
    if (!scrollBar) {
      ReportError(kSource, kLineNoScrollBar, "");
      return;
    }
    scrollBar->setRange(0, kScrollRange);
    view->RouteScrollBar(scrollBar);
  }
  scrollBar->setGeometry(scrollBarRect.left + 5, scrollBarRect.top + 24, std::max(area.width - 5, 0), 19);
  scrollBar->show();
  UpdateScrollBar();
}

void CWaveformEditorGUI::PlaceButton(CMyButton* button, int top) {
  button->setGeometry(area.width - 14, top, kButtonWidth, kButtonHeight);
  button->show();
}

void CWaveformEditorGUI::HideControls() {
  delete scrollBar;
  scrollBar = nullptr;
  for (CMyButton* button : {zoomInButton, zoomOutButton, fullViewButton}) {
    if (!button) continue;
    button->hide();
    button->move(kHiddenAt, kHiddenAt);
  }
}

void CWaveformEditorGUI::CreateBackBuffer() {
  const int w = area.width;
  const int h = area.height;
  if (w > 0 && h > 0 && w <= kMaxBufferSide && h <= kMaxBufferSide) {
    backBitmap = draw::CBitmap(w, h, view ? view->devicePixelRatioF() : 1.0, kBackground);
  } else {
    backBitmap = draw::CBitmap();
  }
  Redraw();
}

void CWaveformEditorGUI::Draw(draw::CCanvas& viewBuffer) {
  if (backBitmap.IsNull()) return;
  viewBuffer.Blit(area.x, area.y, area.width, area.height, backBitmap);
}

void CWaveformEditorGUI::Invalidate() {
  if (view) view->InvalidateRect(invalidRect);
}

// ---- What the editor shows ---------------------------------------------------------

void CWaveformEditorGUI::SetSegment(CAudioSegment* shown) {
  segment = shown;
  // The ratio is the shown audio's: a segment of another tempo must not keep the old one.
  SetProjectTempo(projectTempo);
  UpdateSelectionPixels(1);
  Redraw();
  Invalidate();
}

void CWaveformEditorGUI::SetProjectTempo(float bpm) {
  if (!std::isfinite(bpm) || bpm <= 0.0f) return;
  projectTempo = bpm;
  if (segment) tempoRatio = segment->tempo / bpm;
}

void CWaveformEditorGUI::SetColors(const TrackColorSet& colors) {
  waveformPen = draw::CPen::Solid(colors.waveformOutline);
  waveformFillBrush = draw::CBrush::Solid(colors.waveformFill);
  waveformGroundBrush = draw::CBrush::Solid(colors.snippetBox);
  markerPen = draw::CPen::Solid(colors.marker, 2);
  markerBrush = draw::CBrush::Solid(colors.marker);
}

bool CWaveformEditorGUI::UsesProjectValues() const { return app_ && app_->editorUsesProjectSettings != 0; }

int CWaveformEditorGUI::TimeDisplay() const { return app_ ? app_->project.timeDisplay : TimeDisplayStandard; }

std::string CWaveformEditorGUI::TimeText(uint32_t frames, uint32_t rate) const {
  char text[64] = {};
  if (TimeDisplay() == TimeDisplayStandard || !app_) {
    FormatSamplesAsTime(frames, rate, text);
  } else {
    FormatSamplesAsTempoTime(frames, rate, app_->project.tempo, app_->project.beatsPerBarChoice, text);
  }
  return text;
}

// ---- Frames and pixels ------------------------------------------------------------------

bool CWaveformEditorGUI::FrameOffset(uint32_t frame, int64_t* offset) const {
  *offset = 0;
  if (!segment || segment->viewWidth == 0) return false;
  const double fraction = (static_cast<double>(frame) - segment->viewStart) / segment->viewWidth;
  *offset = static_cast<int64_t>(std::trunc(std::clamp(fraction * waveWidth, -1e9, 1e9)));
  return true;
}

void CWaveformEditorGUI::UpdateSelectionPixels(int resetShown) {
  if (!segment) return;
  if (segment->viewWidth == 0) {
    ReportError(kSource, kLineStartPixelDivide, kDivideByZero);
    return;
  }
  auto column = [this](uint32_t frame) {
    if (frame < segment->viewStart) return waveRect.left;
    if (frame > segment->viewEnd) return waveRect.right;
    int64_t offset = 0;
    FrameOffset(frame, &offset);
    return static_cast<int>(std::clamp<int64_t>(offset + waveRect.left, waveRect.left, waveRect.right));
  };
  trackerX1 = static_cast<int16_t>(column(segment->trackerStart));
  trackerX2 = static_cast<int16_t>(column(segment->trackerEnd));
  if (resetShown) {
    shownX1 = trackerX1;
    shownX2 = trackerX2;
    singleLineShown = trackerX1 == trackerX2 ? 1 : 0;
  }
}

// ---- Drawing -------------------------------------------------------------------------

void CWaveformEditorGUI::Redraw() {
  if (backBitmap.IsNull()) return;
  draw::CCanvas dc(backBitmap);
  const int w = area.width;
  const int h = area.height;
  dc.SetBackColour(kBackground);
  dc.FillRect({0, 0, w, h}, groundBrush);
  DrawFrame(dc);
  cursorX = kNotDrawn;
  if (!segment) {
    dc.FillRect({10, 10, w - 10, h - 20}, scaleBrush);
    shownX1 = shownX2 = trackerX1;
    singleLineShown = 0;
    return;
  }
  DrawWaveform(segment, &dc, &waveformPen, &waveformFillBrush, WaveFrameObject(waveformGroundBrush), kWaveLeft,
               kWaveTop, waveWidth, waveHeight, segment->viewStart, segment->viewEnd, &gridDotPen);
  DrawMarkers(dc);
  // What is inverted now is what the tracker's painting starts from.
  const uint32_t start = segment->trackerStart, end = segment->trackerEnd;
  const uint32_t viewStart = segment->viewStart, viewEnd = segment->viewEnd;
  const bool visible = (start >= viewStart && start <= viewEnd) || (end >= viewStart && end <= viewEnd) ||
                       (start <= viewStart && end >= viewEnd);
  shownX1 = trackerX1;
  shownX2 = trackerX2;
  singleLineShown = 0;
  if (visible && trackerX1 == trackerX2) {
    InvertColumns(trackerX1, trackerX1 + 1);
    singleLineShown = 1;
  } else if (visible) {
    InvertColumns(trackerX1, trackerX2);
  } else {
    shownX2 = shownX1;
  }
  DrawScales(dc);
  DrawRuler(dc);
}

void CWaveformEditorGUI::DrawFrame(draw::CCanvas& dc) {
  const int w = area.width;
  const int h = area.height;
  const double scale = backBitmap.Scale();
  auto piece = [&](int id) -> const draw::CBitmap& { return CSkinFactory::Get(id, scale); };
  dc.Blit(5, 4, 13, 11, piece(skin::kEditorTopLeft));
  dc.Blit(w - 16, 4, 13, 11, piece(skin::kEditorTopRight));
  dc.Blit(w - 16, h - 30, 13, 11, piece(skin::kEditorBottomRight));
  dc.Blit(5, h - 30, 13, 11, piece(skin::kEditorBottomLeft));
  for (int x = 18; x < w - 16; x += 12) {
    const int width = std::min(12, w - 16 - x);
    dc.Blit(x, 4, width, 11, piece(skin::kEditorTop));
    dc.Blit(x, h - 31, width, 12, piece(skin::kEditorBottom));
  }
  for (int y = 15; y < h - 30; y += 12) {
    const int height = std::min(12, h - 30 - y);
    dc.Blit(5, y, 14, height, piece(skin::kEditorLeft));
    dc.Blit(w - 15, y, 14, height, piece(skin::kEditorRight));
  }
}

void CWaveformEditorGUI::DrawMarkers(draw::CCanvas& dc) {
  const int h = area.height;
  const draw::CPen before = dc.SelectPen(markerPen);
  const draw::CBrush brushBefore = dc.SelectBrush(markerBrush);
  auto offsetOf = [this](uint32_t marker) {
    int64_t offset = 0;
    if (!FrameOffset(marker, &offset)) ReportError(kSource, kLineMarkerDivide, kDivideByZero);
    return static_cast<int>(offset);
  };
  auto shown = [this](uint32_t marker) {
    return marker != CAudioSegment::kMarkerUnset && segment->viewStart <= marker && marker <= segment->viewEnd;
  };
  if (shown(segment->markerStart)) {
    const int x = kWaveLeft + offsetOf(segment->markerStart);
    dc.Rectangle(x, 10, x + 4, 14);
    dc.MoveTo(x, 10);
    dc.LineTo(x, h - 38);
  }
  if (shown(segment->markerEnd)) {
    const int x = kWaveLeft + offsetOf(segment->markerEnd);
    dc.Rectangle(x - 4, h - 42, x, h - 38);
    dc.MoveTo(x, 10);
    dc.LineTo(x, h - 38);
  }
  dc.SelectPen(before);
  dc.SelectBrush(brushBefore);
  dc.SetBackMode(draw::BackMode::Opaque);
}

void CWaveformEditorGUI::DrawScales(draw::CCanvas& dc) {
  const int w = area.width;
  const int h = area.height;
  const int wh = waveHeight;
  dc.FillRect(axisRect, scaleBrush);
  dc.FillRect(rightStripRect, scaleBrush);
  dc.FillRect(rulerRect, scaleBrush);
  dc.MoveTo(w - 46, 10);
  dc.LineTo(w - 46, h - 38);
  dc.SelectFont(scaleFont);
  dc.SetBackMode(draw::BackMode::Transparent);
  dc.SetTextColour(0x000000);
  const bool stereo = segment->GetChannels() == 2;
  // The right strip repeats the left scale's upper labels.
  for (const int x : {15, w - 44}) {
    dc.TextOut(x, 15, QStringLiteral("  32 K"));
    if (stereo) {
      dc.TextOut(x, wh / 4 + 4, QStringLiteral("      0"));
      dc.TextOut(x, wh / 2 - 5, QStringLiteral(" -32 K"));
      dc.TextOut(x, wh / 2 + 12, QStringLiteral("  32 K"));
      dc.TextOut(x, static_cast<int>(0.75 * wh + 4), QStringLiteral("      0"));
    } else {
      dc.TextOut(x, wh / 2 + 3, QStringLiteral("      0"));
    }
  }
  dc.TextOut(15, wh - 3, QStringLiteral(" -32 K"));
  if (stereo) {
    const double scale = backBitmap.Scale();
    dc.Blit(19, wh / 4 - 19, 7, 59, CSkinFactory::Get(skin::kChannelUpper, scale));
    dc.Blit(19, static_cast<int>(0.75 * wh - 22), 7, 66, CSkinFactory::Get(skin::kChannelLower, scale));
    const draw::CPen before = dc.SelectPen(dividerPen);
    dc.MoveTo(kWaveLeft, wh / 2 + 10);
    dc.LineTo(w - 47, wh / 2 + 10);
    dc.SelectPen(before);
  }
}

void CWaveformEditorGUI::DrawRuler(draw::CCanvas& dc) {
  const int h = area.height;
  const uint32_t start = segment->viewStart;
  const uint32_t width = segment->viewWidth;
  const float factor = TimeDisplay() == TimeDisplayTempo || UsesProjectValues() ? tempoRatio : 1.0f;
  if (!(factor > 0.0f) || !std::isfinite(factor)) return;
  const uint32_t rate = static_cast<uint32_t>(44100.0f / factor);
  const uint32_t frames[4] = {start, start + width / 4, start + width / 2,
                              static_cast<uint32_t>(start + 0.75 * width)};
  for (int k = 0; k < 4; ++k) {
    const int x = k == 3 ? static_cast<int>(0.75 * waveWidth + 50) : 50 + k * waveWidth / 4;
    dc.TextOut(x, h - 38, QString::fromStdString(TimeText(frames[k], rate)));
  }
}

void CWaveformEditorGUI::InvertColumns(int from, int to) {
  if (backBitmap.IsNull() || to <= from) return;
  draw::CCanvas dc(backBitmap);
  dc.InvertRect({from, kWaveTop, to, kWaveTop + waveHeight});
}

// ---- The view window ----------------------------------------------------------------

void CWaveformEditorGUI::ViewChanged() {
  segment->viewWidth = segment->viewEnd - segment->viewStart;
  UpdateSelectionPixels(1);
  UpdateScrollBar();
  Redraw();
  Invalidate();
}

void CWaveformEditorGUI::ZoomIn() {
  if (!segment || segment->viewWidth <= kMinZoomWidth) return;
  CAudioSegment& s = *segment;
  const uint32_t width = s.viewWidth;
  if (s.trackerStart != s.trackerEnd) {
    const auto inside = [&s](uint32_t frame) { return frame > s.viewStart && frame < s.viewEnd; };
    if (inside(s.trackerStart) || inside(s.trackerEnd)) {
      s.viewStart = s.trackerStart;
      s.viewEnd = s.trackerEnd;
    } else if (s.trackerStart <= s.viewStart && s.trackerEnd >= s.viewEnd) {
      s.viewStart += width / 4;
      s.viewEnd -= width / 4;
    } else {
      return;
    }
  } else {
    const uint32_t point = s.trackerStart;
    if (point < s.viewStart || point > s.viewEnd) return;
    // At least four frames each side: a view of no width would divide by zero.
    const uint32_t q = std::max<uint32_t>((width / 4) & ~3u, kMinZoomHalf);
    uint64_t start = point < q ? 0 : point - q;
    uint64_t end = point < q ? 2 * uint64_t{q} : uint64_t{point} + q;
    if (end > s.length) {
      const uint64_t excess = end - s.length;
      end = s.length;
      start = start > excess ? start - excess : 0;
    }
    s.viewStart = static_cast<uint32_t>(start);
    s.viewEnd = static_cast<uint32_t>(end);
  }
  ViewChanged();
}

void CWaveformEditorGUI::ZoomOut() {
  if (!segment) return;
  CAudioSegment& s = *segment;
  uint32_t half = s.viewWidth / 2;
  if (half <= 2) half = 4;
  s.viewStart = s.viewStart < half ? 0 : s.viewStart - half;
  s.viewEnd = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{s.viewEnd} + half, s.length));
  ViewChanged();
}

void CWaveformEditorGUI::ShowWholeAudio() {
  if (!segment) return;
  segment->viewStart = 0;
  segment->viewEnd = segment->length;
  ViewChanged();
}

void CWaveformEditorGUI::Scroll(int code, int position) {
  if (!segment) return;
  CAudioSegment& s = *segment;
  const uint32_t width = s.viewWidth;
  // After a thumb drag the view may end past the audio: then there is nothing to the right.
  const uint32_t room = s.viewEnd < s.length ? s.length - s.viewEnd : 0;
  auto left = [&s, width](uint32_t step) {
    if (step < s.viewStart) {
      s.viewStart -= step;
      s.viewEnd -= step;
    } else {
      s.viewStart = 0;
      s.viewEnd = width;
    }
  };
  auto right = [&s](uint32_t step) {
    s.viewStart += step;
    s.viewEnd += step;
  };
  switch (code) {
    case view::kScrollLineUp: left(width / 4); break;
    case view::kScrollPageUp: left(width); break;
    case view::kScrollLineDown: right(std::min(width / 4, room)); break;
    case view::kScrollPageDown: right(std::min(width, room)); break;
    case view::kScrollThumbTrack: {
      const double fraction = std::clamp(position, 0, kScrollRange) / static_cast<double>(kScrollRange);
      s.viewStart = ClampFrame(std::trunc(fraction * s.length));
      s.viewEnd = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{s.viewStart} + width, 0xFFFFFFFFu));
      break;
    }
    default: return;
  }
  ViewChanged();
}

void CWaveformEditorGUI::UpdateScrollBar() {
  if (!scrollBar) return;
  int page = kScrollRange, position = 0;
  if (segment && segment->length == 0) {
    ReportError(kSource, kLineScrollPageDivide, kDivideByZero);
    ReportError(kSource, kLineScrollPositionDivide, kDivideByZero);
    page = kMinScrollPage;
  } else if (segment) {
    const double length = segment->length;
    page = std::max(kMinScrollPage, static_cast<int>(std::min(segment->viewWidth / length * kScrollRange, 1e6)));
    position = static_cast<int>(std::min(segment->viewStart / length * kScrollRange, 1e6));
  }
  // A Qt bar's maximum is where the thumb's left edge stops: the range less the page.
  const QSignalBlocker quiet(scrollBar);
  scrollBar->setRange(0, std::max(0, kScrollRange - page + 1));
  scrollBar->setPageStep(page);
  scrollBar->setValue(position);
}

// ---- Play cursor -------------------------------------------------------------------

void CWaveformEditorGUI::StartTracking(int wrap) {
  if (!view) {
    ReportError(kSource, kLineStartNoView, "");
    return;
  }
  loopWrap = wrap;
  cursorX = kNotDrawn;
  view->SetTimer(CProView::kCursorTimer, kCursorIntervalMs);
  Invalidate();
}

void CWaveformEditorGUI::StopTracking() {
  if (!view) {
    ReportError(kSource, kLineStopNoView, "");
    return;
  }
  view->KillTimer(CProView::kCursorTimer);
  Redraw();
  UpdateToolBarTimes();
  Invalidate();
}

void CWaveformEditorGUI::OnCursorTimer() {
  if (!player) {
    ReportError(kSource, kLineCursorNoPlayer, "");
    return;
  }
  if (!view) {
    ReportError(kSource, kLineCursorNoView, "");
    return;
  }
  if (!app_ || !segment) return;
  const float factor = UsesProjectValues() ? tempoRatio : 1.0f;
  if (factor == 0.0f || !std::isfinite(factor) || tempoRatio == 0.0f) {
    ReportError(kSource, kLineCursorDivide, kDivideByZero);
    return;
  }
  const uint32_t playStart = app_->editorPlayStart;
  const uint32_t playEnd = app_->editorPlayEnd;
  const uint32_t playLength = app_->editorPlayLength;
  const double played = std::trunc(std::trunc(static_cast<double>(player()) / factor) * 44.1);
  uint64_t position = static_cast<uint64_t>(std::clamp(played, 0.0, 1e15));
  if (loopWrap && playLength != 0) position %= playLength;
  position += playStart;
  if (editorToolBar) {
    const float textFactor = TimeDisplay() == TimeDisplayStandard ? factor : tempoRatio;
    const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(position, 0xFFFFFFFFu));
    editorToolBar->SetText(editor::IEditorTimeBoxes::kStartBox,
                           TimeText(frames, static_cast<uint32_t>(44100.0f / textFactor)));
  }
  if (cursorX != kNotDrawn && waveRect.left < cursorX && cursorX < waveRect.right) InvertColumns(cursorX, cursorX + 1);
  cursorX = kNotDrawn;
  const bool inside = playLength != 0 ? playStart < position && position < playEnd
                                      : segment->viewStart < position && position < segment->viewEnd;
  // Signed and wide: a position left of the view must not wrap into it.
  if (inside && segment->viewWidth != 0) {
    const double fraction = (static_cast<double>(position) - segment->viewStart) / segment->viewWidth;
    const double x = std::trunc(fraction * waveWidth) + kWaveLeft;
    if (x > kWaveLeft && x < area.width - 46) {
      cursorX = static_cast<int16_t>(x);
      InvertColumns(cursorX, cursorX + 1);
    }
  }
  Invalidate();
}

// ---- The tool bar's times -------------------------------------------------------------

void CWaveformEditorGUI::UpdateToolBarTimes() {
  if (!editorToolBar) return;
  if (toolWindow && toolWindow->IsShown()) toolWindow->UpdateTimeFields(0);
  float factor = 1.0f;
  double offset = 0.0;
  if (UsesProjectValues() || TimeDisplay() == TimeDisplayTempo) {
    factor = tempoRatio;
    if (snippet && UsesProjectValues()) offset = snippet->start;
  }
  uint32_t start = 0, end = 0, whole = 0;
  if (segment) {
    start = ClampFrame(std::trunc(segment->trackerStart * static_cast<double>(factor) + offset));
    end = ClampFrame(std::trunc(segment->trackerEnd * static_cast<double>(factor) + offset));
    whole = ClampFrame(std::trunc(segment->length * static_cast<double>(factor)));
  }
  const uint32_t size = start == end ? whole : (end > start ? end - start : 0);
  using Boxes = editor::IEditorTimeBoxes;
  if (TimeDisplay() == TimeDisplayStandard) {
    editorToolBar->SetTimeText(Boxes::kStartBox, start);
    editorToolBar->SetTimeText(Boxes::kEndBox, end);
    editorToolBar->SetTimeText(Boxes::kSizeBox, size);
  } else {
    editorToolBar->SetText(Boxes::kStartBox, TimeText(start, 44100));
    editorToolBar->SetText(Boxes::kEndBox, TimeText(end, 44100));
    editorToolBar->SetText(Boxes::kSizeBox, TimeText(size, 44100));
  }
  editorToolBar->UpdatePositionSlider();
}

void CWaveformEditorGUI::TrackerMoved() {
  UpdateSelectionPixels(1);
  Redraw();
  UpdateToolBarTimes();
  Invalidate();
}
