// The Track View in the view, under real mouse input: the drag with its snap,
// the tracking bar's inversion, rows, zoom and scrolling, the tempo and pitch
// edits, the row buttons' refusals and the context menu.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <memory>
#include <vector>

#include "AudioSnippet.h"
#include "ReportRecorder.h"
#include "ScriptedUi.h"
#include "TrackViewCallbacks.h"
#include "pro.h"
#include "trackview/TrackViewGUI.h"
#include "view/ProView.h"

namespace tessiro::test {
namespace {

constexpr draw::COLORREF kGround = 0xF8F8F8;
constexpr draw::COLORREF kInvertedGround = 0x070707;

class TrackViewTest : public ::testing::Test {
 protected:
  void TearDown() override {
    view.reset();
    app.reset();
    seams.ui.CheckDone();
  }
  // A client of 838 x height: the Track View's area is 824 wide (lanes 199..799,
  // 600 pixels for the default view of 441000 frames) and height - 31 high.
  CTrackViewGUI& Make(int height = 600) {
    app = std::make_unique<CProApp>(seams.Services());
    app->initialised = 1;
    // The 24 tracks start-up sets up.
    app->project.CreateTracks(CAudioSnippetList::kModeProject, CAudioTrack::kTypeExtended, 24);
    view = std::make_unique<CProView>(app.get());
    auto editor = std::make_unique<CTrackViewGUI>(app.get());
    tv = editor.get();
    view->InstallTrackView(std::move(editor));
    tv->moveSelectedSnippetsCallback = [this](uint32_t start) { moves.push_back(start); };
    view->resize(838, height);
    view->show();
    return *tv;
  }
  std::shared_ptr<CAudioSnippet> AddSnippet(int track, uint32_t start, uint32_t length) {
    auto snippet = std::make_shared<CAudioSnippet>();
    snippet->start = start;
    snippet->length = length;
    snippet->end = start + length;
    app->project.AddSnippetToTrack(snippet, track);
    return snippet;
  }
  // View client points of a Track View point.
  static QPoint At(int x, int y) { return QPoint(7 + x, 24 + y); }
  draw::COLORREF Pixel(int x, int y) const { return tv->BackBuffer().Pixel(x, y); }

  ScriptedServices seams;
  std::unique_ptr<CProApp> app;
  std::unique_ptr<CProView> view;
  CTrackViewGUI* tv = nullptr;
  std::vector<uint32_t> moves;
};

// A selected snippet at 88200 (lane x 319..379) with snap on: one step of 120
// pixels right moves it by one bar, and the release reports the new start once.
TEST_F(TrackViewTest, DragSnapsAndReportsTheNewStartOnce) {
  struct {
    const char* name;
    int moveBy;  // pixels, in one step
    uint32_t lowLimit;
    std::vector<uint32_t> reported;
  } const cases[] = {
      {"one bar right", 120, 0, {176400}},
      {"in place", 0, 0, {}},
      {"back to where it was", 0, 0, {}},
      {"a little: snaps back to its bar", 8, 0, {}},
      {"left past the start", -130, 0, {0}},
  };
  for (const auto& c : cases) {
    Make();
    AddSnippet(0, 88200, 44100);
    tv->Redraw();
    moves.clear();
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(330, 20));
    ASSERT_TRUE(tv->IsDragging()) << c.name;
    QTest::mouseMove(view.get(), At(330 + c.moveBy, 20));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(330 + c.moveBy, 20));
    EXPECT_EQ(moves, c.reported) << c.name;
    EXPECT_FALSE(tv->IsDragging()) << c.name;
    TearDown();
  }
}

