// The project's limits on every road into it, each road taken as the main
// window takes it (its command ids, its callbacks): nothing makes the project
// longer than 90 minutes, a tempo change is checked before a snippet moves, a
// converted loop track keeps its effects, and a loop's measures never give it
// a tempo above 250 BPM. Every refusal shows its box and changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "AudioSnippetExtended.h"
#include "CommandRouter.h"
#include "Messages.h"
#include "TrackFixture.h"
#include "TrackViewCallbacks.h"
#include "commands/CommandTable.h"
#include "requests/EditRequests.h"
#include "requests/SettingsRequests.h"
#include "requests/TrackViewRequests.h"

namespace tessiro::test {
namespace {

constexpr uint32_t kLimit = 238140000;  // 90 minutes
constexpr const char* kTooLong = "Cannot insert audio.  Doing so would exceed maximum project length of 90 minutes.";
constexpr const char* kTempoTooLow = "Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.";
constexpr const char* kTooFast =
    "Cannot perform this operation.  The loop's measures would give a tempo greater than the 250 BPM limit.";
constexpr int kPaste = 32836, kPasteOver = 32867, kPasteMix = 32868, kShift = 32803, kSnippetProperties = 32916;
constexpr int kFirstLoopEntry = 55100, kProjectSettings = 32913, kCreateAudioLoop = 32928, kCutHighlighted = 32864;

// What to set up, and the command as the user gives it.
struct Case {
  const char* name;
  std::function<void()> setUp;
  std::function<void()> command;
};

class ProjectLimitTest : public TrackTest {
 protected:
  void SetUp() override {
    TrackTest::SetUp();
    commands::RegisterCommandMap(router, *app);
  }
  // The command as the main window runs it, in the view shown; kNothingDone
  // when it ran (what it did is checked by the caller), -1 when it was not routed.
  int Run(int id, int mode = ViewModeTrack) {
    seams.view.viewMode = mode;
    return router.Dispatch(id) ? status::kNothingDone : -1;
  }
  // An extended snippet on track at start over audio of frames as far as
  // timing goes (a second of it written), its source at sourceTempo, timed for
  // the project's tempo.
  std::shared_ptr<CAudioSnippet> Timed(int track, uint32_t start, uint32_t frames, float sourceTempo) {
    std::shared_ptr<CAudioSnippet> snippet = Place(track, start, Constant(44100, 2, 100, 100));
    std::shared_ptr<CAudioSegment> segment;
    snippet->GetSegment(&segment);
    segment->length = frames;
    segment->tempo = sourceTempo;
    snippet->SetTempo(app->project.tempo);
    app->project.RecomputeTrackExtent(track);
    app->project.RecomputeProjectEnd();
    return snippet;
  }
  // An empty project, Loop Bank, history, editor and clipboard.
  void Fresh() {
    app->project.Reset();
    app->loopBank.RemoveAllNodes();
    app->undoList.Clear();
    app->ClearEditor();
    app->audioClipboard.reset();
  }
  // A snippet of a second on track 1 ending at end, shown in the Audio Editor
  // with the cursor at its end, and a clipboard of clipped frames.
  void PasteSetUp(uint32_t end, uint32_t clipped) {
    std::shared_ptr<CAudioSnippet> shown = Place(1, end - 44100, Constant(44100, 2, 5, 5));
    app->SetEditorSnippet(shown, 1);
    Highlight(*app->GetEditorSegment(), 44100, 44100);
    app->audioClipboard = MakeSegment(Constant(clipped, 2, 7, 7), 2);
  }
  std::shared_ptr<CAudioSnippet> Selected(int track, uint32_t start) {
    std::shared_ptr<CAudioSnippet> s = Place(track, start, Constant(44100, 2, 1, 1));
    SelectOnly(track, {s});
    return s;
  }
  void Shift(uint32_t newStart, int track) {
    ShiftTracksRequest::Result ticked;
    ticked.newStart = newStart;
    ticked.tracks[static_cast<size_t>(track)] = 1;
    seams.ui.ExpectRequest<ShiftTracksRequest>(ticked);
  }
  void RightClick(int track, const std::shared_ptr<CAudioSnippet>& snippet) {
    seams.view.currentSnippetTrack = track;
    seams.view.currentSnippet = snippet->GetIdentifier();
  }

