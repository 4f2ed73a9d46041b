#include "view/TabStrip.h"

#include "skin/SkinIds.h"

namespace view {

namespace {

// Columns of the three tabs per shown mode, both ends included; the shown tab
// is drawn wider than the others, so the boundaries move with it.
struct TabSpans {
  int trackLast;   // the Track View tab runs from the strip's x to here
  int editorLast;  // the Audio Editor tab runs on to here
  int stripLast;   // the Loop Bank tab runs on to here
};

TabSpans SpansFor(int mode) {
  switch (mode) {
    case 2: return {96, 178, 254};
    case 3: return {95, 179, 254};
    default: return {95, 179, 251};
  }
}

}  // namespace

TabStripPicture TabStripFor(int mode) {
  switch (mode) {
    case 2: return {skin::kTabsAudioEditor, 248};
    case 3: return {skin::kTabsLoopBank, 260};
    default: return {skin::kTabsTrackView, 245};
  }
}

std::optional<int> TabClickTarget(int shownMode, int x, int y) {
  const TabSpans spans = SpansFor(shownMode);
  if (y < kTabStripY || y > kTabStripY + kTabStripHeight || x < kTabStripX || x > spans.stripLast) {
    return std::nullopt;
  }
  const int clicked = x <= spans.trackLast ? 1 : x <= spans.editorLast ? 2 : 3;
  return clicked == shownMode ? 0 : clicked;
}

}  // namespace view
