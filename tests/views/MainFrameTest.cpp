#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSlider>
#include <QTest>

#include "FrameFixture.h"
#include "controls/PostedMessage.h"
#include "draw/Colour.h"
#include "frame/LoopToolBar.h"
#include "frame/MyMenu.h"
#include "frame/ReBar.h"
#include "frame/ScreenFit.h"
#include "frame/ToolBarEditorLower.h"
#include "frame/ToolBarTrackLower.h"
#include "frame/ToolBarUpper.h"

namespace tessiro::test {
namespace {

TEST(MainFrameStart, TheWindowOpensWhereTheScreenAllows) {
  struct Case {
    QSize screen;
    std::optional<QRect> start;
  };
  const Case cases[] = {
      {{1024, 768}, QRect(100, 100, 835, 550)},
      {{1920, 1080}, QRect(100, 100, 835, 550)},
      {{800, 600}, QRect(0, 0, 800, 600)},
      {{640, 480}, std::nullopt},
      // Too small means narrower and lower both.
      {{1024, 500}, QRect(100, 100, 835, 550)},
      {{799, 700}, QRect(100, 100, 835, 550)},
  };
  for (const Case& c : cases) EXPECT_EQ(CMainFrame::StartGeometry(c.screen), c.start) << c.screen.width();
}

TEST_F(FrameTest, PartsAreMadeInOrderAndTheBandsHoldTheLowerBars) {
  CMainFrame& f = Make();
  const std::vector<std::string> steps = {"frame",    "toolbar 349", "toolbar 280", "toolbar 235", "menu 130",
                                          "menu 132", "menu 133",    "toolbar 128", "rebar",       "band 0 235",
                                          "band 1 349", "band 2 280"};
  EXPECT_EQ(f.CreationSteps(), steps);
  ASSERT_EQ(f.reBar->BandCount(), 3);
  EXPECT_EQ(f.reBar->Band(0), f.trackToolBar);
  EXPECT_EQ(f.reBar->Band(1), f.editorToolBar);
  EXPECT_EQ(f.reBar->Band(2), f.loopToolBar);
  EXPECT_TRUE(f.reBar->IsBandShown(0));
  EXPECT_FALSE(f.reBar->IsBandShown(1));
  EXPECT_FALSE(f.reBar->IsBandShown(2));
  EXPECT_EQ(f.shownBand, 0);
  EXPECT_EQ(f.OwnerDrawnMenu(), f.trackMenu.get());
  // (100, 100, 835, 550), moved and shrunk onto the test's 800 x 800 screen.
  EXPECT_EQ(f.geometry(), QRect(0, 100, 800, 550));
  EXPECT_EQ(MainWindow(), &f) << "the skinned buttons post to the frame";
}

TEST_F(FrameTest, ASmallScreenGetsTheNoticeAndTheDefaultSize) {
  seams.ui.ExpectBox(CMainFrame::kResolutionNotice);
  CMainFrame& f = Make(true, QSize(640, 480));
  EXPECT_NE(f.geometry(), QRect(100, 100, 835, 550));
  ASSERT_EQ(seams.ui.Boxes().size(), 1u);
  EXPECT_EQ(seams.ui.Boxes()[0].icon, ui::Icon::Information);
}

TEST_F(FrameTest, EachViewModeShowsItsOwnBandOnly) {
  CMainFrame& f = Make();
  f.show();
  struct Case {
    int mode;
    int band;
  };
  // 0 and 4 are no view: nothing changes.
  const Case cases[] = {{2, 1}, {2, 1}, {3, 2}, {0, 2}, {4, 2}, {1, 0}, {3, 2}};
  for (const Case& c : cases) {
    f.ShowToolBarForView(c.mode);
    EXPECT_EQ(f.shownBand, c.band) << c.mode;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.reBar->IsBandShown(i), i == c.band) << c.mode << " band " << i;
  }
  // The shown band sits at the foot of the window.
  f.ShowToolBarForView(2);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return f.editorToolBar->mapTo(&f, QPoint(0, f.editorToolBar->height())).y() == f.height(); }, 2000));
}

