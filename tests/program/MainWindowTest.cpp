// The main window and its tool windows as a user works them: real keys and
// mouse clicks on the real program, offscreen. Keys typed in a tool window
// stay there, the Audio Editor's tool window shows what the editor holds, the
// ruler follows the project and its tempo, the colours show as they are
// chosen, and every window keeps to its screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "AudioSnippetExtended.h"
#include "AudioTrack.h"
#include "Folders.h"
#include "Generic.h"
#include "ModalDriver.h"
#include "Program.h"
#include "ProConfig.h"
#include "TempFolder.h"
#include "ZelmoSettingsDialog.h"
#include "controls/HyperLink.h"
#include "controls/MyButton.h"
#include "editor/AudioEditorToolDialog.h"
#include "frame/MainFrame.h"
#include "frame/MyMenu.h"
#include "frame/PositionSlider.h"
#include "frame/ToolBarTrackLower.h"
#include "pro.h"
#include "requests/StartupRequests.h"
#include "requests/ViewRequests.h"
#include "trackview/TrackViewGUI.h"
#include "view/ProView.h"

namespace tessiro::test {
namespace {

constexpr int kRealtimeEffects = 32890, kAudioLevels = 32793, kEditorTool = 32907;
constexpr int kProjectSettings = 32913, kColorSettings = 32929, kNewProject = 32969;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove((platform::ProgramFolder() + "/qvk.cfg").c_str());
    std::remove((platform::ProgramFolder() + "/profile.ini").c_str());
    MakeProgram();
  }
  void MakeProgram() {
    CProgram::Options options;
    options.watchSignals = false;
    program = std::make_unique<CProgram>(options);
    // The first start's pages and the empty-editor notices, answered without their windows.
    auto& handlers = program->Ui().Handlers();
    handlers.On<InitDialog1Request>(
        [](const InitDialog1Request&) { return std::optional<InitDialog1Request::Result>(InitDialog1Request::Result{}); });
    handlers.On<InitDialog2Request>([this](const InitDialog2Request&) {
      return std::optional<InitDialog2Request::Result>(InitDialog2Request::Result{audio.Path(), 0});
    });
    handlers.On<NoAudioEditingExistsRequest>([](const NoAudioEditingExistsRequest&) {
      return std::optional<NoAudioEditingExistsRequest::Result>(NoAudioEditingExistsRequest::Result{});
    });
    handlers.On<NoLoopsExistRequest>([](const NoLoopsExistRequest&) {
      return std::optional<NoLoopsExistRequest::Result>(NoLoopsExistRequest::Result{});
    });
  }
  void TearDown() override {
    if (program) program->App().modified = 0;
    program.reset();
  }