// Dragged with the application's own wiring, a selection that would end past
// 90 minutes is refused with the box the imports show and stays where it was;
// one that ends inside them moves.
TEST_F(TrackViewTest, ADragThatWouldEndPastNinetyMinutesIsRefused) {
  const uint32_t limit = CProApp::kMaxProjectFrames;
  const struct {
    const char* name;
    uint32_t length;
    bool refused;
  } cases[] = {{"ending past", 88200, true}, {"ending inside", 22050, false}};
  for (const auto& c : cases) {
    Make();
    tv->SetCallbacks(MakeTrackViewCallbacks(*app));  // as the view is made in the program
    CAudioTrackList& p = app->project;
    p.viewStart = limit - 441000;  // a bar line: lane x 199 + 60 is the snippet's start
    p.viewEnd = limit;
    p.viewWidth = 441000;
    std::shared_ptr<CAudioSnippet> snippet = AddSnippet(0, p.viewStart + 44100, c.length);
    p.RecomputeProjectEnd();
    tv->ComputeGrid();
    tv->Redraw();
    // 480 pixels right: four bars and a half of 735 frames a pixel.
    if (c.refused) {
      seams.ui.ExpectBox("Cannot insert audio.  Doing so would exceed maximum project length of 90 minutes.");
    }
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(265, 20));
    ASSERT_TRUE(tv->IsDragging()) << c.name;
    QTest::mouseMove(view.get(), At(745, 20));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(745, 20));
    seams.ui.CheckDone();
    if (c.refused) {
      EXPECT_EQ(snippet->start, limit - 441000 + 44100) << c.name;
      EXPECT_EQ(app->undoList.GetCount(), 0u) << c.name;
    } else {
      EXPECT_GT(snippet->start, limit - 441000 + 44100) << c.name;
      EXPECT_LE(snippet->end, limit) << c.name;
    }
    TearDown();
  }
}

// Limits that leave no room to the left keep the selection still however far the mouse goes.
TEST_F(TrackViewTest, DragAgainstItsLowLimitStaysStill) {
  Make();
  AddSnippet(0, 0, 44100);
  tv->Redraw();
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(210, 20));
  QTest::mouseMove(view.get(), At(205, 20));
  QTest::mouseMove(view.get(), At(200, 20));
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(200, 20));
  EXPECT_EQ(tv->SelectionStart(), 0u);
  EXPECT_TRUE(moves.empty());
}

// The outline of a drag is inverted into the buffer and a second move puts back
// every pixel it covered; the release leaves the lanes as they were.
TEST_F(TrackViewTest, DragOutlineRestoresWhatItCovered) {
  Make();
  AddSnippet(0, 88200, 44100);
  tv->Redraw();
  const QImage before = tv->BackBuffer().Image();
  QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, At(330, 20));
  const QImage pressed = tv->BackBuffer().Image();
  QTest::mouseMove(view.get(), At(450, 20));
  // The outline's left band at the new start (lane x 439) is inverted.
  EXPECT_EQ(tv->BackBuffer().Pixel(440, 30), kInvertedGround);
  QTest::mouseMove(view.get(), At(570, 20));
  EXPECT_EQ(tv->BackBuffer().Pixel(440, 30), kGround);
  QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, At(570, 20));
  EXPECT_EQ(moves, std::vector<uint32_t>{264600});
  (void)before;
  (void)pressed;
}

TEST_F(TrackViewTest, TrackingBarInvertsItsColumnAndRestoresIt) {
  Make();
  app->playCursor = 220500;
  tv->RefreshTrackingBar();
  view->OnDraw();
  // Over the ground of the first lane, in the Track View and in the view.
  EXPECT_EQ(Pixel(499, 20), kInvertedGround);
  EXPECT_EQ(view->BackBuffer().Pixel(506, 44), kInvertedGround);
  EXPECT_EQ(Pixel(498, 20), kGround);
  EXPECT_EQ(Pixel(500, 20), kGround);
  app->playCursor = 0;
  tv->RefreshTrackingBar();
  view->OnDraw();
  EXPECT_EQ(Pixel(499, 20), kGround);
  EXPECT_EQ(view->BackBuffer().Pixel(506, 44), kGround);
  // The play timer's moves: inside the view, then out of it without follow, then with it.
  tv->UpdateTrackingBar(110250, false);
  view->OnDraw();
  EXPECT_EQ(Pixel(349, 20), kInvertedGround);
  tv->UpdateTrackingBar(500000, false);
  view->OnDraw();
  EXPECT_EQ(Pixel(349, 20), kGround);
  EXPECT_EQ(app->project.viewStart, 0u);
  tv->UpdateTrackingBar(500000, true);
  EXPECT_EQ(app->project.viewStart, 500000u);
  EXPECT_EQ(app->project.viewEnd, 941000u);
}

// A click in an empty lane puts the play position at the nearest frame; one on the ruler truncates.
TEST_F(TrackViewTest, ClicksSetThePlayPosition) {
  Make();
  QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(499, 20));
  EXPECT_EQ(app->playCursor, 220500u);
  EXPECT_EQ(tv->TrackingX(), 499);
  QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(200, tv->AreaHeight() - 30));
  EXPECT_EQ(app->playCursor, 735u);
  // A header click selects its track.
  QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(100, tv->RowPitch() + 10));
  EXPECT_EQ(app->project.GetSelectedTrackIndex(), 1);
}

