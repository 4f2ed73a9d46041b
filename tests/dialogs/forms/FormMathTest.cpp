// The numbers the forms show and the places of their sliders, without a display.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "FloatText.h"
#include "OperationDialogs.h"
#include "EffectPanels.h"
#include "SliderMath.h"

using namespace forms;

TEST(FormText, FloatsShowRoundedWithTheirDecimalsWhateverTheLocale) {
  struct Case {
    float value;
    int decimals;
    const char* shown;
  };
  const Case cases[] = {{-2.5f, 2, "-2.50"}, {0.125f, 2, "0.13"},   {1.234f, 2, "1.23"},  {1.0f, 4, "1.0000"},
                        {20.0f, 2, "20.00"}, {-140.0f, 2, "-140.00"}, {1000.0f, 2, "1000.00"},
                        {-0.001f, 2, "0.00"}, {0.7f, 4, "0.7000"},  {2.5f, 0, "3"}};
  // A desktop in a language with a decimal comma must not change the text.
  const char* before = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = before ? before : "C";
  const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.value, c.decimals), c.shown) << c.value << " comma " << comma;
  EXPECT_FLOAT_EQ(ParseFloat("1.5"), 1.5f);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormText, TypedTextReadsItsLeadingNumberOrZero) {
  struct Case {
    const char* text;
    float value;
  };
  constexpr float kLargest = std::numeric_limits<float>::max();
  const Case cases[] = {{"30", 30},           {"  -4.25dB", -4.25f}, {"+7", 7},       {"abc", 0},    {"", 0},
                        {"1,5", 1},           {".5", 0.5f},          {"1e2", 100},    {"nan", 0},    {"NaN", 0},
                        {"-nan", 0},          {"inf", 0},            {"-inf", 0},     {"Infinity", 0}, {"1e-999", 0},
                        {"1e999", kLargest},  {"-1e999", -kLargest}, {"1e39", kLargest}};
  for (const Case& c : cases) EXPECT_FLOAT_EQ(ParseFloat(c.text), c.value) << c.text;
}

TEST(FormSliders, EveryMappingHoldsAtBothEndsBothWays) {
  // The plain sliders: 0..1000 over the pair's range, truncated.
  EXPECT_EQ(ValueToPosition(-140, -140, 20), 0);
  EXPECT_EQ(ValueToPosition(20, -140, 20), 1000);
  EXPECT_EQ(ValueToPosition(0, -140, 20), 875);
  EXPECT_EQ(ValueToPosition(-139.99f, -140, 20), 0);
  EXPECT_EQ(ValueToPosition(500, -140, 20), 1000) << "out of range values sit at the end";
  EXPECT_FLOAT_EQ(PositionToValue(0, 0.25f, 2.5f), 0.25f);
  EXPECT_FLOAT_EQ(PositionToValue(1000, 0.25f, 2.5f), 2.5f);
  EXPECT_EQ(ValueToPosition(std::nanf(""), 0, 1), 0);

  // The equalizer's vertical sliders: +20 dB at the top (0), -140 dB at the bottom (1000).
  CEqualizerDialog eq;
  eq.InitDialog();
  const int slider = CEqualizerDialog::kSliders[0];
  eq.Scroll(slider, SliderAction::Track, 0);
  EXPECT_EQ(eq.Text(CEqualizerDialog::kLeftEdits[0]), "20.00");
  eq.Scroll(slider, SliderAction::Track, 1000);
  EXPECT_EQ(eq.Text(CEqualizerDialog::kLeftEdits[0]), "-140.00");
  eq.Commit(CEqualizerDialog::kLeftEdits[0], "0");
  EXPECT_EQ(eq.Position(slider), 125);

  // Pitch: 480 positions for -24..+24 semitones, ten a semitone.
  CPitchShiftDialog pitch;
  pitch.InitDialog();
  EXPECT_EQ(pitch.Position(CPitchShiftDialog::kInitialSlider), 240);
  pitch.Scroll(CPitchShiftDialog::kInitialSlider, SliderAction::Track, 0);
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "-24.00");
  pitch.Scroll(CPitchShiftDialog::kInitialSlider, SliderAction::Track, 480);
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "24.00");
  pitch.Commit(CPitchShiftDialog::kFinalEdit, "-1");
  EXPECT_EQ(pitch.Position(CPitchShiftDialog::kFinalSlider), 230);
}

TEST(FormSliders, ActionsMoveByLineAndPageAndIgnoreTheRest) {
  struct Case {
    SliderAction action;
    int thumb;
    int from;
    std::optional<int> to;
  };
  const Case cases[] = {{SliderAction::LineLess, 0, 500, 499}, {SliderAction::LineMore, 0, 500, 501},
                        {SliderAction::PageLess, 0, 500, 490}, {SliderAction::PageMore, 0, 500, 510},
                        {SliderAction::Track, 321, 500, 321},  {SliderAction::End, 0, 500, std::nullopt},
                        {SliderAction::Other, 9, 500, std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(MovedPosition(c.from, c.action, c.thumb), c.to);
  // A form's slider never leaves its range.
  CVolumeDialog volume;
  volume.InitDialog();
  volume.Scroll(1161, SliderAction::Track, 1000);
  volume.Scroll(1161, SliderAction::PageMore, 0);
  EXPECT_EQ(volume.Position(1161), 1000);
  EXPECT_EQ(volume.Text(1163), "20.00");
  EXPECT_EQ(volume.Text(1164), "20.00") << "the lock moves both";
  EXPECT_EQ(volume.Position(1162), 1000);
}
