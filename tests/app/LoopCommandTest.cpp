// Loops on tracks and in the Loop Bank: inserted at the cursor at the project
// tempo, their audio in memory exactly while the project plays them, deleted,
// edited and described, and made from a copy of a segment.
#include <gtest/gtest.h>

#include <functional>

#include "AudioSnippetLoop.h"
#include "AudioTrack.h"
#include "ReportRecorder.h"
#include "TrackFixture.h"
#include "requests/TrackViewRequests.h"

namespace tessiro::test {
namespace {

class LoopCommandTest : public TrackTest {};

TEST_F(LoopCommandTest, RefusalsChangeNothing) {
  const auto usedLoop = [this] {
    BankLoop(44100);
    app->project.SelectTrack(0);
    ASSERT_EQ(app->InsertLoop(0), status::kDone);
    app->loopBank.SelectLoop(0);
  };
  ExpectRefusals({
      {"delete with no loops", nullptr, [](CProApp& a) { return a.OnDeleteSelectedLoop(); },
       "No audio loops exist."},
      {"properties with no loops", nullptr, [](CProApp& a) { return a.OnLoopProperties(); },
       "No audio loops exist."},
      {"edit with no loops", nullptr, [](CProApp& a) { return a.OnEditLoopAudio(); }, "No audio loops exist."},
      {"delete of a used loop", usedLoop, [](CProApp& a) { return a.OnDeleteSelectedLoop(); },
       "This loop currently exists as part of the project.  Please remove it from the project's track view before "
       "deleting from the loop bank."},
      {"edit of a used loop", usedLoop, [](CProApp& a) { return a.OnEditLoopAudio(); },
       "Sorry, cannot edit a loop that is currently a part of this project.\nPlease remove the loop from the Track "
       "View before attempting to edit."},
      {"insert into a used extended track",
       [this] {
         BankLoop(44100);
         Place(4, 0, Constant(44100, 2, 1, 1));
         app->project.SelectTrack(4);
       },
       [](CProApp& a) { return a.InsertLoop(0); }, "Cannot insert a loop snippet into an extended audio track."},
      {"a 33rd loop",
       [this] {
         for (int i = 0; i < 32; ++i) BankLoop(100);
         app->SetEditorIndependentAudio(MakeSegment(Constant(44100, 2, 1, 1), 2));
       },
       [](CProApp& a) { return a.OnCreateLoopMessage(); }, "Maximum number of loops has been reached."},
      {"a loop over 30 seconds",
       [this] {
         app->SetEditorIndependentAudio(MakeSegment(Constant(1323001, 1, 1, 0), 1));
       },
       [](CProApp& a) { return a.OnCreateLoopMessage(); },
       "Cannot create loop file.  Current audio length is greater than the 30 second loop limit."},
  });
}

TEST_F(LoopCommandTest, ALoopIsInMemoryExactlyWhileThePlayedProjectUsesIt) {
  std::shared_ptr<CAudioLoop> loop = BankLoop(44100, 777);
  loop->Segment()->tempo = 60.0f;  // at project tempo 120 it plays in half the time
  app->project.SelectTrack(3);
  app->playCursor = 1000;
  const int windows = seams.progress.Windows();
  ASSERT_EQ(app->OnInsertLoopCommand(55100), status::kDone);
  EXPECT_EQ(app->project.GetTrackType(3), CAudioTrack::kTypeLoopBased);
  const auto inserted = SnippetsOf(3);
  ASSERT_EQ(inserted.size(), 1u);
  EXPECT_EQ(inserted[0]->start, 1000u);
  EXPECT_EQ(inserted[0]->length, 22050u);
  EXPECT_EQ(inserted[0]->end, 23050u);
  EXPECT_FLOAT_EQ(inserted[0]->ratio, 2.0f);
  EXPECT_TRUE(loop->IsInMemory());
  EXPECT_EQ(seams.progress.Windows(), windows + 1);
  EXPECT_EQ(seams.progress.Messages().back(), "Initializing loop information.");
  EXPECT_TRUE(seams.progress.CancelDisabled());
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationInsertSnippets);
  const std::vector<int16_t> heard = RenderTrack(3, 1000, 20000);
  EXPECT_NE(std::count(heard.begin(), heard.end(), int16_t{0}), static_cast<long>(heard.size()));

  Undo();
  EXPECT_TRUE(SnippetsOf(3).empty());
  EXPECT_FALSE(loop->IsInMemory());
  Redo();
  EXPECT_TRUE(loop->IsInMemory());
  SelectOnly(3, SnippetsOf(3));
  ASSERT_EQ(app->DeleteSelectedSnippets(), status::kDone);
  EXPECT_FALSE(loop->IsInMemory());
}

TEST_F(LoopCommandTest, TheLastMenuEntryInsertsLoopThirtyOne) {
  std::vector<std::shared_ptr<CAudioLoop>> loops;
  for (int i = 0; i < 32; ++i) loops.push_back(BankLoop(100 + static_cast<uint32_t>(i)));
  app->project.SelectTrack(0);
  ASSERT_EQ(app->OnInsertLoopCommand(55131), status::kDone);
  auto* inserted = dynamic_cast<CAudioSnippetLoop*>(SnippetsOf(0).front().get());
  ASSERT_NE(inserted, nullptr);
  EXPECT_EQ(inserted->GetLoop(), loops[31].get());
  EXPECT_EQ(app->OnInsertLoopCommand(55132), status::kNothingDone);
}

TEST_F(LoopCommandTest, DeletingTheLoopInTheEditorClearsItAndUndoPutsTheLoopBack) {
  BankLoop(44100, 1);
  std::shared_ptr<CAudioLoop> shown = BankLoop(44100, 2);
  BankLoop(44100, 3);
  app->OpenLoopInEditor(shown);
  app->loopBank.SelectLoop(1);
  const std::vector<std::string> before = Arrangement();
  ASSERT_EQ(app->OnDeleteSelectedLoop(), status::kDone);
  EXPECT_EQ(app->loopBank.GetCount(), 2);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_EQ(seams.view.Count("RefreshLoopBankRow(1)"), 1);
  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationDeleteLoop);
  EXPECT_EQ(record->oldLoop, shown);
  EXPECT_EQ(record->editorBefore.loop, shown);
  EXPECT_EQ(app->modified, 1);
  ExpectUndoAndRedo(before);
}

