// The windows as a user meets them, through the whole program: row names and
// buttons, clicks with and without Ctrl and Shift, a highlight dragged either
// way, menu commands and the tool bars, the properties and settings dialogs,
// the notices, the folder chooser and the first start on a machine without
// sound. Each test starts the program as main does and stops its intro.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

#include "AudioFixtures.h"
#include "AudioFolder.h"
#include "AudioSegment.h"
#include "AudioSnippet.h"
#include "BrowseFolderDialog.h"
#include "DialogKit.h"
#include "Folders.h"
#include "Program.h"
#include "ProjectFiles.h"
#include "ReportRecorder.h"
#include "Walk.h"
#include "WaveAudio.h"
#include "controls/HyperLink.h"
#include "controls/MyEdit.h"
#include "editor/WaveformEditorGUI.h"
#include "frame/MainFrame.h"
#include "loopbank/LoopBankGUI.h"
#include "frame/SkinToolBar.h"
#include "frame/ToolBarEditorLower.h"
#include "frame/ToolBarUpper.h"
#include "pro.h"
#include "trackview/TrackViewGUI.h"
#include "view/ProView.h"

namespace tessiro::test {
namespace {

constexpr int kPlay = 32834, kStop = 32835, kNewProject = 32969;
constexpr int kEditSnippet = 32915;
constexpr int kTrackViewCommand = 32944, kEditorView = 32945, kLoopBankView = 32946;
constexpr int kProjectSettings = 32913, kApplicationSettings = 32787;
constexpr int kBrowseInSettings = 1312, kBrowseOnFirstStart = 1104;
constexpr int kSaveProject = 32923, kSaveProjectAs = 32935, kExportProject = 32914;
constexpr int kMonoChoice = 1022, kStereoChoice = 1023;

// What a message box said, answered with its OK.
CModalDriver::Answer ReadBox(QString* text) {
  return [text](QWidget& window) {
    auto* box = qobject_cast<QMessageBox*>(&window);
    ASSERT_NE(box, nullptr);
    if (text) *text = box->text();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  };
}

// Typed into a dialog's box, which takes it as the focus moves on (Enter would be the dialog's OK).
void TypeInto(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Tab);
}

// The folder chooser's title, then its Cancel.
CModalDriver::Answer CancelChooser(QString* title, CWalk& walk, const char* shot) {
  return [title, &walk, shot](QWidget& window) {
    walk.Shot(shot);
    if (title) *title = window.windowTitle();
    qobject_cast<QDialog*>(&window)->reject();
  };
}

class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove((platform::ProgramFolder() + "/qvk.cfg").c_str());
    std::remove((platform::ProgramFolder() + "/profile.ini").c_str());
  }

  // A first start with the audio folder of the test; the intro stopped as it begins.
  // The hooks see the two first-start pages before their OK.
  void Start(std::function<void(QWidget& page)> onSettings = {}, std::function<void(QWidget& page)> onWelcome = {}) {
    walk.AnswerFirstStart(std::move(onSettings), std::move(onWelcome));
    ASSERT_TRUE(walk.StartProgram());
    ASSERT_TRUE(walk.Pick(kStop));
    ASSERT_TRUE(walk.WaitUntilIdle(5000));
    ASSERT_GE(walk.SnippetsOn(1).size(), 4u) << "the intro's melody";
  }

  CMainFrame& Frame() { return walk.Program().Frame(); }
  CProApp& App() { return walk.App(); }

  CWalk walk;
};

TEST_F(Windows, RenamingATrackMarksTheProjectModified) {
  Start();
  ASSERT_EQ(App().modified, 0) << "the intro as it opened";
  const int row = walk.ShowTrack(2);
  walk.Type(walk.TrackView().NameEdit(row), QStringLiteral("Strings"));
  EXPECT_EQ(walk.Track(2).description, "Strings");
  EXPECT_EQ(App().modified, 1) << "a new name is a change to save";
}

