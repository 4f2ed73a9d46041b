// The program's keyboard accelerators: each key of the table runs its command
// id through the main window, wherever the focus is inside it, and only while
// the main window itself has the keyboard: keys typed in a tool window are that
// window's. An edit box that has the focus keeps the editing keys it uses
// itself (Delete, the clipboard keys, Ctrl+Left and Right).
//
// Threads: user-interface thread only.
#pragma once

#include <QKeyCombination>
#include <functional>
#include <vector>

class QWidget;

struct AcceleratorEntry {
  QKeyCombination key;
  int id;
};

const std::vector<AcceleratorEntry>& AcceleratorTable();

// Makes a window shortcut on window for every key of the table, enabled while
// window is the focus window.
void InstallAccelerators(QWidget& window, const std::function<void(int id)>& run);
