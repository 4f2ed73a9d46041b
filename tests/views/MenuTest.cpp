#include <gtest/gtest.h>

#include <functional>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>
#include <set>

#include "FrameFixture.h"
#include "commands/CommandTable.h"
#include "draw/Colour.h"
#include "frame/MenuResources.h"
#include "frame/MenuStyle.h"
#include "frame/MyMenu.h"

namespace tessiro::test {
namespace {

MenuItemRecord Record(int id, const char* text, int topLevel) { return {id, text, topLevel}; }

TEST(MenuMeasure, BarItemsAreTwentyHighAndDropDownItemsEighteen) {
  struct Case {
    MenuItemRecord item;
    QSize size;
  };
  const Case cases[] = {
      {Record(0, "&File", 1), {25, 20}},
      {Record(0, "&Settings", 1), {45, 20}},
      {Record(0, "NADA", 1), {20, 20}},
      // Ampersands and the tab before the key count as characters.
      {Record(32838, "Cu&t\tCtrl+X", 0), {70, 18}},
      {Record(32842, "Select &All Snippets", 0), {5 * 20 + 15, 18}},
      {Record(0, "&Insert Loop", 0), {75, 18}},
      {Record(0, "", 0), {15, 5}},
  };
  for (const Case& c : cases) EXPECT_EQ(CMyMenu::MeasureItem(c.item), c.size) << c.item.text;
}

TEST(MenuResources, EveryBarEndsWithTheFillerAndOffersFileViewAndHelp) {
  for (int resource : {menu::kTrackViewMenu, menu::kAudioEditorMenu, menu::kLoopBankMenu}) {
    const auto& items = MenuResource(resource);
    ASSERT_GE(items.size(), 4u) << resource;
    EXPECT_STREQ(items.back().text, menu::kFillerText) << resource;
    EXPECT_STREQ(items.front().text, "&File") << resource;
    std::set<int> ids;
    std::function<void(const std::vector<MenuResourceItem>&)> collect = [&](const auto& list) {
      for (const MenuResourceItem& item : list) {
        if (item.id) {
          EXPECT_TRUE(ids.insert(item.id).second) << resource << " repeats " << item.id;
        }
        collect(item.items);
      }
    };
    collect(items);
    for (int id : {32969, 32924, 32944, 32945, 32946, 32921, menu::kAppAbout, menu::kAppExit, menu::kRecentFileFirst}) {
      EXPECT_TRUE(ids.count(id)) << resource << " lacks " << id;
    }
  }
  EXPECT_TRUE(MenuResource(131).empty());
}

TEST(MenuResources, TheInsertLoopSubmenuIsItemFifteenOfTheTrackViewsEditMenu) {
  const MenuResourceItem& edit = MenuResource(menu::kTrackViewMenu)[menu::kEditMenuPosition];
  EXPECT_STREQ(edit.text, "&Edit");
  ASSERT_GT(edit.items.size(), static_cast<size_t>(menu::kInsertLoopPosition));
  const MenuResourceItem& loops = edit.items[menu::kInsertLoopPosition];
  EXPECT_STREQ(loops.text, "&Insert Loop");
  ASSERT_EQ(loops.items.size(), 1u);
  EXPECT_EQ(loops.items[0].id, menu::kLoopBankIsEmpty);
  EXPECT_STREQ(loops.items[0].text, "Loop Bank is Empty");
}

// Every command a menu offers is one the command map knows, so none shows an
// id nothing could ever route.
TEST(MenuResources, EveryMenuItemIsACommandOfTheMap) {
  std::function<void(const std::vector<MenuResourceItem>&, int)> visit = [&](const auto& items, int resource) {
    for (const MenuResourceItem& item : items) {
      visit(item.items, resource);
      if (item.id == 0 || item.id == commands::kCloseCommand || item.id == menu::kAppExit) continue;
      if (item.id == menu::kLoopBankIsEmpty || item.id == menu::kContextLoopBankIsEmpty) continue;
      if (item.id >= menu::kRecentFileFirst && item.id <= menu::kRecentFileLast) continue;
      EXPECT_NE(commands::FindCommand(item.id), nullptr) << resource << ": " << item.id << " " << item.text;
    }
  };
  for (int resource : {menu::kTrackViewMenu, menu::kAudioEditorMenu, menu::kLoopBankMenu, menu::kTrackContextMenu}) {
    visit(MenuResource(resource), resource);
  }
}

// The right-click menu: the snippet items sit at 5..8 so that four removals at
// position 5 leave the clipboard items, Clear Selected Track and Insert Loop.
TEST(MenuResources, TheContextMenuLosesItsSnippetItemsByFourRemovalsAtFive) {
  const auto& popup = MenuResource(menu::kTrackContextMenu);
  ASSERT_EQ(popup.size(), 1u);
  std::vector<MenuResourceItem> items = popup[0].items;
  ASSERT_EQ(items.size(), 11u);
  EXPECT_STREQ(items[0].text, "Cu&t\tCtrl+X");
  items.erase(items.begin() + 5, items.begin() + 9);
  std::vector<int> ids;
  for (const auto& item : items) ids.push_back(item.id);
  EXPECT_EQ(ids, (std::vector<int>{32838, 32837, 32836, 32801, 32802, 0, 0}));
  EXPECT_STREQ(items.back().text, "&Insert Loop");
  ASSERT_EQ(items.back().items.size(), 1u);
  EXPECT_EQ(items.back().items[0].id, menu::kContextLoopBankIsEmpty);
}

TEST(MenuDraw, SelectedItemsAreWhiteOnAzureAndTheFillerIsBlank) {
  QImage image(120, 20, QImage::Format_RGB32);
  QPainter painter(&image);
  auto corner = [&](const MenuItemRecord& item, bool selected, bool enabled) {
    image.fill(Qt::black);
    CMyMenu::DrawItem(painter, item, QRect(0, 0, 120, 20), selected, enabled, true);
    return draw::FromQRgb(image.pixel(1, 1));
  };
  const MenuItemRecord cut = Record(32838, "Cu&t\tCtrl+X", 0);
  EXPECT_EQ(corner(cut, true, true), 0xFF8000u);
  EXPECT_EQ(draw::RedOf(0xFF8000), 0) << "azure, not orange";
  EXPECT_EQ(corner(cut, false, true), 0xFFFFFFu);
  EXPECT_EQ(corner(cut, true, false), 0xFFFFFFu) << "a disabled item is not highlighted";
  const MenuItemRecord filler = Record(0, "NADA", 1);
  corner(filler, true, false);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 120; ++x) ASSERT_EQ(draw::FromQRgb(image.pixel(x, y)), 0xFFFFFFu) << x << "," << y;
  }
}