// Clicks on the snippets of one track: a plain click keeps the track's other
// selected snippets, Ctrl toggles one, Shift takes the run from the last one clicked.
TEST_F(Windows, ClicksOnSnippetsSelectAsTheirKeysSay) {
  Start();
  walk.ShowTrack(1);
  const auto snippets = walk.SnippetsOn(1);
  std::vector<QPoint> at;
  for (size_t i = 0; i < 4; ++i) at.push_back(walk.SnippetPoint(*snippets[i]));
  const auto selected = [&] {
    std::string marks;
    for (size_t i = 0; i < 4; ++i) marks += snippets[i]->selected ? 'x' : '.';
    return marks;
  };
  struct Step {
    size_t snippet;
    Qt::KeyboardModifiers keys;
    const char* after;
  };
  const Step steps[] = {
      {0, Qt::NoModifier, "x..."},       {1, Qt::ControlModifier, "xx.."}, {0, Qt::NoModifier, "xx.."},
      {1, Qt::NoModifier, "xx.."},       {0, Qt::ControlModifier, ".x.."}, {3, Qt::ShiftModifier, ".xxx"},
      {2, Qt::ControlModifier, ".x.x"},  {3, Qt::ControlModifier, ".x.."},
  };
  int n = 0;
  for (const Step& step : steps) {
    walk.Click(at[step.snippet], step.keys);
    EXPECT_EQ(selected(), step.after) << "step " << n << ": snippet " << step.snippet;
    ++n;
  }
  // A click on another track's snippet leaves this track with none.
  walk.Click(walk.SnippetPoint(*walk.SnippetsOn(0).at(0)), Qt::ControlModifier);
  EXPECT_EQ(selected(), "....");
  EXPECT_EQ(walk.SnippetsOn(1)[0]->start, snippets[0]->start) << "clicks move nothing";
}

// A highlight dragged from right to left covers what the same drag from left
// to right does, and the tool bar's time boxes follow it while it is dragged.
TEST_F(Windows, AHighlightDraggedEitherWayIsTheSameAndItsTimesFollowTheDrag) {
  Start();
  ASSERT_TRUE(walk.PickFromContextMenu(walk.SnippetPoint(*walk.SnippetsOn(0).at(0)), kEditSnippet));
  ASSERT_EQ(walk.Program().ViewHost().GetViewMode(), 2);
  ASSERT_TRUE(App().editorSegment);
  CAudioSegment& audio = *App().editorSegment;
  CMyToolBarEditorLower& bar = *Frame().editorToolBar;
  const auto times = [&] {
    return bar.Box(CMyToolBarEditorLower::kStartBoxId)->text() + " " + bar.Box(CMyToolBarEditorLower::kEndBoxId)->text() +
           " " + bar.Box(CMyToolBarEditorLower::kSizeBoxId)->text();
  };
  const uint32_t length = audio.length;
  const QPoint left = walk.EditorPoint(length / 4), right = walk.EditorPoint(length * 3 / 5);

  walk.Drag(left, right);
  const uint32_t start = audio.trackerStart, end = audio.trackerEnd;
  ASSERT_LT(start, end);
  const QString shown = times();

  // A click elsewhere, then the drag the other way, looked at before the button is let go.
  walk.Click(walk.EditorPoint(length / 10));
  ASSERT_NE(times(), shown);
  CProView& view = walk.View();
  QTest::mousePress(&view, Qt::LeftButton, {}, right);
  for (int k = 1; k <= 8; ++k) QTest::mouseMove(&view, right + (left - right) * k / 8, 5);
  EXPECT_EQ(audio.trackerStart, start);
  EXPECT_EQ(audio.trackerEnd, end) << "the highlight is not empty";
  EXPECT_EQ(times(), shown) << "the boxes follow the drag";
  QTest::mouseRelease(&view, Qt::LeftButton, {}, left);
  EXPECT_EQ(audio.trackerStart, start);
  EXPECT_EQ(audio.trackerEnd, end);
  EXPECT_EQ(times(), shown);
}

// A menu command's effect on the tool bars shows at once, not at the next refresh.
TEST_F(Windows, AMenuCommandRefreshesTheToolBarsAtOnce) {
  Start();
  CSkinToolBar& bar = *Frame().upperToolBar;
  ASSERT_TRUE(bar.IsButtonEnabled(kNewProject));
  ASSERT_TRUE(walk.Pick(kPlay));
  ASSERT_EQ(App().playing.load(), 1);
  EXPECT_FALSE(bar.IsButtonEnabled(kNewProject)) << "New waits while the project plays";
  ASSERT_TRUE(walk.Pick(kStop));
  ASSERT_TRUE(walk.WaitUntilIdle(5000));
  EXPECT_TRUE(bar.IsButtonEnabled(kNewProject));
}

