// The settings dialogs offscreen: controls found by their ids, typed values
// committed by Enter and by OK, Cancel answering nothing, and the dialogs
// answering the core's requests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "Folders.h"
#include "ProSettingsDialog.h"
#include "DialogDriving.h"
#include "MixdownDialog.h"
#include "ProjectPropertiesDialog.h"
#include "SettingsDialogs.h"
#include "SettingsRegistry.h"
#include "AudioTrackPropertiesDialog.h"
#include "requests/ImportExportRequests.h"
#include "TempFolder.h"

namespace dialogs {
namespace {

TEST(SettingsDialogs, ProjectSettingsCommitTypedValuesByEnterAndByOk) {
  ProjectSettingsRequest request;
  request.masterGainLeft = 0.5f;
  request.title = "Old";
  CProjectPropertiesDialog dialog(request);
  Show(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Project Settings");
  auto* left = Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kLevelLeftEdit);
  auto* right = Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kLevelRightEdit);
  ASSERT_TRUE(left && right);
  EXPECT_EQ(left->text(), "-6.02");
  EXPECT_EQ(Item<QLabel>(&dialog, CProjectPropertiesDialog::kLevelLeftUnit)->text(), "dB");

  TypeInto(left, "30");
  QTest::keyClick(left, Qt::Key_Tab);  // losing the focus commits
  EXPECT_EQ(left->text(), "20.00");
  EXPECT_EQ(right->text(), "20.00");  // locked
  EXPECT_EQ(Item<QSlider>(&dialog, CProjectPropertiesDialog::kLevelRight)->value(), 1000);

  auto* units = Item<QComboBox>(&dialog, CProjectPropertiesDialog::kUnits);
  units->setCurrentIndex(1);
  emit units->activated(1);
  EXPECT_EQ(left->text(), "1000.00");
  EXPECT_EQ(Item<QLabel>(&dialog, CProjectPropertiesDialog::kLevelRightUnit)->text(), "%");

  auto* year = Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kYear);
  TypeInto(year, "123456");
  EXPECT_EQ(year->text(), "1234");
  TypeInto(Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kTitle), "New");

  // A tempo typed and confirmed with OK while its edit has the focus.
  TypeInto(Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kTempoEdit), "300");
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const ProjectSettingsRequest::Result result = dialog.Result();
  EXPECT_FLOAT_EQ(result.tempo, 250.0f);
  EXPECT_FLOAT_EQ(result.masterGainLeft, 10.0f);
  EXPECT_FLOAT_EQ(result.masterGainRight, 10.0f);
  EXPECT_EQ(result.year, "1234");
  EXPECT_EQ(result.title, "New");
  EXPECT_EQ(result.units, 2);
}

TEST(SettingsDialogs, SlidersMoveTheirValuesThroughTheForm) {
  CProjectPropertiesDialog dialog(ProjectSettingsRequest{});
  Show(dialog);
  auto* pitch = Item<QSlider>(&dialog, CProjectPropertiesDialog::kPitchSlider);
  ASSERT_TRUE(pitch);
  EXPECT_EQ(pitch->value(), 120);
  pitch->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kPitchEdit)->text(), "1.00");
  auto* tempo = Item<QSlider>(&dialog, CProjectPropertiesDialog::kTempoSlider);
  tempo->triggerAction(QAbstractSlider::SliderToMaximum);  // not a step the dialog takes
  tempo->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(Item<QLineEdit>(&dialog, CProjectPropertiesDialog::kTempoEdit)->text(), "119.00");

  CMetronomeDialog metronome(MetronomeSettingsRequest{});
  Show(metronome);
  auto* level = Item<QSlider>(&metronome, CMetronomeDialog::kLevel);
  EXPECT_EQ(level->value(), 50);
  EXPECT_EQ(Item<QLabel>(&metronome, CMetronomeDialog::kLevelText)->text(), "0");
  level->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Item<QLabel>(&metronome, CMetronomeDialog::kLevelText)->text(), "10");
  Item<QRadioButton>(&metronome, CMetronomeDialog::kOn)->click();
  Item<QRadioButton>(&metronome, CMetronomeDialog::kClassicClick)->click();
  EXPECT_TRUE(Item<QRadioButton>(&metronome, CMetronomeDialog::kOff)->isChecked() == false);
  const MetronomeSettingsRequest::Result result = metronome.Result();
  EXPECT_EQ(result.on, 1);
  EXPECT_EQ(result.clickOnly, 1);
  EXPECT_EQ(result.level, 0);
}

