// The edit-operation windows offscreen: controls found by their numbers, values
// typed and committed by Enter or by OK, Cancel, and the answers the core gets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <cstring>

#include "FormWidget.h"
#include "EffectPanels.h"
#include "OperationWindow.h"
#include "TempFolder.h"
#include "edit/EditOperation.h"

using namespace dialogs;
namespace id = forms::id;

namespace {

template <class W>
W* Item(QWidget& root, int controlId) {
  return root.findChild<W*>(QString::number(controlId));
}

void Type(QLineEdit* edit, const char* text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

struct Fixture {
  tessiro::test::CTempFolder presets;
  COperationDialogs dialogs;
  Fixture() { dialogs.SetPresetFolder(presets.Path()); }
};

}  // namespace

TEST(OperationWindows, EveryWindowHasItsCaptionAndControls) {
  struct Case {
    const char* caption;
    const char* name;
    std::vector<int> ids;
  };
  Fixture f;
  const std::vector<std::pair<forms::CFXDialog*, Case>> cases = {
      {&f.dialogs.FormOf<MuteDialogRequest>(), {"Mute Audio", "dlg226", {1155, 1156, 1158, 1176, 1177}}},
      {&f.dialogs.FormOf<MixPasteDialogRequest>(),
       {"Mix Paste Audio", "dlg229", {1160, 1159, 1163, 1164, 1161, 1162, 1178, 1179, 1192, 1193}}},
      {&f.dialogs.FormOf<VolumeDialogRequest>(), {"Adjust Volume Level", "dlg230", {1158, 1160, 1159, 1163, 1161}}},
      {&f.dialogs.FormOf<FadeDialogRequest>(),
       {"Fade In / Out Audio", "dlg231", {1155, 1160, 1071, 1159, 1163, 1178, 1167, 1168, 1169, 1170}}},
      {&f.dialogs.FormOf<ReverseDialogRequest>(), {"Reverse Audio", "dlg232", {1158, 1176, 1177}}},
      {&f.dialogs.FormOf<SwapDialogRequest>(), {"Swap Audio Between Channels", "dlg233", {1155, 1156, 1158}}},
      {&f.dialogs.FormOf<CopyChannelDialogRequest>(), {"Copy Channel", "dlg234", {1155, 1077, 1076}}},
      {&f.dialogs.FormOf<StretchCompressDialogRequest>(),
       {"Stretch / Compress Audio", "dlg254", {1171, 1174, 1175, 1172, 1173, 1167}}},
      {&f.dialogs.FormOf<PitchShiftDialogRequest>(),
       {"Pitch Shift Audio", "dlg255", {1171, 1224, 1225, 1226, 1227, 1228, 1167}}},
  };
  for (const auto& [form, c] : cases) {
    SCOPED_TRACE(c.caption);
    form->InitDialog();
    COperationWindow window(*form);
    EXPECT_EQ(window.windowTitle().toStdString(), c.caption);
    EXPECT_EQ(window.objectName().toStdString(), c.name);
    EXPECT_NE(Item<QAbstractButton>(window, id::kOk), nullptr);
    EXPECT_NE(Item<QAbstractButton>(window, id::kCancel), nullptr);
    for (int control : c.ids) EXPECT_NE(Item<QWidget>(window, control), nullptr) << control;
    // Nothing the form does not have is built.
    EXPECT_EQ(Item<QWidget>(window, id::kPresetList) != nullptr, form->Has(id::kPresetList));
    EXPECT_EQ(Item<QWidget>(window, id::kLock) != nullptr, form->Has(id::kLock));
  }
  COperationWindow swap(f.dialogs.FormOf<SwapDialogRequest>());
  EXPECT_EQ(Item<QAbstractButton>(swap, 1158)->text(), "Whole Track");
}

TEST(OperationWindows, TypedValuesCountByEnterAndByOk) {
  Fixture f;
  VolumeDialogRequest request;
  request.setup = {2, 1, 0, kScopeHighlighted};
  f.dialogs.SetBeforeRun([](COperationWindow& window) {
    QLineEdit* left = Item<QLineEdit>(window, 1163);
    Type(left, "-6");
    QTest::keyClick(left, Qt::Key_Return);
    EXPECT_EQ(Item<QLineEdit>(window, 1164)->text(), "-6.00") << "Enter committed it, the lock copied it";
    EXPECT_EQ(Item<QSlider>(window, 1162)->value(), 837);
    EXPECT_FALSE(Item<QAbstractButton>(window, 1156)->isEnabled());
    EXPECT_TRUE(Item<QAbstractButton>(window, 1155)->isChecked());
    Item<QAbstractButton>(window, 1159)->click();  // unlock
    Type(Item<QLineEdit>(window, 1164), "-12");  // typed, never left
    Item<QAbstractButton>(window, id::kOk)->click();
  });
  std::optional<OperationDialogValues> v = f.dialogs.Ask(request);
  ASSERT_TRUE(v.has_value());
  EXPECT_NEAR(v->level1Left, 0.501187f, 1e-5f);
  EXPECT_NEAR(v->level1Right, 0.251189f, 1e-5f);
  EXPECT_EQ(v->range, 1);
  OperationDialogValues model;
  f.dialogs.FormOf<VolumeDialogRequest>().GetParameters(&model);
  EXPECT_EQ(std::memcmp(&model, &*v, sizeof model), 0) << "the answer is the model's";

  // Units and units labels through the combo.
  f.dialogs.SetBeforeRun([](COperationWindow& window) {
    QComboBox* units = Item<QComboBox>(window, 1160);
    units->setCurrentIndex(1);
    emit units->activated(1);
    EXPECT_EQ(Item<QLineEdit>(window, 1163)->text(), "50.12");
    EXPECT_EQ(Item<QWidget>(window, 1165)->property("text").toString(), "%");
    window.accept();
  });
  ASSERT_TRUE(f.dialogs.Ask(request).has_value());
}

TEST(OperationWindows, CancelAnswersNothing) {
  Fixture f;
  f.dialogs.SetBeforeRun([](COperationWindow& window) {
    Item<QAbstractButton>(window, 1176)->click();
    Item<QAbstractButton>(window, id::kCancel)->click();
  });
  EXPECT_FALSE(f.dialogs.Ask(MuteDialogRequest{}).has_value());
  f.dialogs.SetBeforeRun([](COperationWindow& window) { window.accept(); });
  const std::optional<OperationDialogValues> v = f.dialogs.Ask(MuteDialogRequest{});
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->channelMode, ChannelModeRight) << "what was ticked before Cancel stays for the next showing";
}

