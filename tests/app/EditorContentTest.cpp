#include <gtest/gtest.h>

#include "AudioLoop.h"
#include "AudioSnippetExtended.h"
#include "AudioSnippetLoop.h"
#include "AudioTrack.h"
#include "EditFixture.h"

namespace tessiro::test {
namespace {

std::string Shows(const CAudioSegment& segment) {
  return "SetEditorSegment(" + std::to_string(segment.GetIdentifier()) + ")";
}

// A segment whose read side is open, as after the editor drew samples from it.
void OpenReadSide(CAudioSegment& segment) {
  int16_t frame[2 + 1024];
  uint32_t read = 0;
  ASSERT_EQ(segment.Read(frame, 1, &read), 1);
  ASSERT_FALSE(segment.IsReadHandleClosed());
}

TEST_F(EditTest, IndependentAudioIsShownAndTheSegmentShownBeforeIsClosed) {
  std::shared_ptr<CAudioSegment> first = MakeSegment(Staircase(100, 2), 2);
  std::shared_ptr<CAudioSegment> second = MakeSegment(Staircase(200, 1), 1);
  app->SetEditorIndependentAudio(first);
  OpenReadSide(*first);
  seams.view.calls.clear();

  app->SetEditorIndependentAudio(second);
  EXPECT_TRUE(first->IsReadHandleClosed());
  EXPECT_EQ(app->editorSource, EditorSourceIndependent);
  EXPECT_EQ(app->GetEditorSegment(), second);
  EXPECT_EQ(seams.view.editorSegment, second.get());
  EXPECT_EQ(seams.view.calls, (std::vector<std::string>{Shows(*second), "SetEditorProjectTempo(120)"}));
}

TEST_F(EditTest, ASnippetShowsItsSegmentAndANullSnippetShowsNothing) {
  std::shared_ptr<CAudioSegment> segment = MakeSegment(Staircase(100, 2), 2);
  auto snippet = std::make_shared<CAudioSnippetExtended>(segment);
  app->SetEditorIndependentAudio(MakeSegment(Staircase(10, 1), 1));

  app->SetEditorSnippet(snippet, 5);
  EXPECT_EQ(app->editorSource, EditorSourceSnippet);
  EXPECT_EQ(app->editorSnippet, snippet);
  EXPECT_EQ(app->editorTrackIndex, 5);
  EXPECT_EQ(app->GetEditorSegment(), segment);
  EXPECT_EQ(seams.view.editorSegment, segment.get());

  seams.view.calls.clear();
  app->SetEditorSnippet(nullptr, 2);
  EXPECT_EQ(app->editorSource, EditorSourceSnippet);
  EXPECT_EQ(app->GetEditorSegment(), nullptr);
  EXPECT_EQ(seams.view.editorSegment, nullptr);
  EXPECT_EQ(seams.view.calls.front(), "SetEditorSegment(none)");
}

TEST_F(EditTest, ClearingTheEditorForgetsEverythingItHeld) {
  std::shared_ptr<CAudioSegment> segment = MakeSegment(Staircase(100, 2), 2);
  app->SetEditorSnippet(std::make_shared<CAudioSnippetExtended>(segment), 1);
  OpenReadSide(*segment);

  app->ClearEditor();
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_EQ(app->editorSnippet, nullptr);
  EXPECT_EQ(app->editorLoop, nullptr);
  EXPECT_EQ(app->editorSegment, nullptr);
  EXPECT_EQ(app->GetEditorSegment(), nullptr);
  EXPECT_TRUE(segment->IsReadHandleClosed());
  EXPECT_EQ(seams.view.calls.back(), "SetEditorSegment(none)");
}

TEST_F(EditTest, ALoopOpensWithItsMemoryReleasedUnlessTheProjectPlaysIt) {
  std::shared_ptr<CAudioSegment> segment = MakeSegment(Staircase(44100, 2), 2);
  auto loop = std::make_shared<CAudioLoop>();
  loop->SetSegment(segment);
  loop->loopNumber = 3;
  void* memory = nullptr;
  ASSERT_EQ(loop->AllocateBuffer(&memory), 1);
  ASSERT_TRUE(loop->IsInMemory());

  app->OpenLoopInEditor(loop);
  EXPECT_EQ(app->editorSource, EditorSourceLoop);
  EXPECT_EQ(app->editorLoop, loop);
  EXPECT_EQ(app->editorLoopIndex, 3);
  EXPECT_FALSE(loop->IsInMemory());
  EXPECT_EQ(app->GetEditorSegment(), segment);
  EXPECT_EQ(seams.view.editorSegment, segment.get());

  // Once a loop track plays it, opening it clears the editor instead.
  ASSERT_EQ(app->project.SetTrackType(0, CAudioTrack::kTypeLoopBased), 1);
  ASSERT_EQ(app->project.AddSnippetToTrack(std::make_shared<CAudioSnippetLoop>(loop), 0), 1);
  app->OpenLoopInEditor(loop);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_EQ(app->GetEditorSegment(), nullptr);
  EXPECT_EQ(seams.view.editorSegment, nullptr);
}

TEST_F(EditTest, TheEditorSegmentFollowsTheDeclaredKindOnly) {
  std::shared_ptr<CAudioSegment> segment = MakeSegment(Staircase(100, 1), 1);
  app->editorSegment = segment;
  struct Case {
    int32_t source;
    bool shown;
  } cases[] = {{0, false}, {EditorSourceNothing, false}, {EditorSourceIndependent, true},
               {EditorSourceSnippet, false}, {EditorSourceLoop, false}};
  // Only independent audio is the editor segment itself; the other kinds go through their owner.
  for (const Case& c : cases) {
    app->editorSource = c.source;
    EXPECT_EQ(app->GetEditorSegment() != nullptr, c.shown) << "source " << c.source;
  }
}

}  // namespace
}  // namespace tessiro::test