TEST_F(FrameTest, TheMenuBarKeepsTheMeasuresAndFillsTheRestWhite) {
  CMainFrame& f = Make();
  f.show();
  QMenuBar* bar = f.menuBar();
  const QList<QAction*> actions = bar->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(MenuResource(menu::kTrackViewMenu).size()));
  EXPECT_EQ(bar->actionGeometry(actions[0]).size(), QSize(25, 20)) << "&File";
  EXPECT_EQ(bar->actionGeometry(actions[1]).size(), QSize(25, 20)) << "&Edit";
  EXPECT_EQ(bar->height(), 20);
  QAction* filler = actions.back();
  EXPECT_FALSE(filler->isEnabled());
  const QImage image = bar->grab().toImage();
  EXPECT_EQ(draw::FromQRgb(image.pixel(image.width() - 2, 10)), 0xFFFFFFu);
  const QRect fillerRect = bar->actionGeometry(filler);
  for (int x = fillerRect.left(); x <= fillerRect.right(); ++x) {
    ASSERT_EQ(draw::FromQRgb(image.pixel(x, 10)), 0xFFFFFFu) << "the filler shows no text at " << x;
  }
}

TEST_F(FrameTest, DropDownItemsKeepTheirMeasures) {
  CMainFrame& f = Make();
  QMenu* edit = f.trackMenu->SubMenu(menu::kEditMenuPosition)->Menu();
  edit->popup(QPoint(10, 10));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(edit));
  const QList<QAction*> actions = edit->actions();
  EXPECT_EQ(edit->actionGeometry(actions[0]).height(), 18) << "Undo";
  EXPECT_TRUE(actions[2]->isSeparator());
  EXPECT_EQ(edit->actionGeometry(actions[2]).height(), 5);
  // The widest item's measure, and room after it for the keys.
  EXPECT_GE(edit->actionGeometry(actions[0]).width(), 5 * 22 + 15) << "Join Selected Snippets";
  edit->close();
}

