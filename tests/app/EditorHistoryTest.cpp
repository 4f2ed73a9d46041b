// Undo and Redo from the Edit menu: what the Audio Editor shows after each kind
// of step, and a long mixed history taken back and done again exactly.
#include <gtest/gtest.h>

#include "EditorCommandFixture.h"

namespace tessiro::test {
namespace {

using namespace editor;

TEST_F(EditorCommandTest, UndoAndRedoOfASnippetOrLoopEditShowTheSnippetOrLoopOfThatSide) {
  std::shared_ptr<CAudioSnippet> snippet = TrackSnippet(MakeSegment(Constant(50000, 2, 1000, -1000), 2), 4);
  app->SetEditorSnippet(snippet, 4);
  seams.ui.ExpectRequest<SwapDialogRequest>(Scope(EditRangeWhole));
  ASSERT_EQ(app->OnEditorTool(kIdSwapChannels), status::kDone);
  std::shared_ptr<CAudioSnippet> swapped = app->editorSnippet;
  ASSERT_NE(swapped, snippet);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationEditSnippetAudio);

  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceSnippet);
  EXPECT_EQ(app->editorSnippet, snippet);
  EXPECT_EQ(app->editorTrackIndex, 4);
  EXPECT_EQ(Shown(), Constant(50000, 2, 1000, -1000));
  ASSERT_EQ(app->OnRedo(), status::kDone);
  EXPECT_EQ(app->editorSnippet, swapped);
  EXPECT_EQ(Shown(), Constant(50000, 2, -1000, 1000));

  std::shared_ptr<CAudioLoop> loop = BankLoop(MakeSegment(Constant(50000, 1, 300, 0), 1));
  app->OpenLoopInEditor(loop);
  OperationDialogValues twice = Scope(EditRangeWhole);
  twice.level1Left = twice.level1Right = 2.0f;
  seams.ui.ExpectRequest<VolumeDialogRequest>(twice);
  ASSERT_EQ(app->OnEditorTool(kIdVolume), status::kDone);
  std::shared_ptr<CAudioLoop> louder = app->editorLoop;
  ASSERT_NE(louder, loop);

  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceLoop);
  EXPECT_EQ(app->editorLoop, loop);
  EXPECT_EQ(loop->GetBuffer(), nullptr);  // the editor holds its audio, not memory
  EXPECT_EQ(Shown(), Constant(50000, 1, 300, 0));
  ASSERT_EQ(app->OnRedo(), status::kDone);
  EXPECT_EQ(app->editorLoop, louder);
  EXPECT_EQ(Shown(), Constant(50000, 1, 600, 0));

  // Further back: the snippet's step again, with the editor showing the loop.
  ASSERT_EQ(app->OnUndo(), status::kDone);
  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(app->editorSnippet, snippet);
  EXPECT_EQ(app->modified, 1);
}

TEST_F(EditorCommandTest, StepsThatTookWhatTheEditorShowedGiveItBackOnUndoAndTakeItOnRedo) {
  // A loop deleted from the bank while the editor showed it, as the Loop Bank records it.
  std::shared_ptr<CAudioLoop> loop = BankLoop(MakeSegment(Staircase(50000, 1), 1));
  app->OpenLoopInEditor(loop);
  auto deleted = std::make_unique<COperation>(OperationDeleteLoop);
  deleted->oldLoop = loop;
  deleted->editorBefore.loop = loop;
  ASSERT_EQ(app->loopBank.RemoveLoop(loop->GetIdentifier()), 1);
  app->ClearEditor();
  app->undoList.Add(std::move(deleted));

  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceLoop);
  EXPECT_EQ(app->editorLoop, loop);
  ASSERT_EQ(app->OnRedo(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);

  // Snippets deleted from the Track View while the editor showed one of them.
  std::shared_ptr<CAudioSnippet> snippet = TrackSnippet(MakeSegment(Staircase(50000, 1), 1), 2);
  auto removed = std::make_unique<COperation>(OperationDeleteSnippets);
  removed->listA = std::make_unique<CAudioTrackList>(CAudioSnippetList::kModeSnapshot);
  removed->listA->CreateTracks(CAudioSnippetList::kModeSnapshot, CAudioTrack::kTypeExtended, 3);
  ASSERT_EQ(removed->listA->AddSnippetToTrack(snippet, 2), 1);
  removed->editorBefore.snippet = snippet;
  removed->editorBefore.trackIndex = 2;
  ASSERT_EQ(app->project.RemoveSnippet(2, snippet->GetIdentifier()), 1);
  app->undoList.Add(std::move(removed));

  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceSnippet);
  EXPECT_EQ(app->editorSnippet, snippet);
  EXPECT_EQ(app->editorTrackIndex, 2);
  EXPECT_EQ(app->project.projectEnd, snippet->start + snippet->length);
  ASSERT_EQ(app->OnRedo(), status::kDone);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_EQ(app->project.projectEnd, 0u);

  // A step that never took the editor's content leaves the editor alone.
  std::shared_ptr<CAudioSegment> shown = Show(Staircase(100, 1), 1);
  std::shared_ptr<CAudioSnippet> other = TrackSnippet(MakeSegment(Staircase(50000, 1), 1), 1);
  auto unseen = std::make_unique<COperation>(OperationDeleteSnippets);
  unseen->listA = std::make_unique<CAudioTrackList>(CAudioSnippetList::kModeSnapshot);
  unseen->listA->CreateTracks(CAudioSnippetList::kModeSnapshot, CAudioTrack::kTypeExtended, 3);
  ASSERT_EQ(unseen->listA->AddSnippetToTrack(other, 1), 1);
  ASSERT_EQ(app->project.RemoveSnippet(1, other->GetIdentifier()), 1);
  app->undoList.Add(std::move(unseen));
  ASSERT_EQ(app->OnUndo(), status::kDone);
  EXPECT_EQ(app->GetEditorSegment(), shown);
  ASSERT_EQ(app->OnRedo(), status::kDone);
  EXPECT_EQ(app->GetEditorSegment(), shown);
}

