#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <functional>

#include "LoopBankFixture.h"
#include "Messages.h"
#include "controls/MyButton.h"

namespace tessiro::test {
namespace {

constexpr const char* kDuringPlayback = "Sorry, cannot perform this operation during playback.";

void RemoveLoop(CProApp& app, CLoopBankGUI& bank, int number) {
  std::shared_ptr<CAudioLoop> loop;
  ASSERT_EQ(app.loopBank.FindLoop(number, &loop), 1);
  app.loopBank.RemoveLoop(loop->GetIdentifier());
  bank.UpdateRowsAfterRemoval(number);
}

TEST_F(LoopBankTest, RowsFollowTheRowButtonsAndTheScrollBar) {
  Make(5);
  EXPECT_EQ(Rows(), "0..1/2");
  const struct {
    const char* what;
    std::function<void()> step;
    const char* rows;
  } steps[] = {
      {"more", [&] { bank->MoreRows(); }, "0..2/3"},
      {"more", [&] { bank->MoreRows(); }, "0..3/4"},
      {"more", [&] { bank->MoreRows(); }, "0..4/5"},
      {"more with every loop shown does nothing", [&] { bank->MoreRows(); }, "0..4/5"},
      {"fewer", [&] { bank->FewerRows(); }, "0..3/4"},
      {"line down", [&] { bank->Scroll(view::kScrollLineDown, 0); }, "1..4/4"},
      {"line down at the last loop", [&] { bank->Scroll(view::kScrollLineDown, 0); }, "1..4/4"},
      {"more with the last loop shown grows upwards", [&] { bank->MoreRows(); }, "0..4/5"},
      {"fewer to one", [&] { for (int i = 0; i < 4; ++i) bank->FewerRows(); }, "0..0/1"},
      {"fewer at one does nothing", [&] { bank->FewerRows(); }, "0..0/1"},
      {"line up at the first loop", [&] { bank->Scroll(view::kScrollLineUp, 0); }, "0..0/1"},
      {"page down", [&] { bank->Scroll(view::kScrollPageDown, 0); }, "1..1/1"},
      {"thumb", [&] { bank->Scroll(view::kScrollThumbTrack, 4); }, "4..4/1"},
      {"thumb past the end", [&] { bank->Scroll(view::kScrollThumbTrack, 40); }, "4..4/1"},
      {"page up", [&] { bank->Scroll(view::kScrollPageUp, 0); }, "3..3/1"},
      {"more", [&] { bank->MoreRows(); }, "3..4/2"},
      {"page down to the end", [&] { bank->Scroll(view::kScrollPageDown, 0); }, "3..4/2"},
      {"page up near the top", [&] { bank->Scroll(view::kScrollPageUp, 0); }, "1..2/2"},
      {"page up again", [&] { bank->Scroll(view::kScrollPageUp, 0); }, "0..1/2"},
  };
  for (const auto& s : steps) {
    s.step();
    EXPECT_EQ(Rows(), s.rows) << s.what;
    EXPECT_EQ(bank->VScrollBar()->value(), bank->firstRow) << s.what;
    EXPECT_EQ(bank->VScrollBar()->maximum(), 5 - bank->visibleRows) << s.what;
    EXPECT_EQ(bank->RowPitch(), (bank->areaHeight - 4) / bank->visibleRows) << s.what;
    for (int r = 0; r < CLoopBankGUI::kRows; ++r) {
      EXPECT_EQ(bank->NameEdit(r)->isVisible(), r < bank->visibleRows) << s.what << " row " << r;
    }
  }
}

TEST_F(LoopBankTest, RowsAfterLoopsAreAddedAndRemovedAboveInsideAndBelowTheView) {
  Make(10);
  bank->MoreRows();
  for (int i = 0; i < 4; ++i) bank->Scroll(view::kScrollLineDown, 0);
  ASSERT_EQ(Rows(), "4..6/3");
  const struct {
    const char* what;
    std::function<void()> step;
    const char* rows;
  } steps[] = {
      {"removed above", [&] { RemoveLoop(*app, *bank, 1); }, "3..5/3"},
      {"removed below", [&] { RemoveLoop(*app, *bank, 8); }, "3..5/3"},
      {"removed inside", [&] { RemoveLoop(*app, *bank, 4); }, "3..4/2"},
      {"added: the newest come into sight", [&] { AddLoop("new"); bank->RebuildRows(); }, "6..7/2"},
      {"down to two", [&] { while (app->loopBank.GetCount() > 2) RemoveLoop(*app, *bank, 0); }, "0..1/2"},
      {"down to one", [&] { RemoveLoop(*app, *bank, 1); }, "0..0/1"},
      {"none left", [&] { RemoveLoop(*app, *bank, 0); }, "0..0/0"},
      {"fewer with none", [&] { bank->FewerRows(); }, "0..0/0"},
      {"more with none", [&] { bank->MoreRows(); }, "0..0/0"},
      {"the first one back", [&] { AddLoop("first"); bank->RebuildRows(); }, "0..0/1"},
      {"a second", [&] { AddLoop("second"); bank->RebuildRows(); }, "0..1/2"},
  };
  for (const auto& s : steps) {
    s.step();
    EXPECT_EQ(Rows(), s.rows) << s.what;
  }
  EXPECT_EQ(app->loopBank.GetSelectedLoopNumber(), 0);
  // More rows than loops never puts the first row above the first loop.
  bank->visibleRows = 5;
  bank->RebuildRows();
  EXPECT_EQ(Rows(), "0..1/2");
}

TEST_F(LoopBankTest, AClickSelectsTheLoopUnderItAndNothingElse) {
  Make(32);
  for (int i = 0; i < 6; ++i) bank->MoreRows();
  bank->Scroll(view::kScrollThumbTrack, 10);
  ASSERT_EQ(Rows(), "10..17/8");
  const int pitch = bank->RowPitch();
  ASSERT_EQ(pitch, (569 - 4) / 8);
  app->loopBank.SelectLoop(10);
  bank->Redraw();
  const struct {
    const char* what;
    QPoint at;
    int selected;
    bool repainted;
  } clicks[] = {
      {"a header", InArea(100, 2 * pitch + 10), 12, true},
      {"the selected loop again", InArea(100, 2 * pitch + 30), 12, false},
      {"a lane", InArea(400, 5 * pitch + 1), 15, true},
      {"below the last row", InArea(400, 8 * pitch + 2), 15, false},
      {"between header and lane", InArea(196, 3 * pitch), 15, false},
  };
  for (const auto& c : clicks) {
    const int before = bank->Repaints();
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, c.at);
    EXPECT_EQ(app->loopBank.GetSelectedLoopNumber(), c.selected) << c.what;
    EXPECT_EQ(bank->Repaints() > before, c.repainted) << c.what;
  }
}

TEST_F(LoopBankTest, TheRowsRectanglesChangeTheRowsButNotDuringPlayback) {
  Make(6);
  const int w = bank->areaWidth, h = bank->areaHeight;
  QTest::mouseClick(view.get(), Qt::LeftButton, {}, InArea(w - 10, h - 5));
  EXPECT_EQ(Rows(), "0..2/3");
  QTest::mouseClick(view.get(), Qt::LeftButton, {}, InArea(w - 10, h - 25));
  EXPECT_EQ(Rows(), "0..1/2");
  app->playing = 1;
  seams.ui.ExpectBox(kDuringPlayback);
  bank->OnLButtonDown(view::kMouseLeft, InArea(w - 10, h - 5).x(), InArea(w - 10, h - 5).y());
  EXPECT_EQ(Rows(), "0..1/2");
  app->playing = 0;
}

TEST_F(LoopBankTest, TheRowButtonsPreviewEditAndOpenProperties) {
  Make(4);
  bank->MoreRows();
  QPushButton* play = bank->RowButton(1, CLoopBankGUI::kPlay);
  ASSERT_EQ(play->text(), "Play");
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_EQ(play->text(), "Stop");
  EXPECT_FALSE(play->isChecked());
  EXPECT_EQ(app->loopBank.GetSelectedLoopNumber(), 1);
  EXPECT_EQ(bank->previewLoop, 1);
  app->playing = 1;  // the preview runs
  QTest::mouseClick(bank->RowButton(2, CLoopBankGUI::kPlay), Qt::LeftButton);
  EXPECT_EQ(bank->RowButton(2, CLoopBankGUI::kPlay)->text(), "Play") << "Play while playing does nothing";
  EXPECT_EQ(app->loopBank.GetSelectedLoopNumber(), 1);
  seams.ui.ExpectBox(kDuringPlayback);
  QTest::mouseClick(bank->RowButton(0, CLoopBankGUI::kProps), Qt::LeftButton);
  EXPECT_FALSE(bank->RowButton(0, CLoopBankGUI::kProps)->isChecked());
  EXPECT_TRUE(propertiesAsked.empty());
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_EQ(play->text(), "Play");
  app->playing = 0;
  seams.view.calls.clear();
  QTest::mouseClick(bank->RowButton(2, CLoopBankGUI::kEdit), Qt::LeftButton);
  EXPECT_EQ(app->loopBank.GetSelectedLoopNumber(), 2);
  std::shared_ptr<CAudioLoop> third;
  ASSERT_EQ(app->loopBank.FindLoop(2, &third), 1);
  EXPECT_EQ(app->editorLoop, third) << "the selected loop's audio opens in the Audio Editor";
  EXPECT_NE(std::find(seams.view.calls.begin(), seams.view.calls.end(), "SwitchView(2)"), seams.view.calls.end());
  QTest::mouseClick(bank->RowButton(0, CLoopBankGUI::kProps), Qt::LeftButton);
  EXPECT_EQ(propertiesAsked, std::vector<int>{0});
  // The application here never opened an output, so the preview it is asked for refuses.
  seams.ui.ExpectBox("No audio output device is open to play through.");
  seams.thread.Pump();
  EXPECT_EQ(seams.thread.Delivered(),
            (std::vector<uint32_t>{msg::kPlayLoopPreview, msg::kStopLoopPreview}));
  // The preview ended elsewhere (its end of audio): the selected loop's row reads Play again.
  QTest::mouseClick(bank->RowButton(2, CLoopBankGUI::kPlay), Qt::LeftButton);
  ASSERT_EQ(bank->RowButton(2, CLoopBankGUI::kPlay)->text(), "Stop");
  bank->ResetPlayButton();
  EXPECT_EQ(bank->RowButton(2, CLoopBankGUI::kPlay)->text(), "Play");
}

TEST_F(LoopBankTest, ANameIsTheLoopsTitleCutTo63Characters) {
  Make(2);
  QLineEdit* name = bank->NameEdit(1);
  EXPECT_EQ(name->text(), "Loop 2");
  name->clear();
  QTest::keyClicks(name, QString(70, QLatin1Char('x')));
  std::shared_ptr<CAudioLoop> loop;
  ASSERT_EQ(app->loopBank.FindLoop(1, &loop), 1);
  EXPECT_EQ(loop->GetTitle(), std::string(63, 'x'));
  EXPECT_EQ(app->modified, 0);
  // The room is 63 bytes, and no character is cut in half: 31 of two bytes each.
  name->clear();
  for (int i = 0; i < 40; ++i) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
    QApplication::sendEvent(name, &key);
  }
  EXPECT_EQ(QString::fromStdString(loop->GetTitle()), QString(31, QChar(0xE9)));
  EXPECT_EQ(name->text(), QString(31, QChar(0xE9)));
  // A title set elsewhere shows at the next repaint.
  loop->SetTitle("Drums");
  name->clearFocus();
  bank->Redraw();
  EXPECT_EQ(name->text(), "Drums");
}