TEST_F(TrackViewTest, RowsZoomAndScrolling) {
  Make(231);  // an area 200 high
  EXPECT_EQ(tv->VisibleRows(), 3);
  EXPECT_EQ(tv->RowPitch(), 53);
  Make(431);
  EXPECT_EQ(tv->VisibleRows(), 4);
  EXPECT_EQ(tv->RowPitch(), 89);
  CAudioTrackList& p = app->project;
  struct {
    const char* name;
    uint32_t start, end, cursor;
    void (CTrackViewGUI::*operation)();
    uint32_t startAfter, endAfter;
  } const zooms[] = {
      {"too narrow to zoom in", 0, 16383, 0, &CTrackViewGUI::ZoomIn, 0, 16383},
      {"in around the cursor", 0, 441000, 220500, &CTrackViewGUI::ZoomIn, 110250, 330750},
      {"in near the start", 0, 441000, 1000, &CTrackViewGUI::ZoomIn, 0, 220500},
      {"in with the cursor outside", 100000, 200000, 0, &CTrackViewGUI::ZoomIn, 125000, 175000},
      {"out to the project's limit", 0, 238000000, 0, &CTrackViewGUI::ZoomOut, 0, 238140000},
      {"out from the start", 10000, 50000, 0, &CTrackViewGUI::ZoomOut, 0, 60000},
  };
  for (const auto& z : zooms) {
    p.viewStart = z.start;
    p.viewEnd = z.end;
    p.viewWidth = z.end - z.start;
    app->playCursor = z.cursor;
    (tv->*z.operation)();
    EXPECT_EQ(p.viewStart, z.startAfter) << z.name;
    EXPECT_EQ(p.viewEnd, z.endAfter) << z.name;
    EXPECT_EQ(p.viewWidth, z.endAfter - z.startAfter) << z.name;
  }
  // Paging right stops at the project's limit, keeping the width.
  p.viewStart = 237000000;
  p.viewEnd = 237441000;
  p.viewWidth = 441000;
  for (int i = 0; i < 5; ++i) tv->OnHScroll(view::kScrollPageDown, 0);
  EXPECT_EQ(p.viewEnd, 238140000u);
  EXPECT_EQ(p.viewWidth, 441000u);
  tv->OnHScroll(view::kScrollPageUp, 0);
  EXPECT_EQ(p.viewStart, 238140000u - 2 * 441000u);
  // Rows: paging down from 20..23 stays there, a page up from 3 goes to the top.
  tv->ScrollTracks(view::kScrollThumbTrack, 20);
  EXPECT_EQ(tv->FirstRow(), 20);
  tv->ScrollTracks(view::kScrollPageDown, 0);
  EXPECT_EQ(tv->LastRow(), 23);
  EXPECT_EQ(tv->FirstRow(), 20);
  tv->ScrollTracks(view::kScrollThumbTrack, 3);
  tv->ScrollTracks(view::kScrollPageUp, 0);
  EXPECT_EQ(tv->FirstRow(), 0);
  EXPECT_EQ(tv->LastRow(), 3);
  tv->MoreRows();
  EXPECT_EQ(tv->VisibleRows(), 5);
  for (int i = 0; i < 6; ++i) tv->MoreRows();
  EXPECT_EQ(tv->VisibleRows(), 7);  // 390 usable pixels: 50 each at the least
  for (int i = 0; i < 9; ++i) tv->FewerRows();
  EXPECT_EQ(tv->VisibleRows(), 1);
  EXPECT_EQ(tv->LastRow(), tv->FirstRow());
}

void TypeAndLeave(CProView& view, QLineEdit* edit, int id, const char* text) {
  edit->setText(QString::fromLatin1(text));
  view.OnCommand(id, view::kEditKillFocus);
}