// At its smallest the lower tool bars still hold their buttons and a slider.
TEST_F(FrameTest, TheFrameIsNeverSmallerThan700By400) {
  CMainFrame& f = Make();
  f.show();
  f.resize(300, 200);
  EXPECT_EQ(f.size(), QSize(700, 400));
  for (CSkinToolBar* bar : {static_cast<CSkinToolBar*>(f.trackToolBar), static_cast<CSkinToolBar*>(f.editorToolBar)}) {
    f.ShowToolBarForView(bar == f.trackToolBar ? 1 : 2);
    QApplication::processEvents();
    for (const auto& item : bar->Items()) EXPECT_LE(item.rect.right(), bar->width() - 1) << item.id;
    QWidget* slider = bar->findChild<QSlider*>();
    ASSERT_NE(slider, nullptr);
    EXPECT_GE(slider->width(), 50) << bar->ResourceId();
  }
  f.resize(700, 450);
  EXPECT_EQ(f.size(), QSize(700, 450));
}

TEST_F(FrameTest, SkinnedButtonMessagesReachTheShownEditor) {
  CMainFrame& f = Make();
  CRecordingView view;
  f.SetView(&view);
  const std::pair<uint32_t, const char*> table[] = {
      {42935, "TrackViewFewerRows"}, {42936, "TrackViewMoreRows"},  {42937, "TrackViewZoomToProject"},
      {42938, "TrackViewZoomIn"},    {42939, "TrackViewZoomOut"},   {42940, "AudioEditorZoomIn"},
      {42941, "AudioEditorZoomOut"}, {42942, "AudioEditorShowWholeAudio"}, {42943, "LoopBankFewerRows"},
      {42944, "LoopBankMoreRows"},
  };
  for (const auto& [message, operation] : table) {
    view.calls.clear();
    PostToMainWindow(message);
    EXPECT_TRUE(view.calls.empty()) << "posted, not sent";
    DeliverPosted();
    EXPECT_EQ(view.calls, (std::vector<std::string>{operation, "Invalidate(erase)"})) << message;
  }
  f.SetView(nullptr);
}

TEST_F(FrameTest, WithoutAnApplicationTheButtonMessagesDoNothing) {
  CMainFrame& f = Make(false);
  CRecordingView view;
  f.SetView(&view);
  PostToMainWindow(42938);
  DeliverPosted();
  EXPECT_TRUE(view.calls.empty());
  f.SetView(nullptr);
}

TEST_F(FrameTest, OtherPostedMessagesGoToTheRouter) {
  Make();
  int64_t got = 0;
  router.OnMessage(0x8079, [&](int64_t w, int64_t) { got = w; });
  PostToMainWindow(0x8079, 12);
  DeliverPosted();
  EXPECT_EQ(got, 12);
}

TEST_F(FrameTest, CloseAsksFirstAndACancelKeepsTheWindow) {
  CMainFrame& f = Make();
  int asked = 0, closed = 0;
  int answer = ui::kAnswerCancel;
  f.SetCloseQuery([&] {
    ++asked;
    return answer;
  });
  f.SetClosedHandler([&] { ++closed; });
  f.show();
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(seams.profile.values.count("Settings/MainWndPos") == 0) << "a window that stays saves nothing";
  answer = ui::kAnswerNo;
  f.setGeometry(120, 130, 720, 480);
  EXPECT_TRUE(f.close());
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(seams.profile.values["Settings/MainWndPos"], "0,1,-1,-1,-1,-1,120,130,840,610");
}