TEST_F(FrameTest, EachViewHasItsMenuBarAndNoneRemovesIt) {
  CMainFrame& f = Make();
  f.show();
  for (int mode : {2, 3, 1}) {
    f.SetOwnerDrawnMenu(f.MenuForView(mode));
    EXPECT_EQ(f.menuBar()->actions().size(), static_cast<qsizetype>(f.MenuForView(mode)->Actions().size()));
  }
  EXPECT_EQ(f.MenuForView(4), nullptr);
  f.SetOwnerDrawnMenu(nullptr);
  EXPECT_TRUE(f.menuBar()->actions().isEmpty());
  EXPECT_FALSE(f.menuBar()->isVisible());
}

TEST_F(FrameTest, MenuItemsRunTheirRoutesAndTheRestAreDisabled) {
  CMainFrame& f = Make();
  int news = 0;
  router.On(32969, [&] { ++news; });
  f.trackMenu->UpdateItems();
  QAction* newProject = f.trackMenu->FindAction(32969);
  QAction* open = f.trackMenu->FindAction(32924);
  ASSERT_TRUE(newProject && open);
  EXPECT_TRUE(newProject->isEnabled());
  EXPECT_FALSE(open->isEnabled()) << "not routed";
  newProject->trigger();
  EXPECT_EQ(news, 1);
}

TEST_F(FrameTest, AltAndTheUnderlinedLetterOpenAMenu) {
  CMainFrame& f = Make();
  f.show();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  QTest::keyClick(&f, Qt::Key_E, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
  auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup, f.trackMenu->SubMenu(menu::kEditMenuPosition)->Menu());
  popup->close();
}

TEST_F(FrameTest, RecentFilesTakeThePlaceOfTheirPlaceholder) {
  CMainFrame& f = Make();
  f.SetRecentFiles({"/music/a.qvk", "/music/R&B.qvk"});
  QMenu* file = f.trackMenu->SubMenu(0)->Menu();
  QStringList texts;
  for (QAction* action : file->actions()) {
    if (action->isVisible() && !action->isSeparator()) texts << action->text();
  }
  EXPECT_TRUE(texts.contains(QStringLiteral("&1 /music/a.qvk")));
  EXPECT_TRUE(texts.contains(QStringLiteral("&2 /music/R&&B.qvk")));
  EXPECT_FALSE(texts.contains(QStringLiteral("Recent File")));
  ASSERT_NE(f.loopMenu->FindAction(menu::kRecentFileFirst + 1), nullptr);
  f.SetRecentFiles({});
  EXPECT_EQ(f.trackMenu->FindAction(menu::kRecentFileFirst + 1), nullptr);
  QAction* placeholder = f.trackMenu->FindAction(menu::kRecentFileFirst);
  ASSERT_NE(placeholder, nullptr);
  EXPECT_TRUE(placeholder->isVisible());
  EXPECT_EQ(placeholder->text(), QStringLiteral("Recent File"));
}

}  // namespace
}  // namespace tessiro::test
