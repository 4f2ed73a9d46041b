// Copy, Cut, Delete and Paste of snippets in the Track View: each change one
// undo step that undo and redo take back and make again exactly; refusals
// change nothing.
#include <gtest/gtest.h>

#include <functional>

#include "AudioSnippetExtended.h"
#include "AudioTrack.h"
#include "TrackFixture.h"

namespace tessiro::test {
namespace {

class SnippetClipboardTest : public TrackTest {};

TEST_F(SnippetClipboardTest, RefusalsChangeNothing) {
  ExpectRefusals({
      {"copy with nothing selected", nullptr, [](CProApp& a) { return a.CopySnippets(); },
       "No snippets selected to copy."},
      {"cut with nothing selected", nullptr, [](CProApp& a) { return a.CutSnippets(); },
       "No snippets selected to cut."},
      {"delete with nothing selected", nullptr, [](CProApp& a) { return a.DeleteSelectedSnippets(); },
       "No snippets selected to delete."},
      {"paste before any copy", nullptr, [](CProApp& a) { return a.PasteSnippets(); },
       "Cannot paste, clipboard is empty."},
      {"copy while playing",
       [this] {
         SelectOnly(0, {Place(0, 0, Constant(44100, 2, 1, 1))});
         app->playing = 1;
       },
       [](CProApp& a) { return a.CopySnippets(); }, "Sorry, cannot perform this operation during playback."},
      {"loop snippets onto a used extended track",
       [this] {
         std::shared_ptr<CAudioLoop> loop = BankLoop(44100);
         app->project.SelectTrack(1);
         ASSERT_EQ(app->InsertLoop(0), status::kDone);
         SelectOnly(1, SnippetsOf(1));
         ASSERT_EQ(app->CopySnippets(), status::kDone);
         Place(2, 0, Constant(44100, 2, 1, 1));
         app->project.SelectTrack(2);
       },
       [](CProApp& a) { return a.PasteSnippets(); }, "Cannot insert a loop snippet into an extended audio track."},
      {"extended snippets onto a used loop track",
       [this] {
         BankLoop(44100);
         app->project.SelectTrack(1);
         ASSERT_EQ(app->InsertLoop(0), status::kDone);
         SelectOnly(2, {Place(2, 0, Constant(44100, 2, 1, 1))});
         ASSERT_EQ(app->CopySnippets(), status::kDone);
         app->project.SelectTrack(1);
       },
       [](CProApp& a) { return a.PasteSnippets(); }, "Cannot paste an extended snippet into a loop based track."},
  });
}

TEST_F(SnippetClipboardTest, CopySharesTheSnippetsAndAFailedCopyKeepsTheClipboard) {
  std::shared_ptr<CAudioSnippet> a = Place(3, 1000, Constant(44100, 2, 100, 100));
  std::shared_ptr<CAudioSnippet> b = Place(3, 50000, Constant(44100, 2, 200, 200));
  SelectOnly(3, {a});
  const std::vector<std::string> files = TempFiles();
  ASSERT_EQ(app->CopySnippets(), status::kDone);
  EXPECT_EQ(TempFiles(), files);  // no audio is copied
  ASSERT_TRUE(app->snippetClipboard);
  EXPECT_EQ(app->snippetClipboard->GetSelectedTrackIndex(), 3);
  std::shared_ptr<CAudioSnippet> clipped;
  EXPECT_EQ(app->snippetClipboard->FindSnippet(3, a->GetIdentifier(), &clipped), 1);
  EXPECT_EQ(clipped, a);
  EXPECT_EQ(app->undoList.GetCount(), 0u);

  app->project.DeselectAllSnippets();
  seams.ui.ExpectBox("No snippets selected to copy.");
  EXPECT_EQ(app->CopySnippets(), status::kNothingDone);
  EXPECT_EQ(app->snippetClipboard->FindSnippet(3, a->GetIdentifier(), &clipped), 1);
}

TEST_F(SnippetClipboardTest, PasteKeepsOffsetsAtTheCursorWithAudioOfItsOwnAndUndoesAsOneStep) {
  std::shared_ptr<CAudioSnippet> a = Place(2, 1000, Staircase(44100, 2));
  std::shared_ptr<CAudioSnippet> b = Place(2, 5000, Constant(50000, 1, 700, 0), 1);
  SelectOnly(2, {a, b});
  ASSERT_EQ(app->CopySnippets(), status::kDone);
  app->project.DeselectAllSnippets();
  app->project.SelectTrack(5);
  app->playCursor = 100000;
  const std::vector<std::string> before = Arrangement();
  const size_t files = TempFiles().size();
  ASSERT_EQ(app->PasteSnippets(), status::kDone);

  const auto pasted = SnippetsOf(5);
  ASSERT_EQ(pasted.size(), 2u);
  EXPECT_EQ(pasted[0]->start, 100000u);
  EXPECT_EQ(pasted[1]->start, 104000u);
  EXPECT_EQ(pasted[1]->end, 154000u);
  EXPECT_EQ(TempFiles().size(), files + 4);  // a raw audio and a peak file each
  for (size_t i = 0; i < 2; ++i) {
    std::shared_ptr<CAudioSegment> copy, original;
    pasted[i]->GetSegment(&copy);
    (i == 0 ? a : b)->GetSegment(&original);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, original);
    EXPECT_EQ(ReadSamples(*copy), ReadSamples(*original));
    EXPECT_EQ(copy->GetChannels(), original->GetChannels());
  }
  EXPECT_EQ(app->project.projectEnd, 154000u);
  EXPECT_EQ(seams.progress.Messages().back(), "Pasting Audio...");
  EXPECT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationInsertSnippets);
  EXPECT_EQ(app->modified, 1);
  EXPECT_EQ(seams.view.Count("ClearCurrentSnippet"), 1);
  ExpectUndoAndRedo(before);
}

