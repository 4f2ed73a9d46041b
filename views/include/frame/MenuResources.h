// The menus of the three views as the program loads them: one menu bar per
// view, ids as the command router knows them, texts with their mnemonics and
// the keys shown after a tab.
#pragma once

#include <vector>

struct MenuResourceItem {
  int id;            // 0 for a separator or a drop-down
  const char* text;  // null for a separator
  std::vector<MenuResourceItem> items;  // a drop-down's items
};

namespace menu {
constexpr int kTrackViewMenu = 130;
constexpr int kAudioEditorMenu = 132;
constexpr int kLoopBankMenu = 133;
constexpr int kTrackContextMenu = 200;
// The context menu's Insert Loop placeholder.
constexpr int kContextLoopBankIsEmpty = 32831;

// The last item of every menu bar, which only fills the rest of the bar.
constexpr const char* kFillerText = "NADA";
// The Insert Loop submenu of the Track View's Edit menu, and its placeholder.
constexpr int kEditMenuPosition = 1;
constexpr int kInsertLoopPosition = 15;
constexpr int kLoopBankIsEmpty = 32839;
// The recent files of the File menus, and Exit.
constexpr int kRecentFileFirst = 57616;
constexpr int kRecentFileLast = 57631;
constexpr int kAppExit = 57665;
constexpr int kAppAbout = 57664;
}  // namespace menu

// The top-level items of a menu resource; empty for an unknown id.
const std::vector<MenuResourceItem>& MenuResource(int resourceId);
