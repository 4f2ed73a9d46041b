// The Track View's other snippet commands: join, clear and convert a track,
// move and shift, select, the right-clicked snippet's commands and the tempo
// buttons, each checked against the whole arrangement through undo and redo.
#include <gtest/gtest.h>

#include <functional>

#include "AudioSnippetLoop.h"
#include "AudioTrack.h"
#include "TrackFixture.h"
#include "requests/TrackViewRequests.h"

namespace tessiro::test {
namespace {

class SnippetCommandTest : public TrackTest {
 protected:
  void RightClick(int track, const std::shared_ptr<CAudioSnippet>& snippet) {
    seams.view.currentSnippetTrack = track;
    seams.view.currentSnippet = snippet->GetIdentifier();
  }
};

TEST_F(SnippetCommandTest, RefusalsChangeNothing) {
  ExpectRefusals({
      {"join on a loop track",
       [this] {
         BankLoop(44100);
         app->project.SelectTrack(2);
         app->InsertLoop(0);
         app->playCursor = 50000;
         app->InsertLoop(0);
         SelectOnly(2, SnippetsOf(2));
       },
       [](CProApp& a) { return a.JoinSnippets(); },
       "Cannot perfrom join on loop snippets.  To convert to an extended audio track, please go to properties."},
      {"join of one snippet",
       [this] {
         SelectOnly(0, {Place(0, 0, Constant(44100, 2, 1, 1))});
         Place(0, 90000, Constant(44100, 2, 1, 1));
       },
       [](CProApp& a) { return a.JoinSnippets(); },
       "Two or more snippets must be selected in order to perform this operation."},
      {"edit of a loop snippet",
       [this] {
         BankLoop(44100);
         app->project.SelectTrack(3);
         app->InsertLoop(0);
         RightClick(3, SnippetsOf(3).front());
       },
       [](CProApp& a) { return a.OnEditSnippet(); }, "Sorry, cannot edit a loop snippet."},
      {"shift of empty tracks",
       [this] {
         Place(0, 0, Constant(44100, 2, 1, 1));
         ShiftTracksRequest::Result ticked;
         ticked.tracks[4] = 1;
         seams.ui.ExpectRequest<ShiftTracksRequest>(ticked);
       },
       [](CProApp& a) { return a.ShiftTracks(); }, "None of the selected tracks contain data to move."},
      {"clear while playing", [this] { app->playing = 1; },
       [](CProApp& a) { return a.ClearSelectedTrack(); }, "Sorry, cannot perform this operation during playback."},
  });
}

TEST_F(SnippetCommandTest, JoinMakesOneStereoSnippetWithSilenceInTheGap) {
  std::shared_ptr<CAudioSnippet> a = Place(1, 0, Constant(44100, 2, 1000, -1000));
  std::shared_ptr<CAudioSnippet> b = Place(1, 88200, Constant(44100, 1, 500, 0), 1);
  SelectOnly(1, {a, b});
  app->SetEditorSnippet(b, 1);
  const std::vector<int16_t> sound = RenderTrack(1, 0, 132300);
  const std::vector<std::string> before = Arrangement();
  ASSERT_EQ(app->JoinSnippets(), status::kDone);

  const auto joined = SnippetsOf(1);
  ASSERT_EQ(joined.size(), 1u);
  EXPECT_EQ(joined[0]->start, 0u);
  EXPECT_EQ(joined[0]->end, 132300u);
  std::shared_ptr<CAudioSegment> audio;
  joined[0]->GetSegment(&audio);
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->GetChannels(), 2);
  EXPECT_EQ(audio->length, 132300u);
  const std::vector<int16_t> samples = ReadSamples(*audio);
  ASSERT_EQ(samples.size(), 2u * 132300);
  EXPECT_EQ(samples, sound);
  const std::vector<int16_t> gap(2 * 44100, 0);
  EXPECT_TRUE(std::equal(gap.begin(), gap.end(), samples.begin() + 2 * 44100));
  EXPECT_EQ(samples[0], 1000);
  EXPECT_EQ(samples[2 * 88200], 500);
  EXPECT_EQ(samples[2 * 88200 + 1], 500);  // mono plays on both sides
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationJoinSnippets);
  EXPECT_EQ(record->editorBefore.snippet, b);
  EXPECT_EQ(seams.progress.Messages().back(), "Joining Audio...");
  ExpectUndoAndRedo(before);
}

