// The Loop Bank's back buffer: each visible loop's header card and its lane
// with the whole waveform, and the copy into the view.
#include <QLineEdit>
#include <algorithm>

#include "AudioLoop.h"
#include "AudioLoopList.h"
#include "Generic.h"
#include "loopbank/LoopBankGUI.h"
#include "skin/SkinFactory.h"
#include "skin/SkinIds.h"
#include "view/ProView.h"
#include "waveform/WaveformPainter.h"

namespace {

constexpr const char* kSource = "LoopBankGUI";
constexpr int kLineNoBackBuffer = 276;
constexpr int kLineBackBufferSize = 291;
constexpr int kLineNoLoopList = 325;
constexpr int kLineNoLoop = 366;
constexpr int kLineNoSegment = 381;
constexpr int kLineDraw = 437;
constexpr int kMaxBufferSide = 12000;
constexpr int kHeaderX = 5;
constexpr int kLaneX = 199;
constexpr int kCardWidth = 189;
constexpr int kHeaderHeight = 43;
constexpr int kBodyBand = 24;
constexpr int kUnderlineHeight = 3;
constexpr int kFrameThickness = 3;
constexpr int kNumberX = 47;
constexpr int kNumberDy = 8;
constexpr draw::COLORREF kBlack = 0x000000;

}  // namespace

void CLoopBankGUI::CreateBackBuffer() {
  if (!ownerView) {
    ReportError(kSource, kLineNoBackBuffer, "");
    return;
  }
  if (areaWidth < 0 || areaWidth > kMaxBufferSide || areaHeight < 0 || areaHeight > kMaxBufferSide) {
    ReportError(kSource, kLineBackBufferSize, "");
    return;
  }
  backBitmap = draw::CBitmap(std::max<int>(areaWidth, 1), std::max<int>(areaHeight, 1), ownerView->devicePixelRatioF(),
                             kGround);
  RefreshView(0);
}

void CLoopBankGUI::Draw(draw::CCanvas& viewBuffer) {
  if (backBitmap.IsNull()) {
    ReportError(kSource, kLineDraw, "");
    return;
  }
  viewBuffer.Blit(areaX, areaY, areaWidth, areaHeight, backBitmap);
}

int CLoopBankGUI::RefreshView(int flag) {
  if (!ShowsLoopBank()) return 0;
  if (!loopList) {
    ReportError(kSource, kLineNoLoopList, "");
    return 3;
  }
  KeepRowsInList();
  if (flag == 1 || backBitmap.IsNull()) return 0;
  ++repaints_;
  draw::CCanvas dc(backBitmap);
  dc.FillRect({0, 0, areaWidth, areaHeight}, groundBrush);
  int result = 0;
  for (int n = firstRow; n <= lastRow && visibleRows > 0; ++n) {
    result = DrawRow(dc, n, 4 + (n - firstRow) * pitch);
    if (result != 0) break;
  }
  playheadX = kNoPlayhead;
  return result;
}

int CLoopBankGUI::DrawRow(draw::CCanvas& dc, int loopNumber, int y) {
  std::shared_ptr<CAudioLoop> loop;
  if (loopList->FindLoop(loopNumber, &loop) != 1 || !loop) {
    ReportError(kSource, kLineNoLoop, "");
    return 3;
  }
  DrawHeader(dc, loopNumber, y, loopNumber == loopList->GetSelectedLoopNumber());
  if (QLineEdit* edit = NameEdit(loopNumber - firstRow)) {
    // Not while the user types in it: the text there is already the title.
    const QString title = QString::fromStdString(loop->GetTitle());
    if (!edit->hasFocus() && edit->text() != title) {
      edit->setText(title);
      edit->setCursorPosition(0);  // a long title shows its start
    }
  }
  const TrackColorSet& colors = loop->GetColors();
  loopPen = draw::CPen::Solid(colors.waveformOutline);
  waveBrush = draw::CBrush::Solid(colors.waveformFill);
  boxBrush = draw::CBrush::Solid(colors.snippetBox);
  CAudioSegment* segment = loop->Segment();
  if (!segment) {
    ReportError(kSource, kLineNoSegment, "");
    return 3;
  }
  dc.SelectPen(draw::CPen::Solid(kBlack));
  DrawWaveform(segment, &dc, &loopPen, &waveBrush, boxBrush, kLaneX, y, static_cast<int16_t>(laneWidth),
               static_cast<int16_t>(boxHeight), 0, segment->length, nullptr);
  return 0;
}

void CLoopBankGUI::DrawHeader(draw::CCanvas& dc, int loopNumber, int y, bool selected) {
  const double scale = backBitmap.Scale();
  const int x = kHeaderX;
  const int b = boxHeight;
  dc.Blit(x, y, CSkinFactory::Get(skin::kLoopHeader, scale));
  const draw::CBitmap& body = CSkinFactory::Get(selected ? skin::kTrackBodySelected : skin::kLoopBody, scale);
  const int bodyEnd = y + b - std::min(b - kHeaderHeight, kUnderlineHeight);
  for (int top = y + kHeaderHeight; top < bodyEnd; top += kBodyBand) {
    dc.Blit(x, top, kCardWidth, std::min(kBodyBand, bodyEnd - top), body);
  }
  dc.Blit(x, bodyEnd, CSkinFactory::Get(skin::kLoopUnderline, scale));
  const draw::CBitmap& numbers = CSkinFactory::Get(skin::kLoopNumbers, scale);
  dc.Blit(kNumberX, y + kNumberDy, skin::kNumberCellWidth, skin::kNumberCellHeight, numbers,
          (loopNumber % skin::kNumbersPerRow) * skin::kNumberCellWidth,
          (loopNumber / skin::kNumbersPerRow) * skin::kNumberCellHeight);
  dc.SelectPen(draw::CPen::Solid(kBlack));
  dc.SelectBrush(groundBrush);
  dc.Rectangle(kLaneX, y, kLaneX + laneWidth + 1, y + b + 1);
  if (!selected) return;
  dc.Blit(x, y, CSkinFactory::Get(skin::kSelectionTop, scale));
  dc.Blit(x, y + b - kFrameThickness, CSkinFactory::Get(skin::kSelectionBottom, scale));
  dc.Blit(x, y, CSkinFactory::Get(skin::kSelectionLeft, scale));
  dc.Blit(x + kCardWidth - kFrameThickness, y, CSkinFactory::Get(skin::kSelectionRight, scale));
}
