#include "frame/SkinToolBar.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "CommandRouter.h"
#include "draw/Canvas.h"
#include "skin/SkinFactory.h"

namespace {

constexpr int kButtonTop = 2;
constexpr draw::COLORREF kPlainHotFrame = 0xB4A791;

// A copy faded halfway to white: a plain bar's disabled button.
draw::CBitmap Faded(const draw::CBitmap& source, const draw::Rect& part) {
  draw::CBitmap faded = source.Copy(part);
  QImage& image = faded.Image();
  for (int y = 0; y < image.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const draw::COLORREF c = draw::Blend(draw::FromQRgb(row[x]), 0xFFFFFF, 150);
      row[x] = (row[x] & 0xFF000000u) | (draw::ToQRgb(c) & 0x00FFFFFFu);
    }
  }
  return faded;
}

}  // namespace

std::string ToolTipText(int id) {
  static const std::map<int, const char*> kTexts = {
      {32969, "Start a New Project"},
      {32924, "Open an Existing Project"},
      {32923, "Save the Current Project"},
      {32838, "Cut Audio Data"},
      {32837, "Copy Audio Data"},
      {32836, "Paste Audio Data"},
      {32801, "Delete Audio Data"},
      {32779, "Undo Last Operation"},
      {32780, "Redo Last Operation"},
      {32913, "Open Project Properties"},
      {32921, "Launch Web Based Help"},
      {32834, "Playback the Current Project"},
      {32931, "Rewind to Beginning of Project"},
      {32932, "Fast-Foward to End of Project"},
      {32835, "Stop Playback of Project"},
      {32776, "Record New Audio to Armed Tracks"},
      {32986, "Playback Current Audio"},
      {32987, "Playback Current Audio in Loop Mode"},
      {32988, "Rewind to the Beginning of Audio"},
      {32989, "Fastforward to the End of Audio"},
      {32990, "Stop Current Playback"},
      {32991, "Record New Audio"},
  };
  auto it = kTexts.find(id);
  return it == kTexts.end() ? std::string() : it->second;
}

CSkinToolBar::CSkinToolBar(int resourceId, std::vector<int> ids, QSize cell, Border border, QWidget* parent)
    : QWidget(parent), resourceId_(resourceId), ids_(std::move(ids)), cell_(cell), border_(border) {
  setObjectName(QString::number(resourceId));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Layout();
}

void CSkinToolBar::SetSeparator(int id, int width) { separatorWidths_[id] = width; }

void CSkinToolBar::SetSkipped(std::set<int> ids) { skipped_ = std::move(ids); }

void CSkinToolBar::Layout() {
  items_.clear();
  const int buttonWidth = cell_.width() + kButtonPadding;
  const int buttonHeight = cell_.height() + kButtonPadding;
  int x = 0;
  for (int id : ids_) {
    Item item;
    item.id = id;
    int width = buttonWidth;
    if (id == 0) {
      item.separator = true;
      width = kSeparatorWidth;
    } else if (auto it = separatorWidths_.find(id); it != separatorWidths_.end()) {
      item.separator = true;
      width = it->second;
    }
    item.rect = QRect(x, kButtonTop, width, buttonHeight);
    x += width;
    items_.push_back(item);
  }
  width_ = x;
  height_ = kButtonTop + buttonHeight + (border_ == Border::Bottom ? 2 : 1);
  setMinimumHeight(height_);
  setMaximumHeight(height_);
  updateGeometry();
}

QSize CSkinToolBar::sizeHint() const { return {width_, height_}; }

double CSkinToolBar::Scale() const { return devicePixelRatioF(); }