TEST_F(LoopBankTest, ThePlayheadCrossesThePreviewedLaneOnly) {
  Make(3);
  bank->MoreRows();
  QTest::mouseClick(bank->RowButton(1, CLoopBankGUI::kPlay), Qt::LeftButton);
  bank->StartPlayhead();
  EXPECT_TRUE(view->IsTimerRunning(CProView::kPlayheadTimer));
  EXPECT_FALSE(bank->VScrollBar()->isEnabled());
  const draw::CBitmap clean = bank->BackBuffer().Copy(bank->BackBuffer().Bounds());
  std::shared_ptr<CAudioLoop> loop;
  ASSERT_EQ(app->loopBank.FindLoop(1, &loop), 1);
  const uint32_t length = loop->Segment()->length;
  const int rowTop = 4 + bank->RowPitch();
  const auto lengthMs = static_cast<uint32_t>(length / 44.1);
  const struct {
    const char* what;
    uint32_t ms;
    int x;  // the column expected inverted; 0 for none
  } ticks[] = {
      {"frame 0", 0, 0},
      {"a quarter in", lengthMs / 4, 199 + static_cast<int>(std::floor(lengthMs / 4 * 44.1) / length * bank->LaneWidth())},
      {"half way", lengthMs / 2, 199 + static_cast<int>(std::floor(lengthMs / 2 * 44.1) / length * bank->LaneWidth())},
      {"past the end", lengthMs + 10, 0},
      {"far past the end", 0xFFFFFFF0u, 0},
  };
  for (const auto& t : ticks) {
    milliseconds = t.ms;
    bank->OnPlayheadTimer();
    EXPECT_EQ(bank->playheadX, t.x == 0 ? CLoopBankGUI::kNoPlayhead : t.x) << t.what;
    // Only that column of that lane differs from the clean buffer, by exact inversion.
    int changed = 0;
    for (int x = 199; x < 199 + bank->LaneWidth(); ++x) {
      for (int y : {rowTop, rowTop + bank->BoxHeight() / 2, rowTop + bank->BoxHeight() - 1, 10, rowTop + bank->RowPitch()}) {
        if (y >= bank->areaHeight) continue;
        const draw::COLORREF now = BackPixel(x, y);
        if (now == clean.Pixel(x, y)) continue;
        ++changed;
        EXPECT_EQ(x, t.x) << t.what;
        EXPECT_EQ(now, clean.Pixel(x, y) ^ 0xFFFFFF) << t.what;
      }
    }
    EXPECT_EQ(changed, t.x == 0 ? 0 : 3) << t.what;
  }
  bank->StopPlayhead();
  EXPECT_FALSE(view->IsTimerRunning(CProView::kPlayheadTimer));
  EXPECT_TRUE(bank->VScrollBar()->isEnabled());
}