TEST(SettingsDialogs, BrowseAsksAgainUntilTheFolderCanBeWritten) {
  tessiro::test::CTempFolder folder;
  std::vector<std::string> told;
  const std::string notAFolder = folder / "take.pcm";
  std::ofstream(notAFolder) << "not a folder";
  // Writable, but too long to be kept whole.
  const std::string tooLong = folder.Path() + "/" + std::string(kMaxAudioFolderBytes - folder.Path().size(), 'x');
  ASSERT_TRUE(platform::CreateFolder(tooLong));
  std::vector<std::optional<std::string>> answers = {std::string("/no/such/folder"), notAFolder, tooLong,
                                                     folder.Path()};
  size_t asked = 0;
  FolderBrowsing browsing{[&](const std::string&) { return answers.at(asked++); },
                          [&](const std::string& text, bool stop) { told.push_back((stop ? "stop: " : "") + text); }};
  AppSettingsRequest request;
  request.audioPath = "/before";
  CProSettingsDialog dialog(request, browsing);
  Item<QPushButton>(&dialog, CProSettingsDialog::kBrowse)->click();
  EXPECT_EQ(asked, 4u);
  EXPECT_EQ(told, (std::vector<std::string>{
                      "stop: Error: Audio Path /no/such/folder is invalid.  Please choose a new audio directory.",
                      "stop: Error: Audio Path " + notAFolder + " is invalid.  Please choose a new audio directory.",
                      "stop: " + TooLongFolderText(tooLong)}));
  EXPECT_EQ(Item<QLineEdit>(&dialog, CProSettingsDialog::kAudioPath)->text(), QString::fromStdString(folder.Path()));

  // A cancel keeps what the dialog had.
  answers = {std::nullopt};
  asked = 0;
  told.clear();
  Item<QPushButton>(&dialog, CProSettingsDialog::kBrowse)->click();
  EXPECT_EQ(asked, 1u);
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(dialog.Result().audioPath, folder.Path());
  EXPECT_EQ(Item<QLabel>(&dialog, CProSettingsDialog::kBufferText)->text(), "185 ms");
  EXPECT_TRUE(Item<QCheckBox>(&dialog, CProSettingsDialog::kUnlimitedUndo)->isHidden());
}

TEST(SettingsDialogs, AWaveRateOutOfRangeKeepsTheDialogOpen) {
  std::vector<std::string> told;
  CWaveDialog dialog(forms::WaveQuality{}, [&](const std::string& text) { told.push_back(text); });
  Show(dialog);
  auto* rate = Item<QLineEdit>(&dialog, CWaveDialog::kUserRateEdit);
  EXPECT_TRUE(Item<QRadioButton>(&dialog, CWaveDialog::k44100)->isChecked());
  TypeInto(rate, "7999");
  EXPECT_TRUE(Item<QRadioButton>(&dialog, CWaveDialog::kUserRate)->isChecked());
  EXPECT_FALSE(Item<QRadioButton>(&dialog, CWaveDialog::k44100)->isChecked());
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(told, std::vector<std::string>{"Sample rate must be between 8000 and 44100."});
  EXPECT_TRUE(dialog.isVisible());
  TypeInto(rate, "8000");
  Item<QRadioButton>(&dialog, CWaveDialog::kMono)->click();
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().samplesPerSecond, 8000);
  EXPECT_EQ(dialog.Result().channels, 1);
}

