#include "frame/MyMenu.h"

#include <algorithm>

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPolygon>

#include "draw/Colour.h"
#include "frame/MenuStyle.h"

namespace {

constexpr draw::COLORREF kGround = 0xFFFFFF;
constexpr draw::COLORREF kSelected = 0xFF8000;
constexpr draw::COLORREF kText = 0x202020;
constexpr draw::COLORREF kDisabledText = 0xA0A0A0;
constexpr draw::COLORREF kSeparator = 0xE1DCD2;
constexpr int kDropDownTextLeft = 15;
constexpr int kDropDownTextTop = 3;
constexpr int kKeyRightMargin = 14;

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CMyMenu::CMyMenu(QWidget* owner) : CMyMenu(owner, 1, std::make_shared<Handlers>()) {}

CMyMenu::CMyMenu(QWidget* owner, int topLevel, std::shared_ptr<Handlers> handlers)
    : owner_(owner), topLevel_(topLevel), handlers_(std::move(handlers)) {
  if (!topLevel_) {
    menu_ = std::make_unique<QMenu>(owner_);
    menu_->setStyle(&CMenuStyle::Instance());
    menu_->setFont(CMenuStyle::Font());
    QObject::connect(menu_.get(), &QMenu::aboutToShow, [this] { UpdateOwnItems(); });
  }
}

CMyMenu::~CMyMenu() = default;

void CMyMenu::SetCommandHandler(std::function<void(int)> handler) { handlers_->onCommand = std::move(handler); }

void CMyMenu::SetEnabledQuery(std::function<bool(int)> isEnabled) { handlers_->isEnabled = std::move(isEnabled); }

void CMyMenu::UpdateOwnItems() {
  if (!menu_ || !handlers_->isEnabled) return;
  for (QAction* action : menu_->actions()) {
    if (action->menu() || action->isSeparator()) continue;
    if (int id = action->data().toInt()) action->setEnabled(handlers_->isEnabled(id));
  }
}

void CMyMenu::UpdateItems() {
  UpdateOwnItems();
  for (const auto& child : subMenus_) {
    if (child) child->UpdateItems();
  }
}

int CMyMenu::LoadOwnerDrawn(int resourceId) {
  const std::vector<MenuResourceItem>& items = MenuResource(resourceId);
  if (items.empty()) return 0;
  Build(items);
  return 1;
}

QAction* CMyMenu::AddCommand(int commandId, const std::string& text, QAction* before) {
  QAction* action = new QAction(Text(text), menu_.get());
  action->setData(commandId);
  std::weak_ptr<Handlers> handlers = handlers_;
  QObject::connect(action, &QAction::triggered, [handlers, commandId] {
    if (auto h = handlers.lock(); h && h->onCommand) h->onCommand(commandId);
  });
  menu_->insertAction(before, action);
  return action;
}

void CMyMenu::Build(const std::vector<MenuResourceItem>& items) {
  for (const MenuResourceItem& item : items) {
    MenuItemRecord record;
    record.commandId = item.id;
    record.topLevel = topLevel_;
    if (item.text) record.text = std::string(item.text).substr(0, kMaxTextChars);
    items_.push_back(record);

    if (!item.items.empty()) {
      auto child = std::unique_ptr<CMyMenu>(new CMyMenu(owner_, 0, handlers_));
      child->menu_->setTitle(Text(record.text));
      child->Build(item.items);
      QAction* action = child->menu_->menuAction();
      if (menu_) menu_->addMenu(child->menu_.get());
      actions_.push_back(action);
      subMenus_.push_back(std::move(child));
      continue;
    }
    subMenus_.push_back(nullptr);
    if (!item.text) {
      actions_.push_back(menu_ ? menu_->addSeparator() : nullptr);
    } else if (menu_) {
      actions_.push_back(AddCommand(item.id, record.text, nullptr));
    } else {
      // A plain item of the bar itself: only the filler is one.
      auto action = std::make_unique<QAction>(Text(record.text));
      action->setData(item.id);
      action->setEnabled(!IsFiller(record));
      actions_.push_back(action.get());
      ownActions_.push_back(std::move(action));
    }
  }
}

CMyMenu* CMyMenu::SubMenu(size_t position) const {
  return position < subMenus_.size() ? subMenus_[position].get() : nullptr;
}

QAction* CMyMenu::FindAction(int commandId) const {
  QAction* found = nullptr;
  ForEachCommand([&](QAction& action, int id) {
    if (!found && id == commandId) found = &action;
  });
  return found;
}

void CMyMenu::ForEachCommand(const std::function<void(QAction&, int)>& visit) const {
  if (menu_) {
    for (QAction* action : menu_->actions()) {
      if (action->menu() || action->isSeparator()) continue;
      if (int id = action->data().toInt()) visit(*action, id);
    }
  }
  for (const auto& child : subMenus_) {
    if (child) child->ForEachCommand(visit);
  }
}

void CMyMenu::ReplacePlaceholder(int placeholderId, const std::vector<std::pair<int, std::string>>& entries) {
  for (const auto& child : subMenus_) {
    if (child) child->ReplacePlaceholder(placeholderId, entries);
  }
  if (!menu_) return;
  QAction* placeholder = nullptr;
  for (QAction* action : menu_->actions()) {
    if (!action->menu() && !action->isSeparator() && action->data().toInt() == placeholderId &&
        std::find(replaced_.begin(), replaced_.end(), action) == replaced_.end()) {
      placeholder = action;
    }
  }
  if (!placeholder) return;
  for (QAction* action : replaced_) delete action;
  replaced_.clear();
  for (const auto& [id, text] : entries) replaced_.push_back(AddCommand(id, text, placeholder));
  placeholder->setVisible(entries.empty());
  placeholder->setEnabled(false);
}

QSize CMyMenu::MeasureItem(const MenuItemRecord& item) {
  const int chars = static_cast<int>(QString::fromStdString(item.text).size());
  if (item.topLevel) return {5 * chars, 20};
  if (item.commandId == 0 && item.text.empty()) return {15, 5};
  return {5 * chars + 15, 18};
}

void CMyMenu::DrawItem(QPainter& painter, const MenuItemRecord& item, const QRect& rect, bool selected,
                       bool enabled, bool showMnemonics) {
  const bool highlighted = selected && enabled && !IsFiller(item);
  painter.fillRect(rect, draw::ToQColor(highlighted ? kSelected : kGround));
  if (IsFiller(item)) return;
  const bool separator = !item.topLevel && item.commandId == 0 && item.text.empty();
  if (separator) {
    const int y = rect.top() + rect.height() / 2;
    painter.fillRect(QRect(rect.left() + kDropDownTextLeft - 4, y, rect.width() - kDropDownTextLeft, 1),
                     draw::ToQColor(kSeparator));
    return;
  }
  const QColor text = draw::ToQColor(highlighted ? 0xFFFFFF : enabled ? kText : kDisabledText);
  painter.setPen(text);
  const int mnemonic = showMnemonics ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
  const QString full = Text(item.text);
  if (item.topLevel) {
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine | mnemonic, full);
    return;
  }
  const QRect textRect = rect.adjusted(kDropDownTextLeft, kDropDownTextTop, 0, 0);
  const qsizetype tab = full.indexOf(QLatin1Char('\t'));
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | mnemonic, full.left(tab));
  if (tab >= 0) {
    painter.drawText(textRect.adjusted(0, 0, -kKeyRightMargin, 0),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextHideMnemonic,
                     full.mid(tab + 1));
  }
  if (item.commandId == 0) {
    // A drop-down of its own: a small arrow at the right.
    const int cx = rect.right() - 8, cy = textRect.top() + textRect.height() / 2;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(text);
    painter.drawPolygon(QPolygon({QPoint(cx - 2, cy - 4), QPoint(cx + 2, cy), QPoint(cx - 2, cy + 4)}));
    painter.setRenderHint(QPainter::Antialiasing, false);
  }
}