TEST(OperationWindows, SlidersPresetsAndThePitchUnits) {
  Fixture f;
  f.dialogs.SetBeforeRun([](COperationWindow& window) {
    QSlider* initial = Item<QSlider>(window, 1225);
    initial->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Item<QLineEdit>(window, 1227)->text(), "1.00");
    EXPECT_EQ(Item<QLineEdit>(window, 1228)->text(), "1.00") << "locked";
    EXPECT_EQ(Item<QSlider>(window, 1226)->value(), 250);
    QComboBox* units = Item<QComboBox>(window, 1224);
    units->setCurrentIndex(1);
    emit units->activated(1);
    EXPECT_EQ(Item<QLineEdit>(window, 1227)->text(), "1.06");
    QListWidget* list = Item<QListWidget>(window, 1167);
    ASSERT_EQ(list->count(), 4);
    emit list->itemDoubleClicked(list->item(3));  // "High to Low"
    EXPECT_EQ(Item<QLineEdit>(window, 1227)->text(), "1.25");
    EXPECT_EQ(Item<QLineEdit>(window, 1228)->text(), "0.75");
    Type(Item<QLineEdit>(window, 1168), "Mine");
    Item<QAbstractButton>(window, 1169)->click();
    EXPECT_EQ(list->count(), 5);
    EXPECT_EQ(Item<QLineEdit>(window, 1168)->text(), "");
    window.accept();
  });
  const std::optional<OperationDialogValues> v = f.dialogs.Ask(PitchShiftDialogRequest{});
  ASSERT_TRUE(v.has_value());
  EXPECT_NEAR(v->initialValue, 0.8f, 1e-6f);
  EXPECT_NEAR(v->finalValue, 1 / 0.75f, 1e-5f);
}

TEST(EffectPanelWidgets, ALivePanelSendsWhatItShowsToTheChain) {
  CZelmo engine;
  engine.SetChannels(2);
  engine.SetSizeOutputBufferSample(4096);
  engine.SetSizeMaxInputBufferSample(4096 + 16384);
  short number = -1;
  engine.AddEffect(ZelmoReverb, &number, nullptr);
  tessiro::test::CTempFolder presets;
  forms::CReverbDialog reverb;
  reverb.SetPresetFolder(presets.Path());
  reverb.Bind(&engine, number);
  reverb.LoadFromEngine();
  reverb.InitDialog();
  CFormWidget panel(reverb);
  QLineEdit* late = Item<QLineEdit>(panel, 1184);
  Type(late, "444");
  QTest::keyClick(late, Qt::Key_Return);
  QListWidget* list = Item<QListWidget>(panel, id::kPresetList);
  ReverbParams sent{}, shown{};
  engine.GetEffectParameters(number, &sent);
  reverb.FillEffectRecord(&shown);
  EXPECT_FLOAT_EQ(sent.secondDelayMsLeft, 444.0f);
  EXPECT_FLOAT_EQ(sent.secondDelayMsRight, 444.0f);
  EXPECT_EQ(std::memcmp(&sent, &shown, sizeof sent), 0);
  emit list->itemDoubleClicked(list->item(2));  // "Small Room"
  engine.GetEffectParameters(number, &sent);
  EXPECT_NEAR(sent.dryGainLeft, 0.95f, 1e-6f);
  EXPECT_FLOAT_EQ(sent.delayMsRight, 62.0f);
  EXPECT_EQ(Item<QLineEdit>(panel, 1182)->text(), "62.00");
  EXPECT_FALSE(Item<QAbstractButton>(panel, id::kScopeHighlighted)->isEnabled());
}
