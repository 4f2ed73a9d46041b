// The view's tab strips and the corner pieces of its frame.
#include <QString>

#include "skin/SkinEntries.h"
#include "skin/SkinIds.h"
#include "skin/SkinPalette.h"

namespace skin {

namespace {

constexpr int kTabHeight = 21;

struct TabSpan {
  int left, right;  // columns of the strip, both included
};

// The tabs lie where the view takes their clicks, per shown editor.
struct TabStrip {
  int id, width, active;
  TabSpan spans[3];
};
constexpr TabStrip kStrips[] = {
    {kTabsTrackView, 245, 0, {{0, 89}, {90, 173}, {174, 244}}},
    {kTabsAudioEditor, 248, 1, {{0, 90}, {91, 172}, {173, 247}}},
    {kTabsLoopBank, 260, 2, {{0, 89}, {90, 173}, {174, 259}}},
};
const char* const kTabNames[3] = {"Track View", "Audio Editor", "Loop Bank"};

void DrawTab(CArt& art, const TabSpan& span, const char* name, bool active) {
  const int bottom = kTabHeight - 1;  // the row of the frame's top line
  if (active) {
    // Open to the editor below it, with the accent along its top.
    const int width = span.right - span.left + 1;
    art.Fill(span.left, 0, width, kTabHeight, kEditorGround);
    art.VLine(span.left, 0, kTabHeight, kFrame);
    art.VLine(span.right, 0, kTabHeight, kFrame);
    art.HLine(span.left, 0, width, kAccent);
    art.HLine(span.left + 1, 1, width - 2, kAccent);
    art.Pixel(span.left, 0, draw::Blend(kAccent, kViewGround, 128));
    art.Pixel(span.right, 0, draw::Blend(kAccent, kViewGround, 128));
    art.Text(span.left, 2, width, bottom - 2, QString::fromLatin1(name), {11, true}, kText, Qt::AlignCenter);
    return;
  }
  // Set apart from its neighbours by a column of ground on each side; its bottom
  // edge falls below the strip, where the frame's line takes over.
  const int left = span.left + 1;
  const int width = span.right - span.left - 1;
  art.Panel(left, 3, width, bottom - 3 + 2, kTab, kFrame, kViewGround);
  art.Text(left, 4, width, bottom - 4, QString::fromLatin1(name), {11, false}, kQuietText, Qt::AlignCenter);
}

SkinEntry Strip(const TabStrip& strip) {
  return {strip.id, strip.width, kTabHeight, false, [strip](CArt& art) {
            art.Fill(kViewGround);
            for (int k = 0; k < 3; ++k) {
              if (k != strip.active) DrawTab(art, strip.spans[k], kTabNames[k], false);
            }
            // The frame's top line runs under the tabs not shown.
            art.HLine(0, kTabHeight - 1, strip.width, kFrame);
            DrawTab(art, strip.spans[strip.active], kTabNames[strip.active], true);
          }};
}

// Corner pixels by rows: 'f' frame, 'w' white, 'g' ground, 's' the softened corner.
SkinEntry Corner(int id, int width, int height, const char* rows) {
  return {id, width, height, false, [=](CArt& art) {
            for (int y = 0; y < height; ++y) {
              for (int x = 0; x < width; ++x) {
                const char code = rows[y * width + x];
                art.Pixel(x, y,
                          code == 'f'   ? kFrame
                          : code == 'w' ? kWhite
                          : code == 's' ? draw::Blend(kFrame, kViewGround, 150)
                                        : kViewGround);
              }
            }
          }};
}

}  // namespace

std::vector<SkinEntry> ViewSkins() {
  std::vector<SkinEntry> entries;
  for (const TabStrip& strip : kStrips) entries.push_back(Strip(strip));
  // Each corner covers where the frame's lines meet, the white bands inside them
  // and the ground outside, and rounds the meeting pixel off.
  entries.push_back(Corner(kCornerTopRight, 3, 5, "ggg" "fsg" "wfg" "wfg" "wfg"));
  entries.push_back(Corner(kCornerBottomRight, 3, 5, "wwf" "wwf" "wwf" "wwf" "ffs"));
  entries.push_back(Corner(kCornerBottomLeft, 3, 3, "fww" "fww" "sff"));
  return entries;
}

}  // namespace skin
