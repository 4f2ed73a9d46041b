// The dispatcher: Cut, the result's tracker, markers, view and tempo, the
// finishing of a snippet's and a loop's result, and the progress totals.
#include <gtest/gtest.h>

#include "AudioLoop.h"
#include "AudioSnippetExtended.h"
#include "ReportRecorder.h"
#include "WorkerFixture.h"

namespace tessiro::test {
namespace {

constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;

class DispatchTest : public WorkerTest {
 protected:
  DispatchTest() { params.audioClipboard = &clipboard; }
  OperationResult Dispatch(CAudioSegment& source, int32_t operation, int32_t range) {
    return Run(RunEditOperation, source, operation, range);
  }
  std::shared_ptr<CAudioSegment> clipboard;
};

TEST_F(DispatchTest, CutCopiesTheHighlightIntoTheClipboardThenClosesTheGap) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(100000, 1, 100000), 1);
  source->tempo = 95.0f;
  Highlight(*source, 10000, 20000);
  Mark(*source, 5000, 50000);
  source->viewStart = 60000;
  clipboard = Make(Staircase(10, 1), 1);  // replaced
  ASSERT_EQ(Dispatch(*source, EditOpCut, EditRangeHighlighted), OperationResultDone);
  ASSERT_TRUE(clipboard);
  const std::vector<int16_t> counted = Staircase(20000, 1);
  EXPECT_EQ(ReadSamples(*clipboard), std::vector<int16_t>(counted.begin() + 10000, counted.end()));
  EXPECT_EQ(result->length, 90000u);
  EXPECT_EQ(At(ResultSamples(), 1, 10000), static_cast<int16_t>(20000));
  // The highlight collapses at its start; the end marker moves down with the audio.
  EXPECT_EQ(result->trackerStart, 10000u);
  EXPECT_EQ(result->trackerEnd, 10000u);
  EXPECT_EQ(result->trackerSize, 0u);
  EXPECT_EQ(result->markerStart, 5000u);
  EXPECT_EQ(result->markerEnd, 40000u);
  EXPECT_EQ(result->markerSize, 35000u);
  // A view past the new end shows the whole audio.
  EXPECT_EQ(result->viewStart, 0u);
  EXPECT_EQ(result->viewEnd, 90000u);
  EXPECT_EQ(result->viewWidth, 90000u);
  EXPECT_EQ(result->tempo, 95.0f);
}

TEST_F(DispatchTest, ACutCancelledInItsCopyEmptiesTheClipboardAndInItsDeleteKeepsTheCopy) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(100000, 1), 1);
  Highlight(*source, 10000, 20000);
  const std::vector<std::string> before = Files();
  // The copy is one block; the delete's head is the next.
  cancelAt = 1;
  EXPECT_EQ(Dispatch(*source, EditOpCut, EditRangeHighlighted), OperationResultCancelled);
  EXPECT_EQ(clipboard, nullptr);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(Files(), before);

  reports = 0;
  cancelAt = 2;
  EXPECT_EQ(Dispatch(*source, EditOpCut, EditRangeHighlighted), OperationResultCancelled);
  ASSERT_TRUE(clipboard);
  EXPECT_EQ(clipboard->length, 10000u);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(Files().size(), before.size() + 2);  // the clipboard's two files
}

TEST_F(DispatchTest, PasteInsertKeepsTheHighlightAndMovesTheMarkersAfterIt) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(3000, 1), 1);
  clipboard = Make(Staircase(1000, 1), 1);
  Highlight(*source, 500, 500);
  Mark(*source, 100, 3000);
  ASSERT_EQ(Dispatch(*source, EditOpPasteInsert, EditRangeHighlighted), OperationResultDone);
  EXPECT_EQ(result->length, 4000u);
  EXPECT_EQ(result->trackerStart, 500u);
  EXPECT_EQ(result->trackerSize, 0u);
  EXPECT_EQ(result->markerStart, 100u);
  EXPECT_EQ(result->markerEnd, 4000u);
}

TEST_F(DispatchTest, DeletingBetweenTheMarkersUnsetsThem) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(3000, 2), 2);
  Mark(*source, 1000, 2000);
  Highlight(*source, 100, 200);
  ASSERT_EQ(Dispatch(*source, EditOpDelete, EditRangeMarkers), OperationResultDone);
  EXPECT_EQ(result->length, 2000u);
  EXPECT_EQ(result->markerStart, kUnset);
  EXPECT_EQ(result->markerEnd, kUnset);
  EXPECT_EQ(result->markerSize, 0u);
  EXPECT_EQ(result->trackerSize, 100u);
}

TEST_F(DispatchTest, AShorterResultKeepsItsHighlightAndMarkersWithinIt) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(100000, 1), 1);
  Highlight(*source, 80000, 90000);
  Mark(*source, 70000, 95000);
  params.request.params.initialValue = params.request.params.finalValue = 0.5f;
  ASSERT_EQ(Dispatch(*source, EditOpStretch, EditRangeWhole), OperationResultDone);
  const uint32_t length = result->length;
  EXPECT_EQ(length, 50000u);
  EXPECT_EQ(result->trackerStart, length);
  EXPECT_EQ(result->trackerEnd, length);
  EXPECT_EQ(result->trackerSize, 0u);
  EXPECT_EQ(result->markerStart, length);
  EXPECT_EQ(result->markerEnd, length);
  EXPECT_EQ(result->markerSize, 0u);
  EXPECT_LE(result->viewEnd, length);
}

