// The tab strip above the editors: which picture shows for each view mode and
// where its tabs take clicks. Pure arithmetic, so every span is testable
// without a window.
#pragma once

#include <optional>

namespace view {

constexpr int kTabStripX = 6;
constexpr int kTabStripY = 3;
constexpr int kTabStripHeight = 21;

struct TabStripPicture {
  int skinId;
  int width;
};

// The strip drawn while mode (1..3) is shown; mode 1's for any other value.
TabStripPicture TabStripFor(int mode);

// What a left click at client point (x, y) does while mode is shown: no value
// when it is no tab click (it then goes to the editor), 0 for a click on the
// tab already shown, else the mode whose tab was clicked.
std::optional<int> TabClickTarget(int shownMode, int x, int y);

}  // namespace view
