// The appliers end to end: dialog, progress window, worker, model, undo
// record, editor; cancel and refusals leave everything as it was.
#include <gtest/gtest.h>

#include "AudioLoop.h"
#include "AudioSnippetExtended.h"
#include "AudioTrack.h"
#include "EditFixture.h"
#include "requests/EditRequests.h"

namespace tessiro::test {
namespace {

OperationDialogValues Values(int32_t range) {
  OperationDialogValues v;
  v.range = range;
  return v;
}

class EditApplierTest : public EditTest {
 protected:
  std::shared_ptr<CAudioSnippet> OnlySnippetOf(int track) {
    CAudioTrack* t = nullptr;
    app->project.FindTrack(track, &t);
    const auto& all = t->Snippets().Snippets();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? nullptr : all.front();
  }
};

TEST_F(EditApplierTest, DeletingAHighlightOfIndependentAudioIsOneUndoStep) {
  std::shared_ptr<CAudioSegment> old = MakeSegment(Staircase(88200, 2), 2);
  Highlight(*old, 44100, 66150);
  app->SetEditorIndependentAudio(old);
  const int windows = seams.progress.Windows();
  ASSERT_EQ(app->ApplyIndependentEdit(EditOpDelete, EditRangeHighlighted), OperationResultDone);

  std::shared_ptr<CAudioSegment> now = app->GetEditorSegment();
  ASSERT_TRUE(now);
  ASSERT_NE(now, old);
  EXPECT_EQ(now->length, 66150u);
  const std::vector<int16_t> samples = ReadSamples(*now);
  EXPECT_EQ(samples[2 * 44099], 14099);
  EXPECT_EQ(samples[2 * 44100], 6150);  // frame 66,150 of the old audio
  EXPECT_EQ(now->trackerStart, 44100u);
  EXPECT_EQ(now->trackerSize, 0u);
  EXPECT_EQ(ReadSamples(*old), Staircase(88200, 2));  // the old audio stays for undo
  EXPECT_EQ(app->modified, 1);
  EXPECT_EQ(seams.progress.Windows(), windows + 1);
  EXPECT_EQ(seams.progress.Messages().back(), "Performing Delete Operation...");
  EXPECT_EQ(seams.progress.Percents().back(), "100");
  EXPECT_EQ(seams.view.calls.back(), "RefreshAllViews");
  EXPECT_FALSE(app->IsOperationRunning());

  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(app->undoList.GetCount(), 1u);
  EXPECT_EQ(record->type, OperationEditIndependentAudio);
  EXPECT_EQ(record->editorBefore.segment, old);
  EXPECT_EQ(record->editorAfter.segment, now);
}

TEST_F(EditApplierTest, ASnippetEditReplacesTheSnippetAndUndoAndRedoSwapThem) {
  std::shared_ptr<CAudioSegment> audio = MakeSegment(Constant(88200, 2, 1000, -1000), 2);
  std::shared_ptr<CAudioSnippet> old = TrackSnippet(audio, 3);
  app->SetEditorSnippet(old, 3);
  OperationDialogValues half = Values(EditRangeWhole);
  half.level1Left = half.level1Right = 0.5f;
  seams.ui.ExpectRequest<VolumeDialogRequest>(half);
  ASSERT_EQ(app->ApplySnippetEdit(EditOpVolume, EditRangeFromDialog), OperationResultDone);

  std::shared_ptr<CAudioSnippet> edited = OnlySnippetOf(3);
  ASSERT_TRUE(edited);
  ASSERT_NE(edited, old);
  std::shared_ptr<CAudioSegment> oldAudio, newAudio;
  old->GetSegment(&oldAudio);
  edited->GetSegment(&newAudio);
  EXPECT_EQ(oldAudio, audio);  // the clone took no share of the old audio
  ASSERT_TRUE(newAudio);
  EXPECT_EQ(ReadSamples(*newAudio), Constant(88200, 2, 500, -500));
  EXPECT_EQ(edited->start, 44100u);
  EXPECT_EQ(edited->length, 88200u);
  EXPECT_EQ(app->editorSnippet, edited);
  EXPECT_EQ(app->GetEditorSegment(), newAudio);

  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationEditSnippetAudio);
  EXPECT_EQ(record->snippetD, old);
  EXPECT_EQ(record->snippetC, edited);
  EXPECT_EQ(record->trackD, 3);
  EXPECT_EQ(record->trackC, 3);
  ASSERT_EQ(app->undoList.Undo(&app->project, &app->loopBank), 1);
  EXPECT_EQ(OnlySnippetOf(3), old);
  ASSERT_EQ(app->undoList.Redo(&app->project, &app->loopBank), 1);
  EXPECT_EQ(OnlySnippetOf(3), edited);
}

TEST_F(EditApplierTest, CancelledMidwayNothingChangesAndNoFileIsLeft) {
  // Three blocks of 262,144 frames; Cancel is pressed during the second report.
  std::shared_ptr<CAudioSegment> audio = MakeSegment(Staircase(600000, 2), 2);
  std::shared_ptr<CAudioSnippet> old = TrackSnippet(audio, 0);
  app->SetEditorSnippet(old, 0);
  const std::vector<std::string> before = TempFiles();
  seams.ui.ExpectRequest<SwapDialogRequest>(Values(EditRangeWhole));
  seams.progress.CancelAtPump(2, &app->progressWindow);
  ASSERT_EQ(app->ApplySnippetEdit(EditOpSwapChannels, EditRangeFromDialog), OperationResultCancelled);

  EXPECT_EQ(OnlySnippetOf(0), old);
  std::shared_ptr<CAudioSegment> still;
  old->GetSegment(&still);
  EXPECT_EQ(still, audio);
  EXPECT_EQ(ReadSamples(*audio), Staircase(600000, 2));
  EXPECT_EQ(TempFiles(), before);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(app->modified, 0);
  EXPECT_EQ(app->editorSnippet, old);
  EXPECT_EQ(app->GetEditorSegment(), audio);
  EXPECT_FALSE(app->IsOperationRunning());
}

TEST_F(EditApplierTest, ACancelledCutLeavesTheClipboardAsFarAsItGot) {
  std::shared_ptr<CAudioSegment> old = MakeSegment(Staircase(100000, 1), 1);
  Highlight(*old, 10000, 20000);
  app->SetEditorIndependentAudio(old);
  app->audioClipboard = MakeSegment(Staircase(10, 1), 1);
  const std::vector<std::string> before = TempFiles();
  // The copy is one report; the delete's head the next.
  seams.progress.CancelAtPump(1, &app->progressWindow);
  EXPECT_EQ(app->ApplyIndependentEdit(EditOpCut, EditRangeHighlighted), OperationResultCancelled);
  EXPECT_EQ(app->audioClipboard, nullptr);
  EXPECT_EQ(app->GetEditorSegment(), old);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(TempFiles(), before);

  seams.progress.CancelAtPump(2, &app->progressWindow);
  EXPECT_EQ(app->ApplyIndependentEdit(EditOpCut, EditRangeHighlighted), OperationResultCancelled);
  ASSERT_NE(app->audioClipboard, nullptr);
  EXPECT_EQ(ReadSamples(*app->audioClipboard)[0], 10000);
  EXPECT_EQ(app->audioClipboard->length, 10000u);
  EXPECT_EQ(app->GetEditorSegment(), old);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
}

TEST_F(EditApplierTest, ALoopEditPutsTheNewLoopInTheOldOnesPlace) {
  std::shared_ptr<CAudioSegment> first = MakeSegment(Staircase(44100, 1), 1);
  BankLoop(MakeSegment(Staircase(44100, 1), 1));
  std::shared_ptr<CAudioLoop> old = BankLoop(first);
  BankLoop(MakeSegment(Staircase(44100, 1), 1));
  ASSERT_EQ(old->loopNumber, 1);
  app->OpenLoopInEditor(old);
  seams.ui.ExpectRequest<ReverseDialogRequest>(Values(EditRangeWhole));
  ASSERT_EQ(app->ApplyLoopEdit(EditOpReverse, EditRangeFromDialog), OperationResultDone);

  std::shared_ptr<CAudioLoop> now;
  ASSERT_EQ(app->loopBank.FindLoop(1, &now), 1);
  ASSERT_NE(now, old);
  EXPECT_EQ(app->loopBank.GetCount(), 3);
  EXPECT_EQ(app->editorLoop, now);
  EXPECT_EQ(ReadSamples(*now->Segment())[0], 44099 % 30000);
  // One measure of four beats in one second.
  EXPECT_FLOAT_EQ(now->Segment()->tempo, 240.0f);
  COperation* record = app->undoList.GetCurrent();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->type, OperationEditLoopAudio);
  ASSERT_EQ(app->undoList.Undo(&app->project, &app->loopBank), 1);
  std::shared_ptr<CAudioLoop> back;
  app->loopBank.FindLoop(1, &back);
  EXPECT_EQ(back, old);
  ASSERT_EQ(app->undoList.Redo(&app->project, &app->loopBank), 1);
  app->loopBank.FindLoop(1, &back);
  EXPECT_EQ(back, now);
}

