#include <gtest/gtest.h>

#include "AudioLoop.h"
#include "ImportFixture.h"
#include "requests/ImportExportRequests.h"

namespace tessiro::test {
namespace {

TEST_F(ImportTest, CreateAudioLoopCopiesTheEditorsAudioIntoANewLoop) {
  const std::vector<int16_t> samples = Staircase(200000, 2);
  std::shared_ptr<CAudioSegment> shown = MakeSegment(samples, 2);
  app->SetEditorIndependentAudio(shown);
  ASSERT_EQ(app->CreateLoopFromEditor(), status::kDone);
  std::shared_ptr<CAudioLoop> loop;
  ASSERT_EQ(app->loopBank.FindLoop(0, &loop), 1);
  EXPECT_EQ(loop->GetTitle(), "Via Audio Editor");
  ASSERT_NE(loop->Segment()->GetPcmFileName(), shown->GetPcmFileName());
  EXPECT_EQ(ReadSamples(*loop->Segment()), samples);
  EXPECT_EQ(loop->Segment()->length, 200000u);
  EXPECT_EQ(loop->Segment()->viewWidth, 200000u);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationAddLoop);
  EXPECT_EQ(seams.progress.Messages().back(), "Creating Loop...");

  shown->length = 1323001;
  seams.ui.ExpectBox("Cannot create loop file.  Current audio length is greater than the 30 second loop limit.");
  EXPECT_EQ(app->CreateLoopFromEditor(), status::kNothingDone);
  app->ClearEditor();
  EXPECT_EQ(app->CreateLoopFromEditor(), status::kNothingDone);
  EXPECT_EQ(app->loopBank.GetCount(), 1);
}

TEST_F(ImportTest, CreateTrackSnippetPlacesACopyWhereTheDialogSaysTimedForTheProject) {
  const std::vector<int16_t> samples = Staircase(88200, 1);
  std::shared_ptr<CAudioSegment> shown = MakeSegment(samples, 1);
  shown->tempo = 60.0f;  // half the project tempo: the snippet plays in half the time
  app->SetEditorIndependentAudio(shown);
  seams.ui.ExpectRequest<CreateTrackSnippetRequest>([](const CreateTrackSnippetRequest& request) {
    EXPECT_FLOAT_EQ(request.projectTempo, 120.0f);
    return CreateTrackSnippetRequest::Result{4, 5000};
  });
  ASSERT_EQ(app->CreateSnippetFromEditor(), status::kDone);
  CAudioTrack* track = nullptr;
  ASSERT_EQ(app->project.FindTrack(4, &track), 1);
  ASSERT_EQ(track->Snippets().GetCount(), 1u);
  const std::shared_ptr<CAudioSnippet> snippet = track->Snippets().Snippets().front();
  std::shared_ptr<CAudioSegment> copy;
  snippet->GetSegment(&copy);
  ASSERT_NE(copy, shown);
  EXPECT_EQ(ReadSamples(*copy), samples);
  EXPECT_FLOAT_EQ(copy->tempo, 60.0f);
  EXPECT_EQ(snippet->start, 5000u);
  EXPECT_EQ(snippet->end, 5000u + 44100u);
  EXPECT_EQ(app->undoList.GetCurrent()->type, OperationInsertSnippets);
  EXPECT_EQ(app->project.projectEnd, 5000u + 44100u);
}

TEST_F(ImportTest, ACancelledCopyFromTheEditorLeavesNoFile) {
  app->SetEditorIndependentAudio(MakeSegment(Staircase(600000, 2), 2));
  const std::vector<std::string> before = TempAudio();
  seams.progress.CancelAtPump(2, &app->progressWindow);
  EXPECT_EQ(app->CreateLoopFromEditor(), status::kCancelled);
  seams.ui.ExpectRequest<CreateTrackSnippetRequest>(CreateTrackSnippetRequest::Result{0, 0});
  seams.progress.CancelAtPump(2, &app->progressWindow);
  EXPECT_EQ(app->CreateSnippetFromEditor(), status::kCancelled);
  EXPECT_EQ(TempAudio(), before);
  EXPECT_EQ(app->loopBank.GetCount(), 0);
  EXPECT_EQ(app->project.projectEnd, 0u);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
}

}  // namespace
}  // namespace tessiro::test
