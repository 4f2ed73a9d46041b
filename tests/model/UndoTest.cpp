// The undo history: its order and position, and every record type taking its
// change back and making it again, compared on a snapshot of the project.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AudioLoopList.h"
#include "MixerFixtures.h"
#include "OperationList.h"
#include "ReportRecorder.h"

using namespace tessiro::test;

namespace {

struct SnippetState {
  uint32_t identifier, start, end, length, layer;
  int32_t kind;
  bool operator==(const SnippetState&) const = default;
};

struct TrackState {
  int32_t type;
  std::string description;
  float left, right, pitch;
  const CZelmo* chain;
  std::vector<SnippetState> snippets;
  bool operator==(const TrackState&) const = default;
};

struct LoopState {
  uint32_t identifier;
  int16_t number;
  int32_t uses;
  bool operator==(const LoopState&) const = default;
};

struct ProjectState {
  std::vector<TrackState> tracks;
  std::vector<LoopState> loops;
  uint32_t projectEnd;
  bool operator==(const ProjectState&) const = default;
};

class UndoTest : public ::testing::Test {
 protected:
  ProjectState Capture() {
    ProjectState state;
    for (int t = 0; t < CAudioTrackList::kProjectTracks; ++t) {
      CAudioTrack& track = p.Track(t);
      TrackState ts{track.GetType(), track.description, track.leftGain, track.rightGain,
                    track.Snippets().trackPitch, track.Chain(), {}};
      for (const auto& s : track.Snippets().Snippets()) {
        ts.snippets.push_back({s->GetIdentifier(), s->start, s->end, s->length, s->layer, s->kind});
      }
      state.tracks.push_back(ts);
    }
    bank.ResetIterator();
    std::shared_ptr<CAudioLoop> loop;
    while (bank.GetNextLoop(&loop)) state.loops.push_back({loop->GetIdentifier(), loop->loopNumber, loop->useCount});
    state.projectEnd = p.list.projectEnd;
    return state;
  }

  // What the Undo and Redo commands do after the history has done its part.
  int Undo() {
    const int result = history.Undo(&p.list, &bank);
    p.list.RecomputeProjectEnd();
    return result;
  }
  int Redo() {
    const int result = history.Redo(&p.list, &bank);
    p.list.RecomputeProjectEnd();
    return result;
  }

  // Makes a change as its command does (returning its record), records it,
  // then undoes, redoes and undoes it again.
  void ExpectUndoAndRedo(const std::function<std::unique_ptr<COperation>()>& change, bool changesProject = true) {
    p.list.RecomputeProjectEnd();
    const ProjectState before = Capture();
    std::unique_ptr<COperation> record = change();
    ASSERT_TRUE(record);
    const int32_t type = record->type;
    p.list.RecomputeProjectEnd();
    const ProjectState after = Capture();
    if (changesProject) {
      ASSERT_NE(before, after) << "type " << type << " changed nothing";
    }
    ASSERT_EQ(history.Add(std::move(record)), 0);
    ASSERT_EQ(Undo(), 1) << "type " << type;
    EXPECT_EQ(Capture(), before) << "undo of type " << type;
    // Redo answers with the result of the record's last step, which for some types is 0.
    EXPECT_NE(Redo(), 3) << "type " << type;
    EXPECT_EQ(Capture(), after) << "redo of type " << type;
    ASSERT_EQ(Undo(), 1);
    EXPECT_EQ(Capture(), before) << "second undo of type " << type;
  }

  std::unique_ptr<CAudioTrackList> Snapshot() {
    return std::make_unique<CAudioTrackList>(CAudioSnippetList::kModeSnapshot);
  }

  std::shared_ptr<CAudioLoop> BankLoop() {
    auto loop = MakeLoop(p.folder.Path(), 2, 4410, Constant(9));
    bank.AddLoop(loop);
    return loop;
  }

  CTestProject p;
  CAudioLoopList bank;
  COperationList history;
};

}  // namespace