  // Starts the program and stops the intro with Esc, as a user would.
  void Start() {
    ASSERT_TRUE(program->Start());
    Activate(&Frame());
    QTest::keyClick(&Frame(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([this] { return App().playing.load() == 0; }, 5000));
    App().modified = 0;
  }

  CProApp& App() { return program->App(); }
  CMainFrame& Frame() { return program->Frame(); }
  CProView& View() { return *static_cast<CProView*>(Frame().View()->Widget()); }
  CTrackViewGUI& TrackView() { return *static_cast<CTrackViewGUI*>(View().TrackView()); }
  QWidget* ToolWindow(ui::ToolWindow window) { return program->ViewHost().ToolWindowWidget(window); }

  // The window takes the keyboard, as a click on it gives it (the offscreen
  // platform leaves it with a window that has gone).
  static void Activate(QWidget* window) {
    QWindow* handle = window->window()->windowHandle();
    ASSERT_NE(handle, nullptr);
    if (QGuiApplication::focusWindow() != handle) handle->requestActivate();
    ASSERT_TRUE(QTest::qWaitFor([handle] { return QGuiApplication::focusWindow() == handle; }, 2000));
  }

  // A menu item chosen with the keyboard: Alt and the menu's letter, the arrow
  // keys down to the item, Return.
  void ChooseMenuItem(Qt::Key menuKey, int commandId) {
    Activate(&Frame());
    QAction* target = Frame().OwnerDrawnMenu()->FindAction(commandId);
    ASSERT_NE(target, nullptr) << commandId;
    QTest::keyClick(&Frame(), menuKey, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    for (int step = 0; step < 40 && popup->activeAction() != target; ++step) QTest::keyClick(popup, Qt::Key_Down);
    ASSERT_EQ(popup->activeAction(), target) << commandId;
    QTest::keyClick(popup, Qt::Key_Return);
  }

  // The first snippet of track 1 (the intro's pad), clicked in its lane.
  void ClickFirstSnippet() {
    const view::EditorArea& area = View().trackViewArea;
    QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(area.x + trackview::kLaneX + 40, area.y + 30));
  }
  size_t SnippetsOfTrack(int index) {
    CAudioTrack* track = nullptr;
    return App().project.FindTrack(index, &track) == 1 && track ? track->Snippets().GetCount() : 0;
  }

  // One second of silence per second asked for, as the Audio Editor's independent audio.
  // The Track View's tempo edit, and a tempo typed there as a user types it, ended by Return.
  QLineEdit* TempoEdit() { return View().findChild<QLineEdit*>(QString::number(CProView::kTempoEditId)); }
  void TypeTempo(const char* text) {
    QLineEdit* tempo = TempoEdit();
    QTest::mouseClick(tempo, Qt::LeftButton);
    tempo->selectAll();
    QTest::keyClicks(tempo, QString::fromLatin1(text));
    QTest::keyClick(tempo, Qt::Key_Return);
  }
  // Every message box from now on closed at once, its text kept in boxes.
  void CollectBoxes(QStringList* boxes) {
    driver.On(QStringLiteral("QMessageBox"), [boxes](QWidget& box) {
      *boxes << static_cast<QMessageBox&>(box).text();
      box.close();
    });
  }
  std::shared_ptr<CAudioSegment> EditorAudio(uint32_t seconds) {
    const uint32_t frames = 44100 * seconds;
    std::vector<int16_t> silence(2 * static_cast<size_t>(frames), 0);
    auto segment = std::make_shared<CAudioSegment>(App().tempFolder);
    segment->SetFormat(AudioQuality{44100, 2, 16});
    EXPECT_EQ(segment->Open(1), 1);
    uint32_t written = 0;
    EXPECT_EQ(segment->Write(silence.data(), frames, &written), 0);
    segment->Close();
    segment->length = segment->viewEnd = segment->viewWidth = frames;
    segment->tempo = App().project.tempo;
    App().SetEditorIndependentAudio(segment);
    return segment;
  }

  CTempFolder audio;
  std::unique_ptr<CProgram> program;
  // A box nobody expected fails the test instead of holding it.
  CModalDriver driver{{{QStringLiteral("QMessageBox"), [](QWidget& box) {
                          ADD_FAILURE() << "unexpected box: "
                                        << static_cast<QMessageBox&>(box).text().toStdString();
                          box.close();
                        }}}};
};

// ---- Keys typed in a tool window --------------------------------------------------------------

// Delete typed in a tool window leaves the project as it was and Esc closes
// that window without stopping what plays; in the main window both keep their
// commands.
TEST_F(MainWindow, KeysTypedInAToolWindowBelongToIt) {
  Start();
  struct Case {
    const char* name;
    int command;
    ui::ToolWindow window;
    bool playDuringEsc;
  };
  const Case cases[] = {{"Realtime Audio Effects", kRealtimeEffects, ui::ToolWindow::Effects, true},
                        {"Audio Levels", kAudioLevels, ui::ToolWindow::Levels, true}};
  ClickFirstSnippet();
  ASSERT_EQ(App().project.CountSelectedSnippets(), 1) << "a snippet of track 1 is selected";
  const size_t before = SnippetsOfTrack(0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChooseMenuItem(Qt::Key_V, c.command);
    QWidget* window = ToolWindow(c.window);
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->windowTitle(), QString(c.name));
    Activate(window);
    QWidget* inside = window->findChild<QComboBox*>();
    ASSERT_NE(inside, nullptr);
    inside->setFocus();
    QTest::keyClick(inside, Qt::Key_Delete);
    EXPECT_EQ(SnippetsOfTrack(0), before) << "the Track View's snippet stays";
    EXPECT_EQ(App().modified, 0);

    if (c.playDuringEsc) {
      Activate(&Frame());
      QTest::keyClick(&Frame(), Qt::Key_Space, Qt::ControlModifier);
      ASSERT_EQ(App().playing.load(), 1);
      Activate(window);
    }
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible()) << "Esc closes the window";
    EXPECT_EQ(App().playing.load(), c.playDuringEsc ? 1 : 0) << "and the playback goes on";
    Activate(&Frame());
    QTest::keyClick(&Frame(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([this] { return App().playing.load() == 0; }, 5000));
  }

