#include "controls/SkinProgress.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <memory>

#include "skin/SkinPalette.h"

using draw::COLORREF;

namespace {

// Nine pieces of 10 x 20, each its own colour: piece k is (20 k, 100, 200).
constexpr COLORREF PieceColour(int k) { return draw::Rgb(20 * k, 100, 200); }

QImage NinePieceSkin(bool maskCorner = false) {
  QImage skin(90, 20, QImage::Format_RGB32);
  for (int k = 0; k < 9; ++k) {
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 10; ++x) skin.setPixel(10 * k + x, y, draw::ToQRgb(PieceColour(k)));
    }
  }
  if (maskCorner) skin.setPixel(0, 0, draw::ToQRgb(skin::kMaskColour));
  return skin;
}

// The piece whose colour a pixel of the bar shows, or -1.
int PieceAt(const CSkinProgress& bar, int along) {
  const COLORREF c = bar.IsVertical() ? bar.Bar().Pixel(10, along) : bar.Bar().Pixel(along, 10);
  for (int k = 0; k < 9; ++k) {
    if (c == PieceColour(k)) return k;
  }
  return -1;
}

class SkinProgress : public ::testing::Test {
 protected:
  // A bar 200 long inside its one-pixel edge, with pieces of 10: p = 10, L = 200.
  std::unique_ptr<CSkinProgress> Make(int upper, int reverse = 0, bool vertical = false, QWidget* text = nullptr,
                                      int textMode = 0, bool mask = false) {
    covered_ = new QLabel(&dialog_);
    covered_->setGeometry(vertical ? QRect(10, 10, 22, 202) : QRect(10, 10, 202, 22));
    skin_ = NinePieceSkin(mask);
    return std::make_unique<CSkinProgress>(covered_, upper, &skin_, reverse, text, QStringLiteral("Working"),
                                           textMode);
  }

  QWidget dialog_;
  QLabel* covered_ = nullptr;
  QImage skin_;
};

}  // namespace

TEST_F(SkinProgress, TakesThePlaceOfTheControlItCovers) {
  auto bar = Make(100);
  EXPECT_EQ(bar->parentWidget(), &dialog_);
  EXPECT_EQ(bar->geometry(), covered_->geometry());
  EXPECT_EQ(bar->PieceLength(), 10);
  EXPECT_EQ(bar->Bar().Width(), 200);
  EXPECT_EQ(bar->cursor().shape(), Qt::WaitCursor);
  // It follows the control when that moves.
  covered_->setGeometry(20, 40, 302, 22);
  bar->Refresh();
  EXPECT_EQ(bar->geometry(), covered_->geometry());
  EXPECT_EQ(bar->LengthPixels(), 290);
}

TEST_F(SkinProgress, EndPixelsAtRangesAndReversed) {
  struct Case {
    int lower, upper, pos, reverse;
    int startPixel, endPixel;
  } cases[] = {
      {0, 100, 50, 0, 0, 100},   {0, 100, 100, 0, 0, 190},  {0, 100, 0, 0, 0, 10},    {0, 100, 150, 0, 0, 190},
      {-50, 50, 0, 0, 90, 100},  // the filled part begins at start, 0   {0, 1000, 1, 0, 0, 10},    {0, 100, 50, 1, 90, 190}, {0, 100, 100, 1, 0, 190},
      {0, 100, 0, 1, 180, 190},  {20, 20, 20, 0, 0, 10},    // an empty range fills nothing, and divides by nothing
  };
  for (const Case& c : cases) {
    auto bar = Make(100, c.reverse);
    bar->SetRange(c.lower, c.upper);
    bar->SetPos(c.pos);
    EXPECT_EQ(bar->LengthPixels(), 190);
    EXPECT_EQ(bar->StartPixel(), c.startPixel) << c.lower << ".." << c.upper << " at " << c.pos;
    EXPECT_EQ(bar->EndPixel(), c.endPixel) << c.lower << ".." << c.upper << " at " << c.pos;
  }
}