// Mono and Stereo in Track Properties set the track's channels as they are clicked.
TEST_F(Windows, TheStereoAndMonoChoicesSetTheTracksChannels) {
  Start();
  const int row = walk.ShowTrack(1);
  const struct {
    int choice;
    int16_t channels;
  } clicks[] = {{kMonoChoice, 1}, {kStereoChoice, 2}, {kStereoChoice, 2}, {kMonoChoice, 1}, {kStereoChoice, 2}};
  walk.Driver().On(QStringLiteral("dlg190"), [&](QWidget& dialog) {
    for (const auto& click : clicks) {
      auto* radio = Control<QRadioButton>(&dialog, click.choice);
      ASSERT_NE(radio, nullptr);
      QTest::mouseClick(radio, Qt::LeftButton);
      EXPECT_EQ(walk.Track(1).recordingChannels, click.channels) << "after " << click.choice;
    }
    ClickButton(dialog, 2);
  });
  QTest::mouseClick(walk.TrackView().RowButton(row, CTrackViewGUI::kProps), Qt::LeftButton);
  ASSERT_TRUE(walk.Driver().HasMet(QStringLiteral("dlg190")));
  EXPECT_EQ(walk.Track(1).recordingChannels, 2) << "they hold even when the dialog is cancelled";
}

