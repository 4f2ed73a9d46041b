#include "skin/SkinFactory.h"

#include <gtest/gtest.h>

#include <set>

#include "skin/SkinPalette.h"

using namespace skin;
using draw::CBitmap;
using draw::COLORREF;

namespace {

// Pixels of a bitmap's rectangle that differ from another bitmap's.
int DifferingPixels(const CBitmap& a, const CBitmap& b, int x, int width, int height) {
  int count = 0;
  for (int y = 0; y < height; ++y) {
    for (int column = x; column < x + width; ++column) count += a.Pixel(column, y) != b.Pixel(column, y);
  }
  return count;
}

}  // namespace

// The sizes the views place the bitmaps by.
TEST(Skin, EveryBitmapHasTheSizeItIsPlacedBy) {
  struct Pinned {
    int id, width, height;
  } pinned[] = {
      {319, 715, 31}, {324, 715, 31}, {322, 715, 31}, {323, 715, 31}, {321, 1, 35},  {330, 300, 26},
      {331, 300, 26}, {329, 300, 26}, {335, 300, 26}, {348, 300, 26}, {354, 300, 26}, {355, 300, 26},
      {353, 300, 26}, {328, 86, 11},  {327, 49, 9},   {352, 237, 12}, {280, 59, 21},  {341, 17, 18},
      {342, 17, 18},  {343, 17, 18},  {337, 17, 18},  {344, 17, 18},  {345, 17, 18},  {338, 17, 18},
      {339, 17, 18},  {340, 17, 18},  {158, 245, 21}, {162, 248, 21}, {170, 260, 21}, {160, 3, 3},
      {161, 3, 5},    {159, 3, 5},    {131, 189, 43}, {261, 15, 14},  {133, 189, 24}, {183, 189, 24},
      {132, 189, 3},  {143, 112, 30}, {179, 189, 3},  {180, 189, 3},  {181, 3, 43},   {182, 3, 43},
      {163, 189, 37}, {152, 1, 20},   {151, 50, 20},  {153, 1, 5},    {154, 1, 3},    {156, 80, 10},
      {208, 13, 11},  {205, 13, 11},  {207, 13, 11},  {206, 13, 11},  {209, 12, 11},  {210, 12, 12},
      {211, 14, 12},  {212, 14, 12},  {220, 7, 59},   {219, 7, 66},   {167, 189, 43}, {166, 189, 24},
      {165, 189, 3},  {169, 112, 40},
  };
  std::set<int> ids;
  for (const int id : CSkinFactory::Ids()) ids.insert(id);
  for (const Pinned& p : pinned) {
    EXPECT_TRUE(ids.count(p.id)) << p.id;
    const CBitmap& bitmap = CSkinFactory::Get(p.id);
    EXPECT_EQ(bitmap.Width(), p.width) << p.id;
    EXPECT_EQ(bitmap.Height(), p.height) << p.id;
    const CBitmap& sharp = CSkinFactory::Get(p.id, 2.0);
    EXPECT_EQ(sharp.Width(), p.width) << p.id;
    EXPECT_EQ(sharp.Image().size(), QSize(2 * p.width, 2 * p.height)) << p.id;
  }
  EXPECT_TRUE(CSkinFactory::Get(12345).IsNull());
  EXPECT_TRUE(CSkinFactory::Size(12345).isEmpty());
}

TEST(Skin, EveryButtonStateLooksDifferentInEveryCell) {
  struct Family {
    int states[4];
    int cells, cellWidth, height;
  } families[] = {
      {{kUpperNormal, kUpperHot, kUpperPressed, kUpperDisabled}, 11, 65, 31},
      {{kTrackBarNormal, kTrackBarHot, kTrackBarPressed, kTrackBarDisabled}, 5, 50, 26},
      {{kEditorBarNormal, kEditorBarHot, kEditorBarPressed, kEditorBarDisabled}, 6, 50, 26},
      {{kPlusNormal, kPlusHot, kPlusPressed, 0}, 1, 17, 18},
      {{kMinusNormal, kMinusHot, kMinusPressed, 0}, 1, 17, 18},
      {{kWholeNormal, kWholeHot, kWholePressed, 0}, 1, 17, 18},
  };
  for (const Family& f : families) {
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) {
        if (!f.states[a] || !f.states[b]) continue;
        for (int cell = 0; cell < f.cells; ++cell) {
          EXPECT_GT(DifferingPixels(CSkinFactory::Get(f.states[a]), CSkinFactory::Get(f.states[b]),
                                    cell * f.cellWidth, f.cellWidth, f.height),
                    20)
              << f.states[a] << " against " << f.states[b] << ", cell " << cell;
        }
      }
    }
  }
}