TEST_F(TrackViewTest, TempoAndPitchEdits) {
  Make();
  QLineEdit* tempo = tv->TempoEdit();
  QLineEdit* pitch = tv->PitchEdit();
  ASSERT_TRUE(tempo && pitch);
  EXPECT_EQ(tempo->text(), "120.00");
  struct {
    const char* typed;
    const char* shown;
    float tempo;
  } const tempos[] = {{"300", "250.00", 250.0f}, {"fast", "50.00", 50.0f}, {"1e999", "250.00", 250.0f},
                      {"nan", "50.00", 50.0f},    {"20", "50.00", 50.0f},   {"133.456", "133.46", 133.456f}};
  for (const auto& t : tempos) {
    TypeAndLeave(*view, tempo, CTrackViewGUI::kTempoEditId, t.typed);
    EXPECT_EQ(tempo->text(), t.shown) << t.typed;
    EXPECT_FLOAT_EQ(app->project.tempo, t.tempo) << t.typed;
  }
  // Text that is no number is 0 semitones, as "0" is.
  TypeAndLeave(*view, pitch, CTrackViewGUI::kPitchEditId, "0");
  const QString zero = pitch->text();
  for (const char* typed : {"5", "inf", "5", "abc"}) {
    TypeAndLeave(*view, pitch, CTrackViewGUI::kPitchEditId, typed);
    EXPECT_EQ(pitch->text(), typed[0] == '5' ? QStringLiteral("+5.00") : zero) << typed;
  }
  TypeAndLeave(*view, pitch, CTrackViewGUI::kPitchEditId, "5");
  EXPECT_EQ(pitch->text(), "+5.00");
  TypeAndLeave(*view, pitch, CTrackViewGUI::kPitchEditId, "-30");
  EXPECT_EQ(pitch->text(), "-12.00");
  EXPECT_EQ(app->modified, 1);
  // While the project plays the old texts come back.
  app->mixing = 1;
  seams.ui.ExpectBox("Sorry, cannot update tempo during playback.");
  TypeAndLeave(*view, tempo, CTrackViewGUI::kTempoEditId, "90");
  EXPECT_EQ(tempo->text(), "133.46");
  seams.ui.ExpectBox("Sorry, cannot update tempo or pitch during playback.");
  TypeAndLeave(*view, pitch, CTrackViewGUI::kPitchEditId, "3");
  EXPECT_EQ(pitch->text(), "-12.00");
  app->mixing = 0;
  // The spins step by one.
  tv->OnSpin(CTrackViewGUI::kTempoSpinId, 1);
  EXPECT_FLOAT_EQ(app->project.tempo, 134.456f);
  tv->OnSpin(CTrackViewGUI::kPitchSpinId, 0);
  EXPECT_FLOAT_EQ(app->project.globalPitch.load(), -12.0f);
  tv->OnSpin(CTrackViewGUI::kPitchSpinId, 1);
  EXPECT_EQ(pitch->text(), "-11.00");
}

TEST_F(TrackViewTest, RowButtonsAndTheirRefusals) {
  Make();
  CAudioTrackList& p = app->project;
  QPushButton* arm = tv->RowButton(0, CTrackViewGUI::kArm);
  ASSERT_TRUE(arm);
  struct {
    const char* name;
    int playing;
    int32_t type;
    int alreadyArmed;
    const char* box;
    int armedAfter;
  } const cases[] = {
      {"during playback", 1, CAudioTrack::kTypeExtended, 0, "Sorry, cannot perform this operation during playback.", 0},
      {"loop based track", 0, CAudioTrack::kTypeLoopBased, 0, "Cannot record extended audio to a loop based track.", 0},
      {"four armed already", 0, CAudioTrack::kTypeExtended, 4,
       "Sorry, you already have four tracks armed.  That is the maximum amount allowed.", 0},
      {"three armed", 0, CAudioTrack::kTypeExtended, 3, nullptr, 1},
  };
  for (const auto& c : cases) {
    for (int i = 1; i <= 4; ++i) {
      CAudioTrack* other = nullptr;
      p.FindTrack(i, &other);
      if (other->armed != (i <= c.alreadyArmed ? 1 : 0)) p.ToggleArm(i);
    }
    CAudioTrack* track = nullptr;
    p.FindTrack(0, &track);
    if (track->armed) p.ToggleArm(0);
    p.SetTrackType(0, c.type);
    app->playing = c.playing;
    if (c.box) seams.ui.ExpectBox(c.box);
    QTest::mouseClick(arm, Qt::LeftButton);
    EXPECT_EQ(track->armed, c.armedAfter) << c.name;
    EXPECT_EQ(arm->isChecked(), c.armedAfter == 1) << c.name;
  }
  // Mute and solo work during playback; Props opens the track's properties.
  app->playing = 1;
  QTest::mouseClick(tv->RowButton(1, CTrackViewGUI::kMute), Qt::LeftButton);
  QTest::mouseClick(tv->RowButton(1, CTrackViewGUI::kSolo), Qt::LeftButton);
  CAudioTrack* second = nullptr;
  p.FindTrack(1, &second);
  EXPECT_EQ(second->mute.load(), 1);
  EXPECT_EQ(second->solo.load(), 1);
  EXPECT_EQ(p.soloActive.load(), 1);
  std::vector<int> opened;
  tv->trackPropertiesCallback = [&](int index) { opened.push_back(index); };
  QTest::mouseClick(tv->RowButton(2, CTrackViewGUI::kProps), Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<int>{2});
  EXPECT_FALSE(tv->RowButton(2, CTrackViewGUI::kProps)->isChecked());
  // A name longer than a track keeps is cut to 255 bytes.
  QLineEdit* name = tv->NameEdit(0);
  name->setMaxLength(1000);
  QTest::keyClicks(name, QString(300, QLatin1Char('n')));
  CAudioTrack* first = nullptr;
  p.FindTrack(0, &first);
  EXPECT_EQ(first->description, std::string(255, 'n'));
}

