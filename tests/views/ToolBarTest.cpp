#include <gtest/gtest.h>

#include <QTest>

#include "FrameFixture.h"
#include "controls/MyEdit.h"
#include "draw/Canvas.h"
#include "frame/LoopToolBar.h"
#include "frame/PositionSlider.h"
#include "frame/ToolBarEditorLower.h"
#include "frame/ToolBarTrackLower.h"
#include "frame/ToolBarUpper.h"
#include "Generic.h"
#include "skin/SkinFactory.h"

namespace tessiro::test {
namespace {

// Cell k of a strip as it looks on the bar's white ground.
draw::CBitmap CellOf(int strip, int k, QSize cell) {
  draw::CBitmap expected(cell.width(), cell.height(), 1.0, 0xFFFFFF);
  draw::CCanvas canvas(expected);
  canvas.Blit(0, 0, cell.width(), cell.height(), CSkinFactory::Get(strip), k * cell.width(), 0);
  return expected;
}

// Whether the bar shows exactly that cell centred in the button of the id.
::testing::AssertionResult ShowsCell(const CSkinToolBar& bar, int id, int strip, int k) {
  draw::CBitmap rendered(bar.width(), bar.height());
  bar.Render(rendered);
  const QRect button = bar.FindItem(id)->rect;
  const QSize cell = bar.Cell();
  const int x0 = button.x() + (button.width() - cell.width()) / 2;
  const int y0 = button.y() + (button.height() - cell.height()) / 2;
  const draw::CBitmap expected = CellOf(strip, k, cell);
  for (int y = 0; y < cell.height(); ++y) {
    for (int x = 0; x < cell.width(); ++x) {
      if (rendered.Pixel(x0 + x, y0 + y) != expected.Pixel(x, y)) {
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " of the cell of " << id;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(ToolBarLayout, SpacersAndSlotsBecomeSeparatorsOfTheirWidths) {
  CMyToolBarUpper upper;
  // Buttons are their cell plus 7; separators 6 unless given.
  struct Case {
    const CSkinToolBar& bar;
    int id;
    int x;
    int width;
  };
  CCommandRouter router;
  ScriptedServices seams;
  FrameContext context{seams.ui, seams.profile, router};
  CMyToolBarTrackLower track(context);
  CMyToolBarEditorLower editor(context);
  const Case cases[] = {
      {upper, 32879, 0, 10},   {upper, 32969, 10, 72},  {upper, 32921, 10 + 10 * 72 + 3 * 6, 72},
      {track, 32879, 0, 5},    {track, 32971, 5, 90},   {track, 32880, 95, 80},
      {track, 32972, 180, 70}, {track, 32883, 250, 80}, {track, 32834, 341, 57},
      {track, 32886, 341 + 5 * 57 + 6, 57},
      {editor, 32979, 10, 80}, {editor, 32983, 180, 80}, {editor, 32986, 260, 57}, {editor, 32991, 260 + 5 * 57, 57},
  };
  for (const Case& c : cases) {
    const CSkinToolBar::Item* item = c.bar.FindItem(c.id);
    ASSERT_NE(item, nullptr) << c.id;
    EXPECT_EQ(item->rect.x(), c.x) << c.id;
    EXPECT_EQ(item->rect.width(), c.width) << c.id;
  }
  EXPECT_EQ(track.positionBox->geometry(), QRect(100, 7, 76, 19));
  EXPECT_EQ(track.lengthBox->geometry(), QRect(255, 7, 76, 19));
  EXPECT_EQ(editor.startBox->geometry(), QRect(5, 14, 76, 18));
  EXPECT_EQ(editor.endBox->geometry(), QRect(90, 14, 76, 18));
  EXPECT_EQ(editor.sizeBox->geometry(), QRect(175, 14, 76, 18));
  for (CMyEdit* box : {track.positionBox, track.lengthBox, editor.startBox, editor.endBox, editor.sizeBox}) {
    EXPECT_EQ(box->text(), QStringLiteral("00:00.000"));
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(box->GetTextColour(), 0x323232u);
    EXPECT_EQ(box->GetBackgroundColour(), 0xFFFFFFu);
  }
}

TEST(ToolBarPaint, EachButtonShowsItsCellInTheStripOfItsState) {
  CCommandRouter router;
  router.On(32969, [] {});
  router.On(32921, [] {});
  CMyToolBarUpper upper;
  upper.resize(upper.sizeHint());
  upper.SetRouter(&router);
  // New is the first drawn button, Help the eleventh; Open is not routed.
  EXPECT_TRUE(ShowsCell(upper, 32969, 319, 0));
  EXPECT_TRUE(ShowsCell(upper, 32924, 323, 1));
  EXPECT_TRUE(ShowsCell(upper, 32921, 319, 10));
  upper.show();
  const QRect help = upper.FindItem(32921)->rect;
  QTest::mouseMove(&upper, help.center());
  EXPECT_EQ(upper.HotItemId(), 32921);
  EXPECT_TRUE(ShowsCell(upper, 32921, 324, 10));
  QTest::mousePress(&upper, Qt::LeftButton, {}, help.center());
  EXPECT_TRUE(ShowsCell(upper, 32921, 322, 10));
  // A disabled button is never hot.
  QTest::mouseMove(&upper, upper.FindItem(32924)->rect.center());
  EXPECT_EQ(upper.HotItemId(), 0);
}

TEST(ToolBarPaint, TheUpperBarDrawsALineInEverySeparator) {
  CMyToolBarUpper upper;
  upper.resize(upper.sizeHint());
  draw::CBitmap rendered(upper.width(), upper.height());
  upper.Render(rendered);
  const draw::CBitmap& line = CSkinFactory::Get(CMyToolBarUpper::kSeparatorLine);
  ASSERT_EQ(line.Width(), 1);
  ASSERT_EQ(line.Height(), 35);
  int separators = 0;
  for (const CSkinToolBar::Item& item : upper.Items()) {
    if (!item.separator) continue;
    ++separators;
    for (int y = 0; y < 35; ++y) {
      ASSERT_EQ(rendered.Pixel(item.rect.left() + 2, item.rect.top() + 2 + y), line.Pixel(0, y)) << item.rect.left();
    }
    EXPECT_EQ(rendered.Pixel(item.rect.left() + 4, item.rect.top() + 2), 0xFFFFFFu);
  }
  EXPECT_EQ(separators, 4);
}

TEST(ToolBarPaint, LowerBarsDrawTheirLabelsWhereTheyBelong) {
  CCommandRouter router;
  ScriptedServices seams;
  FrameContext context{seams.ui, seams.profile, router};
  struct Case {
    CSkinToolBar* bar;
    int label;
    QPoint at;
  };
  CMyToolBarTrackLower track(context);
  CMyToolBarEditorLower editor(context);
  for (const Case& c : {Case{&track, 328, {7, 12}}, Case{&track, 327, {200, 12}}, Case{&editor, 352, {8, 1}}}) {
    c.bar->resize(800, c.bar->sizeHint().height());
    draw::CBitmap rendered(c.bar->width(), c.bar->height());
    c.bar->Render(rendered);
    const draw::CBitmap& label = CSkinFactory::Get(c.label);
    draw::CBitmap expected(label.Width(), label.Height());
    draw::CCanvas(expected).Blit(0, 0, label);
    for (int y = 0; y < label.Height(); ++y) {
      for (int x = 0; x < label.Width(); ++x) {
        ASSERT_EQ(rendered.Pixel(c.at.x() + x, c.at.y() + y), expected.Pixel(x, y)) << c.label << " " << x << "," << y;
      }
    }
  }
}

TEST(ToolBarPaint, ThePlainLoopBarFadesItsDisabledButton) {
  CCommandRouter router;
  CLoopToolBar loop;
  loop.resize(200, loop.sizeHint().height());
  loop.SetRouter(&router);
  draw::CBitmap disabled(loop.width(), loop.height());
  loop.Render(disabled);
  router.On(CLoopToolBar::kButton, [] {});
  loop.UpdateButtons();
  EXPECT_TRUE(ShowsCell(loop, CLoopToolBar::kButton, CLoopToolBar::kResource, 0));
  const QRect r = loop.FindItem(CLoopToolBar::kButton)->rect;
  int lighter = 0, darker = 0;
  draw::CBitmap enabled(loop.width(), loop.height());
  loop.Render(enabled);
  for (int y = r.top(); y <= r.bottom(); ++y) {
    for (int x = r.left(); x <= r.right(); ++x) {
      const draw::COLORREF a = disabled.Pixel(x, y), b = enabled.Pixel(x, y);
      const int sumA = draw::RedOf(a) + draw::GreenOf(a) + draw::BlueOf(a);
      const int sumB = draw::RedOf(b) + draw::GreenOf(b) + draw::BlueOf(b);
      lighter += sumA > sumB;
      darker += sumA < sumB;
    }
  }
  EXPECT_GT(lighter, 0);
  EXPECT_EQ(darker, 0);
}

TEST(ToolBarInput, AClickRunsAnEnabledButtonOnlyWhenReleasedOnIt) {
  CCommandRouter router;
  int runs = 0;
  router.On(32969, [&] { ++runs; });
  CMyToolBarUpper upper;
  upper.resize(upper.sizeHint());
  upper.SetRouter(&router);
  upper.show();
  const QPoint onNew = upper.FindItem(32969)->rect.center();
  QTest::mouseClick(&upper, Qt::LeftButton, {}, onNew);
  EXPECT_EQ(runs, 1);
  QTest::mousePress(&upper, Qt::LeftButton, {}, onNew);
  QTest::mouseRelease(&upper, Qt::LeftButton, {}, upper.FindItem(32923)->rect.center());
  EXPECT_EQ(runs, 1) << "released elsewhere";
  QTest::mouseClick(&upper, Qt::LeftButton, {}, upper.FindItem(32924)->rect.center());
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(ToolTipText(32932), "Fast-Foward to End of Project");
  EXPECT_EQ(ToolTipText(32879), "");
}

TEST(ToolBarLayout, TheSlidersStretchToTheRightEndOfTheirBars) {
  CCommandRouter router;
  ScriptedServices seams;
  FrameContext context{seams.ui, seams.profile, router};
  CMyToolBarTrackLower track(context);
  CMyToolBarEditorLower editor(context);
  track.show();
  editor.show();
  struct Case {
    CSkinToolBar* bar;
    QSlider* slider;
    int width;
    QRect geometry;
  };
  // The slider ends 10 pixels inside the bar's right edge.
  const Case cases[] = {
      {&track, track.positionSlider, 900, {625, 3, 265, 25}},
      {&track, track.positionSlider, 626, {625, 3, 1, 25}},
      // Narrower than the slider's place: it stays where it was.
      {&track, track.positionSlider, 600, {625, 3, 1, 25}},
      {&editor, editor.positionSlider, 900, {600, 3, 290, 25}},
      {&editor, editor.positionSlider, 600, {600, 3, 290, 25}},
      {&editor, editor.positionSlider, 601, {600, 3, 1, 25}},
  };
  for (const Case& c : cases) {
    c.bar->resize(c.width, c.bar->height());
    EXPECT_EQ(c.slider->geometry(), c.geometry) << c.bar->ResourceId() << " at " << c.width;
  }
}

TEST_F(FrameTest, TheTrackViewSliderMovesThePlayCursor) {
  CMainFrame& f = Make();
  CRecordingView view;
  f.SetView(&view);
  app->project.projectEnd = 441000;
  app->project.timeDisplay = TimeDisplayStandard;
  f.trackToolBar->positionSlider->setSliderPosition(0);
  f.trackToolBar->positionSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(app->playCursor, 8820u) << "20 of 1000, rounded";
  EXPECT_EQ(seams.view.positionText, "00:00.200");
  EXPECT_EQ(view.calls, std::vector<std::string>{"RefreshTrackingBar"});
  f.SetView(nullptr);
}

TEST_F(FrameTest, WithoutAudioTheEditorSliderSnapsBackToTheStart) {
  CMainFrame& f = Make();
  QSlider* slider = f.editorToolBar->positionSlider;
  slider->setValue(0);
  slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(slider->value(), 0);
  f.editorToolBar->UpdatePositionSlider();
  EXPECT_EQ(slider->value(), 0);
  f.editorToolBar->SetTimeText(CMyToolBarEditorLower::kEndBoxId, 44100 * 61);
  EXPECT_EQ(f.editorToolBar->endBox->text(), QStringLiteral("01:01.000"));
}

TEST_F(FrameTest, WithoutAnApplicationTheSlidersSaySo) {
  CMainFrame& f = Make(false);
  seams.ui.ExpectBox(AppMissingText("CMyToolBarEditorLower::OnHScroll"));
  f.editorToolBar->positionSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  seams.ui.ExpectBox(AppMissingText("CMyToolBarTrackLower::OnHScroll"));
  f.trackToolBar->positionSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_NE(AppMissingText("X").find("support@tessiro.org"), std::string::npos);
  ASSERT_EQ(seams.ui.Boxes().size(), 2u);
  EXPECT_EQ(seams.ui.Boxes()[0].icon, ui::Icon::Error);
}

}  // namespace
}  // namespace tessiro::test