// The frame's top line runs along the strip's last row, except under the tab of
// the editor shown, which opens onto it.
TEST(Skin, TabStripsOpenOnlyUnderTheShownTab) {
  struct Strip {
    int id;
    int shown[2];     // a column inside the shown tab, both ends excluded
    int hidden[4];    // columns inside the other two tabs
  } strips[] = {
      {kTabsTrackView, {1, 88}, {92, 172, 176, 243}},
      {kTabsAudioEditor, {92, 171}, {2, 89, 175, 246}},
      {kTabsLoopBank, {175, 258}, {2, 88, 92, 172}},
  };
  for (const Strip& s : strips) {
    const CBitmap& strip = CSkinFactory::Get(s.id);
    for (const int x : s.shown) EXPECT_EQ(strip.Pixel(x, 20), kEditorGround) << s.id << " x " << x;
    for (const int x : s.hidden) EXPECT_EQ(strip.Pixel(x, 20), kFrame) << s.id << " x " << x;
    EXPECT_EQ(strip.Pixel(strip.Width() - 1, 20), kFrame) << s.id;  // the last tab's right side
  }
  // The strip's first column carries the frame's left line up from the editor.
  EXPECT_EQ(CSkinFactory::Get(kTabsTrackView).Pixel(0, 20), kFrame);
  EXPECT_EQ(CSkinFactory::Get(kTabsAudioEditor).Pixel(0, 20), kFrame);
}

// Where each piece meets the lines the view draws: its frame columns and rows,
// the white bands inside them, the ground outside.
TEST(Skin, FrameCornersJoinTheViewsLines) {
  struct Pixel {
    int id, x, y;
    COLORREF colour;
  } pixels[] = {
      {kCornerTopRight, 0, 1, kFrame},     {kCornerTopRight, 1, 2, kFrame},  {kCornerTopRight, 1, 4, kFrame},
      {kCornerTopRight, 0, 3, kWhite},     {kCornerTopRight, 2, 3, kViewGround}, {kCornerTopRight, 1, 0, kViewGround},
      {kCornerBottomRight, 2, 0, kFrame},  {kCornerBottomRight, 2, 3, kFrame}, {kCornerBottomRight, 0, 4, kFrame},
      {kCornerBottomRight, 1, 2, kWhite},  {kCornerBottomLeft, 0, 0, kFrame}, {kCornerBottomLeft, 2, 2, kFrame},
      {kCornerBottomLeft, 1, 1, kWhite},
  };
  for (const Pixel& p : pixels) EXPECT_EQ(CSkinFactory::Get(p.id).Pixel(p.x, p.y), p.colour) << p.id;
}

