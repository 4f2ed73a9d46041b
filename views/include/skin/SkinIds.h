// The ids of the skin's bitmaps: the resource ids the views and toolbars draw
// by, plus a few of our own (9000 on) for pictures no view names by id.
#pragma once

namespace skin {

enum SkinId : int {
  // Upper toolbar: strips of 11 cells of 65 x 31, and the separator line.
  kUpperNormal = 319,
  kUpperHot = 324,
  kUpperPressed = 322,
  kUpperDisabled = 323,
  kUpperSeparator = 321,
  // Track View lower toolbar: strips of 6 cells of 50 x 26, and its two labels.
  kTrackBarNormal = 330,
  kTrackBarHot = 331,
  kTrackBarPressed = 329,
  kTrackBarDisabled = 335,
  kTrackBarPositionLabel = 328,
  kTrackBarLengthLabel = 327,
  // Audio Editor lower toolbar: strips of 6 cells of 50 x 26, and its label strip.
  kEditorBarNormal = 348,
  kEditorBarHot = 354,
  kEditorBarPressed = 355,
  kEditorBarDisabled = 353,
  kEditorBarLabels = 352,
  // Loop Bank lower toolbar: its one button.
  kLoopBar = 280,
  // The skinned buttons (17 x 18): "+" for fewer rows and zoom in, "-" for more rows
  // and zoom out, and the whole project or the whole audio.
  kPlusNormal = 341,
  kPlusHot = 342,
  kPlusPressed = 343,
  kMinusNormal = 337,
  kMinusHot = 344,
  kMinusPressed = 345,
  kWholeNormal = 338,
  kWholeHot = 339,
  kWholePressed = 340,
  // The view's tab strips (one per shown editor) and the frame's corner pieces.
  kTabsTrackView = 158,
  kTabsAudioEditor = 162,
  kTabsLoopBank = 170,
  kCornerBottomLeft = 160,
  kCornerBottomRight = 161,
  kCornerTopRight = 159,
  // Track View.
  kTrackHeader = 131,
  kLoopTrackMark = 261,
  kTrackBody = 133,
  kTrackBodySelected = 183,
  kTrackUnderline = 132,
  kTrackNumbers = 143,
  kSelectionTop = 179,
  kSelectionBottom = 180,
  kSelectionLeft = 181,
  kSelectionRight = 182,
  kTempoPanel = 163,
  kRulerEnd = 152,
  kRulerTile = 151,
  kRulerTick = 153,
  kRulerSubTick = 154,
  kRulerLabel = 156,
  // Audio Editor: the frame's corners and edges, the channel labels.
  kEditorTopLeft = 208,
  kEditorTopRight = 205,
  kEditorBottomRight = 207,
  kEditorBottomLeft = 206,
  kEditorTop = 209,
  kEditorBottom = 210,
  kEditorLeft = 211,
  kEditorRight = 212,
  kChannelUpper = 220,
  kChannelLower = 219,
  // Loop Bank.
  kLoopHeader = 167,
  kLoopBody = 166,
  kLoopUnderline = 165,
  kLoopNumbers = 169,
  // Ours: the progress bar's built-in skin, the about box's picture, and the
  // pictures of the arm-a-track and driver notices.
  kProgressSkin = 9000,
  kAboutPicture = 9001,
  kArmPicture = 9002,
  kDriverPicture = 9003,
};

// Cells of the toolbar strips.
constexpr int kUpperCellWidth = 65;
constexpr int kUpperCellHeight = 31;
constexpr int kUpperCells = 11;
constexpr int kLowerCellWidth = 50;
constexpr int kLowerCellHeight = 26;
constexpr int kLowerCells = 6;
// The number sheets: cells of 14 x 10, 8 to a row.
constexpr int kNumberCellWidth = 14;
constexpr int kNumberCellHeight = 10;
constexpr int kNumbersPerRow = 8;

}  // namespace skin