TEST_F(EditApplierTest, ALoopIsNeverLetPastThirtySeconds) {
  const std::string refusal =
      "Cannot perform this operation.  Loop segments cannot extend beyond the 30 second limit.";
  std::shared_ptr<CAudioSegment> audio = MakeSegment(Staircase(1300000, 1), 1);
  std::shared_ptr<CAudioLoop> loop = BankLoop(audio);
  app->OpenLoopInEditor(loop);
  app->audioClipboard = MakeSegment(Staircase(23001, 1), 1);
  const int windows = seams.progress.Windows();
  // A paste that would reach 1,323,001 frames is refused before anything runs.
  seams.ui.ExpectBox(refusal);
  EXPECT_EQ(app->ApplyLoopEdit(EditOpPasteInsert, EditRangeHighlighted), OperationResultNothing);
  audio->trackerStart = 1300000;
  seams.ui.ExpectBox(refusal);
  EXPECT_EQ(app->ApplyLoopEdit(EditOpPasteOver, EditRangeHighlighted), OperationResultNothing);
  EXPECT_EQ(seams.progress.Windows(), windows);

  // A stretch that makes it longer is refused once its length is known, and leaves nothing.
  const std::vector<std::string> before = TempFiles();
  OperationDialogValues stretch = Values(EditRangeWhole);
  stretch.initialValue = stretch.finalValue = 1.05f;
  seams.ui.ExpectRequest<StretchCompressDialogRequest>(stretch);
  seams.ui.ExpectBox(refusal);
  EXPECT_EQ(app->ApplyLoopEdit(EditOpStretch, EditRangeFromDialog), OperationResultNothing);
  EXPECT_EQ(TempFiles(), before);
  EXPECT_EQ(app->editorLoop, loop);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
}