TEST_F(DispatchTest, CodesWithoutAWorkerDoNothing) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(100, 1), 1);
  const std::vector<std::string> before = Files();
  for (int32_t code : {0, 2, int{EditOpMixdown}, 24}) {
    EXPECT_EQ(Dispatch(*source, code, EditRangeWhole), OperationResultNothing) << code;
    EXPECT_EQ(result, nullptr);
  }
  EXPECT_EQ(Files(), before);
}

TEST_F(DispatchTest, ASnippetTakesItsNewAudioAtTheSourcesTempo) {
  std::shared_ptr<CAudioSegment> source = Make(Staircase(88200, 2), 2);
  source->tempo = 60.0f;
  auto snippet = std::make_shared<CAudioSnippetExtended>(source);
  snippet->start = 1000;
  auto clone = std::make_shared<CAudioSnippetExtended>();
  std::shared_ptr<CAudioSnippet> resultSnippet = clone;
  params.sourceSnippet = snippet;
  params.resultSnippet = &resultSnippet;
  params.resultSegment = &result;
  params.projectTempo = 120.0f;
  Highlight(*source, 0, 44100);
  params.request.operation = EditOpDelete;
  params.request.params.range = EditRangeHighlighted;
  ASSERT_EQ(EditSnippetSegment(&params), OperationResultDone);
  std::shared_ptr<CAudioSegment> held;
  clone->GetSegment(&held);
  EXPECT_EQ(held, result);
  EXPECT_EQ(result->tempo, 60.0f);
  EXPECT_TRUE(result->GetPeakFile().IsMapped());
  // Timed for the source's own tempo: its length is the audio's.
  EXPECT_EQ(clone->tempo, 60.0f);
  EXPECT_EQ(clone->length, 44100u);
  // The snippet itself still plays its old audio.
  std::shared_ptr<CAudioSegment> old;
  snippet->GetSegment(&old);
  EXPECT_EQ(old, source);
}

TEST_F(DispatchTest, ALoopsNewAudioGetsTheTempoOfItsMeasures) {
  struct Case {
    int32_t beatsPerBarChoice;
    float tempo;  // 2 measures in 2 seconds
  } cases[] = {{0, 240.0f}, {1, 180.0f}};
  for (const Case& c : cases) {
    std::shared_ptr<CAudioSegment> source = Make(Staircase(88200, 1), 1);
    auto loop = std::make_shared<CAudioLoop>();
    loop->SetSegment(source);
    auto newLoop = std::make_shared<CAudioLoop>();
    newLoop->SetMeasures(2);
    params.sourceLoop = loop;
    params.resultLoop = newLoop;
    params.resultSegment = &result;
    params.beatsPerBarChoice = c.beatsPerBarChoice;
    params.request.operation = EditOpConvertChannels;
    params.request.params.range = EditRangeWhole;
    result.reset();
    ASSERT_EQ(EditLoopSegment(&params), OperationResultDone);
    EXPECT_EQ(newLoop->Segment(), result.get());
    EXPECT_FLOAT_EQ(result->tempo, c.tempo);
    // A converted loop keeps the channels it was converted to.
    EXPECT_EQ(result->GetChannels(), 2);
    EXPECT_EQ(ResultSamples().size(), 2u * 88200);
  }
}

TEST(OperationTotal, IsTheFramesTheOperationWrites) {
  CAudioSegment segment("");
  Reports().Take();  // no folder given
  segment.length = 1000;
  Highlight(segment, 800, 900);
  Mark(segment, 200, 500);
  CAudioSegment clip("");
  Reports().Take();
  clip.length = 300;
  struct Case {
    int32_t operation, range;
    uint32_t total;
  } cases[] = {{EditOpMute, 1, 1000},        {EditOpCut, 2, 1000},         {EditOpVolume, 1, 1000},
               {EditOpConvertChannels, 3, 1000}, {EditOpPasteInsert, 1, 1300}, {EditOpPasteOver, 1, 1100},
               {EditOpPasteOver, 2, 1000},   {EditOpPasteMix, 3, 1000},    {EditOpPasteMix, 1, 1100},
               {EditOpDelete, 1, 900},       {EditOpDelete, 2, 700},       {EditOpCopy, 1, 0},
               {EditOpCopyWhole, 3, 0}};
  for (const Case& c : cases) {
    uint32_t total = 12345;
    EXPECT_EQ(ComputeOperationTotal(c.operation, c.range, &segment, &clip, &total), 0);
    EXPECT_EQ(total, c.total) << "operation " << c.operation << ", range " << c.range;
  }
  uint32_t total = 0;
  EXPECT_EQ(ComputeOperationTotal(EditOpPasteInsert, 1, &segment, nullptr, &total), 3);
  EXPECT_EQ(ComputeOperationTotal(EditOpMute, 1, nullptr, &clip, &total), 3);
  EXPECT_EQ(Reports().Take().size(), 2u);
}

}  // namespace
}  // namespace tessiro::test