TEST_F(SnippetClipboardTest, ExtendedSnippetsPastedOntoAnEmptyLoopTrackMakeItExtended) {
  SelectOnly(0, {Place(0, 0, Constant(44100, 2, 5, 5))});
  ASSERT_EQ(app->CopySnippets(), status::kDone);
  app->project.SetTrackType(7, CAudioTrack::kTypeLoopBased);
  app->project.SelectTrack(7);
  ASSERT_EQ(app->PasteSnippets(), status::kDone);
  EXPECT_EQ(app->project.GetTrackType(7), CAudioTrack::kTypeExtended);
  EXPECT_EQ(SnippetsOf(7).size(), 1u);
}

TEST_F(SnippetClipboardTest, CutThenPasteInPlaceSoundsTheSameAndPastesEachSnippetOnce) {
  // The newer snippet lies on top of the older, which shows on both sides of it;
  // later a newer snippet starts before an older one it covers in part.
  Place(4, 10000, Constant(100000, 2, 300, -300));
  Place(4, 40000, Staircase(20000, 2));
  Place(4, 170000, Constant(30000, 2, -50, 50));
  Place(4, 150000, Staircase(30000, 2, 7000));
  const std::vector<int16_t> sound = RenderTrack(4, 0, 200000);
  SelectOnly(4, SnippetsOf(4));
  ASSERT_EQ(app->CutSnippets(), status::kDone);
  EXPECT_TRUE(SnippetsOf(4).empty());
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationDeleteSnippets);
  app->playCursor = 10000;
  ASSERT_EQ(app->PasteSnippets(), status::kDone);
  EXPECT_EQ(SnippetsOf(4).size(), 4u);
  EXPECT_EQ(RenderTrack(4, 0, 200000), sound);
}

TEST_F(SnippetClipboardTest, DeleteClearsTheEditorShowingADeletedSnippetAndUndoBringsItBack) {
  std::shared_ptr<CAudioSnippet> a = Place(1, 0, Constant(44100, 2, 9, 9));
  std::shared_ptr<CAudioSnippet> b = Place(1, 60000, Constant(44100, 2, 8, 8));
  app->SetEditorSnippet(a, 1);
  SelectOnly(1, {a});
  const std::vector<std::string> before = Arrangement();
  ASSERT_EQ(app->DeleteSelectedSnippets(), status::kDone);
  EXPECT_EQ(SnippetsOf(1), (std::vector<std::shared_ptr<CAudioSnippet>>{b}));
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationDeleteSnippets);
  EXPECT_EQ(record->editorBefore.snippet, a);
  EXPECT_EQ(record->editorBefore.trackIndex, 1);
  EXPECT_EQ(app->project.projectEnd, 104100u);
  EXPECT_EQ(seams.view.lengthText.empty(), false);
  ExpectUndoAndRedo(before);
}

TEST_F(SnippetClipboardTest, ACancelledPasteLeavesTheProjectAndTheFolderAsTheyWere) {
  // Two snippets of two copy blocks each; Cancel comes in the second snippet's copy.
  std::shared_ptr<CAudioSnippet> a = Place(0, 0, Staircase(300000, 2));
  std::shared_ptr<CAudioSnippet> b = Place(0, 400000, Staircase(300000, 2));
  SelectOnly(0, {a, b});
  ASSERT_EQ(app->CopySnippets(), status::kDone);
  app->project.SelectTrack(6);
  const std::vector<std::string> before = Arrangement();
  const std::vector<std::string> files = TempFiles();
  seams.progress.CancelAtPump(3, &app->progressWindow);
  EXPECT_EQ(app->PasteSnippets(), status::kCancelled);
  EXPECT_EQ(Arrangement(), before);
  EXPECT_EQ(TempFiles(), files);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(app->modified, 0);
  EXPECT_FALSE(app->IsOperationRunning());
}

}  // namespace
}  // namespace tessiro::test