  // The main window's own keys are its commands again.
  ClickFirstSnippet();
  ASSERT_EQ(App().project.CountSelectedSnippets(), 1);
  QTest::keyClick(&Frame(), Qt::Key_Delete);
  EXPECT_EQ(SnippetsOfTrack(0), before - 1) << "Delete in the main window deletes the snippet";
}

// Enter in a value box of the effects window applies what was typed there, at once.
TEST_F(MainWindow, EnterInAnEffectValueBoxAppliesIt) {
  Start();
  ChooseMenuItem(Qt::Key_V, kRealtimeEffects);
  auto* window = qobject_cast<dialogs::CZelmoSettingsDialog*>(ToolWindow(ui::ToolWindow::Effects));
  ASSERT_NE(window, nullptr);
  Activate(window);
  auto* add = window->findChild<QComboBox*>(QString::number(dialogs::CZelmoSettingsDialog::kAddCombo));
  add->setFocus();
  QTest::keyClick(add, Qt::Key_Home);
  QTest::keyClick(add, Qt::Key_Down);  // "Echo"
  ASSERT_EQ(add->currentText(), QStringLiteral("Echo"));
  QTest::mouseClick(window->findChild<QPushButton*>(QString::number(dialogs::CZelmoSettingsDialog::kAdd)),
                    Qt::LeftButton);
  ASSERT_NE(window->PanelWidget(), nullptr);
  auto* delay = window->PanelWidget()->findChild<QLineEdit*>(QStringLiteral("1182"));
  ASSERT_NE(delay, nullptr);
  delay->setFocus();
  delay->selectAll();
  QTest::keyClicks(delay, QStringLiteral("120"));
  QTest::keyClick(delay, Qt::Key_Return);
  EchoParams echo{};
  ASSERT_TRUE(App().effectChains[0]);
  App().effectChains[0]->GetEffectParameters(0, &echo);
  EXPECT_FLOAT_EQ(echo.delayMsLeft, 120.0f);
  EXPECT_EQ(delay->text(), QStringLiteral("120.00"));
  EXPECT_TRUE(window->isVisible());
}

// Enter in the Track View's tempo edit applies the tempo once and gives the
// keyboard back to the view; while the project plays it is refused once.
TEST_F(MainWindow, EnterInTheTempoEditAppliesItOnce) {
  Start();
  QLineEdit* tempo = TempoEdit();
  ASSERT_NE(tempo, nullptr);
  auto type = [this](const char* text) { TypeTempo(text); };
  type("90");
  EXPECT_FLOAT_EQ(App().project.tempo, 90.0f);
  EXPECT_EQ(tempo->text(), QStringLiteral("90.00"));
  EXPECT_FALSE(tempo->hasFocus());

  QStringList boxes;
  CollectBoxes(&boxes);
  QTest::keyClick(&Frame(), Qt::Key_Space, Qt::ControlModifier);
  ASSERT_EQ(App().playing.load(), 1);
  type("100");
  EXPECT_EQ(boxes, QStringList{QStringLiteral("Sorry, cannot update tempo during playback.")});
  EXPECT_FLOAT_EQ(App().project.tempo, 90.0f);
  EXPECT_EQ(tempo->text(), QStringLiteral("90.00"));
  Activate(&Frame());
  QTest::keyClick(&Frame(), Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([this] { return App().playing.load() == 0; }, 5000));
}