TEST_F(UndoTest, AddingAfterUndoingEverythingStartsAFreshHistory) {
  EXPECT_EQ(history.Undo(&p.list, &bank), 0);
  EXPECT_EQ(history.Redo(&p.list, &bank), 0);
  EXPECT_EQ(history.GetCurrent(), nullptr);
  EXPECT_EQ(history.GetNextToRedo(), nullptr);
  COperation* first = new COperation(OperationEditorContent);
  COperation* second = new COperation(OperationEditIndependentAudio);
  history.Add(std::unique_ptr<COperation>(first));
  history.Add(std::unique_ptr<COperation>(second));
  EXPECT_EQ(history.GetCurrent(), second);
  EXPECT_EQ(history.Redo(&p.list, &bank), 0);  // at the end
  EXPECT_EQ(history.Undo(&p.list, &bank), 1);
  EXPECT_EQ(history.GetCurrent(), first);
  EXPECT_EQ(history.GetNextToRedo(), second);
  EXPECT_EQ(history.Undo(&p.list, &bank), 1);
  EXPECT_EQ(history.GetCurrent(), nullptr);
  EXPECT_EQ(history.GetNextToRedo(), first);  // everything undone: the first is redone in place
  EXPECT_EQ(history.Undo(&p.list, &bank), 0);
  EXPECT_EQ(history.Redo(&p.list, &bank), OperationEditorContent);
  EXPECT_EQ(history.GetCurrent(), first);
  EXPECT_EQ(history.Redo(&p.list, &bank), OperationEditIndependentAudio);
  history.Undo(&p.list, &bank);
  history.Undo(&p.list, &bank);
  history.Add(std::make_unique<COperation>(OperationEditorContent));
  EXPECT_EQ(history.GetCount(), 1u);
}

TEST_F(UndoTest, AddingInTheMiddleDiscardsTheRedoSide) {
  for (int i = 0; i < 3; ++i) history.Add(std::make_unique<COperation>(OperationEditorContent));
  history.Undo(&p.list, &bank);
  history.Undo(&p.list, &bank);
  history.Add(std::make_unique<COperation>(OperationEditIndependentAudio));
  EXPECT_EQ(history.GetCount(), 2u);
  EXPECT_EQ(history.GetCurrent()->type, OperationEditIndependentAudio);
  EXPECT_EQ(history.GetNextToRedo(), nullptr);
  history.Clear();
  EXPECT_EQ(history.GetCount(), 0u);
  EXPECT_EQ(history.Undo(&p.list, &bank), 0);
  EXPECT_EQ(history.Add(nullptr), 3);
  EXPECT_EQ(Reports().Take()[0].report.line, 127);
}

TEST_F(UndoTest, InsertedSnippetsComeAndGo) {
  ExpectUndoAndRedo([&] {
    auto b = Snapshot();
    auto track = std::make_unique<CAudioTrack>(CAudioSnippetList::kModeSnapshot);
    track->index = 3;
    track->AddSnippet(MakeExtended(MakeSegment(p.folder.Path(), 2, 5000, Constant(1)), 1000));
    b->AddTrack(std::move(track));
    auto record = std::make_unique<COperation>(OperationInsertSnippets);
    p.list.MergeFrom(b.get());
    record->listB = std::move(b);
    return record;
  });
}

TEST_F(UndoTest, DeletedSnippetsComeBack) {
  auto a = p.Place(2, Constant(1), 1000, 0);
  auto b = p.Place(2, Constant(2), 1000, 5000);
  p.Place(2, Constant(3), 1000, 9000);
  ExpectUndoAndRedo([&] {
    p.list.SelectTrack(2);
    a->selected = b->selected = 1;
    auto record = std::make_unique<COperation>(OperationDeleteSnippets);
    record->listA = Snapshot();
    p.list.ShareSelectedInto(record->listA.get());
    p.list.RemoveSnippetsOf(record->listA.get());
    return record;
  });
}

TEST_F(UndoTest, MovedSnippetsGoBackAndForth) {
  auto a = p.Place(1, Constant(1), 1000, 2000);
  auto b = p.Place(1, Constant(2), 1000, 4000);
  p.Place(1, Constant(3), 1000, 100);
  ExpectUndoAndRedo([&] {
    p.list.SelectTrack(1);
    a->selected = b->selected = 1;
    auto record = std::make_unique<COperation>(OperationMoveSnippets);
    record->listA = Snapshot();
    p.list.CopySelectedInto(record->listA.get());
    record->oldStart = record->listA->GetFirstSnippetStart();
    record->newStart = 30000;
    p.list.MoveSelectedTo(record->newStart);
    return record;
  });
  EXPECT_EQ(a->start, 2000u);
  Redo();
  EXPECT_EQ(a->start, 30000u);
  EXPECT_EQ(b->start, 32000u);
}

