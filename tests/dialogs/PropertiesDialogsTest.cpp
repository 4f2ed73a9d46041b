// The loop, snippet, create-snippet and shift dialogs offscreen: controls
// found by their ids, what the user's clicks and typing do, OK answering
// exactly the dialog's fields and Cancel nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "DialogDriving.h"
#include "PropertiesDialogs.h"
#include "SettingsRegistry.h"
#include "TrackSnippetDialogs.h"

namespace dialogs {
namespace {

void Choose(QComboBox* combo, int index) {
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

LoopPropertiesRequest TwoSecondLoop() {
  LoopPropertiesRequest request;
  request.loopNumber = 2;
  request.title = "Beat";
  request.measures = 1;
  request.tempo = 120.0f;
  request.audioFile = "/audio/qvk_temp/20261209151000.pcm";
  request.lengthFrames = 88200;
  return request;
}

TEST(PropertiesDialogs, LoopPropertiesSpinRetimesAndALoopInUseRefuses) {
  std::vector<std::string> told;
  CAudioLoopPropertiesDialog dialog(TwoSecondLoop(), [&](const std::string& text) { told.push_back(text); });
  Show(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Loop Properties");
  EXPECT_EQ(Item<QLabel>(&dialog, CAudioLoopPropertiesDialog::kNumber)->text(), "3");
  EXPECT_EQ(Item<QLabel>(&dialog, CAudioLoopPropertiesDialog::kLength)->text(), "00:02.000");
  EXPECT_EQ(Item<QLineEdit>(&dialog, CAudioLoopPropertiesDialog::kAudioFile)->text(), "/audio/qvk_temp/20261209151000.pcm");
  auto* spin = Item<QSpinBox>(&dialog, CAudioLoopPropertiesDialog::kSpin);
  ASSERT_NE(spin, nullptr);
  auto* measures = Item<QLineEdit>(&dialog, CAudioLoopPropertiesDialog::kMeasures);
  ASSERT_NE(measures, nullptr);
  EXPECT_TRUE(measures->isReadOnly());
  spin->stepUp();
  EXPECT_EQ(measures->text(), "2");
  EXPECT_EQ(Item<QLabel>(&dialog, CAudioLoopPropertiesDialog::kTempo)->text(), "240.00");
  // Three measures in two seconds would be 360 BPM: refused, the spin stays.
  spin->stepUp();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], "Cannot perform this operation.  The loop's measures would give a tempo greater than the 250 BPM "
                     "limit.");
  EXPECT_EQ(measures->text(), "2");
  EXPECT_EQ(spin->value(), 2);
  EXPECT_EQ(Item<QLabel>(&dialog, CAudioLoopPropertiesDialog::kTempo)->text(), "240.00");
  told.clear();
  TypeInto(Item<QLineEdit>(&dialog, CAudioLoopPropertiesDialog::kTitle), "Groove");
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().title, "Groove");
  EXPECT_EQ(dialog.Result().measures, 2);
  EXPECT_FLOAT_EQ(dialog.Result().tempo, 240.0f);
  EXPECT_TRUE(told.empty());

  LoopPropertiesRequest used = TwoSecondLoop();
  used.inUse = true;
  CAudioLoopPropertiesDialog inUse(used, [&](const std::string& text) { told.push_back(text); });
  Show(inUse);
  Item<QSpinBox>(&inUse, CAudioLoopPropertiesDialog::kSpin)->stepUp();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("Cannot change 'measure' setting while loop is in use."), std::string::npos);
  EXPECT_EQ(Item<QLineEdit>(&inUse, CAudioLoopPropertiesDialog::kMeasures)->text(), "1");
  EXPECT_EQ(inUse.Result().measures, 1);
}