// A tempo typed in the Track View keeps the project within 90 minutes: one
// that would pass them is refused with its box and moves no snippet, one that
// lands on them exactly is taken.
TEST_F(MainWindow, ATypedTempoKeepsTheProjectWithinNinetyMinutes) {
  Start();
  // 235,200,000 frames of audio at 81 BPM (as far as timing goes) last exactly 238,140,000 frames at 80.
  App().SetProjectTempo(81.0f);
  std::shared_ptr<CAudioSegment> segment = EditorAudio(1);
  App().ClearEditor();
  segment->length = 235200000;
  segment->tempo = 81.0f;
  auto whole = std::make_shared<CAudioSnippetExtended>(segment);
  whole->tempo = 81.0f;
  whole->SetTempo(81.0f);
  ASSERT_EQ(App().project.AddSnippetToTrack(whole, 0), 1);
  App().project.RecomputeProjectEnd();
  QLineEdit* tempo = TempoEdit();
  ASSERT_NE(tempo, nullptr);
  auto type = [this](const char* text) { TypeTempo(text); };
  QStringList boxes;
  CollectBoxes(&boxes);

  type("80");
  EXPECT_TRUE(boxes.isEmpty());
  EXPECT_FLOAT_EQ(App().project.tempo, 80.0f);
  EXPECT_EQ(whole->end, CProApp::kMaxProjectFrames);
  EXPECT_EQ(App().project.projectEnd, CProApp::kMaxProjectFrames);

  const uint32_t start = whole->start, end = whole->end;
  type("79");
  EXPECT_EQ(boxes, QStringList{QStringLiteral(
                       "Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.")});
  EXPECT_FLOAT_EQ(App().project.tempo, 80.0f);
  EXPECT_EQ(tempo->text(), QStringLiteral("80.00"));
  EXPECT_EQ(whole->start, start);
  EXPECT_EQ(whole->end, end);
  EXPECT_EQ(App().project.projectEnd, CProApp::kMaxProjectFrames);
}

// ---- The Audio Editor's tool window ---------------------------------------------------------