std::vector<std::string> Items(QMenu& menu) {
  std::vector<std::string> items;
  for (QAction* action : menu.actions()) {
    items.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    if (action->menu()) {
      for (QAction* inner : action->menu()->actions()) items.push_back("  " + inner->text().toStdString());
    }
  }
  return items;
}

TEST_F(TrackViewTest, ContextMenuWithAndWithoutASnippet) {
  Make();
  AddSnippet(2, 88200, 44100);
  tv->Redraw();
  const std::vector<std::string> base = {"Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "&Delete\tDel",
                                         "&Clear Selected Track"};
  const int row2 = 2 * tv->RowPitch() + 20;
  QTest::mousePress(view.get(), Qt::RightButton, Qt::NoModifier, At(330, row2));
  EXPECT_EQ(tv->RightClickRow(), 2);
  ASSERT_TRUE(tv->RightClickSnippet());
  std::vector<std::string> withSnippet = base;
  withSnippet.insert(withSnippet.end(), {"-", "&Edit Snippet", "&Set Snippet on Top", "Snippet &Properties", "-",
                                         "&Insert Loop", "  Loop Bank is Empty"});
  EXPECT_EQ(Items(*tv->BuildContextMenu()), withSnippet);
  QTest::mousePress(view.get(), Qt::RightButton, Qt::NoModifier, At(600, row2));
  EXPECT_FALSE(tv->RightClickSnippet());
  std::vector<std::string> without = base;
  without.insert(without.end(), {"-", "&Insert Loop", "  Loop Bank is Empty"});
  EXPECT_EQ(Items(*tv->BuildContextMenu()), without);
}

// Clicks find the snippet drawn on top where they land; on the pixel two
// pieces share, the one first in start order (of equal starts, the one added
// last). 735 frames a pixel from lane x 199.
TEST_F(TrackViewTest, ClicksFindTheSnippetDrawnOnTop) {
  Make();
  auto a = AddSnippet(2, 0, 441000);           // under everything
  auto b = AddSnippet(2, 88200, 88200);        // x 319..439
  auto c = AddSnippet(2, 264600, 44100);       // x 559..619
  auto d = AddSnippet(2, 352800, 44100);       // x 709..739 where e ends
  auto e = AddSnippet(2, 352800, 22050);       // x 679..709, newest
  tv->Redraw();
  const int row2 = 2 * tv->RowPitch() + 20;
  const struct {
    int x;
    const CAudioSnippet* expected;
  } clicks[] = {{250, a.get()}, {319, a.get()}, {380, b.get()}, {439, a.get()}, {500, a.get()}, {590, c.get()},
                {690, e.get()}, {709, d.get()}, {720, d.get()}, {760, a.get()}, {801, nullptr}};
  for (const auto& click : clicks) {
    QTest::mousePress(view.get(), Qt::RightButton, Qt::NoModifier, At(click.x, row2));
    EXPECT_EQ(tv->RightClickSnippet().get(), click.expected) << "x " << click.x;
    QTest::mouseRelease(view.get(), Qt::RightButton, Qt::NoModifier, At(click.x, row2));
  }
}

TEST_F(TrackViewTest, LockedInputIgnoresTheMouseButNotTheScrollBars) {
  Make();
  AddSnippet(0, 88200, 44100);
  tv->Redraw();
  view->LockInput(1);
  QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, At(330, 20));
  EXPECT_FALSE(tv->IsDragging());
  EXPECT_EQ(app->playCursor, 0u);
  EXPECT_FALSE(tv->HScrollBar()->isEnabled());
  tv->OnHScroll(view::kScrollPageDown, 0);
  EXPECT_EQ(app->project.viewStart, 441000u);
  view->LockInput(0);
  EXPECT_TRUE(tv->HScrollBar()->isEnabled());
}

}  // namespace
}  // namespace tessiro::test