// The Audio Editor's border runs along the frame rectangle's first and last
// columns and rows, whichever piece draws it: the right edge stands 2 pixels
// further right than the corners, so its border is its twelfth column.
TEST(Skin, EditorFramePiecesCarryOneContinuousBorder) {
  struct Line {
    int id;
    bool column;  // a column of the piece, else a row
    int at, from, to;
  } lines[] = {
      {kEditorTopLeft, true, 0, 4, 10},   {kEditorTopLeft, false, 0, 4, 12},    {kEditorTop, false, 0, 0, 11},
      {kEditorTopRight, false, 0, 0, 8},  {kEditorTopRight, true, 12, 4, 10},   {kEditorLeft, true, 0, 0, 11},
      {kEditorRight, true, 11, 0, 11},    {kEditorBottomLeft, true, 0, 0, 6},   {kEditorBottomLeft, false, 10, 4, 12},
      {kEditorBottom, false, 11, 0, 11},  {kEditorBottomRight, false, 10, 0, 8}, {kEditorBottomRight, true, 12, 0, 6},
  };
  for (const Line& l : lines) {
    const CBitmap& piece = CSkinFactory::Get(l.id);
    for (int k = l.from; k <= l.to; ++k) {
      EXPECT_EQ(l.column ? piece.Pixel(l.at, k) : piece.Pixel(k, l.at), kFrame) << l.id << " at " << k;
    }
  }
  EXPECT_EQ(CSkinFactory::Get(kEditorRight).Pixel(12, 5), kEditorGround);
  EXPECT_EQ(CSkinFactory::Get(kEditorRight).Pixel(13, 5), kEditorGround);
  EXPECT_EQ(CSkinFactory::Get(kEditorRight).Pixel(10, 5), kPanel);
  EXPECT_EQ(CSkinFactory::Get(kEditorTopLeft).Pixel(6, 6), kPanel);
  EXPECT_EQ(CSkinFactory::Get(kEditorTopLeft).Pixel(0, 0), kEditorGround);
}

// A selected row's border: the pieces and the selected body tile meet in one line.
TEST(Skin, SelectionPiecesContinueTheSelectedBody) {
  const CBitmap& body = CSkinFactory::Get(kTrackBodySelected);
  for (const int x : {0, 1, 187, 188}) EXPECT_EQ(body.Pixel(x, 10), kAccent) << x;
  EXPECT_EQ(body.Pixel(2, 10), kCard);
  for (const int x : {0, 1}) EXPECT_EQ(CSkinFactory::Get(kSelectionLeft).Pixel(x, 20), kAccent);
  for (const int x : {1, 2}) EXPECT_EQ(CSkinFactory::Get(kSelectionRight).Pixel(x, 20), kAccent);
  for (const int y : {0, 1}) EXPECT_EQ(CSkinFactory::Get(kSelectionTop).Pixel(90, y), kAccent);
  for (const int y : {1, 2}) EXPECT_EQ(CSkinFactory::Get(kSelectionBottom).Pixel(90, y), kAccent);
  EXPECT_EQ(CSkinFactory::Get(kTrackBody).Pixel(0, 10), kFrame);
  EXPECT_EQ(CSkinFactory::Get(kTrackUnderline).Pixel(90, 2), kFrame);
}

TEST(Skin, ProgressSkinHasNinePiecesWithMaskedEnds) {
  for (const int thickness : {12, 18, 30}) {
    const CBitmap skin = CSkinFactory::ProgressSkin(thickness, 1.0);
    ASSERT_EQ(skin.Height(), thickness);
    ASSERT_EQ(skin.Width() % 9, 0);
    const int p = skin.Width() / 9;
    const int middle = thickness / 2;
    EXPECT_EQ(skin.Pixel(4 * p + p / 2, middle), kAccent);   // the filled part
    EXPECT_EQ(skin.Pixel(7 * p + p / 2, middle), kWhite);    // the empty track
    EXPECT_EQ(skin.Pixel(7 * p + p / 2, 0), kFrame);         // its border
    for (const int end : {0, 2}) EXPECT_EQ(skin.Pixel(end * p, 0), kMaskColour) << thickness;
    for (const int end : {5, 8}) EXPECT_EQ(skin.Pixel(end * p + p - 1, thickness - 1), kMaskColour) << thickness;
  }
}

TEST(Skin, ProgramIconIsARoundedTileAtEverySize) {
  for (const int pixels : {16, 32, 48, 256}) {
    const QImage icon = CSkinFactory::ProgramIconImage(pixels);
    ASSERT_EQ(icon.size(), QSize(pixels, pixels));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << pixels;
    EXPECT_EQ(qAlpha(icon.pixel(pixels - 1, pixels - 1)), 0) << pixels;
    // Near the edge, between the bars and the corner: the azure of the tile.
    EXPECT_EQ(icon.pixel(pixels / 2, pixels / 8 + 1), draw::ToQRgb(kAccent)) << pixels;
  }
  EXPECT_FALSE(CSkinFactory::ProgramIcon().isNull());
}