TEST_F(SnippetCommandTest, ACancelledJoinLeavesEverythingAsItWas) {
  SelectOnly(0, {Place(0, 0, Constant(44100, 2, 1, 1)), Place(0, 44100, Constant(44100, 2, 2, 2))});
  const std::vector<std::string> before = Arrangement();
  const std::vector<std::string> files = TempFiles();
  seams.progress.CancelAtPump(3, &app->progressWindow);
  EXPECT_EQ(app->JoinSnippets(), status::kCancelled);
  EXPECT_EQ(Arrangement(), before);
  EXPECT_EQ(TempFiles(), files);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
}

TEST_F(SnippetCommandTest, ClearingATrackParksItsEffectsAndUndoRestoresIt) {
  Place(5, 0, Constant(44100, 2, 1, 1));
  Place(5, 70000, Constant(44100, 2, 1, 1));
  app->project.SelectTrack(5);
  app->effectChains[6] = std::make_unique<CZelmo>();
  CZelmo* chain = app->effectChains[6].get();
  const std::vector<std::string> before = Arrangement();
  ASSERT_EQ(app->ClearSelectedTrack(), status::kDone);
  EXPECT_TRUE(SnippetsOf(5).empty());
  EXPECT_EQ(app->effectChains[6], nullptr);
  EXPECT_EQ(app->project.projectEnd, 0u);
  EXPECT_EQ(seams.view.calls.back(), "RebuildEffectsTabs");
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationClearTrack);
  ExpectUndoAndRedo(before);
  Undo();
  EXPECT_EQ(app->effectChains[6].get(), chain);
}

TEST_F(SnippetCommandTest, ConvertingALoopTrackRendersItIntoOneExtendedSnippet) {
  std::shared_ptr<CAudioLoop> loop = BankLoop(44100, 1234);
  app->project.SelectTrack(8);
  ASSERT_EQ(app->InsertLoop(0), status::kDone);
  app->playCursor = 88200;
  ASSERT_EQ(app->InsertLoop(0), status::kDone);
  const std::vector<int16_t> sound = RenderTrack(8, 0, 132300);
  const std::vector<std::string> before = Arrangement();
  ASSERT_EQ(app->ConvertToExtendedAudioTrack(8), status::kDone);

  const auto converted = SnippetsOf(8);
  ASSERT_EQ(converted.size(), 1u);
  EXPECT_EQ(converted[0]->kind, CAudioSnippet::kKindExtended);
  EXPECT_EQ(converted[0]->start, 0u);
  EXPECT_EQ(converted[0]->end, 132300u);
  EXPECT_EQ(app->project.GetTrackType(8), CAudioTrack::kTypeExtended);
  std::shared_ptr<CAudioSegment> audio;
  converted[0]->GetSegment(&audio);
  ASSERT_TRUE(audio);
  EXPECT_EQ(ReadSamples(*audio), sound);
  EXPECT_EQ(RenderTrack(8, 0, 132300), sound);
  // The loop no longer plays: its audio leaves memory.
  EXPECT_FALSE(loop->IsInMemory());
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationConvertTrack);
  ExpectUndoAndRedo(before);
}

TEST_F(SnippetCommandTest, MoveAndShiftAreUndoneToWhereTheSnippetsWere) {
  std::shared_ptr<CAudioSnippet> a = Place(2, 10000, Constant(44100, 2, 1, 1));
  std::shared_ptr<CAudioSnippet> b = Place(2, 60000, Constant(44100, 2, 1, 1));
  Place(9, 30000, Constant(44100, 2, 1, 1));
  SelectOnly(2, {a, b});
  std::vector<std::string> before = Arrangement();
  ASSERT_EQ(app->MoveSelectedSnippets(200000), status::kDone);
  EXPECT_EQ(a->start, 200000u);
  EXPECT_EQ(b->start, 250000u);
  EXPECT_EQ(app->project.projectEnd, 294100u);
  COperation* move = app->undoList.GetCurrent();
  EXPECT_EQ(move->type, OperationMoveSnippets);
  EXPECT_EQ(move->oldStart, 10000u);
  EXPECT_EQ(move->newStart, 200000u);
  ExpectUndoAndRedo(before);

  before = Arrangement();
  ShiftTracksRequest::Result shift;
  shift.newStart = 5000;
  shift.tracks[2] = shift.tracks[9] = shift.tracks[11] = 1;
  seams.ui.ExpectRequest<ShiftTracksRequest>(shift);
  ASSERT_EQ(app->ShiftTracks(), status::kDone);
  EXPECT_EQ(a->start, 5000u);
  EXPECT_EQ(b->start, 55000u);
  EXPECT_EQ(SnippetsOf(9).front()->start, 5000u);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationShiftSnippets);
  ExpectUndoAndRedo(before);
  // The dialog opens again on the last start.
  seams.ui.ExpectRequest<ShiftTracksRequest>([](const ShiftTracksRequest& r) {
    EXPECT_EQ(r.newStart, 5000u);
    return std::nullopt;
  });
  EXPECT_EQ(app->ShiftTracks(), status::kNothingDone);
}

