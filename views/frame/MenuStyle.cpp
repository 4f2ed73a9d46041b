#include "frame/MenuStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include "draw/Colour.h"
#include "draw/Font.h"
#include "frame/MyMenu.h"

namespace {

constexpr draw::COLORREF kGround = 0xFFFFFF;
constexpr draw::COLORREF kFrame = 0xB4A791;
constexpr int kMenuPixelSize = 11;

// The item as the menus hold it, from what Qt tells the style.
MenuItemRecord RecordOf(const QStyleOptionMenuItem& option, int topLevel) {
  MenuItemRecord record;
  record.topLevel = topLevel;
  record.text = option.text.toStdString();
  switch (option.menuItemType) {
    case QStyleOptionMenuItem::Separator: record.text.clear(); record.commandId = 0; break;
    case QStyleOptionMenuItem::SubMenu: record.commandId = 0; break;
    default: record.commandId = -1; break;  // any command
  }
  return record;
}

}  // namespace

CMenuStyle::CMenuStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

CMenuStyle& CMenuStyle::Instance() {
  static CMenuStyle* style = new CMenuStyle;  // Qt styles must outlive every widget using them
  return *style;
}

QFont CMenuStyle::Font() { return draw::CFont::FromPixelHeight("Tahoma", kMenuPixelSize).Get(); }

void CMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  switch (element) {
    case CE_MenuBarEmptyArea:
    case CE_MenuEmptyArea:
      painter->fillRect(option->rect, draw::ToQColor(kGround));
      return;
    case CE_MenuBarItem:
    case CE_MenuItem:
      if (auto item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
        const bool bar = element == CE_MenuBarItem;
        const bool selected = (item->state & (State_Selected | State_Sunken)) != 0;
        const bool enabled = (item->state & State_Enabled) != 0;
        const bool mnemonics = proxy()->styleHint(SH_UnderlineShortcut, item, widget) != 0;
        CMyMenu::DrawItem(*painter, RecordOf(*item, bar ? 1 : 0), item->rect, selected, enabled, mnemonics);
        return;
      }
      break;
    default:
      break;
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void CMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  switch (element) {
    case PE_PanelMenuBar:
    case PE_PanelMenu:
      painter->fillRect(option->rect, draw::ToQColor(kGround));
      return;
    case PE_FrameMenu:
      painter->setPen(draw::ToQColor(kFrame));
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      return;
    default:
      QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
}

QSize CMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const {
  if (type == CT_MenuItem || type == CT_MenuBarItem) {
    if (auto item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
      return CMyMenu::MeasureItem(RecordOf(*item, type == CT_MenuBarItem ? 1 : 0));
    }
  }
  return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int CMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
  switch (metric) {
    case PM_MenuBarPanelWidth:
    case PM_MenuBarVMargin:
    case PM_MenuDesktopFrameWidth:
    case PM_MenuTearoffHeight:
      return 0;
    case PM_MenuBarItemSpacing: return kBarItemSpacing;
    case PM_MenuBarHMargin: return kBarMargin;
    case PM_MenuPanelWidth: return 1;
    case PM_MenuHMargin: return 2;
    case PM_MenuVMargin: return 2;
    default: return QProxyStyle::pixelMetric(metric, option, widget);
  }
}

int CMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const {
  switch (hint) {
    case SH_MenuBar_AltKeyNavigation:
    case SH_UnderlineShortcut:
      return 1;
    case SH_Menu_Scrollable:
      return 1;
    default:
      return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
}