TEST(SettingsDialogs, TheRequestsAreAnsweredOnOkAndNotOnCancel) {
  ui::CRequestHandlers handlers;
  AnswerSettingsRequests(handlers, DialogServices{});
  ProjectSettingsRequest project;
  project.tempo = 97.5f;
  PressWhenOpen(kCancelId);
  EXPECT_FALSE(handlers.Call(typeid(ProjectSettingsRequest), &project).has_value());
  PressWhenOpen(kOkId);
  std::any answer = handlers.Call(typeid(ProjectSettingsRequest), &project);
  ASSERT_TRUE(answer.has_value());
  EXPECT_FLOAT_EQ(std::any_cast<ProjectSettingsRequest::Result>(answer).tempo, 97.5f);

  MetronomeSettingsRequest metronome;
  metronome.level = 20;
  PressWhenOpen(kOkId);
  answer = handlers.Call(typeid(MetronomeSettingsRequest), &metronome);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(std::any_cast<MetronomeSettingsRequest::Result>(answer).level, 20);
  PressWhenOpen(kCancelId);
  EXPECT_FALSE(handlers.Call(typeid(MetronomeSettingsRequest), &metronome).has_value());

  AppSettingsRequest settings;
  settings.qualityLevel = 3;
  PressWhenOpen(kOkId);
  answer = handlers.Call(typeid(AppSettingsRequest), &settings);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(std::any_cast<AppSettingsRequest::Result>(answer).qualityLevel, 3);

  WaveQualityRequest wave;
  wave.samplesPerSecond = 22050;
  wave.channels = 1;
  PressWhenOpen(kOkId);
  answer = handlers.Call(typeid(WaveQualityRequest), &wave);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(std::any_cast<WaveQualityRequest::Result>(answer).samplesPerSecond, 22050);
  EXPECT_EQ(std::any_cast<WaveQualityRequest::Result>(answer).channels, 1);
  QTimer::singleShot(0, [] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    Item<QPushButton>(modal, CMixdownDialog::kCheckAll)->click();
    Item<QPushButton>(modal, kOkId)->click();
  });
  const MixdownDialogRequest mixdown;
  answer = handlers.Call(typeid(MixdownDialogRequest), &mixdown);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(std::any_cast<MixdownDialogRequest::Result>(answer).sourceTracks[23], 1);

  // Colours are applied as they are chosen, each choice with all the others;
  // OK answers with them, Cancel answers nothing.
  ColorSettingsRequest colors;
  colors.trackColors[2].marker = 0x123456;
  std::vector<ColorSettingsRequest::Result> applied;
  colors.apply = [&applied](const ColorSettingsRequest::Result& now) { applied.push_back(now); };
  for (const int close : {kCancelId, kOkId}) {
    applied.clear();
    QTimer::singleShot(0, [close] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      Item<QComboBox>(modal, CColorSettingsDialog::kItem)->setCurrentIndex(2);
      emit Item<QComboBox>(modal, CColorSettingsDialog::kItem)->activated(2);
      emit Item<QComboBox>(modal, CColorSettingsDialog::kMarkers)->activated(3);
      emit Item<QComboBox>(modal, CColorSettingsDialog::kEditorWaveform)->activated(9);
      Item<QPushButton>(modal, close)->click();
    });
    answer = handlers.Call(typeid(ColorSettingsRequest), &colors);
    ASSERT_EQ(applied.size(), 2u) << "one apply per colour chosen";
    EXPECT_EQ(applied[0].trackColors[2].marker, forms::kPalette[3].colorref);
    EXPECT_EQ(applied[0].editorColors.waveformFill, colors.editorColors.waveformFill);
    EXPECT_EQ(applied[1].trackColors[2].marker, forms::kPalette[3].colorref) << "the first choice stays";
    EXPECT_EQ(applied[1].editorColors.waveformFill, forms::kPalette[9].colorref);
    if (close == kCancelId) {
      EXPECT_FALSE(answer.has_value());
    } else {
      ASSERT_TRUE(answer.has_value());
      EXPECT_EQ(std::any_cast<ColorSettingsRequest::Result>(answer).editorColors.waveformFill,
                forms::kPalette[9].colorref);
    }
  }
}

