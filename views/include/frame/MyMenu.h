// The owner-drawn menus of the main window: a menu bar per view, built from a
// menu resource, every item measured and drawn by this class (through
// CMenuStyle) in the program's own look: white items, the selected one white
// on azure. The bar's last item only fills the rest of the bar; it is a
// disabled blank item.
//
// Threads: user-interface thread only.
#pragma once

#include <QSize>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/MenuResources.h"

class QAction;
class QMenu;
class QPainter;
class QRect;
class QWidget;

struct MenuItemRecord {
  int commandId = 0;  // 0 for separators and drop-downs
  std::string text;   // with its "&" mnemonics and a tab before the key shown
  int topLevel = 0;   // 1 for an item of the menu bar
};

class CMyMenu {
 public:
  // The longest text an item keeps.
  static constexpr size_t kMaxTextChars = 1024;

  explicit CMyMenu(QWidget* owner);
  ~CMyMenu();
  CMyMenu(const CMyMenu&) = delete;
  CMyMenu& operator=(const CMyMenu&) = delete;

  // Builds the menu and, recursively, its drop-downs; nonzero on success.
  int LoadOwnerDrawn(int resourceId);

  // Item sizes: on the bar 20 high and 5 per character wide; in a drop-down 18
  // high and 5 per character + 15; separators 5 high. Ampersands count.
  static QSize MeasureItem(const MenuItemRecord& item);
  // Paints an item into its rectangle.
  static void DrawItem(QPainter& painter, const MenuItemRecord& item, const QRect& rect, bool selected,
                       bool enabled, bool showMnemonics);
  static bool IsFiller(const MenuItemRecord& item) { return item.topLevel == 1 && item.text == menu::kFillerText; }

  // Runs when an item with a command id is chosen (set on the top-level menu; its drop-downs share it).
  void SetCommandHandler(std::function<void(int commandId)> handler);
  // Asked for each item as its drop-down opens; without it every item is enabled.
  void SetEnabledQuery(std::function<bool(int commandId)> isEnabled);
  // Sets each item of the drop-downs from the query, as if they opened.
  void UpdateItems();

  const std::vector<MenuItemRecord>& Items() const { return items_; }
  // The drop-down at a position of this menu, or null.
  CMyMenu* SubMenu(size_t position) const;
  // The actions in order: a menu bar shows a top-level menu's, a drop-down its own.
  const std::vector<QAction*>& Actions() const { return actions_; }
  // This drop-down's window; null for a top-level menu.
  QMenu* Menu() const { return menu_.get(); }
  QWidget* Owner() const { return owner_; }

  // The first action (at any depth) with the command id, or null.
  QAction* FindAction(int commandId) const;
  // Every action with a command id, at any depth, entries put in by
  // ReplacePlaceholder included.
  void ForEachCommand(const std::function<void(QAction&, int commandId)>& visit) const;
  // Puts entries of their own (the recent files) in place of the item with the
  // placeholder id, wherever it is; an empty list shows the placeholder again.
  void ReplacePlaceholder(int placeholderId, const std::vector<std::pair<int, std::string>>& entries);

 private:
  struct Handlers {
    std::function<void(int)> onCommand;
    std::function<bool(int)> isEnabled;
  };
  CMyMenu(QWidget* owner, int topLevel, std::shared_ptr<Handlers> handlers);
  void UpdateOwnItems();
  void Build(const std::vector<MenuResourceItem>& items);
  QAction* AddCommand(int commandId, const std::string& text, QAction* before);

  QWidget* owner_;
  int topLevel_;
  std::shared_ptr<Handlers> handlers_;
  std::unique_ptr<QMenu> menu_;  // drop-downs only
  std::vector<std::unique_ptr<CMyMenu>> subMenus_;
  std::vector<MenuItemRecord> items_;
  std::vector<QAction*> actions_;
  std::vector<std::unique_ptr<QAction>> ownActions_;  // the top level's own (the filler)
  std::vector<QAction*> replaced_;  // what ReplacePlaceholder put in
};
