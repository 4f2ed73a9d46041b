// The style of the owner-drawn menus: menu bars and drop-downs measure and
// draw their items through CMyMenu, on a white ground with a thin frame;
// everything else is the application's style.
//
// Threads: user-interface thread only.
#pragma once

#include <QFont>
#include <QProxyStyle>

class CMenuStyle final : public QProxyStyle {
 public:
  // Room the bar leaves between its items and at its ends, beyond the items' own measure.
  static constexpr int kBarItemSpacing = 6;
  static constexpr int kBarMargin = 3;

  // The one instance the menus share; it lives until the program ends.
  static CMenuStyle& Instance();
  // The menus' font: Liberation Sans (for Tahoma), 11 pixels.
  static QFont Font();

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;

 private:
  CMenuStyle();
};