TEST_F(UndoTest, AJoinIsTakenApartAndMadeAgain) {
  auto a = p.Place(4, Constant(1), 1000, 0);
  auto b = p.Place(4, Constant(2), 1000, 3000);
  ExpectUndoAndRedo([&] {
    p.list.SelectTrack(4);
    a->selected = b->selected = 1;
    auto record = std::make_unique<COperation>(OperationJoinSnippets);
    record->listA = Snapshot();
    p.list.ShareSelectedInto(record->listA.get());
    record->snippetC = MakeExtended(MakeSegment(p.folder.Path(), 2, 4000, Constant(5)), 0);
    record->trackC = 4;
    p.list.RemoveSnippetsOf(record->listA.get());
    p.list.AddSnippetToTrack(record->snippetC, 4);
    return record;
  });
}

TEST_F(UndoTest, LoopsAddedToAndDeletedFromTheBankReturnToTheirPlace) {
  BankLoop();
  BankLoop();
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationAddLoop);
    record->newLoop = BankLoop();
    return record;
  });
  auto middle = BankLoop();
  BankLoop();
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationDeleteLoop);
    bank.RemoveLoop(middle->GetIdentifier());
    record->oldLoop = middle;
    return record;
  });
}

TEST_F(UndoTest, EditorRecordsChangeNothingInTheProject) {
  for (int32_t type : {OperationEditorContent, OperationEditIndependentAudio}) {
    ExpectUndoAndRedo([&] { return std::make_unique<COperation>(type); }, false);
  }
}

TEST_F(UndoTest, AClearedTrackComesBackWithItsEffects) {
  p.Place(6, Constant(1), 1000, 0);
  p.Place(6, Constant(2), 1000, 2000);
  p.list.SetTrackGains(6, 0.5f, 0.25f);
  p.Track(6).description = "Vocals";
  p.Track(6).Snippets().trackPitch = 3.0f;
  AddProjectEffect(p.Chain(7), ZelmoEcho);
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationClearTrack);
    record->listA = Snapshot();
    p.list.CopyTrackInto(6, record->listA.get());
    p.list.DetachTracksFor(record->listA.get());
    return record;
  });
}

TEST_F(UndoTest, ClearingATrackTwiceAndUndoingTwiceRestoresTheFirstChain) {
  p.Place(6, Constant(1), 1000, 0);
  AddProjectEffect(p.Chain(7), ZelmoEcho);
  CZelmo* original = p.chains[7].get();
  auto clear = [&] {
    auto record = std::make_unique<COperation>(OperationClearTrack);
    record->listA = Snapshot();
    p.list.CopyTrackInto(6, record->listA.get());
    p.list.DetachTracksFor(record->listA.get());
    history.Add(std::move(record));
  };
  clear();
  EXPECT_EQ(p.chains[7], nullptr);
  AddProjectEffect(p.Chain(7), ZelmoReverb);  // a new chain on the cleared track
  CZelmo* second = p.chains[7].get();
  clear();
  ASSERT_EQ(Undo(), 1);
  EXPECT_EQ(p.chains[7].get(), second);
  ASSERT_EQ(Undo(), 1);
  EXPECT_EQ(p.chains[7].get(), original);
  EXPECT_EQ(p.Track(6).Snippets().GetCount(), 1u);
}

TEST_F(UndoTest, AConvertedLoopTrackComesBackWithItsLoops) {
  auto loop = BankLoop();
  auto l1 = MakeLoopSnippet(loop, 0);
  auto l2 = MakeLoopSnippet(loop, 4410);
  p.list.AddSnippetToTrack(l1, 9);
  p.list.AddSnippetToTrack(l2, 9);
  ASSERT_EQ(loop->useCount, 2);
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationConvertTrack);
    record->listA = Snapshot();
    p.list.CopyTrackInto(9, record->listA.get());
    record->snippetC = MakeExtended(MakeSegment(p.folder.Path(), 2, 8820, Constant(9)), 0);
    record->trackC = 9;
    p.list.DetachTracksFor(record->listA.get());
    p.list.AddSnippetToTrack(record->snippetC, 9);
    return record;
  });
  EXPECT_EQ(p.list.GetTrackType(9), CAudioTrack::kTypeLoopBased);
  EXPECT_EQ(loop->useCount, 2);
}

TEST_F(UndoTest, ShiftedTracksReturnToWhereTheyStarted) {
  p.Place(0, Constant(1), 1000, 5000);
  p.Place(0, Constant(2), 1000, 8000);
  p.Place(3, Constant(3), 1000, 7000);
  p.Place(5, Constant(4), 1000, 100);
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationShiftSnippets);
    record->listA = Snapshot();
    record->listB = Snapshot();
    for (int t : {0, 3}) p.list.CopyTrackPlainInto(t, record->listA.get());
    p.list.MoveMatchingTo(record->listA.get(), 44100);
    for (int t : {0, 3}) p.list.CopyTrackPlainInto(t, record->listB.get());
    return record;
  });
}