TEST_F(FrameTest, AStoredPlacementComesBackAfterTheFirstPaint) {
  seams.profile.values["Settings/MainWndPos"] = "0,1,-1,-1,-1,-1,40,120,790,720";
  CMainFrame& f = Make();
  f.ShowMainWindow(true);
  EXPECT_EQ(f.geometry().size(), QSize(800, 550)) << "not before the window has painted";
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.geometry() == QRect(40, 120, 750, 600); }, 2000));
}

TEST_F(FrameTest, AShortPlacementIsIgnored) {
  seams.profile.values["Settings/MainWndPos"] = "0,1,-1,-1,-1,-1,150,120,950";
  CMainFrame& f = Make();
  f.ShowMainWindow(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.HasPainted(); }, 2000));
  QTest::qWait(20);
  EXPECT_EQ(f.geometry().size(), QSize(800, 550));
}

// A desktop scaled to 2 makes a screen small: what was stored for a larger
// one comes back whole on this one.
TEST_F(FrameTest, APlacementLargerThanTheScreenComesBackOnItShrunk) {
  seams.profile.values["Settings/MainWndPos"] = "0,1,-1,-1,-1,-1,300,400,1300,1300";
  CMainFrame& f = Make();
  f.ShowMainWindow(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.HasPainted(); }, 2000));
  QTest::qWait(20);
  const QRect screen = f.screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(f.frameGeometry())) << "the whole window on the screen";
  EXPECT_EQ(f.frameGeometry().size(), screen.size()) << "as large as the screen allows";
}

TEST(ScreenFit, AWindowIsMovedAndShrunkOntoItsScreen) {
  const QRect screen(1600, 0, 800, 500);  // a second screen, right of the first
  struct Case {
    QRect frame;
    QSize smallest;
    QRect fitted;
  };
  const Case cases[] = {
      {{1700, 50, 400, 300}, {100, 100}, {1700, 50, 400, 300}},   // inside: stays
      {{2300, 450, 400, 300}, {100, 100}, {2000, 200, 400, 300}},  // past the right and bottom: moved in
      {{1500, -20, 400, 300}, {100, 100}, {1600, 0, 400, 300}},    // past the left and top
      {{1700, 100, 835, 550}, {500, 400}, {1600, 0, 800, 500}},    // larger: shrunk to the screen
      {{1700, 100, 835, 550}, {900, 400}, {1600, 0, 900, 500}},    // cannot be narrower: at the left edge
  };
  for (const Case& c : cases) EXPECT_EQ(FitRect(c.frame, screen, c.smallest), c.fitted) << c.frame.x() << "," << c.frame.y();
}

TEST_F(FrameTest, TheEmptyViewShowsTheGround) {
  CMainFrame& f = Make();
  f.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.HasPainted(); }, 2000));
  QWidget* view = f.View()->Widget();
  const QImage image = view->grab().toImage();
  for (QPoint p : {QPoint(0, 0), QPoint(view->width() / 2, view->height() / 2),
                   QPoint(view->width() - 1, view->height() - 1)}) {
    EXPECT_EQ(draw::FromQRgb(image.pixel(p)), 0xF5F5F5u) << p.x() << "," << p.y();
  }
}

TEST(ProjectFiles, OnlyProjectsAreTakenFromADrop) {
  const std::pair<const char*, bool> table[] = {{"/a/song.qvk", true}, {"/a/OLD.MIX", true}, {"/a/take.wav", false},
                                                {"/a/qvk", false},     {".qvk", false},      {"/a/song.qvk.bak", false}};
  for (const auto& [path, project] : table) EXPECT_EQ(IsProjectFile(path), project) << path;
}

TEST_F(FrameTest, ADragOfAProjectIsAcceptedAndOneOfAudioIsNot) {
  CMainFrame& f = Make();
  auto dragOf = [&](const char* path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromLatin1(path))});
    QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &event);
    return event.isAccepted();
  };
  EXPECT_TRUE(dragOf("/tmp/song.qvk"));
  EXPECT_FALSE(dragOf("/tmp/take.wav"));
}

}  // namespace
}  // namespace tessiro::test