TEST_F(EditApplierTest, MuteOfNoChannelDoesNothing) {
  app->SetEditorIndependentAudio(MakeSegment(Staircase(1000, 2), 2));
  OperationDialogValues none = Values(EditRangeWhole);
  none.channelMode = ChannelModeNone;
  seams.ui.ExpectRequest<MuteDialogRequest>(none);
  const int windows = seams.progress.Windows();
  EXPECT_EQ(app->ApplyIndependentEdit(EditOpMute, EditRangeFromDialog), OperationResultNothing);
  EXPECT_EQ(seams.progress.Windows(), windows);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
}

TEST_F(EditApplierTest, WhileAnOperationRunsOtherEditsAreRefusedAndCancelStillWorks) {
  std::shared_ptr<CAudioSegment> audio = MakeSegment(Staircase(600000, 2), 2);
  app->SetEditorIndependentAudio(audio);
  int pumps = 0;
  seams.progress.SetPumpHook([&] {
    ++pumps;
    EXPECT_TRUE(app->IsOperationRunning());
    EXPECT_EQ(app->ApplyIndependentEdit(EditOpConvertChannels, EditRangeWhole), OperationResultNothing);
    EXPECT_EQ(app->CopyToAudioClipboard(audio.get(), EditRangeWhole), status::kNothingDone);
    return false;
  });
  seams.progress.CancelAtPump(2, &app->progressWindow);
  EXPECT_EQ(app->ApplyIndependentEdit(EditOpConvertChannels, EditRangeWhole), OperationResultCancelled);
  EXPECT_EQ(pumps, 2);
  EXPECT_FALSE(app->IsOperationRunning());
  EXPECT_EQ(app->GetEditorSegment(), audio);
  EXPECT_EQ(app->audioClipboard, nullptr);
  seams.progress.SetPumpHook(nullptr);
}

TEST_F(EditApplierTest, CopyFillsTheClipboardWithoutAnUndoStep) {
  std::shared_ptr<CAudioSegment> audio = MakeSegment(Staircase(5000, 2), 2);
  Highlight(*audio, 1000, 2000);
  ASSERT_EQ(app->CopyToAudioClipboard(audio.get(), EditRangeHighlighted), status::kDone);
  ASSERT_NE(app->audioClipboard, nullptr);
  EXPECT_EQ(app->audioClipboard->length, 1000u);
  EXPECT_EQ(ReadSamples(*app->audioClipboard)[0], 1000);
  EXPECT_EQ(seams.progress.Messages().back(), "Copying Audio...");
  EXPECT_EQ(app->undoList.GetCount(), 0u);

  seams.progress.CancelAtPump(1, &app->progressWindow);
  EXPECT_EQ(app->CopyToAudioClipboard(audio.get(), EditRangeHighlighted), status::kCancelled);
  EXPECT_EQ(app->audioClipboard, nullptr);
}

}  // namespace
}  // namespace tessiro::test