// Every tag typed in Project Settings reaches the project.
TEST_F(Windows, ProjectSettingsKeepEveryTypedTag) {
  Start();
  walk.Driver().On(QStringLiteral("dlg257"), [this](QWidget& dialog) {
    for (const auto& [id, text] : {std::pair{1163, "First Hour"}, {1164, "The Walkers"}, {1165, "Tests"}, {1166, "2024"}}) {
      TypeInto(Control<QLineEdit>(&dialog, id), QString::fromUtf8(text));
    }
    auto* description = Control<QPlainTextEdit>(&dialog, 1150);
    ASSERT_NE(description, nullptr);
    QTest::mouseClick(description->viewport(), Qt::LeftButton);
    QTest::keyClick(description, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(description, QStringLiteral("Taken in one go"));
    ClickOk(dialog);
  });
  ASSERT_TRUE(walk.Pick(kProjectSettings));
  const ProjectTags& tags = App().projectTags;
  EXPECT_EQ(tags.title, "First Hour");
  EXPECT_EQ(tags.artist, "The Walkers");
  EXPECT_EQ(tags.album, "Tests");
  EXPECT_EQ(tags.year, "2024");
  EXPECT_EQ(tags.description, "Taken in one go");
  EXPECT_EQ(App().modified, 1);
}

// Text that is no number reads as 0 in the Track View's tempo box and in the
// level, tempo and pitch boxes of Project Settings, clamped as 0 would be.
TEST_F(Windows, TextThatIsNoNumberReadsAsZero) {
  Start();
  for (const char* typed : {"nan", "inf", "abc"}) {
    walk.Type(walk.TrackView().TempoEdit(), QStringLiteral("180"));
    ASSERT_FLOAT_EQ(App().project.tempo, 180.0f);
    walk.Type(walk.TrackView().TempoEdit(), QString::fromLatin1(typed));
    EXPECT_FLOAT_EQ(App().project.tempo, 50.0f) << typed;
    EXPECT_EQ(walk.TrackView().TempoEdit()->text(), QStringLiteral("50.00")) << typed;

    walk.Driver().On(QStringLiteral("dlg257"), [typed](QWidget& dialog) {
      for (int id : {1235, 1236, 1228, 1240}) TypeInto(Control<QLineEdit>(&dialog, id), QString::fromLatin1(typed));
      EXPECT_EQ(Control<QLineEdit>(&dialog, 1235)->text(), QStringLiteral("0.00")) << typed;
      EXPECT_EQ(Control<QLineEdit>(&dialog, 1228)->text(), QStringLiteral("50.00")) << typed;
      ClickOk(dialog);
    });
    App().project.masterLeftGain = 0.5f;
    ASSERT_TRUE(walk.Pick(kProjectSettings));
    EXPECT_FLOAT_EQ(App().project.masterLeftGain.load(), 1.0f) << typed << ": 0 dB";
    EXPECT_FLOAT_EQ(App().project.tempo, 50.0f) << typed;
    EXPECT_FLOAT_EQ(App().project.globalPitch.load(), 0.0f) << typed;
  }
}

// The Loop Bank's row header reads as the Track View's: caption, number and
// card at the same pixels (both first rows are number 1).
TEST_F(Windows, TheLoopBanksRowHeadersReadAsTheTrackViews) {
  Start();
  ASSERT_GT(App().loopBank.GetCount(), 0) << "the intro's loops";
  const QRect header(5, 4, 189, 20);  // the header card's caption and number row
  const auto pixels = [&header](const draw::CBitmap& back) { return back.Image().copy(header); };
  walk.Shot("track-view");
  const QImage tracks = pixels(walk.TrackView().BackBuffer());
  ASSERT_TRUE(walk.Pick(kLoopBankView));
  walk.Shot("loop-bank");
  const QImage loops = pixels(dynamic_cast<CLoopBankGUI&>(*walk.View().LoopBank()).BackBuffer());
  ASSERT_EQ(tracks.size(), loops.size());
  // The captions differ ("TRACK", "LOOP"); from where they end on, the rows are the same.
  const int numberFrom = 46 - header.x();
  int differing = 0, ink = 0;
  const QRgb ground = tracks.pixel(numberFrom + 20, 2);
  // Below the selection's top band, which one of the two rows may carry.
  for (int y = 5; y < header.height(); ++y) {
    for (int x = numberFrom; x < 62 - header.x(); ++x) {
      differing += tracks.pixel(x, y) != loops.pixel(x, y);
      ink += tracks.pixel(x, y) != ground;
    }
  }
  EXPECT_GT(ink, 5) << "the number is drawn";
  EXPECT_EQ(differing, 0) << "the numbers stand at the same pixels";
  ASSERT_TRUE(walk.Pick(kTrackViewCommand));
}

// The notices' links are plain text in link colours, not underlined; the about
// box keeps its underlined links.
TEST_F(Windows, TheNoticesShowTheirLinksWithoutUnderline) {
  std::vector<std::string> underlined;
  const auto readLinks = [this, &underlined](QWidget& window) {
    walk.Shot("links-" + window.objectName().toStdString());
    const QList<CHyperLink*> links = window.findChildren<CHyperLink*>();
    EXPECT_FALSE(links.isEmpty()) << window.objectName().toStdString();
    for (CHyperLink* link : links) {
      if (link->font().underline()) underlined.push_back(window.objectName().toStdString());
    }
  };
  Start({}, readLinks);
  // A new project: nothing in the Audio Editor, no loops.
  ASSERT_TRUE(walk.Pick(kNewProject));
  for (const auto& [command, notice] : {std::pair{kEditorView, "CNoAudioEditingExistsDialog"},
                                        std::pair{kLoopBankView, "CNoLoopsExistDialog"}}) {
    walk.Driver().On(QString::fromLatin1(notice), [&](QWidget& window) {
      readLinks(window);
      ClickOk(window);
    });
    ASSERT_TRUE(walk.Pick(command));
    EXPECT_TRUE(walk.Driver().HasMet(QString::fromLatin1(notice)));
    ASSERT_TRUE(walk.Pick(kTrackViewCommand));
  }
  EXPECT_TRUE(underlined.empty()) << underlined.front();
}

// A refused Arm shows its button as it was while the message says why.
TEST_F(Windows, ARefusedArmIsTurnedBackBeforeItsMessage) {
  Start();
  ASSERT_EQ(walk.Track(3).GetType(), CAudioTrack::kTypeLoopBased) << "the intro's drums";
  const int row = walk.ShowTrack(3);
  QPushButton* arm = walk.TrackView().RowButton(row, CTrackViewGUI::kArm);
  bool checkedDuringMessage = true;
  QString text;
  walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& box) {
    walk.Shot("arm-refused");
    checkedDuringMessage = arm->isChecked();
    ReadBox(&text)(box);
  });
  QTest::mouseClick(arm, Qt::LeftButton);
  EXPECT_EQ(text, QStringLiteral("Cannot record extended audio to a loop based track."));
  EXPECT_FALSE(checkedDuringMessage);
  EXPECT_FALSE(arm->isChecked());
  EXPECT_EQ(walk.Track(3).armed, 0);
}

