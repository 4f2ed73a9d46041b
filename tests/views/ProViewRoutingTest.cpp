// Where the view sends each message in each mode, the row controls by id, the
// Audio Editor's tool window across switches, the refreshes, and calls that
// arrive from another thread.
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <thread>

#include "AudioLoop.h"
#include "ViewFixture.h"

namespace tessiro::test {
namespace {

void SendWheel(CProView& v, int delta) {
  QWheelEvent wheel(QPointF(400, 300), v.mapToGlobal(QPointF(400, 300)), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&v, &wheel);
}

// A move with no button held (QTest moves the cursor for that, which repeats nothing).
void SendMove(CProView& v, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, v.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&v, &move);
}

// One message of each kind, as the user or a control sends it.
void SendEveryMessage(CProView& v) {
  SendMove(v, QPoint(300, 200));
  QTest::mousePress(&v, Qt::RightButton, Qt::NoModifier, QPoint(300, 200));
  QTest::mouseRelease(&v, Qt::RightButton, Qt::NoModifier, QPoint(300, 200));
  // A double click as the window system delivers it: press, release, double click, release.
  QTest::mouseClick(&v, Qt::LeftButton, Qt::NoModifier, QPoint(310, 200));
  QTest::mouseDClick(&v, Qt::LeftButton, Qt::NoModifier, QPoint(310, 200));
  QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(310, 200));
  SendWheel(v, 120);
  SendWheel(v, -120);
  v.OnHScroll(view::kScrollLineDown, 0);
  v.OnVScroll(view::kScrollThumbTrack, 7);
  v.OnTimer(CProView::kCursorTimer);
  v.OnTimer(CProView::kPlayheadTimer);
  v.OnCommand(CProView::kEditorWholeAudioCommand, view::kButtonClicked);
}

struct RouteCase {
  int mode;
  CallLog trackView, audioEditor, loopBank;
};

TEST_F(ViewTest, EveryMessageGoesToTheShownEditorOnly) {
  const RouteCase cases[] = {
      {1,
       {"OnMouseMove(0,300,200)", "OnRButtonDown(2,300,200)", "OnLButtonDown(1,310,200)", "OnLButtonUp(0,310,200)",
        "OnLButtonDblClk(1,310,200)", "OnLButtonUp(0,310,200)", "ZoomIn", "ZoomOut", "OnHScroll(1,0)",
        "OnVScroll(5,7)"},
       {"ShowWholeAudio"},
       {}},
      {2,
       {},
       {"OnMouseMove(0,300,200)", "OnLButtonDown(1,310,200)", "OnLButtonUp(0,310,200)", "OnLButtonDblClk(1,310,200)",
        "OnLButtonUp(0,310,200)", "ZoomIn", "ZoomOut", "Scroll(1,0)", "OnCursorTimer", "ShowWholeAudio"},
       {}},
      {3, {}, {"ShowWholeAudio"}, {"OnLButtonDown(1,310,200)", "Scroll(5,7)", "OnPlayheadTimer"}},
  };
  CProView& v = Make();
  for (const RouteCase& c : cases) {
    v.viewMode = c.mode;
    SendEveryMessage(v);
    EXPECT_EQ(Take("TV"), c.trackView) << "mode " << c.mode;
    EXPECT_EQ(Take("AE"), c.audioEditor) << "mode " << c.mode;
    EXPECT_EQ(Take("LB"), c.loopBank) << "mode " << c.mode;
  }
}

TEST_F(ViewTest, WheelZoomsOncePerNotch) {
  CProView& v = Make();
  for (int delta : {40, 40, 30, 10, -20, 240, 0}) SendWheel(v, delta);
  // 40 + 40 + 30 + 10 make a notch; -20 is forgotten when the wheel turns back; 240 is one notch.
  EXPECT_EQ(Take("TV"), (CallLog{"ZoomIn", "ZoomIn"}));
  SendWheel(v, -120);
  EXPECT_EQ(Take("TV"), (CallLog{"ZoomOut"}));
}

TEST_F(ViewTest, ContextMenuByMode) {
  CProView& v = Make();
  for (int mode : {1, 2, 3}) {
    v.viewMode = mode;
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(400, 300), v.mapToGlobal(QPoint(400, 300)));
    QCoreApplication::sendEvent(&v, &menu);
  }
  EXPECT_EQ(Take("TV"), CallLog{"ShowContextMenu"});
  EXPECT_EQ(Take("AE"), CallLog{"ShowContextMenu"});
  EXPECT_EQ(Take("LB"), CallLog{});
}