const CSkinToolBar::Item* CSkinToolBar::FindItem(int id) const {
  for (const Item& item : items_) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

bool CSkinToolBar::IsButtonEnabled(int id) const {
  auto it = enabled_.find(id);
  return it != enabled_.end() && it->second;
}

void CSkinToolBar::SetRouter(CCommandRouter* router) {
  router_ = router;
  UpdateButtons();
}

void CSkinToolBar::UpdateButtons() {
  for (const Item& item : items_) {
    if (item.separator) continue;
    const bool enabled = router_ && router_->IsEnabled(item.id);
    auto [it, added] = enabled_.try_emplace(item.id, enabled);
    if (!added && it->second == enabled) continue;
    it->second = enabled;
    if (!enabled && hotId_ == item.id) hotId_ = 0;
    if (!enabled && pressedId_ == item.id) pressedId_ = 0;
    update(item.rect);
  }
}

void CSkinToolBar::Render(draw::CBitmap& target) const {
  draw::CCanvas canvas(target);
  canvas.FillSolidRect(target.Bounds(), kGround);
  const int borderY = border_ == Border::Top ? 0 : target.Height() - 1;
  canvas.FillSolidRect(draw::Rect::FromSize(0, borderY, target.Width(), 1), kBorder);
  RenderBackground(canvas);
  for (const Item& item : items_) {
    if (item.separator) RenderSeparator(canvas, item);
  }
  RenderButtons(canvas);
}

void CSkinToolBar::RenderBackground(draw::CCanvas&) const {}

void CSkinToolBar::RenderSeparator(draw::CCanvas&, const Item&) const {}

void CSkinToolBar::RenderButtons(draw::CCanvas& canvas) const {
  const double scale = canvas.Target().Scale();
  int k = 0;
  for (const Item& item : items_) {
    if (item.separator || item.id == 0 || skipped_.count(item.id)) continue;
    const bool enabled = IsButtonEnabled(item.id);
    const int x = item.rect.x() + (item.rect.width() - cell_.width()) / 2;
    const int y = item.rect.y() + (item.rect.height() - cell_.height()) / 2;
    const draw::Rect cell = draw::Rect::FromSize(k * cell_.width(), 0, cell_.width(), cell_.height());
    if (plainBitmap_) {
      const draw::CBitmap& bitmap = CSkinFactory::Get(plainBitmap_, scale);
      if (enabled) {
        canvas.Blit(x, y, cell_.width(), cell_.height(), bitmap, cell.left, cell.top);
      } else {
        canvas.Blit(x, y, Faded(bitmap, cell));
      }
      if (enabled && hotId_ == item.id) {
        canvas.FrameRect(draw::Rect::FromSize(item.rect.x(), item.rect.y(), item.rect.width(), item.rect.height()),
                         draw::CBrush::Solid(kPlainHotFrame));
      }
    } else {
      const int strip = !enabled                 ? strips_.disabled
                        : pressedId_ == item.id ? strips_.pressed
                        : hotId_ == item.id     ? strips_.hot
                                                : strips_.normal;
      canvas.Blit(x, y, cell_.width(), cell_.height(), CSkinFactory::Get(strip, scale), cell.left, cell.top);
    }
    ++k;
  }
}

void CSkinToolBar::paintEvent(QPaintEvent*) {
  draw::CBitmap buffer(width(), height(), Scale(), kGround);
  Render(buffer);
  QPainter painter(this);
  buffer.PaintTo(painter, 0, 0);
}

const CSkinToolBar::Item* CSkinToolBar::ButtonAt(const QPoint& point) const {
  for (const Item& item : items_) {
    if (!item.separator && item.id != 0 && !skipped_.count(item.id) && item.rect.contains(point)) return &item;
  }
  return nullptr;
}

void CSkinToolBar::SetHot(int id) {
  if (id == hotId_) return;
  if (const Item* old = FindItem(hotId_)) update(old->rect);
  hotId_ = id;
  if (const Item* now = FindItem(hotId_)) update(now->rect);
}

void CSkinToolBar::mouseMoveEvent(QMouseEvent* event) {
  const Item* item = ButtonAt(event->position().toPoint());
  SetHot(item && IsButtonEnabled(item->id) ? item->id : 0);
}

void CSkinToolBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Item* item = ButtonAt(event->position().toPoint());
  if (!item || !IsButtonEnabled(item->id)) return;
  pressedId_ = item->id;
  update(item->rect);
}

void CSkinToolBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressedId_) return;
  const int id = pressedId_;
  pressedId_ = 0;
  if (const Item* pressed = FindItem(id)) update(pressed->rect);
  const Item* item = ButtonAt(event->position().toPoint());
  if (item && item->id == id && router_) router_->Dispatch(id);
}

void CSkinToolBar::leaveEvent(QEvent*) { SetHot(0); }

bool CSkinToolBar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const Item* item = ButtonAt(help->pos());
    const std::string text = item ? ToolTipText(item->id) : std::string();
    if (text.empty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), QString::fromStdString(text), this, item->rect);
    }
    return true;
  }
  return QWidget::event(event);
}
