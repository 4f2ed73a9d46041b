// The settings forms: what they show from what they were given, what each
// control does to them, and what OK hands back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "AppSettingsForm.h"
#include "ColorSettingsForm.h"
#include "Folders.h"
#include "MetronomeForm.h"
#include "MixdownForm.h"
#include "ProjectSettingsForm.h"
#include "TempFolder.h"
#include "TrackPropertiesForm.h"
#include "WaveQualityForm.h"

namespace forms {
namespace {

ProjectSettingsRequest HalfGainProject() {
  ProjectSettingsRequest request;
  request.masterGainLeft = 0.5f;
  request.masterGainRight = 1.0f;
  request.tempo = 97.5f;
  request.pitch = -3.0f;
  return request;
}

TEST(ProjectSettingsForm, LevelsPitchAndTempoShowAndMoveAsTheUnitsAndLockSay) {
  ProjectSettingsRequest request = HalfGainProject();
  request.lock = 0;
  ProjectSettingsForm form(request);
  EXPECT_EQ(form.LevelText(0), "-6.02");
  EXPECT_EQ(form.LevelText(1), "0.00");
  EXPECT_STREQ(form.UnitLabel(), "dB");
  EXPECT_EQ(form.LevelSlider(0), 837);  // (-6.02 + 140) / 160 x 1000
  EXPECT_EQ(form.TempoText(), "97.50");
  EXPECT_EQ(form.TempoSlider(), 97);
  EXPECT_EQ(form.PitchText(), "-3.00");
  EXPECT_EQ(form.PitchSlider(), 90);

  // Other units show the same levels and change nothing.
  form.OnUnits(1);
  EXPECT_EQ(form.LevelText(0), "50.00");
  EXPECT_STREQ(form.UnitLabel(), "%");
  EXPECT_FLOAT_EQ(form.Result().masterGainLeft, 0.5f);
  form.OnUnits(0);

  // Unlocked, a channel moves alone; locked, both move with value and kind.
  form.OnLevelTyped(0, "30");
  EXPECT_EQ(form.LevelText(0), "20.00");
  EXPECT_EQ(form.LevelText(1), "0.00");
  form.OnLock(true);
  form.OnLevelScroll(1, SliderAction::Track, 500);
  EXPECT_EQ(form.LevelText(0), "-60.00");
  EXPECT_EQ(form.LevelSlider(0), 500);
  form.OnUnits(1);
  form.OnLevelTyped(1, "1000");
  EXPECT_EQ(form.LevelText(0), "1000.00");
  EXPECT_FLOAT_EQ(form.Result().masterGainLeft, 10.0f);
  form.OnLevelScroll(0, SliderAction::PageLess, 0);
  EXPECT_EQ(form.LevelSlider(1), 990);

  form.OnTempoTyped("300");
  EXPECT_EQ(form.TempoText(), "250.00");
  form.OnTempoScroll(SliderAction::LineLess, 0);
  EXPECT_EQ(form.TempoText(), "249.00");
  form.OnTempoTyped("abc");
  EXPECT_EQ(form.TempoText(), "50.00");

  form.OnPitchUnits(1);
  EXPECT_EQ(form.PitchText(), "0.84");  // -3 semitones as a ratio
  form.OnPitchTyped("1.5");
  EXPECT_EQ(form.PitchText(), "1.50");
  EXPECT_NEAR(form.Result().pitch, 12 * std::log2(1.5), 1e-4);
  form.OnPitchScroll(SliderAction::Track, 240);
  EXPECT_EQ(form.PitchText(), "2.00");
  EXPECT_FLOAT_EQ(form.Result().pitch, 12.0f);
}

TEST(ProjectSettingsForm, OkHandsBackTheTextsCutToTheirFieldsAndTheChoices) {
  ProjectSettingsRequest request = HalfGainProject();
  request.year = "199999";
  request.genre = 200;         // no such code
  request.timeSignature = 7;   // neither 4/4 nor 3/4
  ProjectSettingsForm form(request);
  EXPECT_EQ(form.year, "1999");
  EXPECT_EQ(form.genre, 0);
  EXPECT_EQ(form.timeSignature, 2);

  form.title = std::string(253, 'a') + "\xC3\xA9";  // the last character would end past byte 254
  form.description = std::string(5000, 'd');
  form.OnUnits(1);
  form.OnPitchUnits(1);
  form.OnLock(false);
  const ProjectSettingsRequest::Result result = form.Result();
  EXPECT_EQ(result.title, std::string(253, 'a'));
  EXPECT_EQ(result.description.size(), ProjectSettingsForm::kDescriptionBytes);
  EXPECT_EQ(result.year, "1999");
  EXPECT_FLOAT_EQ(result.masterGainLeft, 0.5f);
  EXPECT_FLOAT_EQ(result.masterGainRight, 1.0f);
  EXPECT_FLOAT_EQ(result.pitch, -3.0f);
  EXPECT_FLOAT_EQ(result.tempo, 97.5f);
  EXPECT_EQ(result.units, 2);
  EXPECT_EQ(result.pitchUnits, 2);
  EXPECT_EQ(result.lock, 0);
}

TEST(AppSettingsForm, ValuesStayInTheirRangesAndTheBufferShowsItsLength) {
  AppSettingsRequest request;
  request.outputDevices = {"Card A", "Card B"};
  request.outputDevice = 1;
  request.timeDisplay = 1;
  request.qualityLevel = 9;
  request.bufferFrames = 3 * 8192;
  request.extendPlaybackSeconds = 30;
  request.undoLevels = 50;
  AppSettingsForm form(request);
  EXPECT_EQ(form.OutputSelection(), 1);
  EXPECT_EQ(form.TimeDisplaySelection(), 0);
  EXPECT_EQ(form.Quality(), 5);
  EXPECT_EQ(form.QualityText(), "Level 5");
  EXPECT_EQ(form.BufferLevel(), 3);
  EXPECT_EQ(form.BufferText(), "557");
  EXPECT_EQ(form.ExtendSeconds(), 10);
  EXPECT_EQ(form.UndoLevels(), 20);
  EXPECT_FALSE(form.UndoSpinEnabled());

  const struct {
    int level;
    int shown;
    const char* ms;
  } buffers[] = {{1, 1, "185"}, {8, 8, "1486"}, {0, 1, "185"}, {12, 8, "1486"}};
  for (const auto& b : buffers) {
    form.OnBufferLevel(b.level);
    EXPECT_EQ(form.BufferLevel(), b.shown) << b.level;
    EXPECT_EQ(form.BufferText(), b.ms) << b.level;
  }
  form.OnOutputDevice(5);  // no such output: the choice stays
  EXPECT_EQ(form.Result().outputDevice, 1);
  form.OnTimeDisplay(1);
  form.OnExtendSeconds(-1);
  form.OnUnlimitedUndo(true);
  EXPECT_TRUE(form.UndoSpinEnabled());
  form.OnUnlimitedUndo(false);
  EXPECT_TRUE(form.UndoSpinEnabled());  // unticking leaves the spin as it is
  const AppSettingsRequest::Result& result = form.Result();
  EXPECT_EQ(result.timeDisplay, 2);
  EXPECT_EQ(result.extendPlaybackSeconds, 0);
  EXPECT_EQ(result.bufferLevel, 8);
  EXPECT_EQ(result.unlimitedUndo, 0);
}

TEST(AppSettingsForm, OnlyAFolderThatCanBeWrittenAndFitsTheProjectFilesIsTaken) {
  tessiro::test::CTempFolder folder;
  AppSettingsRequest request;
  request.audioPath = folder.Path();
  AppSettingsForm form(request);
  const std::string mixedCase = folder / "Mixed Case";
  ASSERT_TRUE(platform::CreateFolder(mixedCase));
  const std::string tooLong = folder.Path() + "/" + std::string(kMaxAudioFolderBytes, 'x');
  ASSERT_TRUE(platform::CreateFolder(tooLong));  // writable, but its audio paths would not fit
  const std::string longest = tooLong.substr(0, kMaxAudioFolderBytes);
  ASSERT_TRUE(platform::CreateFolder(longest));
  const struct {
    std::string folder;
    FolderCheck check;
  } cases[] = {{folder / "missing", FolderCheck::NotUsable},
               {tooLong, FolderCheck::TooLong},
               {"", FolderCheck::NotUsable},
               {longest, FolderCheck::Accepted},
               {mixedCase, FolderCheck::Accepted}};
  for (const auto& c : cases) EXPECT_EQ(form.OnFolderChosen(c.folder), c.check) << c.folder;
  EXPECT_EQ(form.AudioPath(), mixedCase);  // as chosen, case kept
  EXPECT_EQ(FolderRefusalText("/x", FolderCheck::NotUsable),
            "Error: Audio Path /x is invalid.  Please choose a new audio directory.");
  // Its start and end on whole characters: a path this long has no place to break in a box.
  const std::string e = "\xC3\xA9";
  std::string accented = "/";
  for (int i = 0; i < 110; ++i) accented += e;
  EXPECT_EQ(FolderRefusalText(accented, FolderCheck::TooLong),
            "Error: Audio Path /" + accented.substr(1, 58) + "..." + accented.substr(accented.size() - 40) +
                " is too long (221 bytes, at most 216).  Please choose an audio directory with a shorter path.");
}

TEST(MetronomeForm, TheSliderStandsForTheLevelUpsideDown) {
  MetronomeSettingsRequest request;
  request.on = 1;
  request.pattern = 2;
  request.bpm = 88.0f;
  const struct {
    int level;
    int position;
    const char* text;
  } cases[] = {{0, 60, "10"}, {60, 0, "-50"}, {10, 50, "0"}, {99, 0, "-50"}};
  for (const auto& c : cases) {
    request.level = c.level;
    MetronomeForm form(request);
    EXPECT_EQ(form.SliderPosition(), c.position) << c.level;
    EXPECT_EQ(form.LevelText(), c.text) << c.level;
  }
  request.level = 10;
  MetronomeForm form(request);
  form.OnScroll(SliderAction::PageMore, 0);
  EXPECT_EQ(form.LevelText(), "10");
  form.OnScroll(SliderAction::Track, -5);
  EXPECT_EQ(form.LevelText(), "-50");
  form.on = false;
  form.clickOnly = true;
  form.accent = true;
  const MetronomeSettingsRequest::Result result = form.Result();
  EXPECT_EQ(result.on, 0);
  EXPECT_EQ(result.clickOnly, 1);
  EXPECT_EQ(result.accent, 1);
  EXPECT_EQ(result.level, 60);
  EXPECT_EQ(result.pattern, 2);
  EXPECT_FLOAT_EQ(result.bpm, 88.0f);
}

TEST(ColorSettingsForm, ColoursGoToTheChosenTrackOrLoopAndSetAllGoesEverywhere) {
  ColorSettingsRequest request;
  request.trackColors[3] = {kPalette[3].colorref, kPalette[5].colorref, 0x123456, kPalette[11].colorref};
  ColorSettingsForm form(request);
  EXPECT_EQ(PaletteIndex(0x00FF8000), 0);  // Blue is RGB(0,128,255)
  EXPECT_EQ(PaletteIndex(0x123456), 0);    // not in the palette
  EXPECT_EQ(form.Items().size(), 24u);
  EXPECT_EQ(form.Items()[23], "Track 24");
  form.OnItem(3);
  EXPECT_EQ(form.CurrentIndex(ColorMember::Background), 3);
  EXPECT_EQ(form.CurrentIndex(ColorMember::Waveform), 5);
  EXPECT_EQ(form.CurrentIndex(ColorMember::Outline), 0);
  EXPECT_EQ(form.CurrentIndex(ColorMember::Markers), 11);

  form.OnColor(ColorMember::Outline, 9);
  EXPECT_EQ(form.Result().trackColors[3].waveformOutline, kPalette[9].colorref);
  form.OnView(ColorSettingsForm::kLoopBank);
  EXPECT_EQ(form.Items()[31], "Loop 32");
  form.OnItem(31);  // a loop number the Loop Bank may not hold still has its colours
  form.OnColor(ColorMember::Markers, 8);
  EXPECT_EQ(form.Result().loopColors[31].marker, kPalette[8].colorref);
  EXPECT_EQ(form.Result().trackColors[3].marker, kPalette[11].colorref);
  form.OnColor(ColorMember::Markers, 12);  // no such colour
  EXPECT_EQ(form.Result().loopColors[31].marker, kPalette[8].colorref);
  form.OnEditorColor(ColorMember::Waveform, 4);
  EXPECT_EQ(form.Result().editorColors.waveformFill, kPalette[4].colorref);

  form.OnView(ColorSettingsForm::kTrackView);
  EXPECT_EQ(form.ItemSelection(), 3);  // each view keeps its own item
  form.OnSetAll();
  const TrackColorSet& set = form.Result().trackColors[3];
  for (const TrackColorSet& other : form.Result().trackColors) EXPECT_EQ(other.waveformOutline, set.waveformOutline);
  for (const TrackColorSet& other : form.Result().loopColors) EXPECT_EQ(other.marker, set.marker);
  EXPECT_EQ(form.Result().editorColors.snippetBox, set.snippetBox);
}

TEST(WaveQualityForm, RatesOutsideTheRangeKeepTheDialogOpen) {
  WaveQualityForm form(WaveQuality{1, 32000, 8});
  EXPECT_FALSE(form.stereo);
  EXPECT_FALSE(form.sixteenBits);
  EXPECT_EQ(form.rate, WaveQualityForm::RateUser);
  EXPECT_EQ(form.userRate, "32000");
  const struct {
    const char* typed;
    bool accepted;
  } cases[] = {{"7999", false}, {"8000", true}, {"44100", true}, {"44101", false}, {"abc", false}, {"-8000", false}};
  for (const auto& c : cases) {
    form.userRate = c.typed;
    std::string refusal;
    const std::optional<WaveQuality> quality = form.Accept(&refusal);
    EXPECT_EQ(quality.has_value(), c.accepted) << c.typed;
    EXPECT_EQ(refusal, c.accepted ? "" : "Sample rate must be between 8000 and 44100.") << c.typed;
    if (quality) {
      EXPECT_EQ(quality->samplesPerSecond, std::atoi(c.typed));
    }
  }
  form.rate = WaveQualityForm::Rate22050;
  form.userRate = "1";  // not used with a fixed rate
  form.stereo = true;
  form.sixteenBits = true;
  std::string refusal;
  const std::optional<WaveQuality> quality = form.Accept(&refusal);
  ASSERT_TRUE(quality);
  EXPECT_EQ(quality->samplesPerSecond, 22050);
  EXPECT_EQ(quality->channels, 2);
  EXPECT_EQ(quality->bitsPerSample, 16);
  EXPECT_EQ(WaveQualityForm(WaveQuality{2, 11025, 16}).rate, WaveQualityForm::Rate11025);
}

TEST(MixdownForm, NothingTickedCannotBeConfirmed) {
  MixdownDialogRequest request;
  request.sourceTracks[7] = 1;
  MixdownForm form(request);
  EXPECT_TRUE(form.sources[7]);
  form.ClearAll();
  std::string refusal;
  EXPECT_FALSE(form.Accept(&refusal));
  EXPECT_EQ(refusal, "No source tracks have been selected.");
  form.sources[23] = true;
  form.target = 5;
  std::optional<MixdownDialogRequest::Result> result = form.Accept(&refusal);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->targetTrack, 5);
  for (int t = 0; t < 24; ++t) EXPECT_EQ(result->sourceTracks[t], t == 23 ? 1 : 0) << t;
  form.CheckAll();
  result = form.Accept(&refusal);
  ASSERT_TRUE(result);
  for (int32_t ticked : result->sourceTracks) EXPECT_EQ(ticked, 1);
}

TEST(TrackPropertiesForm, VolumesStartInPercentAndATrackWithAudioKeepsItsType) {
  TrackPropertiesRequest request;
  request.trackIndex = 5;
  request.gainLeft = 0.5f;
  request.gainRight = 0.25f;
  request.pitch = 2.0f;
  request.trackType = 1;
  request.holdsSnippets = true;
  request.description = std::string(300, 'x');
  TrackPropertiesForm form(request);
  EXPECT_EQ(form.Caption(), "Properties - Track # 6");
  EXPECT_EQ(form.LevelText(0), "50.00");
  EXPECT_EQ(form.LevelText(1), "25.00");
  EXPECT_STREQ(form.UnitLabel(), "%");
  EXPECT_EQ(form.PitchText(), "2.00");
  EXPECT_TRUE(form.ConvertEnabled());

  const struct {
    int32_t type;
    bool holds;
    bool clickExtended;
    const char* refusal;
    bool extendedAfter;
  } guards[] = {
      {1, true, true, TrackPropertiesForm::kExtendedRefused, false},
      {0, true, false, TrackPropertiesForm::kLoopBasedRefused, true},
      {1, false, true, nullptr, true},
      {0, false, false, nullptr, false},
      {0, true, true, nullptr, true},  // the type it has already
  };
  for (const auto& g : guards) {
    TrackPropertiesRequest r;
    r.trackType = g.type;
    r.holdsSnippets = g.holds;
    TrackPropertiesForm guarded(r);
    const std::optional<std::string> refusal = guarded.OnTypeClicked(g.clickExtended);
    EXPECT_EQ(refusal.has_value(), g.refusal != nullptr) << g.type << g.holds;
    if (refusal && g.refusal) {
      EXPECT_EQ(*refusal, g.refusal);
    }
    EXPECT_EQ(guarded.Extended(), g.extendedAfter) << g.type << g.holds;
  }

  form.OnLevelTyped(0, "1000");  // percent: clamped through dB to +20 dB
  EXPECT_EQ(form.LevelText(0), "1000.00");
  EXPECT_EQ(form.LevelText(1), "1000.00");
  form.OnUnits(0);
  form.OnLevelTyped(1, "-200");
  EXPECT_EQ(form.LevelText(0), "-140.00");
  form.OnLock(false);
  form.OnLevelScroll(0, SliderAction::Track, 875);
  EXPECT_EQ(form.LevelText(0), "0.00");
  EXPECT_EQ(form.LevelText(1), "-140.00");
  form.OnConverted(0);
  EXPECT_TRUE(form.Extended());
  EXPECT_FALSE(form.ConvertEnabled());
  const TrackPropertiesRequest::Result result = form.Result();
  EXPECT_FLOAT_EQ(result.gainLeft, 1.0f);
  EXPECT_NEAR(result.gainRight, 1e-7, 1e-9);
  EXPECT_FLOAT_EQ(result.pitch, 2.0f);
  EXPECT_EQ(result.trackType, 0);
  EXPECT_EQ(result.description.size(), 254u);
  EXPECT_EQ(result.units, 1);
  EXPECT_EQ(result.lock, 0);
}

}  // namespace
}  // namespace forms