TEST_F(UndoTest, EditedSnippetAudioAndLoopAudioSwapBack) {
  auto old = p.Place(8, Constant(1), 3000, 700);
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationEditSnippetAudio);
    std::shared_ptr<CAudioSnippetExtended> edited;
    old->Clone(&edited);
    edited->SetSegment(MakeSegment(p.folder.Path(), 2, 2500, Constant(2)));
    edited->SetTempo(100.0f);
    p.list.RemoveSnippet(8, old->GetIdentifier());
    p.list.AddSnippetToTrack(edited, 8);
    record->snippetD = old;
    record->trackD = 8;
    record->snippetC = edited;
    record->trackC = 8;
    return record;
  });
  BankLoop();
  auto oldLoop = BankLoop();
  BankLoop();
  ExpectUndoAndRedo([&] {
    auto record = std::make_unique<COperation>(OperationEditLoopAudio);
    auto newLoop = std::make_shared<CAudioLoop>();
    oldLoop->CopyAttributesTo(newLoop.get());
    bank.RemoveLoop(oldLoop->GetIdentifier());
    bank.AddLoop(newLoop);
    record->oldLoop = oldLoop;
    record->newLoop = newLoop;
    return record;
  });
}

// A snippet shared by the clipboard and an insert record stays alive when the
// record is discarded; one held only by the record is freed with it.
TEST_F(UndoTest, DiscardingRedoRecordsFreesExactlyWhatNothingElseHolds) {
  auto import = [&](uint32_t start, std::weak_ptr<CAudioSnippet>* watch) {
    auto b = Snapshot();
    auto track = std::make_unique<CAudioTrack>(CAudioSnippetList::kModeSnapshot);
    track->index = 0;
    auto snippet = MakeExtended(MakeSegment(p.folder.Path(), 2, 1000, Constant(1)), start);
    *watch = snippet;
    track->AddSnippet(std::move(snippet));
    b->AddTrack(std::move(track));
    p.list.MergeFrom(b.get());
    auto record = std::make_unique<COperation>(OperationInsertSnippets);
    record->listB = std::move(b);
    history.Add(std::move(record));
  };
  std::weak_ptr<CAudioSnippet> copied, alone;
  import(0, &copied);
  import(5000, &alone);
  // Copy the first snippet to the clipboard, which shares it.
  CAudioTrackList clipboard(CAudioSnippetList::kModeSnapshot);
  p.list.SelectTrack(0);
  p.list.DeselectAllSnippets();
  copied.lock()->selected = 1;
  p.list.ShareSelectedInto(&clipboard);
  Undo();
  Undo();
  // A new change discards both records.
  history.Add(std::make_unique<COperation>(OperationEditorContent));
  EXPECT_TRUE(alone.expired());
  ASSERT_FALSE(copied.expired());
  EXPECT_EQ(clipboard.CountSelectedSnippets(), 1);
  EXPECT_EQ(copied.lock()->GetSourceLength(), 1000u);
}

TEST_F(UndoTest, ARecordMissingWhatItNeedsIsReportedAndStaysPut) {
  history.Add(std::make_unique<COperation>(OperationInsertSnippets));
  EXPECT_EQ(Undo(), 3);
  EXPECT_NE(history.GetCurrent(), nullptr);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "OperationList");
  EXPECT_EQ(reports[0].report.line, 291);

  history.Clear();
  history.Add(std::make_unique<COperation>(OperationEditorContent));
  history.Add(std::make_unique<COperation>(OperationDeleteLoop));
  history.Undo(&p.list, &bank);  // the loop record is not undoable without its loop: reported
  EXPECT_EQ(Reports().Take()[0].report.line, 387);
  EXPECT_EQ(history.Redo(&p.list, nullptr), 0);  // nothing after the current record
  history.Clear();
  history.Add(std::make_unique<COperation>(OperationDeleteSnippets));
  history.Add(std::make_unique<COperation>(OperationEditorContent));
  ASSERT_EQ(history.Undo(&p.list, &bank), 1);
  EXPECT_EQ(history.Undo(nullptr, &bank), 3);
  EXPECT_EQ(Reports().Take()[0].report.line, 300);
}
