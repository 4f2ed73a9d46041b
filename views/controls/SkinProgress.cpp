#include "controls/SkinProgress.h"

#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

#include "draw/Canvas.h"
#include "skin/SkinFactory.h"
#include "skin/SkinPalette.h"

namespace {

constexpr int kPieces = 9;
constexpr int kRefreshMs = 500;
// The window's edge around the bar, on each side.
constexpr int kEdge = 1;

// The pixels of the mask colour become see-through, before any scaling, so that
// scaled edges blend with what lies under the bar instead of with the mask.
QImage WithMaskAsAlpha(const QImage& skin) {
  QImage image = skin.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = draw::ToQRgb(skin::kMaskColour) & 0x00FFFFFFu;
  for (int y = 0; y < image.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((row[x] & 0x00FFFFFFu) == key) row[x] = 0;
    }
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A position rescaled from one range into another, in integers.
int Rescale(int value, int oldLower, int oldUpper, int newLower, int newUpper) {
  if (oldUpper == oldLower) return newLower;
  return static_cast<int>((static_cast<int64_t>(value) - oldLower) * (static_cast<int64_t>(newUpper) - newLower) /
                              (static_cast<int64_t>(oldUpper) - oldLower) +
                          newLower);
}

}  // namespace

CSkinProgress::CSkinProgress(QWidget* coveredControl, int upper, const QImage* skin, int reverse,
                             QWidget* textWindow, const QString& label, int textMode)
    : QWidget(coveredControl ? coveredControl->parentWidget() : nullptr),
      covered_(coveredControl),
      textWindow_(textWindow) {
  if (!coveredControl || !parentWidget()) return;
  setGeometry(CoveredRect());
  setCursor(Qt::WaitCursor);
  vertical_ = width() < height();
  if (textWindow) savedText_ = textWindow->property("text").toString();
  if (skin) callerSkin_ = *skin;
  if (!SetBitmap(skin ? &callerSkin_ : nullptr, 0)) return;
  textMode_ = textMode;
  lower_ = 0;
  upper_ = upper;
  start_ = 0;
  pos_ = 0;
  SetRange(0, upper, 1, 0, 0);
  label_ = label;
  reverse_ = reverse;
  ResetTimer(0);
  timerId_ = startTimer(kRefreshMs);
  raise();
  show();
  Refresh();
}

CSkinProgress::~CSkinProgress() {
  if (timerId_) killTimer(timerId_);
  if (textWindow_) textWindow_->setProperty("text", savedText_);
  if (covered_) covered_->update();
}

QRect CSkinProgress::CoveredRect() const { return covered_ ? covered_->geometry() : QRect(); }

int CSkinProgress::SetBitmap(const QImage* skin, int redraw) {
  hasSkin_ = false;
  const int thickness = (vertical_ ? width() : height()) - 2 * kEdge;
  if (thickness <= 0) return 0;
  const double scale = devicePixelRatioF();
  const int deviceThickness = std::max(1, static_cast<int>(thickness * scale));
  const QImage source = skin && !skin->isNull() ? *skin : CSkinFactory::ProgressSkin(thickness, scale).Image();
  QImage scaled = WithMaskAsAlpha(source);
  if (scaled.height() != deviceThickness) {
    const int deviceWidth = std::max(kPieces, scaled.width() * deviceThickness / std::max(1, scaled.height()));
    scaled = scaled.scaled(deviceWidth, deviceThickness, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  const int pieceDeviceWidth = scaled.width() / kPieces;
  if (pieceDeviceWidth <= 0) return 0;
  for (int k = 0; k < kPieces; ++k) {
    draw::CBitmap piece =
        draw::CBitmap::FromImage(scaled.copy(k * pieceDeviceWidth, 0, pieceDeviceWidth, deviceThickness), scale);
    pieces_[k] = vertical_ ? piece.Transposed() : piece;
  }
  pieceLength_ = vertical_ ? pieces_[0].Height() : pieces_[0].Width();
  if (pieceLength_ <= 0) return 0;
  hasSkin_ = true;
  if (redraw) Refresh();
  return 1;
}

int CSkinProgress::SetRange(int lower, int upper, int step, int rescale, int redraw) {
  if (!hasSkin_) return 0;
  if (rescale) {
    start_ = Rescale(start_, lower_, upper_, lower, upper);
    pos_ = Rescale(pos_, lower_, upper_, lower, upper);
  }
  lower_ = lower;
  upper_ = upper;
  step_ = step;
  if (redraw) Refresh();
  return 1;
}

int CSkinProgress::SetPos(int position, int redraw) {
  if (!hasSkin_) return 0;
  const int previous = pos_;
  position = std::clamp(position, std::min(lower_, upper_), std::max(lower_, upper_));
  previousPos_ = pos_;
  pos_ = std::max(position, start_);
  if (redraw) Refresh();
  return previous;
}

void CSkinProgress::ResetTimer(int redraw) {
  startTime_ = std::chrono::system_clock::now();
  SetPos(lower_, redraw);
}

void CSkinProgress::ComputePixels() {
  const int length = (vertical_ ? height() : width()) - 2 * kEdge;
  const int p = pieceLength_;
  lengthPixels_ = length - p;
  const int64_t usable = std::max(0, length - 2 * p);
  const int64_t range = static_cast<int64_t>(upper_) - lower_;
  int end = p + static_cast<int>(range ? (static_cast<int64_t>(pos_) - lower_) * usable / range : 0);
  int start = static_cast<int>(range ? (static_cast<int64_t>(start_) - lower_) * usable / range : 0);
  end = std::min(end, lengthPixels_);
  start = std::min(start, end - p);
  if (reverse_) {
    const int mirroredEnd = lengthPixels_ - start;
    start = lengthPixels_ - end;
    end = mirroredEnd;
  }
  startPixel_ = start;
  endPixel_ = end;
}

void CSkinProgress::DrawPiece(draw::CCanvas& canvas, int piece, int at) {
  const draw::CBitmap& bitmap = pieces_[piece];
  if (vertical_) {
    canvas.Blit(0, at, bitmap);
  } else {
    canvas.Blit(at, 0, bitmap);
  }
}

// The whole bar, every time: it is a handful of pieces, and a full draw is what a
// partial one would have to come to anyway.
void CSkinProgress::DrawBar() {
  const int barWidth = std::max(0, width() - 2 * kEdge);
  const int barHeight = std::max(0, height() - 2 * kEdge);
  bar_ = draw::CBitmap(barWidth, barHeight, devicePixelRatioF(), draw::FromQColor(palette().window().color()));
  if (!hasSkin_) return;
  draw::CCanvas canvas(bar_);
  const int p = pieceLength_;
  int at = lengthPixels_;
  for (; at > endPixel_; at -= p) DrawPiece(canvas, 7, at);
  for (; at > startPixel_; at -= p) DrawPiece(canvas, 4, at);
  for (; at > 0; at -= p) DrawPiece(canvas, 7, at);
  DrawPiece(canvas, 3, (startPixel_ + endPixel_) / 2);
  if (startPixel_ > p) DrawPiece(canvas, 1, startPixel_ - p);
  if (endPixel_ < lengthPixels_ - p) DrawPiece(canvas, 6, endPixel_ + p);
  DrawPiece(canvas, 0, 0);
  DrawPiece(canvas, 8, lengthPixels_);
  DrawPiece(canvas, 2, startPixel_);
  DrawPiece(canvas, 5, endPixel_);
}

void CSkinProgress::RefreshText() {
  if (!textWindow_) return;
  const QFontMetrics metrics = textWindow_->fontMetrics();
  const std::string text = FitProgressText(
      label_.toStdString(), pos_, lower_, upper_, textMode_, startTime_, std::chrono::system_clock::now(),
      textWindow_->width(), [&](const std::string& s) { return metrics.horizontalAdvance(QString::fromStdString(s)); });
  if (text == lastText_) return;
  lastText_ = text;
  textWindow_->setProperty("text", QString::fromStdString(text));
}

void CSkinProgress::Refresh() {
  if (!covered_ || !parentWidget()) return;
  RefreshText();
  const QRect covered = CoveredRect();
  if (geometry() != covered) {
    if (covered.width() <= 2 || covered.height() <= 2) return;
    setGeometry(covered);
    SetBitmap(callerSkin_.isNull() ? nullptr : &callerSkin_, 0);
    ComputePixels();
  } else {
    const int oldStart = startPixel_, oldEnd = endPixel_, oldLength = lengthPixels_;
    ComputePixels();
    if (!bar_.IsNull() && oldStart == startPixel_ && oldEnd == endPixel_ && oldLength == lengthPixels_) return;
  }
  DrawBar();
  update();
}

void CSkinProgress::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  bar_.PaintTo(painter, kEdge, kEdge);
}

void CSkinProgress::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timerId_) Refresh();
}