// The audio folder's chooser has one title, from the first start and from Application Settings.
TEST_F(Windows, TheFolderChooserHasOneTitleEverywhere) {
  QString onFirstStart, inSettings;
  walk.Driver().On(QStringLiteral("QFileDialog"), CancelChooser(&onFirstStart, walk, "chooser-first-start"));
  Start([](QWidget& page) { ClickButton(page, kBrowseOnFirstStart); });
  EXPECT_EQ(onFirstStart, QString::fromUtf8(CBrowseFolderDialog::kTitle));
  walk.Driver().On(QStringLiteral("QFileDialog"), CancelChooser(&inSettings, walk, "chooser-settings"));
  walk.Driver().On(QStringLiteral("dlg288"), [](QWidget& dialog) {
    ClickButton(dialog, kBrowseInSettings);
    ClickButton(dialog, 2);
  });
  ASSERT_TRUE(walk.Pick(kApplicationSettings));
  EXPECT_EQ(inSettings, QString::fromUtf8(CBrowseFolderDialog::kTitle));
}

// A folder too long to be kept whole, typed on the first start's page or
// browsed in Application Settings: refused with its message, the folder kept.
TEST_F(Windows, AnAudioFolderTooLongToKeepIsRefusedWhereverItIsChosen) {
  const std::string base = walk.AudioFolder().Path();
  const std::string tooLong = base + "/" + std::string(kMaxAudioFolderBytes - base.size(), 'x');
  ASSERT_TRUE(platform::CreateFolder(tooLong));
  QString onPage, inSettings;
  walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& box) {
    walk.Shot("audio-folder-too-long-first-start");
    ReadBox(&onPage)(box);
  });
  Start([&](QWidget& page) {
    auto* path = Control<QLineEdit>(&page, 1331);
    ASSERT_NE(path, nullptr);
    path->setFocus();
    path->selectAll();
    QTest::keyClicks(path, QString::fromStdString(tooLong));
    ClickOk(page);  // refused: the page stays for the walk's own folder
    EXPECT_TRUE(page.isVisible());
  });
  EXPECT_EQ(onPage.toStdString(), TooLongFolderText(tooLong));
  EXPECT_EQ(App().audioFolder, base);

  int choosers = 0;
  walk.Driver().On(QStringLiteral("QFileDialog"), [&](QWidget& chooser) {
    if (choosers++ == 0) {
      walk.ChooseFile(tooLong)(chooser);
    } else {
      CancelChooser(nullptr, walk, "chooser-after-the-refusal")(chooser);
    }
  });
  walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& box) {
    walk.Shot("audio-folder-too-long-settings");
    ReadBox(&inSettings)(box);
  });
  walk.Driver().On(QStringLiteral("dlg288"), [](QWidget& dialog) {
    ClickButton(dialog, kBrowseInSettings);
    ClickOk(dialog);
  });
  ASSERT_TRUE(walk.Pick(kApplicationSettings));
  EXPECT_EQ(choosers, 2);
  EXPECT_EQ(inSettings.toStdString(), TooLongFolderText(tooLong));
  EXPECT_EQ(App().audioFolder, base);
}