TEST(SettingsDialogs, ColourCombosShowTheChosenItemsColours) {
  ColorSettingsRequest request;
  request.loopColors[4].waveformFill = forms::kPalette[9].colorref;
  CColorSettingsDialog dialog(request);
  auto* item = Item<QComboBox>(&dialog, CColorSettingsDialog::kItem);
  ASSERT_EQ(item->count(), 24);
  Item<QRadioButton>(&dialog, CColorSettingsDialog::kLoopBank)->click();
  ASSERT_EQ(item->count(), 32);
  EXPECT_EQ(item->itemText(31), "Loop 32");
  emit item->activated(4);
  EXPECT_EQ(Item<QComboBox>(&dialog, CColorSettingsDialog::kWaveform)->currentText(), "Green");
  Item<QPushButton>(&dialog, CColorSettingsDialog::kSetAll)->click();
  EXPECT_EQ(dialog.Result().trackColors[0].waveformFill, forms::kPalette[9].colorref);
}

TEST(SettingsDialogs, AMixdownWithNoSourceTickedStaysOpen) {
  std::vector<std::string> told;
  CMixdownDialog dialog(MixdownDialogRequest{}, [&](const std::string& text) { told.push_back(text); });
  Show(dialog);
  for (int id : CMixdownDialog::kSourceIds) ASSERT_NE(Item<QCheckBox>(&dialog, id), nullptr) << id;
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(told, std::vector<std::string>{"No source tracks have been selected."});
  EXPECT_TRUE(dialog.isVisible());
  Item<QPushButton>(&dialog, CMixdownDialog::kCheckAll)->click();
  EXPECT_TRUE(Item<QCheckBox>(&dialog, 1082)->isChecked());
  Item<QCheckBox>(&dialog, 1053)->click();  // track 2 off again
  auto* target = Item<QComboBox>(&dialog, CMixdownDialog::kTarget);
  target->setCurrentIndex(23);
  emit target->activated(23);
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().targetTrack, 23);
  EXPECT_EQ(dialog.Result().sourceTracks[1], 0);
  EXPECT_EQ(dialog.Result().sourceTracks[0], 1);
}

TEST(SettingsDialogs, TrackPropertiesTakeChannelsAtOnceAndTheRestOnOk) {
  TrackPropertiesRequest request;
  request.trackIndex = 2;
  request.inputDevices = {"In 1", "In 2"};
  request.trackType = 0;
  request.holdsSnippets = true;
  int channels = 2, input = 0;
  request.setRecordChannels = [&](int32_t c) { channels = c; };
  request.setInput = [&](int32_t i) { input = i; };
  std::vector<std::string> told;
  CAudioTrackPropertiesDialog dialog(request, [&](const std::string& text) { told.push_back(text); });
  Show(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Properties - Track # 3");
  EXPECT_FALSE(Item<QPushButton>(&dialog, CAudioTrackPropertiesDialog::kConvert)->isEnabled());
  Item<QRadioButton>(&dialog, CAudioTrackPropertiesDialog::kMono)->click();
  auto* inputs = Item<QComboBox>(&dialog, CAudioTrackPropertiesDialog::kInput);
  inputs->setCurrentIndex(1);
  emit inputs->activated(1);
  EXPECT_EQ(channels, 1);
  EXPECT_EQ(input, 1);

  Item<QRadioButton>(&dialog, CAudioTrackPropertiesDialog::kLoopBased)->click();
  EXPECT_EQ(told, std::vector<std::string>{forms::TrackPropertiesForm::kLoopBasedRefused});
  EXPECT_TRUE(Item<QRadioButton>(&dialog, CAudioTrackPropertiesDialog::kExtended)->isChecked());

  auto* left = Item<QLineEdit>(&dialog, CAudioTrackPropertiesDialog::kLeftEdit);
  EXPECT_EQ(left->text(), "100.00");
  TypeInto(left, "50");
  QTest::keyClick(left, Qt::Key_Return);  // Enter commits, and OK follows as the default button
  EXPECT_EQ(Item<QLineEdit>(&dialog, CAudioTrackPropertiesDialog::kRightEdit)->text(), "50.00");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(dialog.Result().gainRight, 0.5f);
  EXPECT_EQ(dialog.Result().trackType, 0);
}

}  // namespace
}  // namespace dialogs