TEST_F(LoopCommandTest, LoopPropertiesKeepTheTimingOfALoopInUse) {
  std::shared_ptr<CAudioLoop> loop = BankLoop(88200);
  loop->SetTitle("Beat");
  app->loopBank.SelectLoop(0);
  LoopPropertiesRequest::Result answer{"Groove", 4, 240.0f};
  seams.ui.ExpectRequest<LoopPropertiesRequest>([answer](const LoopPropertiesRequest& r) {
    EXPECT_EQ(r.title, "Beat");
    EXPECT_EQ(r.lengthFrames, 88200u);
    EXPECT_FALSE(r.inUse);
    return answer;
  });
  ASSERT_EQ(app->OnLoopProperties(), status::kDone);
  EXPECT_EQ(loop->GetTitle(), "Groove");
  EXPECT_EQ(loop->GetMeasures(), 4);
  EXPECT_FLOAT_EQ(loop->Segment()->tempo, 240.0f);
  EXPECT_EQ(app->modified, 1);

  app->project.SelectTrack(0);
  ASSERT_EQ(app->InsertLoop(0), status::kDone);
  seams.ui.ExpectRequest<LoopPropertiesRequest>(LoopPropertiesRequest::Result{"Late", 9, 90.0f});
  ASSERT_EQ(app->OnLoopProperties(0), status::kDone);
  EXPECT_EQ(loop->GetTitle(), "Late");
  EXPECT_EQ(loop->GetMeasures(), 4);
  EXPECT_FLOAT_EQ(loop->Segment()->tempo, 240.0f);

  seams.view.hasView = false;
  EXPECT_EQ(app->OnLoopProperties(0), status::kFaultReported);
  EXPECT_EQ(Reports().Take().size(), 1u);
}

TEST_F(LoopCommandTest, EditingALoopsAudioOpensItInTheEditor) {
  std::shared_ptr<CAudioSegment> independent = MakeSegment(Constant(44100, 2, 1, 1), 2);
  app->SetEditorIndependentAudio(independent);
  std::shared_ptr<CAudioLoop> loop = BankLoop(44100);
  app->loopBank.SelectLoop(0);
  ASSERT_EQ(app->OnEditLoopAudio(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceLoop);
  EXPECT_EQ(app->editorLoop, loop);
  EXPECT_EQ(seams.view.viewMode, ViewModeEditor);
  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationEditorContent);
  EXPECT_EQ(record->editorBefore.segment, independent);
  EXPECT_EQ(record->editorAfter.loop, loop);
  EXPECT_EQ(app->modified, 1);
}

TEST_F(LoopCommandTest, ALoopMadeFromTheEditorsAudioGetsACopyOfIt) {
  std::shared_ptr<CAudioSegment> shown = MakeSegment(Staircase(176400, 2), 2);
  shown->sourceName = "/music/take/Drum Break.wav";
  app->SetEditorIndependentAudio(shown);
  BankLoop(100);
  app->config.colorSets[26] = TrackColorSet{0x123456, 1, 2, 3};  // loop 1's
  const int refreshes = seams.view.Count("RefreshLoopBank");
  ASSERT_EQ(app->OnCreateLoopMessage(), status::kDone);
  ASSERT_EQ(app->loopBank.GetCount(), 2);
  std::shared_ptr<CAudioLoop> made;
  ASSERT_EQ(app->loopBank.FindLoop(1, &made), 1);
  EXPECT_EQ(made->GetTitle(), "Drum Break");
  EXPECT_EQ(made->GetMeasures(), 2);
  ASSERT_NE(made->Segment(), shown.get());
  EXPECT_EQ(ReadSamples(*made->Segment()), ReadSamples(*shown));
  EXPECT_FLOAT_EQ(made->Segment()->tempo, 120.0f);  // 8 beats in 4 seconds
  EXPECT_EQ(made->GetColors().snippetBox, 0x123456u);
  EXPECT_EQ(app->GetEditorSegment(), shown);  // the editor keeps its own audio
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationAddLoop);
  EXPECT_EQ(seams.view.Count("RefreshLoopBank"), refreshes + 1);

  std::shared_ptr<CAudioSegment> untitled = MakeSegment(Constant(44100, 2, 0, 0), 2);
  ASSERT_EQ(app->CreateLoopFromSegment(untitled.get(), 0), status::kDone);
  ASSERT_EQ(app->loopBank.FindLoop(2, &made), 1);
  EXPECT_EQ(made->GetTitle(), "Untitled");
  EXPECT_FLOAT_EQ(made->Segment()->tempo, 1.0f);
  EXPECT_EQ(Reports().Take().size(), 1u);  // the zero divisor
}

}  // namespace
}  // namespace tessiro::test