// Save of a read-only project says so and offers Save As: No leaves the file
// as it is, Yes saves under the name then chosen. An export says so too.
TEST_F(Windows, SavingOrExportingOverAReadOnlyFileOffersAnotherName) {
  Start();
  const std::string locked = walk.AudioFolder() / "locked.qvk";
  const std::string copy = walk.AudioFolder() / "copy.qvk";
  walk.Driver().On(QStringLiteral("QFileDialog"), walk.ChooseFile(locked));
  ASSERT_TRUE(walk.Pick(kSaveProjectAs));
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  const std::vector<uint8_t> before = ReadBytes(locked);
  for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
    QString said;
    walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& window) {
      if (answer == QMessageBox::No) walk.Shot("read-only-project");
      auto* box = qobject_cast<QMessageBox*>(&window);
      ASSERT_NE(box, nullptr);
      said = box->text();
      ASSERT_NE(box->button(answer), nullptr);
      QTest::mouseClick(box->button(answer), Qt::LeftButton);
    });
    walk.Driver().On(QStringLiteral("QFileDialog"), walk.ChooseFile(copy));
    ASSERT_TRUE(walk.Pick(kSaveProject));
    EXPECT_EQ(said.toStdString(), ReadOnlyProjectText(locked));
    EXPECT_EQ(ReadBytes(locked), before);
    EXPECT_EQ(platform::FileExists(copy), answer == QMessageBox::Yes);
  }
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("copy - Tessiro"));
  ::chmod(locked.c_str(), 0644);

  // An export to a read-only file says so and asks for another name (cancelled here).
  const std::string lockedWave = walk.AudioFolder() / "locked.wav";
  WriteBytes(lockedWave, {'o', 'l', 'd'});
  ASSERT_EQ(::chmod(lockedWave.c_str(), 0444), 0);
  int choosers = 0;
  walk.Driver().On(QStringLiteral("QFileDialog"), [&](QWidget& chooser) {
    if (choosers++ == 0) {
      walk.ChooseFile(lockedWave)(chooser);
    } else {
      qobject_cast<QDialog*>(&chooser)->reject();
    }
  });
  QString said;
  walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& window) {
    // The chooser's own question first: the user does want to replace it.
    if (QAbstractButton* replace = qobject_cast<QMessageBox*>(&window)->button(QMessageBox::Yes)) {
      QTest::mouseClick(replace, Qt::LeftButton);
      return;
    }
    walk.Shot("read-only-export");
    ReadBox(&said)(window);
  });
  ASSERT_TRUE(walk.Pick(kExportProject));
  EXPECT_EQ(choosers, 2);
  EXPECT_TRUE(said.contains(QString::fromStdString(lockedWave))) << said.toStdString();
  EXPECT_EQ(ReadBytes(lockedWave), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

// A second start whose audio folder has gone: asked for one, the user cancels
// and is told why the program ends.
TEST_F(Windows, GivingUpOnTheAudioFolderSaysWhyTheProgramEnds) {
  Start();
  walk.ExitProgram();
  std::error_code error;
  std::filesystem::remove_all(walk.AudioFolder().Path(), error);
  ASSERT_FALSE(platform::FolderExists(walk.AudioFolder().Path()));
  QString invalid, why;
  walk.Driver().On(QStringLiteral("QMessageBox"), ReadBox(&invalid));
  walk.Driver().On(QStringLiteral("QFileDialog"), [&](QWidget& chooser) {
    walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& box) {
      walk.Shot("no-audio-folder");
      ReadBox(&why)(box);
    });
    CancelChooser(nullptr, walk, "chooser-at-start")(chooser);
  });
  EXPECT_FALSE(walk.StartProgram());
  EXPECT_TRUE(invalid.startsWith(QStringLiteral("Error: Audio Path "))) << invalid.toStdString();
  EXPECT_EQ(why, QString::fromUtf8(CProApp::kNoAudioFolderText));
}

// A first start on a sound system with no output: the list says there is none
// and how to get one.
TEST_F(Windows, AFirstStartWithoutAnOutputSaysHowToGetOne) {
  auto silent = std::make_shared<platform::CVirtualWaveSystem>(platform::CVirtualWaveSystem::ClockMode::RealTime);
  silent->AddInput("Virtual Input 1");
  platform::SetWaveSystem(silent);
  QString offered;
  int entries = -1;
  walk.Driver().On(QStringLiteral("QMessageBox"), ReadBox(nullptr));
  Start([&](QWidget& page) {
    walk.Shot("no-output-first-start");
    auto* devices = Control<QComboBox>(&page, 1330);
    ASSERT_NE(devices, nullptr);
    entries = devices->count();
    offered = devices->currentText();
  });
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(offered, QString::fromUtf8(dialogs::kNoOutputDeviceText));
  // Application Settings says the same.
  walk.Driver().On(QStringLiteral("dlg288"), [&](QWidget& dialog) {
    walk.Shot("no-output-settings");
    offered = Control<QComboBox>(&dialog, 1315)->currentText();
    ClickButton(dialog, 2);
  });
  ASSERT_TRUE(walk.Pick(kApplicationSettings));
  EXPECT_EQ(offered, QString::fromUtf8(dialogs::kNoOutputDeviceText));
  std::vector<RecordedReport> reports = Reports().Take();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports[0].report.message, "No CD Quality Audio Output Devices Detected");
}

