// The Audio Editor's tool window: titles by what the editor holds, the times in
// both units, unset markers, the project's fields, and "Use Project Values".
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "AudioLoop.h"
#include "AudioSnippetExtended.h"
#include "WaveformEditorFixture.h"
#include "editor/AudioEditorToolDialog.h"

namespace tessiro::test {
namespace {

class ToolTest : public EditorTest {
 protected:
  void TearDown() override {
    tool.reset();
    EditorTest::TearDown();
  }
  CAudioEditorToolDialog& Open(int32_t source) {
    app->editorSource = source;
    app->editorSegment = std::shared_ptr<CAudioSegment>(segment.get(), [](CAudioSegment*) {});
    tool = std::make_unique<CAudioEditorToolDialog>(app.get(), editor);
    editor->SetToolWindow(tool.get());
    tool->Open();
    return *tool;
  }
  std::string Text(int id) const { return tool->Field(id)->text().toStdString(); }

  std::unique_ptr<CAudioEditorToolDialog> tool;
};

TEST_F(ToolTest, TheTitleSaysWhatTheEditorHolds) {
  Make(600, 400, 44100);
  Open(EditorSourceIndependent);
  EXPECT_EQ(Text(CAudioEditorToolDialog::kTitleId), "Independent Audio");
  EXPECT_FALSE(tool->UseProjectValuesBox()->isEnabled());
  EXPECT_EQ(Text(CAudioEditorToolDialog::kProjectStartId), "00:00.000");
  EXPECT_EQ(tool->shown, 1);

  auto loop = std::make_shared<CAudioLoop>();
  loop->SetTitle("Drums");
  app->editorLoop = loop;
  app->editorLoopIndex = 0;
  app->editorSource = EditorSourceLoop;
  tool->UpdateTitle();
  EXPECT_EQ(Text(CAudioEditorToolDialog::kTitleId), "Loop 1 - Drums");

  auto snippet = std::make_shared<CAudioSnippetExtended>(app->editorSegment);
  snippet->start = 44100;
  snippet->length = 22050;
  snippet->end = 66150;
  app->editorSnippet = snippet;
  app->editorTrackIndex = 2;
  app->editorSource = EditorSourceSnippet;
  tool->UpdateTitle();
  EXPECT_EQ(Text(CAudioEditorToolDialog::kTitleId),
            "Track 3 - Snippet ID #" + std::to_string(snippet->GetIdentifier()));
  tool->DisableProjectFields();
  tool->UpdateTimeFields(0);
  EXPECT_TRUE(tool->UseProjectValuesBox()->isEnabled());
  EXPECT_EQ(Text(CAudioEditorToolDialog::kProjectStartId), "00:01.000");
  EXPECT_EQ(Text(CAudioEditorToolDialog::kProjectEndId), "00:01.500");
  EXPECT_EQ(Text(CAudioEditorToolDialog::kProjectSizeId), "00:00.500");
}

TEST_F(ToolTest, TimesFollowTheUnitsAndMarkersIgnoreTheProjectsTempo) {
  Make(600, 400, 88200);
  segment->tempo = 60.0f;  // half the project's: a frame of the audio is half a frame of the project
  editor->SetProjectTempo(120.0f);
  segment->trackerStart = 22050;
  segment->trackerEnd = 44100;
  segment->trackerSize = 22050;
  segment->markerStart = 44100;
  Open(EditorSourceIndependent);
  const struct {
    int id;
    const char* text;
  } standard[] = {{CAudioEditorToolDialog::kTotalLengthId, "00:02.000"},
                  {CAudioEditorToolDialog::kTrackerStartId, "00:00.500"},
                  {CAudioEditorToolDialog::kTrackerEndId, "00:01.000"},
                  {CAudioEditorToolDialog::kTrackerSizeId, "00:00.500"},
                  {CAudioEditorToolDialog::kMarkerStartId, "00:01.000"},
                  {CAudioEditorToolDialog::kMarkerEndId, "--"},
                  {CAudioEditorToolDialog::kMarkerSizeId, "--"},
                  {CAudioEditorToolDialog::kAudioTempoId, "60.00"},
                  {CAudioEditorToolDialog::kProjectTempoId, "120.00"}};
  for (const auto& field : standard) EXPECT_EQ(Text(field.id), field.text) << field.id;

  // Tempo units: bars and beats of the project, the audio re-timed by the ratio.
  tool->TimeUnitsBox()->setCurrentIndex(1);
  tool->OnTimeUnitsChanged();
  EXPECT_EQ(tool->timeUnits, CAudioEditorToolDialog::kUnitsTempo);
  char text[64];
  FormatSamplesAsTempoTime(88200, 88200, 120.0f, 0, text);
  EXPECT_EQ(Text(CAudioEditorToolDialog::kTotalLengthId), text);
  FormatSamplesAsTempoTime(44100, 44100, 120.0f, 0, text);
  EXPECT_EQ(Text(CAudioEditorToolDialog::kMarkerStartId), text);
  EXPECT_EQ(Text(CAudioEditorToolDialog::kMarkerEndId), "--");
  // The units survive closing the window.
  tool->Close();
  EXPECT_EQ(tool->shown, 0);
  tool->Open();
  EXPECT_EQ(tool->TimeUnitsBox()->currentIndex(), 1);
}

TEST_F(ToolTest, UseProjectValuesIsUndoneDuringPlaybackAndOtherwiseSwitchesTheFlag) {
  Make(600, 400, 44100);
  auto snippet = std::make_shared<CAudioSnippetExtended>(
      std::shared_ptr<CAudioSegment>(segment.get(), [](CAudioSegment*) {}));
  app->editorSnippet = snippet;
  Open(EditorSourceSnippet);
  QCheckBox* box = tool->UseProjectValuesBox();
  ASSERT_TRUE(box->isEnabled());
  app->playing = 1;
  seams.ui.ExpectBox("Sorry, cannot perform this operation during playback.");
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(app->editorUsesProjectSettings, 0);
  EXPECT_EQ(seams.ui.Boxes().back().icon, ui::Icon::Information);
  app->playing = 0;
  seams.view.calls.clear();
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(app->editorUsesProjectSettings, 1);
  EXPECT_EQ(seams.view.Count("RefreshAllViews"), 1);
  // Esc takes the window down; Enter does not.
  QTest::keyClick(tool.get(), Qt::Key_Return);
  EXPECT_EQ(tool->shown, 1);
  QTest::keyClick(tool.get(), Qt::Key_Escape);
  EXPECT_EQ(tool->shown, 0);
  EXPECT_FALSE(tool->isVisible());
}

}  // namespace
}  // namespace tessiro::test