TEST_F(MainWindow, TheEditorToolWindowShowsTheAudioAndComesAndGoesWithTheEditor) {
  Start();
  std::shared_ptr<CAudioSegment> take = EditorAudio(2);
  QTest::keyClick(&Frame(), Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(View().GetViewMode(), ViewModeEditor);
  ChooseMenuItem(Qt::Key_V, kEditorTool);
  auto* tool = dynamic_cast<CAudioEditorToolDialog*>(ToolWindow(ui::ToolWindow::EditorTool));
  ASSERT_NE(tool, nullptr);
  EXPECT_TRUE(tool->isVisible());
  auto text = [tool](int id) { return tool->Field(id)->text().toStdString(); };
  EXPECT_EQ(text(CAudioEditorToolDialog::kTitleId), "Independent Audio");
  EXPECT_EQ(text(CAudioEditorToolDialog::kTotalLengthId), "00:02.000") << "the take's length";
  EXPECT_EQ(text(CAudioEditorToolDialog::kAudioTempoId), "120.00");
  EXPECT_EQ(text(CAudioEditorToolDialog::kProjectTempoId), "120.00");
  EXPECT_EQ(text(CAudioEditorToolDialog::kMarkerStartId), "--");

  // A click on the waveform moves the tracker, and the window follows.
  const view::EditorArea& area = View().audioEditorArea;
  QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(area.x + 48 + (area.width - 94) / 2, area.y + 40));
  ASSERT_GT(take->trackerStart, 0u);
  char expected[64] = {};
  FormatSamplesAsTime(take->trackerStart, 44100, expected);
  EXPECT_EQ(text(CAudioEditorToolDialog::kTrackerStartId), expected);

  // Away from the Audio Editor the window goes, and it comes back with it.
  QTest::keyClick(&Frame(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_FALSE(tool->isVisible()) << "not over the Track View";
  QTest::keyClick(&Frame(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_TRUE(tool->isVisible());
  EXPECT_EQ(text(CAudioEditorToolDialog::kTotalLengthId), "00:02.000");

  // The command again closes it, for good.
  ChooseMenuItem(Qt::Key_V, kEditorTool);
  EXPECT_FALSE(tool->isVisible());
  QTest::keyClick(&Frame(), Qt::Key_T, Qt::ControlModifier);
  QTest::keyClick(&Frame(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_FALSE(tool->isVisible());

  // Its keys are its own: Delete there leaves a highlighted section be, Esc closes it.
  const int y = area.y + 40;
  QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(area.x + 60, y));
  QTest::mouseMove(&View(), QPoint(area.x + 200, y));
  QTest::mouseRelease(&View(), Qt::LeftButton, {}, QPoint(area.x + 200, y));
  ASSERT_GT(take->trackerSize, 0u) << "a section is highlighted";
  ChooseMenuItem(Qt::Key_V, kEditorTool);
  ASSERT_TRUE(tool->isVisible());
  Activate(tool);
  QTest::keyClick(tool, Qt::Key_Delete);
  EXPECT_EQ(App().GetEditorSegment(), take);
  EXPECT_EQ(take->length, 2u * 44100);
  QTest::keyClick(tool, Qt::Key_Escape);
  EXPECT_FALSE(tool->isVisible());
  EXPECT_EQ(tool->shown, 0);
}

// ---- The ruler -------------------------------------------------------------------------------

// The grid the Track View draws and snaps to is the one its project gives now.
TEST_F(MainWindow, TheRulerFollowsAnOpenedProjectAndANewTempo) {
  Start();
  auto expectGrid = [this](const char* when) {
    SCOPED_TRACE(when);
    const CAudioTrackList& project = App().project;
    trackview::Grid expected;
    trackview::ComputeGrid(expected, {project.tempo, project.beatsPerBarChoice, project.timeDisplay, project.viewWidth,
                                      View().trackViewArea.width - trackview::kLaneWidthMargin});
    const trackview::Grid& shown = TrackView().GetGrid();
    EXPECT_EQ(shown.kind, trackview::kGridBars);
    EXPECT_EQ(shown.kind, expected.kind);
    EXPECT_FLOAT_EQ(shown.unit, expected.unit);
    EXPECT_FLOAT_EQ(shown.snapUnit, expected.snapUnit);
    EXPECT_EQ(shown.gridPixels, expected.gridPixels);
    EXPECT_GE(shown.gridPixels, 80) << "bars stand at least 80 pixels apart";
  };
  expectGrid("the intro opened at the first start");

  // Saved, replaced by a new project, and opened again.
  const std::string path = audio / "song.qvk";
  ASSERT_EQ(App().SaveProject(path), 1);
  ChooseMenuItem(Qt::Key_F, kNewProject);
  ASSERT_EQ(SnippetsOfTrack(0), 0u);
  // The saved file dragged from a file manager onto the main window.
  QMimeData file;
  file.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &file, Qt::LeftButton, {});
  QApplication::sendEvent(&Frame(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &file, Qt::LeftButton, {});
  QApplication::sendEvent(&Frame(), &drop);
  ASSERT_GT(SnippetsOfTrack(0), 0u) << "the project is open";
  expectGrid("a project opened");

  // Project Settings: the tempo typed there and OK.
  driver.On(QStringLiteral("dlg257"), [](QWidget& dialog) {
    auto* tempo = Control<QLineEdit>(&dialog, 1228);
    ASSERT_NE(tempo, nullptr);
    // The box takes what is typed once the dialog has the keyboard and the box the focus.
    Activate(&dialog);
    QTest::mouseClick(tempo, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([tempo] { return tempo->hasFocus(); }, 2000));
    tempo->selectAll();
    QTest::keyClicks(tempo, QStringLiteral("90"));
    QTest::keyClick(tempo, Qt::Key_Tab);
    ClickButton(dialog, 1);
  });
  ChooseMenuItem(Qt::Key_S, kProjectSettings);
  ASSERT_TRUE(driver.HasMet(QStringLiteral("dlg257")));
  ASSERT_FLOAT_EQ(App().project.tempo, 90.0f);
  expectGrid("the tempo changed in Project Settings");
}

// ---- The effects window's size ------------------------------------------------------------

// Whatever it shows, the effects window keeps one size, which a 1280 x 800
// screen holds whole; on a smaller screen it is shrunk to it, and its own
// controls stay whole, down to its smallest size, while a panel scrolls.
TEST_F(MainWindow, TheEffectsWindowKeepsOneSizeThatFitsTheScreen) {
  using W = dialogs::CZelmoSettingsDialog;
  Start();
  ChooseMenuItem(Qt::Key_V, kRealtimeEffects);
  auto* window = qobject_cast<W*>(ToolWindow(ui::ToolWindow::Effects));
  ASSERT_NE(window, nullptr);
  const QSize asked = window->sizeHint();
  EXPECT_LE(asked.width(), 1280 - 100) << "beside the effects, room for the window's border on 1280 pixels";
  EXPECT_LE(asked.height(), 800 - 100);
  const QRect screen = window->screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(window->frameGeometry())) << "whole on the screen";
  const QSize border = window->frameGeometry().size() - window->size();
  EXPECT_EQ(window->size(), asked.boundedTo(screen.size() - border)) << "as large as asked, or as the screen";
  const QSize size = window->size();

  // Its own controls, whole inside it.
  auto expectControlsWhole = [window](const char* when) {
    SCOPED_TRACE(when);
    for (int id : {W::kChainCombo, W::kAddCombo, W::kAdd, W::kMoveForward, W::kMoveBack, W::kRemove, W::kRemoveAll,
                   W::kBypassCurrent, W::kBypassTrack, W::kBypassAll}) {
      auto* control = window->findChild<QWidget*>(QString::number(id));
      ASSERT_NE(control, nullptr) << id;
      EXPECT_TRUE(control->isVisible()) << id;
      EXPECT_TRUE(window->rect().contains(QRect(control->mapTo(window, QPoint(0, 0)), control->size()))) << id;
    }
  };
  expectControlsWhole("opened");

  // Each effect added in turn and shown: the window's size does not move.
  Activate(window);
  auto* add = window->findChild<QComboBox*>(QString::number(W::kAddCombo));
  auto* addButton = window->findChild<QPushButton*>(QString::number(W::kAdd));
  driver.On(QStringLiteral("dlg269"), [](QWidget& question) { ClickButton(question, 1290); });
  for (int item = 0; item < add->count(); ++item) {
    SCOPED_TRACE(add->itemText(item).toStdString());
    add->setFocus();
    QTest::keyClick(add, Qt::Key_Home);
    for (int k = 0; k < item; ++k) QTest::keyClick(add, Qt::Key_Down);
    QTest::mouseClick(addButton, Qt::LeftButton);
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->sizeHint(), asked);
  }
  ASSERT_EQ(window->findChild<QTabBar*>(QString::number(W::kTabs))->count(), add->count());
  ASSERT_NE(window->PanelWidget(), nullptr) << "the equalizer, added last, is shown";

  // At its smallest the panel scrolls and nothing of the window's own is cut.
  window->resize(window->minimumSize());
  QApplication::processEvents();
  expectControlsWhole("at the smallest size");
  auto* page = window->findChild<QScrollArea*>(QStringLiteral("1033area"));
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->horizontalScrollBar()->isVisible() || page->verticalScrollBar()->isVisible())
      << "the panel can be scrolled into view";
  QTest::mouseClick(window->findChild<QPushButton*>(QString::number(W::kRemoveAll)), Qt::LeftButton);
}

// The lower tool bars' position sliders end inside the window.
TEST_F(MainWindow, ThePositionSlidersEndInsideTheWindow) {
  Start();
  for (const QSize size : {QSize(700, 400), QSize(800, 600)}) {
    Frame().resize(size);
    for (int mode : {ViewModeTrack, ViewModeEditor}) {
      SCOPED_TRACE(mode);
      QTest::keyClick(&Frame(), mode == ViewModeTrack ? Qt::Key_T : Qt::Key_E, Qt::ControlModifier);
      QApplication::processEvents();
      QWidget* slider = mode == ViewModeTrack ? static_cast<QWidget*>(Frame().trackToolBar->positionSlider)
                                              : Frame().findChild<QWidget*>(QStringLiteral("32992"));
      ASSERT_NE(slider, nullptr);
      const QRect inFrame(slider->mapTo(&Frame(), QPoint(0, 0)), slider->size());
      EXPECT_LE(inFrame.right(), Frame().width() - 5) << size.width() << ": its end shows whole";
    }
  }
}

// ---- Colours ---------------------------------------------------------------------------------

// A colour chosen in Color Settings shows at once; Cancel puts back every
// colour the dialog had changed.
TEST_F(MainWindow, ColorSettingsShowAtOnceAndCancelPutsTheOldColoursBack) {
  Start();
  // A pixel of track 1's snippet box, clear of its waveform.
  const int x = trackview::kLaneX + 20, y = trackview::kFirstRowY + 3;
  auto trackColours = [this] {
    TrackColorSet colours;
    EXPECT_EQ(App().project.GetTrackColors(0, &colours), 1);
    return colours;
  };
  const TrackColorSet before = trackColours();
  const TrackColorSet editorBefore = App().config.colorSets[ProConfig::kIndependentColorSet];
  const draw::COLORREF pixelBefore = TrackView().BackBuffer().Pixel(x, y);
  ASSERT_EQ(pixelBefore, before.snippetBox);
  // The next colour of a combo, chosen with the arrow keys.
  auto chooseNext = [](QComboBox* combo) {
    ASSERT_NE(combo, nullptr);
    combo->setFocus();
    QTest::keyClick(combo, combo->currentIndex() + 1 < combo->count() ? Qt::Key_Down : Qt::Key_Up);
  };
  driver.On(QStringLiteral("dlg283"), [&](QWidget& dialog) {
    Activate(&dialog);
    chooseNext(Control<QComboBox>(&dialog, 1110));  // the snippet box of track 1
    const TrackColorSet shown = trackColours();
    EXPECT_NE(shown.snippetBox, before.snippetBox) << "the colour is the track's at once";
    EXPECT_EQ(TrackView().BackBuffer().Pixel(x, y), shown.snippetBox) << "and the Track View shows it";
    chooseNext(Control<QComboBox>(&dialog, 1102));  // the Audio Editor's waveform
    EXPECT_NE(App().config.colorSets[ProConfig::kIndependentColorSet].waveformFill, editorBefore.waveformFill);
    ClickButton(dialog, 2);
  });
  ChooseMenuItem(Qt::Key_S, kColorSettings);
  ASSERT_TRUE(driver.HasMet(QStringLiteral("dlg283")));
  const TrackColorSet after = trackColours();
  EXPECT_EQ(after.snippetBox, before.snippetBox) << "Cancel puts the track's colour back";
  EXPECT_EQ(after.waveformFill, before.waveformFill);
  EXPECT_EQ(App().config.colorSets[0].snippetBox, before.snippetBox);
  EXPECT_EQ(App().config.colorSets[ProConfig::kIndependentColorSet].waveformFill, editorBefore.waveformFill);
  EXPECT_EQ(TrackView().BackBuffer().Pixel(x, y), pixelBefore);
}

// ---- The Track View's navigation buttons --------------------------------------------------------

// Five skinned buttons as the Audio Editor's: a picture each for normal, hot
// and pressed, whole above the view's frame, each clicked into its operation.
TEST_F(MainWindow, TheTrackViewsNavigationButtonsAreSkinnedButtons) {
  Start();
  for (int i = 0; i < CTrackViewGUI::kNavButtonCount; ++i) {
    CMyButton* button = TrackView().NavigationButton(i);
    ASSERT_NE(button, nullptr) << i;
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->parentWidget(), &View());
    EXPECT_EQ(button->MessageId(), 42935 + i);
    EXPECT_EQ(button->size(), QSize(17, 18));
    EXPECT_LT(button->geometry().bottom(), View().height() - 4) << "whole above the frame's bottom edge";
    EXPECT_LT(button->geometry().right(), View().width() - 4);
  }

  // Normal, hot and pressed are three pictures.
  CMyButton* zoomIn = TrackView().NavigationButton(3);
  const QImage normal = zoomIn->grab().toImage();
  QTest::mouseMove(zoomIn, QPoint(8, 9));
  ASSERT_TRUE(QTest::qWaitFor([zoomIn] { return zoomIn->IsHot() == 1; }, 2000));
  const QImage hot = zoomIn->grab().toImage();
  QTest::mousePress(zoomIn, Qt::LeftButton, {}, QPoint(8, 9));
  EXPECT_EQ(zoomIn->IsPressed(), 1);
  const QImage pressed = zoomIn->grab().toImage();
  EXPECT_NE(hot, normal);
  EXPECT_NE(pressed, hot);
  EXPECT_NE(pressed, normal);
  QTest::mouseRelease(zoomIn, Qt::LeftButton, {}, QPoint(8, 9));
  EXPECT_EQ(zoomIn->IsPressed(), 0);

  // Each click is its operation (the press above zoomed in once).
  CAudioTrackList& project = App().project;
  ASSERT_TRUE(QTest::qWaitFor([&] { return project.viewWidth < project.projectEnd; }, 2000)) << "zoom in";
  const uint32_t zoomed = project.viewWidth;
  auto click = [this](int index) { QTest::mouseClick(TrackView().NavigationButton(index), Qt::LeftButton); };
  click(4);
  EXPECT_TRUE(QTest::qWaitFor([&] { return project.viewWidth > zoomed; }, 2000)) << "zoom out";
  const int rows = TrackView().VisibleRows();
  click(0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return TrackView().VisibleRows() == rows - 1; }, 2000)) << "fewer rows";
  click(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return TrackView().VisibleRows() == rows; }, 2000)) << "more rows";
  click(3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return project.viewStart > 0 || project.viewEnd < project.projectEnd; }, 2000));
  click(2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return project.viewStart == 0 && project.viewEnd == project.projectEnd; }, 2000))
      << "whole project";
}