// Which piece lies where along the bar, forwards, reversed and standing.
TEST_F(SkinProgress, PiecesLieWhereThePositionsSay) {
  struct Case {
    int reverse;
    bool vertical;
    int along, piece;
  } cases[] = {
      {0, false, 5, 2},   {0, false, 45, 4},  {0, false, 55, 3},  {0, false, 105, 5}, {0, false, 115, 6},
      {0, false, 150, 7}, {0, false, 195, 8}, {1, false, 5, 0},   {1, false, 85, 1},  {1, false, 95, 2},
      {1, false, 150, 4}, {1, false, 195, 5}, {0, true, 5, 2},    {0, true, 105, 5},  {0, true, 195, 8},
  };
  for (const Case& c : cases) {
    auto bar = Make(100, c.reverse, c.vertical);
    bar->SetPos(50);
    EXPECT_EQ(PieceAt(*bar, c.along), c.piece) << "reverse " << c.reverse << " vertical " << c.vertical << " at "
                                               << c.along;
  }
}

TEST_F(SkinProgress, TheMaskColourShowsWhatLiesUnderTheBar) {
  // Forwards, piece 2 covers piece 0 at the start; reversed, piece 0 is what lies at 0.
  auto reversed = Make(100, 1, false, nullptr, 0, true);
  reversed->SetPos(50);
  EXPECT_EQ(reversed->Bar().Pixel(0, 0), draw::FromQColor(reversed->palette().window().color()));
  EXPECT_EQ(reversed->Bar().Pixel(1, 0), PieceColour(0));
}

TEST_F(SkinProgress, RangeRescalingKeepsThePositionInProportion) {
  auto bar = Make(100);
  bar->SetPos(50);
  bar->SetRange(0, 200, 1, 1);
  EXPECT_EQ(bar->GetPos(), 100);
  EXPECT_EQ(bar->EndPixel(), 100);
  bar->SetRange(0, 200, 1, 0);
  EXPECT_EQ(bar->GetPos(), 100);
  EXPECT_EQ(bar->SetPos(-5), 100);  // the previous position, and a clamp to lower
  EXPECT_EQ(bar->GetPos(), 0);
  bar->SetRange(0, 0);
  bar->SetRange(0, 100, 1, 1);  // from an empty range: to lower
  EXPECT_EQ(bar->GetPos(), 0);
}

TEST_F(SkinProgress, WritesItsTextAndGivesTheOldOneBack) {
  QLabel text(QStringLiteral("before"), &dialog_);
  text.setGeometry(10, 40, 400, 20);
  {
    auto bar = Make(100, 0, false, &text, 1);
    bar->SetPos(50);
    EXPECT_EQ(text.text(), QStringLiteral("Working (50%)"));
    bar->SetPos(75);
    EXPECT_EQ(text.text(), QStringLiteral("Working (75%)"));
  }
  EXPECT_EQ(text.text(), QStringLiteral("before"));
  auto quiet = Make(100, 0, false, &text, 0);
  quiet->SetPos(30);
  EXPECT_EQ(text.text(), QStringLiteral("Working"));
}

TEST_F(SkinProgress, BuiltInSkinFitsTheBarsThickness) {
  covered_ = new QLabel(&dialog_);
  covered_->setGeometry(0, 0, 302, 20);
  CSkinProgress bar(covered_, 100);
  bar.SetPos(50);
  ASSERT_GT(bar.PieceLength(), 0);
  EXPECT_EQ(bar.Bar().Height(), 18);
  EXPECT_EQ(bar.Bar().Pixel(50, 9), skin::kAccent);
  EXPECT_EQ(bar.Bar().Pixel(250, 9), skin::kWhite);
  EXPECT_EQ(bar.Bar().Pixel(250, 0), skin::kFrame);
}
