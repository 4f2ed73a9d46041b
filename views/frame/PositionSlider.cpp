#include "frame/PositionSlider.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include "draw/Colour.h"

namespace {

constexpr draw::COLORREF kGroove = 0xCBD4D9;
constexpr draw::COLORREF kFilled = 0xFF8000;
constexpr draw::COLORREF kDisabled = 0xB4B4B4;
constexpr int kGrooveHeight = 4;
constexpr int kHandleWidth = 9;
constexpr int kHandleHeight = 17;

// The bars' flat slider: a thin groove filled up to a small handle. The
// handle's place and size come from the metrics below, so that what the
// mouse grabs is what is drawn.
class CSliderStyle final : public QProxyStyle {
 public:
  CSliderStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_SliderLength) return kHandleWidth;
    if (metric == PM_SliderThickness) return kHandleHeight;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || !slider) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const bool enabled = (slider->state & State_Enabled) != 0;
    const QRect handle = subControlRect(CC_Slider, slider, SC_SliderHandle, widget);
    const QRect groove(slider->rect.left(), slider->rect.center().y() - kGrooveHeight / 2 + 1, slider->rect.width(),
                       kGrooveHeight);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(draw::ToQColor(kGroove));
    painter->drawRoundedRect(groove, 2, 2);
    painter->setBrush(draw::ToQColor(enabled ? kFilled : kDisabled));
    painter->drawRoundedRect(QRect(groove.left(), groove.top(), handle.center().x() - groove.left(), kGrooveHeight), 2, 2);
    const bool hot = enabled && (slider->activeSubControls & SC_SliderHandle) && (slider->state & State_MouseOver);
    painter->setBrush(draw::ToQColor(hot ? 0xFFF2E6 : 0xFFFFFF));
    painter->setPen(draw::ToQColor(enabled ? kFilled : kDisabled));
    painter->drawRoundedRect(QRectF(handle).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter->restore();
  }
};

CSliderStyle& SliderStyle() {
  static CSliderStyle* style = new CSliderStyle;  // outlives every slider
  return *style;
}

}  // namespace

CPositionSlider::CPositionSlider(int id, QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setObjectName(QString::number(id));
  setRange(0, 1000);
  setPageStep(20);
  setSingleStep(1);
  setTickPosition(QSlider::NoTicks);
  setFocusPolicy(Qt::NoFocus);
  setStyle(&SliderStyle());
  setAttribute(Qt::WA_Hover);
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
    if (!onScroll_) return;
    const int code = action == SliderPageStepSub   ? kPageLeft
                     : action == SliderPageStepAdd ? kPageRight
                     : action == SliderMove        ? kThumbTrack
                                                   : kOther;
    // The thumb has moved already; the value follows once the handler returns.
    onScroll_(code, sliderPosition());
  });
}
