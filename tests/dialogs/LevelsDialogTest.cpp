// The level window's widgets: the frame's slots run the meters, the sliders
// reach the gains, and closing the window ends monitoring.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QSlider>

#include "LevelsDialog.h"

namespace {

using forms::CLevelsForm;

std::vector<std::string> calls;
void SetGain(uint32_t channel, int32_t left, int32_t right) {
  calls.push_back("set " + std::to_string(channel) + " " + std::to_string(left) + " " + std::to_string(right));
}
void GetGain(uint32_t, int16_t* left, int16_t* right) { *left = *right = -10; }
void FullScaleLeft(unsigned char** buffer, uint32_t bytes) {
  auto* frames = reinterpret_cast<int16_t*>(*buffer);
  for (uint32_t f = 0; f < bytes / 4; ++f) frames[2 * f] = 32767;
}
void Silent(int16_t, unsigned char**, uint32_t) {}
void StartMonitor(int16_t channel) { calls.push_back("monitor " + std::to_string(channel)); }
void StopMonitor() { calls.push_back("stop monitor"); }

template <class W>
W* Item(const QWidget* root, int id) {
  return root->findChild<W*>(QString::number(id));
}

TEST(LevelsWindowWidgets, SlotsRunTheMetersAndClosingEndsMonitoring) {
  calls.clear();
  CLevelsForm::Host host{[] { return false; }, [] {}, [] {}};
  dialogs::CLevelsDialog window({&SetGain, &GetGain, &FullScaleLeft, &Silent, &StartMonitor, &StopMonitor}, 4,
                                host);
  auto* left = Item<QSlider>(&window, CLevelsForm::kMasterLeft);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->value(), 30);
  EXPECT_TRUE(Item<QCheckBox>(&window, CLevelsForm::kLock)->isChecked());
  left->setValue(40);
  EXPECT_EQ(Item<QSlider>(&window, CLevelsForm::kMasterRight)->value(), 40);
  EXPECT_EQ(calls, std::vector<std::string>{"set 0 -20 -20"});

  QMetaObject::invokeMethod(&window, "RunMeters");
  window.TickMeters();
  EXPECT_EQ(Item<QProgressBar>(&window, CLevelsForm::kMeterIds[0])->value(), 100);
  EXPECT_EQ(Item<QProgressBar>(&window, CLevelsForm::kMeterIds[1])->value(), 0);
  QMetaObject::invokeMethod(&window, "StopMeters");
  window.TickMeters();
  EXPECT_EQ(Item<QProgressBar>(&window, CLevelsForm::kMeterIds[0])->value(), 0);

  auto* channel = Item<QComboBox>(&window, CLevelsForm::kChannelCombo);
  ASSERT_EQ(channel->count(), 28);
  emit channel->activated(24);
  EXPECT_FALSE(Item<QSlider>(&window, CLevelsForm::kChannelLeft)->isEnabled());
  auto* monitor = Item<QCheckBox>(&window, CLevelsForm::kMonitor);
  ASSERT_TRUE(monitor->isEnabled());
  monitor->click();
  EXPECT_TRUE(window.property("monitoring").toBool());
  EXPECT_FALSE(channel->isEnabled());
  window.show();
  window.hide();
  EXPECT_FALSE(window.property("monitoring").toBool());
  EXPECT_EQ(calls.back(), "stop monitor");
  EXPECT_EQ(calls[1], "monitor 25");
}

}  // namespace