// ---- Screens and help ----------------------------------------------------------------------------

// On a desktop scaled to 2 the screen is small: a main window stored for a
// larger one opens whole on this one, shrunk to it.
TEST_F(MainWindow, TheMainWindowOpensWholeOnItsScreen) {
  program.reset();
  {
    QSettings profile(QString::fromStdString(platform::ProgramFolder() + "/profile.ini"), QSettings::IniFormat);
    profile.setValue(QStringLiteral("Settings/MainWndPos"), QStringLiteral("0,1,-1,-1,-1,-1,300,400,1300,1300"));
  }
  MakeProgram();
  Start();
  ASSERT_TRUE(QTest::qWaitFor([this] { return Frame().HasPainted(); }, 3000));
  QTest::qWait(50);  // the stored placement comes after the first paint
  const QRect screen = Frame().screen()->availableGeometry();
  EXPECT_TRUE(screen.contains(Frame().frameGeometry()))
      << Frame().frameGeometry().x() << "," << Frame().frameGeometry().y() << " "
      << Frame().frameGeometry().width() << "x" << Frame().frameGeometry().height();
}

// With no program to open the manual's page, F1 says where the page is.
TEST_F(MainWindow, F1WithoutABrowserSaysWhereTheManualIs) {
  Start();
  CHyperLink::SetOpener([](const QUrl&) { return false; });
  QString text;
  driver.On(QStringLiteral("QMessageBox"), [&text](QWidget& box) {
    text = static_cast<QMessageBox&>(box).text();
    box.close();
  });
  Activate(&Frame());
  QTest::keyClick(&Frame(), Qt::Key_F1);
  CHyperLink::SetOpener(nullptr);
  EXPECT_TRUE(text.contains(QString::fromStdString(platform::InstalledDataFolder() + "/manual/index.html")))
      << text.toStdString();
}

}  // namespace
}  // namespace tessiro::test