// Whatever stands under echo.prt's name, Echo opens over the Audio Editor's
// audio with its own presets and what could be read, and one message over it
// says the rest could not be.
TEST_F(Windows, APresetFileThatCannotBeReadIsSaidOnceOverItsDialog) {
  constexpr int kEcho = 32908;
  Start();
  ASSERT_TRUE(walk.PickFromContextMenu(walk.SnippetPoint(*walk.SnippetsOn(0).at(0)), kEditSnippet));
  ASSERT_EQ(walk.Program().ViewHost().GetViewMode(), 2);
  const std::string path = platform::ProgramFolder() + "/echo.prt";
  std::vector<char> kept(180, 0);  // a sound echo record, all values 0
  std::copy_n("Kept", 4, kept.begin());
  const auto write = [&path](std::vector<char> bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  };
  struct Case {
    const char* shot;
    std::function<void()> make;
    bool keepsOne;
  };
  const Case cases[] = {
      {"preset-folder", [&] { ASSERT_EQ(::mkdir(path.c_str(), 0700), 0); }, false},
      {"preset-fifo", [&] { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, false},
      {"preset-dev-zero", [&] { ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0); }, false},
      {"preset-50mb",
       [&] {
         std::vector<char> big(50u << 20, '\xFF');
         std::copy(kept.begin(), kept.end(), big.begin());
         write(big);
       },
       true},
      {"preset-truncated",
       [&] {
         std::vector<char> cut = kept;
         cut.insert(cut.end(), kept.begin(), kept.begin() + 100);
         write(cut);
       },
       true},
  };
  const QStringList builtIns = {"Typical Echo", "Canyon Echo", "Small Room", "Auditorium", "Crystalized"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shot);
    c.make();
    QStringList told, listed;
    walk.Driver().On(QStringLiteral("QMessageBox"), [&](QWidget& box) {
      walk.Shot(c.shot);
      ReadBox(&told.emplace_back())(box);
    });
    walk.Driver().On(QStringLiteral("dlg256"), [&](QWidget& dialog) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return !told.isEmpty(); }, 3000)) << "a message over the dialog";
      auto* list = Control<QListWidget>(&dialog, 1167);
      ASSERT_NE(list, nullptr);
      for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
      ClickButton(dialog, 2);
    });
    ASSERT_TRUE(walk.Pick(kEcho));
    EXPECT_EQ(told, QStringList{QString::fromStdString("Some presets in " + path +
                                                       " could not be read; they are left out, and the file is kept "
                                                       "as it is until you add or remove a preset.")});
    EXPECT_EQ(listed, c.keepsOne ? builtIns + QStringList{"Kept"} : builtIns);
    if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
  }
}

// A typed name longer than its record holds keeps whole characters: the list
// shows what was typed, cut, and no broken character.
TEST_F(Windows, ALongPresetNameKeepsWholeCharacters) {
  constexpr int kEcho = 32908;
  Start();
  ASSERT_TRUE(walk.PickFromContextMenu(walk.SnippetPoint(*walk.SnippetsOn(0).at(0)), kEditSnippet));
  const QString typed(70, QChar(0xE9));  // 140 bytes of UTF-8
  walk.Driver().On(QStringLiteral("dlg256"), [&](QWidget& dialog) {
    QLineEdit* name = Control<QLineEdit>(&dialog, 1168);
    ASSERT_NE(name, nullptr);
    QTest::mouseClick(name, Qt::LeftButton);
    // Keys that give é, as a keyboard that has one sends them.
    for (QChar c : typed) {
      QTest::sendKeyEvent(QTest::Press, name, Qt::Key_unknown, QString(c), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, name, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    ASSERT_EQ(name->text(), typed);
    ClickButton(dialog, 1169);
    ClickButton(dialog, 2);
  });
  ASSERT_TRUE(walk.Pick(kEcho));
  QString listed;
  walk.Driver().On(QStringLiteral("dlg256"), [&](QWidget& dialog) {
    walk.Shot("preset-long-name");
    auto* list = Control<QListWidget>(&dialog, 1167);
    ASSERT_NE(list, nullptr);
    listed = list->item(list->count() - 1)->text();
    ClickButton(dialog, 2);
  });
  ASSERT_TRUE(walk.Pick(kEcho));
  EXPECT_EQ(listed, QString(63, QChar(0xE9))) << "127 bytes would end inside the 64th";
  std::remove((platform::ProgramFolder() + "/echo.prt").c_str());
}

}  // namespace
}  // namespace tessiro::test