struct CommandCase {
  int id, notification;
  std::string expected;  // "" for nothing
};

// Row controls by id and notification, whatever the mode and while input is locked.
TEST_F(ViewTest, RowCommandsByIdWhileLocked) {
  const CommandCase cases[] = {
      {16960, view::kEditChange, "TV.OnTrackNameChanged(0)"},   {16960, view::kButtonClicked, ""},
      {16961, view::kButtonClicked, "TV.OnArmClicked(0)"},      {16992, view::kButtonClicked, "TV.OnMuteClicked(3)"},
      {16993, view::kButtonClicked, "TV.OnSoloClicked(3)"},     {17034, view::kButtonClicked, "TV.OnTrackPropertiesClicked(7)"},
      {16965, view::kButtonClicked, ""},                        {17040, view::kButtonClicked, ""},
      {33920, view::kEditChange, "LB.OnLoopNameChanged(0)"},    {33951, view::kButtonClicked, "LB.OnPlayButton(3)"},
      {33952, view::kButtonClicked, "LB.OnEditClicked(3)"},     {33993, view::kButtonClicked, "LB.OnLoopPropertiesClicked(7)"},
      {33994, view::kButtonClicked, ""},                        {32880, view::kEditKillFocus, "TV.OnTempoEdited"},
      {32883, view::kEditKillFocus, "TV.OnPitchEdited"},        {32880, view::kEditChange, ""},
      {32771, view::kButtonClicked, ""},
  };
  CProView& v = Make();
  v.viewMode = 3;
  v.LockInput(1);
  calls.clear();
  for (const CommandCase& c : cases) {
    v.OnCommand(c.id, c.notification);
    EXPECT_EQ(calls, c.expected.empty() ? CallLog{} : CallLog{c.expected}) << c.id << " " << c.notification;
    calls.clear();
  }
}

TEST_F(ViewTest, RoutedControlsSendTheirCommands) {
  CProView& v = Make();
  v.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
  auto* name = new QLineEdit(&v);
  auto* solo = new QPushButton(&v);
  auto* tempo = new QLineEdit(&v);
  v.RouteControl(name, 16960 + 10 * 2);
  v.RouteControl(solo, 16963 + 10 * 2);
  v.RouteControl(tempo, CProView::kTempoEditId);
  for (QWidget* control : {static_cast<QWidget*>(name), static_cast<QWidget*>(solo), static_cast<QWidget*>(tempo)}) {
    control->show();
  }
  EXPECT_EQ(v.findChild<QLineEdit*>(QStringLiteral("16980")), name);
  name->setText(QStringLiteral("typed by the view"));
  QTest::keyClicks(name, QStringLiteral("ab"));
  QTest::mouseClick(solo, Qt::LeftButton);
  tempo->setFocus();
  name->setFocus();
  EXPECT_EQ(Take("TV"), (CallLog{"OnTrackNameChanged(2)", "OnTrackNameChanged(2)", "OnSoloClicked(2)", "OnTempoEdited"}));
}

TEST_F(ViewTest, RoutedScrollBarsByOrientationAndMode) {
  CProView& v = Make();
  auto* across = new QScrollBar(Qt::Horizontal, &v);
  auto* down = new QScrollBar(Qt::Vertical, &v);
  across->setRange(0, 100);
  down->setRange(0, 23);
  v.RouteScrollBar(across);
  v.RouteScrollBar(down);
  across->triggerAction(QAbstractSlider::SliderPageStepAdd);
  down->triggerAction(QAbstractSlider::SliderSingleStepSub);
  v.viewMode = 3;
  across->triggerAction(QAbstractSlider::SliderPageStepSub);
  down->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(Take("TV"), (CallLog{"OnHScroll(3,10)", "OnVScroll(0,0)"}));
  EXPECT_EQ(Take("LB"), (CallLog{"Scroll(7,23)"}));
}

TEST_F(ViewTest, ViewTimersTickIntoTheShownEditor) {
  CProView& v = Make();
  v.SwitchView(3);
  calls.clear();
  v.SetTimer(CProView::kPlayheadTimer, 5);
  QTRY_VERIFY_WITH_TIMEOUT(!Take("LB").empty(), 5000);
  v.KillTimer(CProView::kPlayheadTimer);
  EXPECT_FALSE(v.IsTimerRunning(CProView::kPlayheadTimer));
}