TEST_F(LoopBankTest, RowsLieOverTheirHeaderCardsAndTheSelectedCardIsFramed) {
  Make(8);
  for (int i = 0; i < 6; ++i) bank->MoreRows();
  app->loopBank.SelectLoop(3);
  bank->Redraw();
  const int pitch = bank->RowPitch();
  for (int r = 0; r < 8; ++r) {
    EXPECT_EQ(bank->NameEdit(r)->geometry(), QRect(65, 33 + r * pitch, 125, 17)) << r;
    EXPECT_EQ(bank->RowButton(r, CLoopBankGUI::kProps)->geometry(), QRect(137, 53 + r * pitch, 59, 19)) << r;
    const int top = 4 + r * pitch;
    // The lane box's outline is black, inside it the loop's box colour.
    EXPECT_EQ(BackPixel(199, top + 5), 0x000000u) << r;
    EXPECT_EQ(BackPixel(199 + bank->LaneWidth(), top + 5), 0x000000u) << r;
  }
  // The selected card differs from its neighbours only by its frame and body.
  const int selectedTop = 4 + 3 * pitch;
  EXPECT_NE(BackPixel(5, selectedTop + 20), BackPixel(5, selectedTop + pitch + 20));
  EXPECT_EQ(BackPixel(5, 4 + 20), BackPixel(5, 4 + pitch + 20));
  EXPECT_EQ(bank->FewerRowsButton()->geometry(), QRect(bank->areaWidth - 12, bank->areaHeight - 10, 17, 18));
  EXPECT_EQ(bank->MoreRowsButton()->geometry().top(), bank->areaHeight + 8);
}

TEST_F(LoopBankTest, ControlsHideWhenAnotherEditorIsShownAndNothingDrawsThere) {
  Make(2);
  const int repaints = bank->Repaints();
  view->SwitchView(ViewModeTrack);
  EXPECT_FALSE(bank->NameEdit(0)->isVisible());
  EXPECT_FALSE(bank->VScrollBar()->isVisible());
  EXPECT_FALSE(bank->FewerRowsButton()->isVisible());
  bank->Redraw();
  EXPECT_EQ(bank->Repaints(), repaints);
  view->SwitchView(ViewModeLoopBank);
  EXPECT_TRUE(bank->NameEdit(1)->isVisible());
  EXPECT_GT(bank->Repaints(), repaints);
}

}  // namespace
}  // namespace tessiro::test