TEST_F(SnippetCommandTest, SelectAllTakesOnlyTheSelectedTrack) {
  std::shared_ptr<CAudioSnippet> a = Place(0, 0, Constant(44100, 2, 1, 1));
  std::shared_ptr<CAudioSnippet> b = Place(0, 50000, Constant(44100, 2, 1, 1));
  std::shared_ptr<CAudioSnippet> c = Place(1, 0, Constant(44100, 2, 1, 1));
  app->project.SelectTrack(0);
  ASSERT_EQ(app->OnSelectAllSnippets(), status::kDone);
  EXPECT_EQ(a->selected + b->selected + c->selected, 2);
  EXPECT_EQ(c->selected, 0);
  ASSERT_EQ(app->OnDeselectAllSnippets(), status::kDone);
  EXPECT_EQ(a->selected + b->selected, 0);
}

TEST_F(SnippetCommandTest, TheRightClickedSnippetsCommands) {
  std::shared_ptr<CAudioSnippet> a = Place(6, 0, Constant(44100, 2, 1, 1));
  std::shared_ptr<CAudioSnippet> b = Place(6, 20000, Constant(44100, 2, 1, 1));
  // Nothing right-clicked: nothing happens.
  EXPECT_EQ(app->OnEditSnippet(), status::kNothingDone);
  RightClick(6, a);
  ASSERT_EQ(app->OnSetSnippetOnTop(), status::kDone);
  EXPECT_GT(a->layer, b->layer);
  EXPECT_EQ(app->undoList.GetCount(), 0u);

  app->modified = 0;
  ASSERT_EQ(app->OnEditSnippet(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceSnippet);
  EXPECT_EQ(app->editorSnippet, a);
  EXPECT_EQ(seams.view.viewMode, ViewModeEditor);
  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationEditorContent);
  EXPECT_EQ(record->editorAfter.snippet, a);
  EXPECT_EQ(app->modified, 0);

  // A source tempo of 60 at project tempo 120 plays twice as fast; 300 is taken as 250.
  seams.ui.ExpectRequest<SnippetPropertiesRequest>([](const SnippetPropertiesRequest& r) {
    EXPECT_FALSE(r.loopSnippet);
    EXPECT_FLOAT_EQ(r.tempo, 120.0f);
    return SnippetPropertiesRequest::Result{60.0f};
  });
  ASSERT_EQ(app->OnSnippetProperties(), status::kDone);
  EXPECT_EQ(a->length, 22050u);
  EXPECT_EQ(app->project.projectEnd, 64100u);
  EXPECT_EQ(app->modified, 1);
  seams.ui.ExpectRequest<SnippetPropertiesRequest>(SnippetPropertiesRequest::Result{300.0f});
  ASSERT_EQ(app->OnSnippetProperties(), status::kDone);
  EXPECT_NEAR(a->length, 91875u, 1u);  // 44,100 x 250 / 120: a faster source plays longer
}

TEST_F(SnippetCommandTest, TempoButtonsStayWithinTheirRangeAndNinetyMinutes) {
  app->project.SetTempo(250.0f);
  EXPECT_EQ(app->TempoUp(), status::kDone);
  EXPECT_FLOAT_EQ(app->project.tempo, 250.0f);
  app->project.SetTempo(50.0f);
  EXPECT_EQ(app->TempoDown(), status::kDone);
  EXPECT_FLOAT_EQ(app->project.tempo, 50.0f);

  // A snippet ending just inside 90 minutes at tempo 120 would pass them at 119.
  app->project.SetTempo(120.0f);
  std::shared_ptr<CAudioSnippet> a = Place(0, 237000000, Constant(44100, 1, 1, 0), 1);
  ASSERT_LE(app->project.projectEnd, CProApp::kMaxProjectFrames);
  seams.ui.ExpectBox("Cannot lower tempo.  Doing so would exceed maximum project length of 90 minutes.");
  EXPECT_EQ(app->TempoDown(), status::kDone);
  EXPECT_FLOAT_EQ(app->project.tempo, 120.0f);
  EXPECT_LE(app->project.projectEnd, CProApp::kMaxProjectFrames);
  EXPECT_EQ(app->TempoUp(), status::kDone);
  EXPECT_FLOAT_EQ(app->project.tempo, 121.0f);
  EXPECT_EQ(seams.view.calls.back(), "RefreshCurrentView");
}

}  // namespace
}  // namespace tessiro::test