  CCommandRouter router;
};

int MoveTo(CProApp& app, uint32_t start) {
  SnippetsMovedCallback(app, start);  // where the Track View's drag ends
  return status::kNothingDone;
}

TEST_F(ProjectLimitTest, NoRoadTakesTheProjectPastNinetyMinutes) {
  ExpectRefusals({
      {"paste at the cursor",
       [this] {
         Selected(0, 0);
         app->CopySnippets();
         app->playCursor = kLimit - 44099;
       },
       [this](CProApp&) { return Run(kPaste); }, kTooLong},
      {"paste of two snippets whose second would end past",
       [this] {
         std::shared_ptr<CAudioSnippet> a = Place(0, 0, Constant(44100, 2, 1, 1));
         std::shared_ptr<CAudioSnippet> b = Place(0, 100000, Constant(44100, 2, 1, 1));
         SelectOnly(0, {a, b});
         app->CopySnippets();
         app->playCursor = kLimit - 144099;
       },
       [this](CProApp&) { return Run(kPaste); }, kTooLong},
      {"a drag of the selection", [this] { Selected(3, 1000); },
       [](CProApp& a) { return MoveTo(a, kLimit - 44099); }, kTooLong},
      {"shift all snippets",
       [this] {
         Place(2, 0, Constant(44100, 2, 1, 1));
         Place(2, 100000, Constant(44100, 2, 1, 1));
         Shift(kLimit - 144099, 2);
       },
       [this](CProApp&) { return Run(kShift); }, kTooLong},
      {"a loop inserted at the cursor",
       [this] {
         BankLoop(44100);
         app->project.SelectTrack(5);
         app->playCursor = kLimit - 44099;
       },
       [this](CProApp&) { return Run(kFirstLoopEntry); }, kTooLong},
      {"paste insert into a track snippet (Ctrl+V)", [this] { PasteSetUp(kLimit - 44100, 44101); },
       [this](CProApp&) { return Run(kPaste, ViewModeEditor); }, kTooLong},
      {"paste over past a track snippet's end", [this] { PasteSetUp(kLimit, 1); },
       [this](CProApp&) { return Run(kPasteOver, ViewModeEditor); }, kTooLong},
      {"paste mix past a track snippet's end", [this] { PasteSetUp(kLimit, 1); },
       [this](CProApp&) { return Run(kPasteMix, ViewModeEditor); }, kTooLong},
      {"a faster source in the snippet's properties",
       [this] {
         RightClick(4, Place(4, kLimit - 44100, Constant(44100, 2, 1, 1)));
         seams.ui.ExpectRequest<SnippetPropertiesRequest>(SnippetPropertiesRequest::Result{121.0f});
       },
       [this](CProApp&) { return Run(kSnippetProperties); }, kTooLong},
  });
}

TEST_F(ProjectLimitTest, EachRoadMayEndExactlyAtNinetyMinutes) {
  const Case cases[] = {
      {"paste at the cursor",
       [this] {
         Selected(0, 0);
         app->CopySnippets();
         app->playCursor = kLimit - 44100;
       },
       [this] { Run(kPaste); }},
      {"a drag of the selection", [this] { Selected(3, 1000); }, [this] { MoveTo(*app, kLimit - 44100); }},
      {"shift all snippets",
       [this] {
         Place(2, 500, Constant(44100, 2, 1, 1));
         Shift(kLimit - 44100, 2);
       },
       [this] { Run(kShift); }},
      {"a loop inserted at the cursor",
       [this] {
         BankLoop(44100);
         app->project.SelectTrack(5);
         app->playCursor = kLimit - 44100;
       },
       [this] { Run(kFirstLoopEntry); }},
      {"paste insert into a track snippet", [this] { PasteSetUp(kLimit - 44100, 44100); },
       [this] { Run(kPaste, ViewModeEditor); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    c.setUp();
    const size_t records = app->undoList.GetCount();
    c.command();
    seams.ui.CheckDone();
    EXPECT_EQ(app->project.projectEnd, kLimit);
    EXPECT_EQ(app->undoList.GetCount(), records + 1);
  }
}

// A tempo change works out every new place first: one that would pass 90
// minutes moves no snippet by a single frame, and one that lands on them
// exactly is taken, from the tempo edit, Project Settings and the tempo button.
TEST_F(ProjectLimitTest, ATempoChangeIsCheckedBeforeASnippetMoves) {
  // Each road asks for bpm; box is the refusal it must show, or none.
  struct Road {
    const char* name;
    std::function<void(float bpm, const char* box)> change;
  };
  auto expect = [this](const char* box) {
    if (box) seams.ui.ExpectBox(box);
  };
  const Road roads[] = {
      {"the tempo edit and its spins",
       [&](float bpm, const char* box) {
         expect(box);
         app->SetProjectTempo(bpm);
       }},
      {"Project Settings",
       [&](float bpm, const char* box) {
         seams.ui.ExpectRequest<ProjectSettingsRequest>([bpm](const ProjectSettingsRequest& r) {
           return ProjectSettingsRequest::Result{r.title, r.artist,        r.album, r.year,  r.description,
                                                 r.genre, r.masterGainLeft, r.masterGainRight, r.pitch, bpm,
                                                 r.timeSignature, r.lock, r.units, r.pitchUnits};
         });
         expect(box);
         Run(kProjectSettings);
       }},
      {"the tempo down button",
       [&](float, const char* box) {
         expect(box);
         router.DispatchMessage(msg::kTempoDown);
       }},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    // 235,200,000 frames at 81 BPM last exactly 238,140,000 frames at 80.
    app->project.Reset();
    app->project.SetTempo(81.0f);
    std::shared_ptr<CAudioSnippet> whole = Timed(0, 0, 235200000, 81.0f);
    road.change(80.0f, nullptr);
    seams.ui.CheckDone();
    EXPECT_FLOAT_EQ(app->project.tempo, 80.0f);
    EXPECT_EQ(whole->end, kLimit);
    EXPECT_EQ(app->project.projectEnd, kLimit);

    // One beat slower the same audio would pass the limit: nothing changes.
    app->project.Reset();
    app->project.SetTempo(120.0f);
    std::vector<std::shared_ptr<CAudioSnippet>> snippets = {Timed(0, 0, kLimit - 1000, 120.0f),
                                                            Timed(1, 123456789, 44100, 97.0f),
                                                            Timed(2, 200000003, 44100, 133.0f)};
    auto timing = [&snippets] {
      std::vector<std::tuple<uint32_t, uint32_t, uint32_t, float, float, float>> all;
      for (const auto& s : snippets) all.emplace_back(s->start, s->end, s->length, s->carry, s->tempo, s->ratio);
      return all;
    };
    const auto before = timing();
    const uint32_t end = app->project.projectEnd, viewEnd = app->project.viewEnd;
    road.change(119.0f, kTempoTooLow);
    seams.ui.CheckDone();
    EXPECT_FLOAT_EQ(app->project.tempo, 120.0f);
    EXPECT_EQ(timing(), before);
    EXPECT_EQ(app->project.projectEnd, end);
    EXPECT_EQ(app->project.viewEnd, viewEnd);
    const auto shown = std::find_if(seams.view.calls.rbegin(), seams.view.calls.rend(),
                                    [](const std::string& call) { return call.rfind("SetTempoText", 0) == 0; });
    ASSERT_NE(shown, seams.view.calls.rend());
    EXPECT_EQ(*shown, "SetTempoText(120)");
  }
}

// The Track View's Props button: the track properties convert the loop track
// in place, its effects, gains, pitch and name staying with it through undo
// and redo.
TEST_F(ProjectLimitTest, AConvertedLoopTrackKeepsItsEffectsAndSettings) {
  BankLoop(44100, 1234);
  app->project.SelectTrack(8);
  ASSERT_EQ(app->InsertLoop(0), status::kDone);
  app->effectChains[9] = std::make_unique<CZelmo>();
  CZelmo* chain = app->effectChains[9].get();
  app->project.SetTrackGains(8, 0.5f, 0.25f);
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(8, &track), 1);
  track->description = "Drums";
  track->Snippets().trackPitch = 3.0f;
  seams.ui.ExpectRequest<TrackPropertiesRequest>([](const TrackPropertiesRequest& r) {
    const int32_t type = r.convertToExtended();
    return TrackPropertiesRequest::Result{type, r.description, r.gainLeft, r.gainRight, r.pitch, r.lock, r.units,
                                          r.pitchUnits};
  });
  MakeTrackViewCallbacks(*app).trackProperties(8);
  seams.ui.CheckDone();

  auto expectKept = [&](int32_t type, int32_t kind) {
    EXPECT_EQ(app->project.GetTrackType(8), type);
    ASSERT_FALSE(SnippetsOf(8).empty());
    EXPECT_EQ(SnippetsOf(8).front()->kind, kind);
    EXPECT_EQ(app->effectChains[9].get(), chain);
    EXPECT_FLOAT_EQ(track->leftGain.load(), 0.5f);
    EXPECT_FLOAT_EQ(track->rightGain.load(), 0.25f);
    EXPECT_FLOAT_EQ(track->Snippets().trackPitch, 3.0f);
    EXPECT_EQ(track->description, "Drums");
  };
  {
    SCOPED_TRACE("converted");
    expectKept(CAudioTrack::kTypeExtended, CAudioSnippet::kKindExtended);
  }
  ASSERT_EQ(app->OnUndo(), status::kDone);
  {
    SCOPED_TRACE("undone");
    expectKept(CAudioTrack::kTypeLoopBased, CAudioSnippet::kKindLoop);
  }
  ASSERT_EQ(app->OnRedo(), status::kDone);
  {
    SCOPED_TRACE("redone");
    expectKept(CAudioTrack::kTypeExtended, CAudioSnippet::kKindExtended);
  }
}

// Four beats to a measure: one second of audio holds one measure at 240 BPM, two at 480.
TEST_F(ProjectLimitTest, ALoopWhoseMeasuresGiveATempoAbove250IsRefused) {
  const Case cases[] = {
      {"Create Loop: two measures of one second",
       [this] { app->SetEditorIndependentAudio(MakeSegment(Constant(44100, 2, 3, 3), 2)); },
       [this] { router.DispatchMessage(msg::kCreateLoopFromEditor); }},
      {"Create Audio Loop: a take shorter than one measure at 250",
       [this] { app->SetEditorIndependentAudio(MakeSegment(Constant(30000, 2, 3, 3), 2)); },
       [this] { Run(kCreateAudioLoop, ViewModeEditor); }},
      {"Loop Properties: three measures in two seconds",
       [this] {
         BankLoop(88200);
         seams.ui.ExpectRequest<LoopPropertiesRequest>([](const LoopPropertiesRequest& r) {
           return LoopPropertiesRequest::Result{r.title, 3, 360.0f};
         });
       },
       [this] { app->OnLoopProperties(); }},
      {"cutting a two-measure loop of two seconds to one and a half",
       [this] {
         std::shared_ptr<CAudioLoop> loop = BankLoop(88200);
         loop->SetMeasures(2);
         loop->Segment()->tempo = 240.0f;
         app->OpenLoopInEditor(loop);
         Highlight(*app->GetEditorSegment(), 0, 22050);
       },
       [this] { Run(kCutHighlighted, ViewModeEditor); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    c.setUp();
    const std::vector<std::string> before = Arrangement();
    const std::vector<std::string> files = TempFiles();
    std::vector<std::pair<int16_t, float>> loops;
    std::shared_ptr<CAudioLoop> loop;
    app->loopBank.ResetIterator();
    while (app->loopBank.GetNextLoop(&loop) == 1) loops.emplace_back(loop->GetMeasures(), loop->Segment()->tempo);
    const size_t records = app->undoList.GetCount();
    seams.ui.ExpectBox(kTooFast);
    c.command();
    seams.ui.CheckDone();
    EXPECT_EQ(Arrangement(), before);
    EXPECT_EQ(TempFiles(), files);
    EXPECT_EQ(app->undoList.GetCount(), records);
    EXPECT_EQ(app->audioClipboard, nullptr);
    std::vector<std::pair<int16_t, float>> after;
    app->loopBank.ResetIterator();
    while (app->loopBank.GetNextLoop(&loop) == 1) after.emplace_back(loop->GetMeasures(), loop->Segment()->tempo);
    EXPECT_EQ(after, loops);
  }
  // Two seconds hold two measures at 240 BPM: that loop is made.
  app->loopBank.RemoveAllNodes();
  app->SetEditorIndependentAudio(MakeSegment(Constant(88200, 2, 3, 3), 2));
  router.DispatchMessage(msg::kCreateLoopFromEditor);
  ASSERT_EQ(app->loopBank.GetCount(), 1);
  std::shared_ptr<CAudioLoop> made;
  ASSERT_EQ(app->loopBank.FindLoop(0, &made), 1);
  EXPECT_FLOAT_EQ(made->Segment()->tempo, 240.0f);
}

}  // namespace
}  // namespace tessiro::test
