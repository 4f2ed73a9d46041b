// The loop, snippet, create-snippet and shift forms: what they show from
// their requests, what the spin, the typed values and the units do, and what
// OK hands back.
#include <gtest/gtest.h>

#include <algorithm>

#include "PropertiesForms.h"
#include "TrackTimeForms.h"

namespace forms {
namespace {

LoopPropertiesRequest TwoSecondLoop() {
  LoopPropertiesRequest request;
  request.loopNumber = 4;
  request.title = "Beat";
  request.measures = 1;
  request.tempo = 120.0f;
  request.audioFile = "/audio/qvk_temp/loop.pcm";
  request.lengthFrames = 88200;
  return request;
}

TEST(LoopPropertiesForm, ShowsTheLoopAndRetimesItByItsMeasures) {
  LoopPropertiesForm form(TwoSecondLoop());
  EXPECT_EQ(form.NumberText(), "5");
  EXPECT_EQ(form.MeasuresText(), "1");
  EXPECT_EQ(form.TempoText(), "120.00");
  EXPECT_EQ(form.LengthText(), "00:02.000");
  EXPECT_EQ(form.AudioFile(), "/audio/qvk_temp/loop.pcm");

  // Two seconds hold n measures of four beats at 60 / (2 / 4n) beats a minute;
  // past 250 the measures are refused and stay as they were.
  const struct {
    int position;
    bool taken;
    int measures;
    const char* tempo;
  } steps[] = {{2, true, 2, "240.00"}, {3, false, 2, "240.00"}, {1, true, 1, "120.00"},
               {16, false, 1, "120.00"}, {17, false, 1, "120.00"}, {0, true, 1, "120.00"}};
  for (const auto& step : steps) {
    std::string refusal;
    EXPECT_EQ(form.SetMeasures(step.position, &refusal), step.taken) << step.position;
    EXPECT_EQ(refusal, step.taken ? ""
                                  : "Cannot perform this operation.  The loop's measures would give a tempo greater "
                                    "than the 250 BPM limit.")
        << step.position;
    EXPECT_EQ(form.measures, step.measures) << step.position;
    EXPECT_EQ(form.TempoText(), step.tempo) << step.position;
  }
  std::string refusal;
  form.title = "Groove";
  form.SetMeasures(2, &refusal);
  const LoopPropertiesRequest::Result result = form.Accept();
  EXPECT_EQ(result.title, "Groove");
  EXPECT_EQ(result.measures, 2);
  EXPECT_FLOAT_EQ(result.tempo, 240.0f);
}

TEST(LoopPropertiesForm, ALoopInUseKeepsItsMeasuresAndAnEmptyOneItsTempo) {
  LoopPropertiesRequest used = TwoSecondLoop();
  used.inUse = true;
  LoopPropertiesForm form(used);
  std::string refusal;
  EXPECT_FALSE(form.SetMeasures(3, &refusal));
  EXPECT_EQ(refusal, "This loop currently exists as part of the project.  Cannot change 'measure' setting while loop "
                     "is in use.");
  EXPECT_EQ(form.Accept().measures, 1);
  EXPECT_FLOAT_EQ(form.Accept().tempo, 120.0f);

  LoopPropertiesRequest empty = TwoSecondLoop();
  empty.lengthFrames = 0;
  LoopPropertiesForm silent(empty);
  EXPECT_EQ(silent.LengthText(), "00:00.000");
  EXPECT_TRUE(silent.SetMeasures(8, &refusal));
  EXPECT_EQ(silent.Accept().measures, 8);
  EXPECT_FLOAT_EQ(silent.Accept().tempo, 120.0f);
}

TEST(SnippetPropertiesForm, TheTypedTempoIsClampedAndALoopSnippetsIsFixed) {
  SnippetPropertiesRequest request;
  request.tempo = 97.5f;
  request.identifier = 4000000123u;
  request.audioFile = "/audio/qvk_data/take.pcm";
  SnippetPropertiesForm form(request);
  EXPECT_EQ(form.TypeText(), "Extended Audio");
  EXPECT_EQ(form.TempoText(), "97.50");
  EXPECT_EQ(form.IdentifierText(), "4000000123");
  EXPECT_FALSE(form.TempoReadOnly());

  const struct {
    const char* typed;
    const char* shown;
  } typed[] = {{"300", "250.00"}, {"49.9", "50.00"}, {"-5", "50.00"}, {"133.333", "133.33"},
               {"abc", "133.33"}, {"", "133.33"},    {"0", "50.00"},  {" 88.5 bpm", "88.50"}};
  for (const auto& t : typed) {
    form.SetTypedTempo(t.typed);
    EXPECT_EQ(form.TempoText(), t.shown) << t.typed;
  }
  EXPECT_FLOAT_EQ(form.Accept().tempo, 88.5f);
  form.SetTypedTempo("72.125");
  EXPECT_FLOAT_EQ(form.Accept().tempo, 72.13f) << "what the edit shows";

  request.loopSnippet = true;
  request.loopNumber = 6;
  SnippetPropertiesForm loop(request);
  EXPECT_EQ(loop.TypeText(), "Loop Audio - #7");
  EXPECT_TRUE(loop.TempoReadOnly());
}

TEST(TimeField, StartTimesTypedAndShownInBothUnits) {
  // Standard text is normalised as typed; Tempo text is read at 120 BPM in 4/4
  // (one beat is 22050 frames) and shown as what was read.
  const struct {
    int32_t units;
    const char* typed;
    uint32_t frames;
    const char* shown;
  } cases[] = {
      {TimeField::kStandard, "1:30.5", 44100u * 90 + 22050, "1:30.500"},
      {TimeField::kStandard, "90", 44100u * 90, "00:90.000"},
      {TimeField::kStandard, "0:01.001", 44144, "00:01.001"},
      {TimeField::kStandard, "nonsense", 0, "00:00.000"},
      {TimeField::kTempo, "1:0:0.00", 4 * 22050, "1:0:0.00"},
      {TimeField::kTempo, "2:1:2.00", (8 + 1) * 22050 + 11025, "2:1:2.00"},
      {TimeField::kTempo, "3", 12 * 22050, "3:0:0.00"},
      {TimeField::kTempo, "x:y", 0, "0:0:0.00"},
  };
  for (const auto& c : cases) {
    TimeField field(c.units, 12345, 120.0f, 0);
    field.SetTyped(c.typed);
    EXPECT_NEAR(field.Frames(), c.frames, 1u) << c.typed;
    EXPECT_EQ(field.Text(), c.shown) << c.typed;
  }

  // The units change shows the same position in the other form.
  TimeField field(TimeField::kStandard, 44100u * 2, 120.0f, 1);
  EXPECT_EQ(field.Text(), "00:02.000");
  field.SetUnitsIndex(1);
  EXPECT_EQ(field.Units(), TimeField::kTempo);
  EXPECT_EQ(field.Text(), "1:1:0.00") << "four beats in 3/4 are a bar and a beat";
  field.SetUnitsIndex(0);
  EXPECT_EQ(field.Text(), "00:02.000");
  EXPECT_EQ(field.Frames(), 88200u);
  // A tempo of 0 from a broken project would divide by it: the display's default stands in.
  TimeField unset(TimeField::kTempo, 0, 0.0f, 0);
  unset.SetTyped("1");
  EXPECT_EQ(unset.Frames(), 4u * 22050);
}

TEST(TrackTimeForms, CreateAndShiftHandBackTheirFields) {
  CreateTrackSnippetRequest create;
  create.projectTempo = 100.0f;
  CreateTrackSnippetForm snippet(create);
  EXPECT_EQ(snippet.start.Units(), TimeField::kStandard);
  EXPECT_EQ(snippet.start.Text(), "00:00.000");
  snippet.start.SetUnitsIndex(1);
  EXPECT_EQ(snippet.start.Text(), "0:0:0.00");
  snippet.start.SetTyped("1:0:0.00");  // four beats at 100 BPM: 2.4 s
  snippet.target = 23;
  CreateTrackSnippetRequest::Result made = snippet.Accept();
  EXPECT_EQ(made.targetTrack, 23);
  EXPECT_EQ(made.startFrame, 105840u);
  snippet.target = 40;
  EXPECT_EQ(snippet.Accept().targetTrack, 23);

  ShiftTracksRequest shift;
  shift.timeUnits = 2;
  shift.newStart = 88200;
  ShiftTracksForm form(shift);
  EXPECT_EQ(form.start.Text(), "1:0:0.00") << "the last run's units and start";
  ShiftTracksRequest::Result none = form.Accept();
  EXPECT_EQ(none.newStart, 88200u);
  EXPECT_EQ(none.timeUnits, 2);
  EXPECT_EQ(std::count(none.tracks.begin(), none.tracks.end(), 0), 24);
  form.CheckAll();
  form.tracks[5] = false;
  form.start.SetUnitsIndex(0);
  form.start.SetTyped("0:03");
  ShiftTracksRequest::Result ticked = form.Accept();
  EXPECT_EQ(ticked.timeUnits, 1);
  EXPECT_EQ(ticked.newStart, 3u * 44100);
  EXPECT_EQ(ticked.tracks[5], 0);
  EXPECT_EQ(std::count(ticked.tracks.begin(), ticked.tracks.end(), 1), 23);
  form.ClearAll();
  const ShiftTracksRequest::Result cleared = form.Accept();
  EXPECT_EQ(std::count(cleared.tracks.begin(), cleared.tracks.end(), 0), 24);
}

}  // namespace
}  // namespace forms