// Leaving the Audio Editor puts its tool window away; coming back places it where it stood.
TEST_F(ViewTest, ToolWindowFollowsTheAudioEditor) {
  CProView& v = Make();
  CRecordingToolWindow tool(calls);
  v.SetEditorToolWindow(&tool);
  app->project.tempo = 96.0f;
  app->config.colorSets[ProConfig::kIndependentColorSet] = {0x112233, 0x445566, 0x778899, 0xAABBCC};
  v.SwitchView(2);
  EXPECT_EQ(Take("AE"), (CallLog{"SetProjectTempo(96)", "UpdateToolBarTimes", "Layout(7,24,824,569)"}));
  EXPECT_EQ(Take("Tool"), (CallLog{"ShowAt(300,200,500,480)", "UpdateContentFields", "UpdateTimeFields(1)", "UpdateTempoFields"}));
  // The core colours the editor for what it holds after the frame has its menu.
  EXPECT_EQ(seams.view.calls, (std::vector<std::string>{"SetEditorProjectTempo(96)", "ShowMenuAndToolBarForView(2)",
                                                        "SetEditorColors(112233,445566,778899,AABBCC)"}));
  tool.rect = {10, 20, 210, 320};
  v.SwitchView(1);
  EXPECT_EQ(Take("Tool"), CallLog{"Hide"});
  tool.rect = {};
  v.SwitchView(2);
  EXPECT_EQ(Take("Tool"), (CallLog{"ShowAt(10,20,210,320)", "UpdateContentFields", "UpdateTimeFields(1)", "UpdateTempoFields"}));
  tool.shown = false;
  v.SwitchView(3);
  v.SwitchView(2);
  EXPECT_EQ(Take("Tool"), CallLog{});
}

struct RefreshCase {
  int mode;
  bool all;
  CallLog trackView, audioEditor, loopBank, tool;
};

TEST_F(ViewTest, RefreshesRedrawByMode) {
  const RefreshCase cases[] = {
      {1, false, {"Redraw"}, {}, {}, {}},
      {2, false, {}, {"Redraw", "UpdateToolBarTimes"}, {}, {"UpdateContentFields", "UpdateTimeFields(1)", "UpdateTempoFields"}},
      {3, false, {}, {}, {"Redraw"}, {}},
      {3, true, {"Redraw"}, {"Redraw", "UpdateToolBarTimes"}, {"Redraw"}, {"UpdateContentFields", "UpdateTimeFields(0)", "UpdateTempoFields"}},
  };
  CProView& v = Make();
  CRecordingToolWindow tool(calls);
  v.SetEditorToolWindow(&tool);
  for (const RefreshCase& c : cases) {
    v.viewMode = c.mode;
    c.all ? v.RefreshAllViews() : v.RefreshCurrentView();
    EXPECT_EQ(Take("TV"), c.trackView) << c.mode << c.all;
    EXPECT_EQ(Take("AE"), c.audioEditor) << c.mode << c.all;
    EXPECT_EQ(Take("LB"), c.loopBank) << c.mode << c.all;
    EXPECT_EQ(Take("Tool"), c.tool) << c.mode << c.all;
  }
}

TEST_F(ViewTest, LoopBankRefreshesRebuildTheLoopMenuWhenThereAreLoops) {
  CProView& v = Make();
  v.RefreshLoopBank();
  app->loopBank.AddLoop(std::make_shared<CAudioLoop>());
  v.RefreshLoopBankRow(4);
  EXPECT_EQ(Take("LB"), (CallLog{"RebuildRows", "UpdateRowsAfterRemoval(4)"}));
  EXPECT_EQ(seams.view.calls, std::vector<std::string>{"RebuildLoopMenu"});
}

// The core's calls reach the editors on the user-interface thread only, posted
// there when made from another thread.
TEST_F(ViewTest, CallsFromAnotherThreadArePosted) {
  CProView& v = Make();
  std::thread([&v] { v.LockInput(1); }).join();
  EXPECT_EQ(v.IsInputLocked(), 0);
  EXPECT_EQ(Take("TV"), CallLog{});
  QCoreApplication::processEvents();
  EXPECT_EQ(v.IsInputLocked(), 1);
  EXPECT_EQ(Take("TV"), CallLog{"SetInputLocked(1)"});
  auto* editor = dynamic_cast<CRecordingEditor*>(v.TrackView());
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->onUiThread);
}

}  // namespace
}  // namespace tessiro::test
