// The edit-operation forms: what typing, ticking and sliding do, and the values
// each gives the core after OK.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "OperationDialogs.h"
#include "ReportRecorder.h"

using namespace forms;

namespace {

OperationDialogValues ValuesOf(const CFXDialog& form) {
  OperationDialogValues v;
  v.range = 0;
  form.GetParameters(&v);
  return v;
}

}  // namespace

TEST(OperationForms, TypedLevelsAreReadClampedAndShown) {
  struct Case {
    int32_t units;
    bool lock;
    const char* typed;
    const char* left;
    const char* right;
    float gain;  // of the left channel
  };
  const Case cases[] = {
      {UnitsDecibel, true, "30", "20.00", "20.00", 10.0f},       // above the range: the maximum
      {UnitsDecibel, true, "abc", "0.00", "0.00", 1.0f},         // no number: 0 dB
      {UnitsDecibel, true, "-200", "-140.00", "-140.00", 1e-7f},  // below: the minimum
      {UnitsDecibel, false, "-6", "-6.00", "0.00", 0.501187f},   // unlocked: one channel
      {UnitsPercent, true, "50", "50.00", "50.00", 0.5f},
      {UnitsPercent, true, "1000", "1000.00", "1000.00", 10.0f},
      {UnitsPercent, true, "-5", "0.00", "0.00", 1e-7f},  // a negative percent is silence, not NaN
      {UnitsPercent, true, "nan", "0.00", "0.00", 1e-7f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    CVolumeDialog volume;
    volume.InitDialog();
    volume.Select(id::kUnits, c.units);
    if (!c.lock) volume.Check(id::kLock, false);
    volume.Commit(1163, c.typed);
    EXPECT_EQ(volume.Text(1163), c.left);
    EXPECT_EQ(volume.Text(1164), c.right);
    EXPECT_EQ(volume.Level(1).channel[0].percentValid, c.units == UnitsPercent ? 1 : 0);
    const OperationDialogValues v = ValuesOf(volume);
    EXPECT_NEAR(v.level1Left, c.gain, c.gain * 1e-4f);
    EXPECT_FALSE(std::isnan(v.level1Right));
    EXPECT_EQ(volume.Text(1165), c.units == UnitsPercent ? "%" : "dB");
  }
}

TEST(OperationForms, UnitsSwitchShowsTheSameLevelsInTheOtherUnit) {
  CMixPasteDialog mix;
  mix.InitDialog();
  mix.Commit(1163, "-6.0206");
  EXPECT_EQ(mix.Text(1164), "-6.02");
  mix.Select(id::kUnits, 1);
  EXPECT_EQ(mix.Text(1163), "50.00");
  EXPECT_EQ(mix.Text(1178), "100.00");
  EXPECT_EQ(mix.Text(1180), "%");
  mix.Select(id::kUnits, 0);
  EXPECT_EQ(mix.Text(1163), "-6.02");
  EXPECT_EQ(mix.Position(1161), 837) << "(-6.02 + 140) / 160 * 1000";
}

TEST(OperationForms, LockAndScopeFollowTheSourceAndWhatItOffers) {
  struct Case {
    int16_t channels;
    bool highlight, markers;
    int scope;
    int shown;  // the scope radio ticked
  };
  const Case cases[] = {{2, true, true, id::kScopeHighlighted, id::kScopeHighlighted},
                        {2, false, true, id::kScopeHighlighted, id::kScopeWhole},
                        {2, true, false, id::kScopeMarkers, id::kScopeWhole},
                        {1, true, true, id::kScopeMarkers, id::kScopeMarkers}};
  for (const Case& c : cases) {
    CVolumeDialog volume;
    volume.Check(id::kLock, false);
    volume.SetChannelCount(c.channels);
    volume.SetAvailable(c.highlight, c.markers);
    volume.SetScope(c.scope);
    volume.InitDialog();
    EXPECT_EQ(volume.Checked(id::kLock), c.channels == 1) << "mono shows the lock ticked";
    EXPECT_EQ(volume.Enabled(id::kLock), c.channels == 2);
    EXPECT_EQ(volume.Enabled(id::kScopeHighlighted), c.highlight);
    EXPECT_EQ(volume.Enabled(id::kScopeMarkers), c.markers);
    for (int radio : {id::kScopeHighlighted, id::kScopeMarkers, id::kScopeWhole}) {
      EXPECT_EQ(volume.Checked(radio), radio == c.shown) << radio;
    }
    EXPECT_EQ(ValuesOf(volume).range, c.shown == id::kScopeHighlighted ? 1 : c.shown == id::kScopeMarkers ? 2 : 3);
  }
  CMuteDialog mute;
  mute.SetAvailable(false, false);
  mute.InitDialog();
  mute.Click(id::kScopeHighlighted);
  EXPECT_TRUE(mute.Checked(id::kScopeWhole)) << "a disabled radio cannot be chosen";
}

TEST(OperationForms, EachDialogGivesItsOperationsValues) {
  CMuteDialog mute;
  CReverseDialog reverse;
  for (CFXDialog* form : {static_cast<CFXDialog*>(&mute), static_cast<CFXDialog*>(&reverse)}) {
    form->InitDialog();
    struct Ticks {
      bool left, right;
      int32_t mode;
    };
    for (const Ticks& t : {Ticks{true, true, 1}, Ticks{true, false, 2}, Ticks{false, true, 3}, Ticks{false, false, 4}}) {
      form->Check(id::kLeft, t.left);
      form->Check(id::kRight, t.right);
      EXPECT_EQ(ValuesOf(*form).channelMode, t.mode) << form->Caption();
    }
  }

  CFadeDialog fade;
  fade.InitDialog();
  fade.Commit(1178, "-140");
  fade.Select(id::kSlope, 1);
  OperationDialogValues v = ValuesOf(fade);
  EXPECT_FLOAT_EQ(v.level1Left, 1.0f);
  EXPECT_NEAR(v.level2Right, 0.0f, 1e-6f);
  EXPECT_EQ(v.curve, 1);
  EXPECT_EQ(v.range, 1) << "a fade starts on the highlighted section";

  CCopyChannelDialog copy;
  copy.InitDialog();
  EXPECT_TRUE(copy.Checked(CCopyChannelDialog::kLeftToRight));
  v = ValuesOf(copy);
  EXPECT_EQ(copy.GetParameters(&v), 1);
  EXPECT_EQ(v.copyLeftToRight, 1);
  EXPECT_EQ(v.copyRightToLeft, 0);
  copy.Click(CCopyChannelDialog::kRightToLeft);
  v = ValuesOf(copy);
  EXPECT_EQ(v.copyLeftToRight, 0);
  EXPECT_EQ(v.copyRightToLeft, 1);
  EXPECT_FALSE(copy.Checked(CCopyChannelDialog::kLeftToRight));

  CStretchCompressDialog stretch;
  stretch.InitDialog();
  EXPECT_EQ(stretch.Text(id::kInitial), "1.0000");
  stretch.Commit(id::kInitial, "9");
  EXPECT_EQ(stretch.Text(id::kFinal), "2.5000") << "locked: the final follows, clamped";
  stretch.Check(id::kSame, false);
  stretch.Commit(id::kFinal, "0.1");
  v = ValuesOf(stretch);
  EXPECT_FLOAT_EQ(v.initialValue, 2.5f);
  EXPECT_FLOAT_EQ(v.finalValue, 0.25f);
  EXPECT_EQ(stretch.Position(id::kInitialSlider), 1000);
  EXPECT_EQ(stretch.Position(id::kFinalSlider), 0);

  tessiro::test::Reports().Clear();
  EXPECT_EQ(mute.GetParameters(nullptr), 3);
  EXPECT_EQ(tessiro::test::Reports().Take().size(), 1u);
}

TEST(OperationForms, PitchShiftInSemitonesAndRatios) {
  CPitchShiftDialog pitch;
  pitch.InitDialog();
  OperationDialogValues v = ValuesOf(pitch);
  EXPECT_FLOAT_EQ(v.initialValue, 1.0f);
  EXPECT_FLOAT_EQ(v.finalValue, 1.0f);

  pitch.Commit(CPitchShiftDialog::kInitialEdit, "30");
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "24.00");
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kFinalEdit), "24.00");
  pitch.Select(CPitchShiftDialog::kPitchUnits, 1);
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "4.00");
  pitch.Commit(CPitchShiftDialog::kInitialEdit, "5.0");
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "4.00") << "clamped through semitones";
  pitch.Commit(CPitchShiftDialog::kInitialEdit, "-3");
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "0.25") << "no ratio below zero: the lowest pitch";
  pitch.Check(id::kSame, false);
  pitch.Commit(CPitchShiftDialog::kFinalEdit, "1.5");
  EXPECT_EQ(pitch.FinalPitch().kind, CPitchShiftDialog::KindRatio);
  pitch.Select(CPitchShiftDialog::kPitchUnits, 0);
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kInitialEdit), "-24.00");
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kFinalEdit), "7.02");
  v = ValuesOf(pitch);
  EXPECT_FLOAT_EQ(v.initialValue, 4.0f);
  EXPECT_NEAR(v.finalValue, 1.0f / 1.5f, 1e-6f);

  pitch.Scroll(CPitchShiftDialog::kFinalSlider, SliderAction::Track, 250);
  EXPECT_EQ(pitch.Text(CPitchShiftDialog::kFinalEdit), "1.00");
  EXPECT_NEAR(ValuesOf(pitch).finalValue, std::pow(2.0f, -1.0f / 12), 1e-6f);
}
