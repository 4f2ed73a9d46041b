// The Audio Editor's properties command: a track snippet's tempo re-times it
// and the editor's playback ratio, a loop's properties are the Loop Bank's,
// and independent audio has none.
#include <gtest/gtest.h>

#include "ReportRecorder.h"
#include "TrackFixture.h"
#include "requests/TrackViewRequests.h"

namespace tessiro::test {
namespace {

class AudioPropertiesTest : public TrackTest {};

TEST_F(AudioPropertiesTest, TheEditorsSnippetTakesTheTempoOnOkAndNothingOnCancel) {
  std::shared_ptr<CAudioSnippet> snippet = Place(2, 1000, Constant(44100, 2, 1, 1));
  app->SetEditorSnippet(snippet, 2);
  std::shared_ptr<CAudioSegment> segment;
  snippet->GetSegment(&segment);
  app->modified = 0;
  seams.view.toolWindowsShown[ui::ToolWindow::EditorTool] = true;

  seams.ui.ExpectRequest<SnippetPropertiesRequest>(std::nullopt);
  seams.view.calls.clear();
  EXPECT_EQ(app->OnAudioProperties(), status::kNothingDone);
  EXPECT_FLOAT_EQ(segment->tempo, 120.0f);
  EXPECT_EQ(snippet->length, 44100u);
  EXPECT_EQ(app->modified, 0);
  EXPECT_TRUE(seams.view.calls.empty());

  seams.ui.ExpectRequest<SnippetPropertiesRequest>([](const SnippetPropertiesRequest& r) {
    EXPECT_FALSE(r.loopSnippet);
    EXPECT_FLOAT_EQ(r.tempo, 120.0f);
    return SnippetPropertiesRequest::Result{60.0f};
  });
  EXPECT_EQ(app->OnAudioProperties(), status::kDone);
  EXPECT_FLOAT_EQ(segment->tempo, 60.0f);
  EXPECT_EQ(snippet->length, 22050u) << "audio of tempo 60 plays twice as fast at 120";
  EXPECT_EQ(app->project.projectEnd, 23050u);
  EXPECT_EQ(app->modified, 1);
  // The editor derives its ratio from the audio's tempo again, and the tool window shows it.
  EXPECT_EQ(seams.view.calls, (std::vector<std::string>{"SetEditorProjectTempo(120)", "RefreshToolWindow(EditorTool)"}));
}

TEST_F(AudioPropertiesTest, TheEditorsLoopShowsItsPropertiesAndIndependentAudioHasNone) {
  std::shared_ptr<CAudioLoop> loop = BankLoop(88200);
  loop->SetTitle("Beat");
  app->OpenLoopInEditor(loop);
  ASSERT_EQ(app->editorSource, EditorSourceLoop);
  seams.ui.ExpectRequest<LoopPropertiesRequest>([](const LoopPropertiesRequest& r) {
    EXPECT_EQ(r.title, "Beat");
    EXPECT_EQ(r.loopNumber, 0);
    return LoopPropertiesRequest::Result{"Groove", 2, 60.0f};
  });
  EXPECT_EQ(app->OnAudioProperties(), status::kDone);
  EXPECT_EQ(loop->GetTitle(), "Groove");
  EXPECT_EQ(loop->GetMeasures(), 2);
  EXPECT_FLOAT_EQ(loop->Segment()->tempo, 60.0f);

  // A loop that is no longer there is a fault, reported once.
  app->editorLoop.reset();
  EXPECT_EQ(app->OnAudioProperties(), status::kFaultReported);
  EXPECT_EQ(Reports().Take().size(), 1u);

  app->SetEditorIndependentAudio(nullptr);
  seams.ui.ExpectBox("Independent Audio - No property information exists.");
  EXPECT_EQ(app->OnAudioProperties(), status::kNothingDone);
}

}  // namespace
}  // namespace tessiro::test