// What the editor shows, whole.
struct EditorState {
  int32_t source = 0;
  std::shared_ptr<CAudioSegment> segment;
  std::vector<int16_t> samples;
  uint16_t channels = 0;
  uint32_t trackerStart = 0, trackerSize = 0, markerStart = 0, markerEnd = 0;
  bool operator==(const EditorState&) const = default;
};

TEST_F(EditorCommandTest, ThirtyMixedEditsUndoneAndRedoneReturnEveryStateExactly) {
  Show(Steps(0, 120000), 1);
  Clip(Steps(3000, 5000), 1);
  auto state = [this] {
    EditorState s;
    s.source = app->editorSource;
    s.segment = app->GetEditorSegment();
    if (s.segment) {
      s.samples = ReadSamples(*s.segment);
      s.channels = s.segment->GetChannels();
      s.trackerStart = s.segment->trackerStart;
      s.trackerSize = s.segment->trackerSize;
      s.markerStart = s.segment->markerStart;
      s.markerEnd = s.segment->markerEnd;
    }
    return s;
  };
  std::vector<EditorState> states;
  for (int k = 0; k < 30; ++k) {
    SCOPED_TRACE("edit " + std::to_string(k));
    std::shared_ptr<CAudioSegment> now = app->GetEditorSegment();
    if (now) {
      const uint32_t first = static_cast<uint32_t>(k * 7919) % (now->length - 50000);
      Highlight(*now, first, first + 1000 + 37 * static_cast<uint32_t>(k));
      Mark(*now, first / 2, first / 2 + 500);
    }
    states.push_back(state());
    int done = status::kNothingDone;
    switch (k % 10) {
      case 0:
        done = app->OnCutHighlighted();
        break;
      case 1:
        done = app->OnPasteInsert();
        break;
      case 2: {
        OperationDialogValues v = Scope(EditRangeHighlighted);
        v.level1Left = v.level1Right = 1.5f;
        seams.ui.ExpectRequest<VolumeDialogRequest>(v);
        done = app->OnEditorTool(kIdVolume);
        break;
      }
      case 3:
        done = app->OnDeleteBetweenMarkers();
        break;
      case 4:
        done = app->OnConvertChannels();
        break;
      case 5:
        seams.ui.ExpectRequest<ReverseDialogRequest>(Scope(EditRangeWhole));
        done = app->OnEditorTool(kIdReverse);
        break;
      case 6:
        done = app->OnClearCurrentAudio();
        break;
      case 7:
        Clip(Steps(7000, 107000), 1);
        done = app->OnPasteInsert();  // into the empty editor
        break;
      case 8:
        done = app->OnPasteOverAtMarker();
        break;
      default:
        seams.ui.ExpectRequest<MixPasteDialogRequest>(Scope(EditRangeWhole));
        done = app->OnPasteMix();
        break;
    }
    ASSERT_EQ(done, status::kDone) << "edit " << k;
  }
  states.push_back(state());
  ASSERT_EQ(app->undoList.GetCount(), 30u);

  for (int k = 29; k >= 0; --k) {
    SCOPED_TRACE("undo of edit " + std::to_string(k));
    ASSERT_EQ(app->OnUndo(), status::kDone);
    ASSERT_TRUE(state() == states[static_cast<size_t>(k)]);
  }
  seams.ui.ExpectBox(kNothingToUndoText);
  EXPECT_EQ(app->OnUndo(), status::kNothingDone);
  for (int k = 0; k < 30; ++k) {
    SCOPED_TRACE("redo of edit " + std::to_string(k));
    ASSERT_EQ(app->OnRedo(), status::kDone);
    ASSERT_TRUE(state() == states[static_cast<size_t>(k) + 1]);
  }
  seams.ui.ExpectBox(kNothingToRedoText);
  EXPECT_EQ(app->OnRedo(), status::kNothingDone);
}

}  // namespace
}  // namespace tessiro::test