TEST(PropertiesDialogs, SnippetTempoIsClampedWhenTypedAndFixedForALoopSnippet) {
  SnippetPropertiesRequest request;
  request.tempo = 100.0f;
  request.identifier = 77;
  CSnippetPropertiesDialog dialog(request);
  Show(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Audio Snippet Properties");
  EXPECT_EQ(Item<QLabel>(&dialog, CSnippetPropertiesDialog::kType)->text(), "Extended Audio");
  EXPECT_EQ(Item<QLabel>(&dialog, CSnippetPropertiesDialog::kIdentifier)->text(), "77");
  auto* tempo = Item<QLineEdit>(&dialog, CSnippetPropertiesDialog::kTempo);
  EXPECT_EQ(tempo->text(), "100.00");
  TypeInto(tempo, "300");
  QTest::keyClick(tempo, Qt::Key_Tab);
  EXPECT_EQ(tempo->text(), "250.00");
  // Typed and confirmed with OK while the edit still has the focus.
  TypeInto(tempo, "72.5");
  Item<QPushButton>(&dialog, kOkId)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(dialog.Result().tempo, 72.5f);

  request.loopSnippet = true;
  request.loopNumber = 0;
  CSnippetPropertiesDialog loop(request);
  EXPECT_EQ(Item<QLabel>(&loop, CSnippetPropertiesDialog::kType)->text(), "Loop Audio - #1");
  EXPECT_TRUE(Item<QLineEdit>(&loop, CSnippetPropertiesDialog::kTempo)->isReadOnly());
}

TEST(TrackSnippetDialogs, CreateTrackSnippetTakesTheTargetAndTheStartInEitherUnit) {
  CreateTrackSnippetRequest request;
  request.projectTempo = 120.0f;
  CCreateTrackSnippet dialog(request);
  Show(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Create Track Snippet");
  auto* target = Item<QComboBox>(&dialog, CCreateTrackSnippet::kTarget);
  ASSERT_EQ(target->count(), 24);
  EXPECT_EQ(target->itemText(23), "Track 24");
  auto* start = Item<QLineEdit>(&dialog, CCreateTrackSnippet::kStart);
  EXPECT_EQ(start->text(), "00:00.000");
  Choose(target, 6);
  Choose(Item<QComboBox>(&dialog, CCreateTrackSnippet::kUnits), 1);
  EXPECT_EQ(start->text(), "0:0:0.00");
  TypeInto(start, "2");
  QTest::keyClick(start, Qt::Key_Return);  // commits and confirms
  EXPECT_EQ(start->text(), "2:0:0.00");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().targetTrack, 6);
  EXPECT_EQ(dialog.Result().startFrame, 8u * 22050);
}

TEST(TrackSnippetDialogs, ShiftTracksHandsBackTheTickedTracksAndTheStart) {
  ShiftTracksRequest request;
  request.newStart = 44100;
  CShiftTracksDialog dialog(request);
  Show(dialog);
  EXPECT_EQ(dialog.windowTitle(), "Shift Tracks");
  for (int t = 0; t < 24; ++t) {
    auto* box = Item<QCheckBox>(&dialog, CShiftTracksDialog::kFirstTrack + t);
    ASSERT_NE(box, nullptr) << t;
    EXPECT_EQ(box->text(), QString("Track %1").arg(t + 1));
    EXPECT_FALSE(box->isChecked());
  }
  auto* start = Item<QLineEdit>(&dialog, CShiftTracksDialog::kStart);
  EXPECT_EQ(start->text(), "00:01.000");
  Item<QPushButton>(&dialog, CShiftTracksDialog::kCheckAll)->click();
  Item<QCheckBox>(&dialog, 1270)->click();  // track 24 off again
  Item<QPushButton>(&dialog, CShiftTracksDialog::kClearAll)->click();
  Item<QCheckBox>(&dialog, 1248)->click();  // track 2
  Item<QCheckBox>(&dialog, 1260)->click();  // track 14
  TypeInto(start, "1:05");
  QTest::keyClick(start, Qt::Key_Tab);
  EXPECT_EQ(start->text(), "1:05.000");
  Item<QPushButton>(&dialog, kOkId)->click();
  const ShiftTracksRequest::Result result = dialog.Result();
  EXPECT_EQ(result.newStart, 65u * 44100);
  EXPECT_EQ(result.timeUnits, 1);
  EXPECT_EQ(result.tracks[1], 1);
  EXPECT_EQ(result.tracks[13], 1);
  EXPECT_EQ(std::count(result.tracks.begin(), result.tracks.end(), 1), 2);
}

TEST(PropertiesDialogs, TheRequestsAreAnsweredOnOkAndNotOnCancel) {
  ui::CRequestHandlers handlers;
  AnswerSettingsRequests(handlers, DialogServices{});
  const LoopPropertiesRequest loop = TwoSecondLoop();
  const SnippetPropertiesRequest snippet{false, 0, 90.0f, 5, "take.pcm"};
  const CreateTrackSnippetRequest create;
  ShiftTracksRequest shift;
  shift.newStart = 300;
  struct Case {
    std::type_index kind;
    const void* request;
    const char* dialog;
  };
  const Case cases[] = {
      {typeid(LoopPropertiesRequest), &loop, "dlg270"},
      {typeid(SnippetPropertiesRequest), &snippet, "dlg264"},
      {typeid(CreateTrackSnippetRequest), &create, "dlg287"},
      {typeid(ShiftTracksRequest), &shift, "dlg263"},
  };
  for (const Case& c : cases) {
    QString shown;
    PressWhenOpen(kCancelId, &shown);
    EXPECT_FALSE(handlers.Call(c.kind, c.request).has_value()) << c.dialog;
    EXPECT_EQ(shown, QString(c.dialog));
    PressWhenOpen(kOkId);
    EXPECT_TRUE(handlers.Call(c.kind, c.request).has_value()) << c.dialog;
  }
  // An unchanged OK answers what was shown.
  PressWhenOpen(kOkId);
  const std::any loopAnswer = handlers.Call(typeid(LoopPropertiesRequest), &loop);
  ASSERT_TRUE(loopAnswer.has_value());
  EXPECT_EQ(std::any_cast<LoopPropertiesRequest::Result>(loopAnswer).title, "Beat");
  EXPECT_EQ(std::any_cast<LoopPropertiesRequest::Result>(loopAnswer).measures, 1);
  EXPECT_FLOAT_EQ(std::any_cast<LoopPropertiesRequest::Result>(loopAnswer).tempo, 120.0f);
  PressWhenOpen(kOkId);
  const std::any shiftAnswer = handlers.Call(typeid(ShiftTracksRequest), &shift);
  ASSERT_TRUE(shiftAnswer.has_value());
  EXPECT_EQ(std::any_cast<ShiftTracksRequest::Result>(shiftAnswer).newStart, 300u);
}

}  // namespace
}  // namespace dialogs
