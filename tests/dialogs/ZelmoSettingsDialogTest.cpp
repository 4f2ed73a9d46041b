// The effects window's widgets over a program's chains: what the user clicks
// reaches the chain, and what the window shows follows the chain.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "ZelmoSettingsDialog.h"
#include "TempFolder.h"
#include "pro.h"
#include "ui/ScriptedUi.h"

namespace {

using dialogs::CZelmoSettingsDialog;

template <class W>
W* Item(const QWidget* root, int id) {
  return root->findChild<W*>(QString::number(id));
}

struct WindowCase {
  const char* item;
  const char* tab;
  int panelControl;  // a control only that panel has, 0 for none
};

class EffectsWindowWidgets : public ::testing::Test {
 protected:
  void SetUp() override {
    app = std::make_unique<CProApp>(seams.Services());
    window = std::make_unique<CZelmoSettingsDialog>(*app);
    window->Form().SetPresetFolder(presets.Path());
  }
  void TearDown() override {
    window.reset();
    app.reset();
    seams.ui.CheckDone();
  }
  void Add(const char* item) {
    auto* combo = Item<QComboBox>(window.get(), CZelmoSettingsDialog::kAddCombo);
    combo->setCurrentText(item);
    QTest::mouseClick(Item<QAbstractButton>(window.get(), CZelmoSettingsDialog::kAdd), Qt::LeftButton);
  }
  QTabBar* Tabs() { return Item<QTabBar>(window.get(), CZelmoSettingsDialog::kTabs); }
  QCheckBox* Check(int id) { return Item<QCheckBox>(window.get(), id); }

  tessiro::test::ScriptedServices seams;
  tessiro::test::CTempFolder presets;
  std::unique_ptr<CProApp> app;
  std::unique_ptr<CZelmoSettingsDialog> window;
};

TEST_F(EffectsWindowWidgets, EachAddedEffectGetsItsTabAndItsLivePanel) {
  const WindowCase cases[] = {{"Echo", "Echo", 0}, {"Reverb", "Reverb", 1184}, {"Chorus", "Chorus", 0},
                              {"Flange", "Flange", 0}, {"Equalizer", "Equalizer", 1131}};
  auto* chain = Item<QComboBox>(window.get(), CZelmoSettingsDialog::kChainCombo);
  ASSERT_EQ(chain->count(), 25);
  EXPECT_EQ(chain->itemText(0), "Main Output");
  EXPECT_EQ(chain->itemText(24), "Track 24");
  chain->setCurrentIndex(2);
  emit chain->activated(2);
  int n = 0;
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.item);
    Add(c.item);
    ++n;
    ASSERT_EQ(Tabs()->count(), n);
    EXPECT_EQ(Tabs()->tabText(n - 1), c.tab);
    EXPECT_EQ(Tabs()->currentIndex(), n - 1);
    ASSERT_NE(window->PanelWidget(), nullptr);
    if (c.panelControl) {
      EXPECT_NE(window->PanelWidget()->findChild<QWidget*>(QString::number(c.panelControl)), nullptr);
    }
  }
  ASSERT_NE(app->effectChains[2], nullptr);
  EXPECT_EQ(app->effectChains[2]->NumberOfEffects(), 5);
  EXPECT_EQ(app->effectChains[1], nullptr);

  // A value typed into the reverb's panel reaches the chain's reverb.
  emit Tabs()->tabBarClicked(1);
  QLineEdit* late = Item<QLineEdit>(window->PanelWidget(), 1184);
  ASSERT_NE(late, nullptr);
  late->selectAll();
  QTest::keyClicks(late, "444");
  QTest::keyClick(late, Qt::Key_Return);
  ReverbParams sent{};
  app->effectChains[2]->GetEffectParameters(1, &sent);
  EXPECT_FLOAT_EQ(sent.secondDelayMsLeft, 444.0f);

  // Moving it back one place: its tab follows it.
  QTest::mouseClick(Item<QAbstractButton>(window.get(), CZelmoSettingsDialog::kMoveBack), Qt::LeftButton);
  EXPECT_EQ(Tabs()->tabText(2), "Reverb");
  EXPECT_EQ(Tabs()->currentIndex(), 2);
  unsigned int type = 0;
  app->effectChains[2]->GetEffectType(2, &type);
  EXPECT_EQ(type, ZelmoReverb);
}

TEST_F(EffectsWindowWidgets, BypassBoxesReachTheChainAndDisableWhatTheyCover) {
  Add("Echo");
  QTest::mouseClick(Check(CZelmoSettingsDialog::kBypassCurrent), Qt::LeftButton);
  EXPECT_EQ(app->effectChains[0]->GetEffectBypass(0), 1);
  QTest::mouseClick(Check(CZelmoSettingsDialog::kBypassTrack), Qt::LeftButton);
  EXPECT_EQ(app->effectChains[0]->GetBypass(), 1);
  EXPECT_FALSE(Check(CZelmoSettingsDialog::kBypassCurrent)->isEnabled());
  QTest::mouseClick(Check(CZelmoSettingsDialog::kBypassAll), Qt::LeftButton);
  EXPECT_EQ(app->project.bypass.load(), 1);
  EXPECT_FALSE(Check(CZelmoSettingsDialog::kBypassTrack)->isEnabled());
  QTest::mouseClick(Check(CZelmoSettingsDialog::kBypassAll), Qt::LeftButton);
  QTest::mouseClick(Check(CZelmoSettingsDialog::kBypassTrack), Qt::LeftButton);
  EXPECT_TRUE(Check(CZelmoSettingsDialog::kBypassCurrent)->isEnabled());
  EXPECT_TRUE(Check(CZelmoSettingsDialog::kBypassCurrent)->isChecked());
  EXPECT_EQ(app->modified, 1);

  // Chains changed elsewhere (an undo): the slot the frame calls rebuilds the tabs.
  app->effectChains[0]->RemoveAllEffects();
  QMetaObject::invokeMethod(window.get(), "RefreshTabs");
  EXPECT_EQ(Tabs()->count(), 0);
  EXPECT_EQ(window->PanelWidget(), nullptr);
  EXPECT_FALSE(Check(CZelmoSettingsDialog::kBypassCurrent)->isChecked());
  EXPECT_FALSE(Check(CZelmoSettingsDialog::kBypassTrack)->isChecked());
}

TEST_F(EffectsWindowWidgets, APanelsPresetMessagesAreShownAndEnterAddsNoEffect) {
  window->show();
  Add("Echo");
  ASSERT_NE(window->PanelWidget(), nullptr);
  seams.ui.ExpectBox("You must enter a preset name.");
  QTest::mouseClick(window->PanelWidget()->findChild<QAbstractButton*>("1169"), Qt::LeftButton);
  QLineEdit* delay = Item<QLineEdit>(window->PanelWidget(), 1182);
  delay->setFocus();
  delay->selectAll();
  QTest::keyClicks(delay, "120");
  QTest::keyClick(delay, Qt::Key_Return);
  EXPECT_EQ(app->effectChains[0]->NumberOfEffects(), 1);
  EchoParams sent{};
  app->effectChains[0]->GetEffectParameters(0, &sent);
  EXPECT_FLOAT_EQ(sent.delayMsLeft, 120.0f);
}

}  // namespace
