// Numbers as the edits show and read them, levels, pitches and slider steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "DialogValues.h"
#include "Genres.h"

namespace forms {
namespace {

TEST(DialogValues, WholeNumbersReadAsFarAsTheyGo) {
  const struct {
    const char* text;
    int64_t value;
  } read[] = {{"44100 Hz", 44100}, {" +8000", 8000}, {"-5", -5}, {"x", 0}, {"", 0}, {"12.9", 12}};
  for (const auto& c : read) EXPECT_EQ(ParseInteger(c.text), c.value) << c.text;
}

TEST(DialogValues, TypedLevelsAreClampedInDecibelsWhateverTheUnits) {
  const struct {
    LevelUnits units;
    const char* typed;
    const char* shownDb;
    const char* shownPercent;
  } cases[] = {
      {LevelUnits::Decibel, "30", "20.00", "1000.00"},     {LevelUnits::Decibel, "-200", "-140.00", "0.00"},
      {LevelUnits::Decibel, "abc", "0.00", "100.00"},      {LevelUnits::Percent, "1000", "20.00", "1000.00"},
      {LevelUnits::Percent, "5000", "20.00", "1000.00"},   {LevelUnits::Percent, "50", "-6.02", "50.00"},
      {LevelUnits::Percent, "-5", "-140.00", "0.00"},      {LevelUnits::Percent, "0", "-140.00", "0.00"},
      {LevelUnits::Percent, "nan", "-140.00", "0.00"},     {LevelUnits::Decibel, "1e40", "20.00", "1000.00"},
  };
  for (const auto& c : cases) {
    LevelValue level;
    level.SetTyped(c.typed, c.units);
    EXPECT_EQ(level.kind, c.units == LevelUnits::Decibel ? LevelValue::kDecibel : LevelValue::kPercent) << c.typed;
    EXPECT_EQ(level.Text(LevelUnits::Decibel), c.shownDb) << c.typed;
    EXPECT_EQ(level.Text(LevelUnits::Percent), c.shownPercent) << c.typed;
    EXPECT_TRUE(std::isfinite(level.Gain())) << c.typed;
  }
}

TEST(DialogValues, LevelSlidersMapBothWaysAtTheirEnds) {
  const struct {
    float db;
    int position;
  } cases[] = {{-140.0f, 0}, {20.0f, 1000}, {0.0f, 875}, {-60.0f, 500}, {-139.9f, 0}, {25.0f, 1000}};
  for (const auto& c : cases) {
    LevelValue level;
    level.decibels = c.db;
    EXPECT_EQ(level.SliderPosition(), c.position) << c.db;
  }
  LevelValue level = LevelValue::FromGain(0.0f);  // 0 % stands for -140 dB
  EXPECT_EQ(level.SliderPosition(), 0);
  for (int position : {0, 500, 875, 1000}) {
    level.SetFromSlider(position);
    EXPECT_EQ(level.kind, LevelValue::kDecibel);
    EXPECT_EQ(level.SliderPosition(), position);
  }
  level.SetFromSlider(875);
  EXPECT_FLOAT_EQ(level.Gain(), 1.0f);
}

TEST(DialogValues, PitchesTypedAsRatiosOrSemitonesStayInAnOctave) {
  const struct {
    PitchUnits units;
    const char* typed;
    const char* semitones;
    const char* ratio;
    int slider;
  } cases[] = {
      {PitchUnits::Semitones, "30", "12.00", "2.00", 240}, {PitchUnits::Semitones, "-12", "-12.00", "0.50", 0},
      {PitchUnits::Semitones, "3.5", "3.50", "1.22", 155}, {PitchUnits::Ratio, "1.5", "7.02", "1.50", 190},
      {PitchUnits::Ratio, "5", "12.00", "2.00", 240},      {PitchUnits::Ratio, "0", "-12.00", "0.50", 0},
      {PitchUnits::Ratio, "-3", "-12.00", "0.50", 0},      {PitchUnits::Ratio, "abc", "-12.00", "0.50", 0},
  };
  for (const auto& c : cases) {
    PitchValue pitch;
    pitch.SetTyped(c.typed, c.units);
    EXPECT_EQ(pitch.Text(PitchUnits::Semitones), c.semitones) << c.typed;
    EXPECT_EQ(pitch.Text(PitchUnits::Ratio), c.ratio) << c.typed;
    EXPECT_EQ(pitch.SliderPosition(), c.slider) << c.typed;
  }
  PitchValue pitch;
  pitch.SetFromSlider(60);
  EXPECT_FLOAT_EQ(pitch.Semitones(), -6.0f);
  EXPECT_EQ(pitch.SliderPosition(), 60);
}

TEST(DialogValues, SlidersStepWithinTheirRange) {
  const struct {
    int current;
    SliderAction code;
    int thumb;
    std::optional<int> to;
  } cases[] = {{5, SliderAction::LineLess, 0, 4},      {5, SliderAction::LineMore, 0, 6},
               {5, SliderAction::PageLess, 0, 0},      {995, SliderAction::PageMore, 0, 1000},
               {5, SliderAction::Track, 700, 700}, {5, SliderAction::Track, 1200, 1000},
               {5, SliderAction::Other, 700, std::nullopt},
               {5, SliderAction::End, 700, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(StepTo(c.current, c.code, c.thumb, 0, 1000), c.to) << c.current;
}

TEST(DialogValues, TheGenreListIsIndexedByItsCode) {
  const struct {
    int code;
    const char* name;
  } names[] = {{0, "Blues"},        {1, "Classic Rock"},      {2, "Country"},          {64, "Native US"},
               {67, "Psychadelic"}, {79, "Hard Rock"},         {80, "Folk"},            {118, "Rhytmic Soul"},
               {123, "Acapella"},   {133, "Afro-Punk"},        {136, "Christian Gangsta"}, {140, "Contemporary C"},
               {145, "Anime"},      {146, "JPop"},             {147, "SynthPop"}};
  for (const auto& n : names) EXPECT_STREQ(kGenres[n.code], n.name) << n.code;
  for (const char* name : kGenres) EXPECT_LT(std::strlen(name), static_cast<size_t>(kGenreSlotBytes)) << name;
}

}  // namespace
}  // namespace forms
