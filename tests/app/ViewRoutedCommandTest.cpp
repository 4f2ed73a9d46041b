// Cut, Copy, Paste and Delete from the menu and the keys reach the view shown:
// the Track View's snippets, the Audio Editor's highlight, the Loop Bank's loops.
#include <gtest/gtest.h>

#include "EditorCommandFixture.h"

namespace tessiro::test {
namespace {
constexpr const char* kDuringPlayback = "Sorry, cannot perform this operation during playback.";

using namespace editor;

TEST_F(EditorCommandTest, EachViewAnswersItsOwnCutCopyPasteAndDelete) {
  const std::string highlightText = "Cannot perform operation.  No audio highlighted.";
  enum Audio { kNone, kNoHighlight, kHighlight };
  struct Case {
    const char* name;
    int mode;
    Audio audio;
    std::function<int(CProApp&)> command;
    std::string text;  // the box; none when the command ran
  } cases[] = {
      {"track view copy", ViewModeTrack, kNone, &CProApp::OnViewCopy, track::kNothingToCopyText},
      {"track view cut", ViewModeTrack, kNone, &CProApp::OnViewCut, track::kNothingToCutText},
      {"track view delete", ViewModeTrack, kNone, &CProApp::OnViewDelete, track::kNothingToDeleteText},
      {"track view paste", ViewModeTrack, kNone, &CProApp::OnViewPaste, track::kClipboardEmptyText},
      {"track view copy key", ViewModeTrack, kNone, [](CProApp& a) { return a.OnViewKey(kIdCopyKey); },
       track::kNothingToCopyText},
      {"track view paste key", ViewModeTrack, kNone, [](CProApp& a) { return a.OnViewKey(kIdPasteKey); },
       track::kClipboardEmptyText},
      {"editor copy, no audio", ViewModeEditor, kNone, &CProApp::OnViewCopy, kNoAudioToCopyText},
      {"editor cut, no audio", ViewModeEditor, kNone, &CProApp::OnViewCut, kNoAudioToCutText},
      {"editor delete, no audio", ViewModeEditor, kNone, &CProApp::OnViewDelete, kNoAudioToDeleteText},
      {"editor copy, no highlight", ViewModeEditor, kNoHighlight, &CProApp::OnViewCopy, kNoAudioSelectedText},
      {"editor cut, no highlight", ViewModeEditor, kNoHighlight, &CProApp::OnViewCut, kNoAudioSelectedText},
      {"editor delete, no highlight", ViewModeEditor, kNoHighlight, &CProApp::OnViewDelete, kNoAudioSelectedText},
      {"editor copy key, no highlight", ViewModeEditor, kNoHighlight,
       [](CProApp& a) { return a.OnViewKey(kIdCopyKey); }, highlightText},
      {"editor delete key, no audio", ViewModeEditor, kNone, [](CProApp& a) { return a.OnViewKey(kIdDeleteKey); },
       kNoAudioToDeleteText},
      {"loop bank copy", ViewModeLoopBank, kNone, &CProApp::OnViewCopy, kLoopBankClipboardText},
      {"loop bank cut", ViewModeLoopBank, kNone, &CProApp::OnViewCut, kLoopBankClipboardText},
      {"loop bank paste", ViewModeLoopBank, kNone, &CProApp::OnViewPaste, kLoopBankClipboardText},
      {"loop bank delete, no loops", ViewModeLoopBank, kNone, &CProApp::OnViewDelete, track::kNoLoopsText},
      {"loop bank delete key, no loops", ViewModeLoopBank, kNone,
       [](CProApp& a) { return a.OnViewKey(kIdDeleteKey); }, track::kNoLoopsText},
      {"loop bank copy key", ViewModeLoopBank, kNone, [](CProApp& a) { return a.OnViewKey(kIdCopyKey); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seams.view.viewMode = c.mode;
    app->ClearEditor();
    app->audioClipboard.reset();
    if (c.audio != kNone) Show(Steps(0, 100000), 1);
    if (!c.text.empty()) seams.ui.ExpectBox(c.text);
    EXPECT_EQ(c.command(*app), status::kNothingDone);
    EXPECT_EQ(app->undoList.GetCount(), 0u);
    EXPECT_EQ(app->audioClipboard, nullptr);
  }

  // In the editor with a highlight they run the editor's own commands.
  seams.view.viewMode = ViewModeEditor;
  std::shared_ptr<CAudioSegment> audio = Show(Steps(0, 100000), 1);
  Highlight(*audio, 1000, 2000);
  ASSERT_EQ(app->OnViewCopy(), status::kDone);
  ASSERT_TRUE(app->audioClipboard);
  EXPECT_EQ(ReadSamples(*app->audioClipboard), Steps(1000, 2000));
  ASSERT_EQ(app->OnViewKey(kIdCutKey), status::kDone);
  EXPECT_EQ(Shown(), Join({Steps(0, 1000), Steps(2000, 100000)}));
  ASSERT_EQ(app->OnViewPaste(), status::kDone);
  EXPECT_EQ(Shown(), Steps(0, 100000));
  Highlight(*app->GetEditorSegment(), 0, 500);
  ASSERT_EQ(app->OnViewDelete(), status::kDone);
  EXPECT_EQ(Shown(), Steps(500, 100000));
  EXPECT_EQ(app->undoList.GetCount(), 3u);

  // During playback every one of them says so first.
  app->playing = 1;
  for (int (CProApp::*command)() : {&CProApp::OnViewCopy, &CProApp::OnViewCut, &CProApp::OnViewDelete,
                                    &CProApp::OnViewPaste}) {
    seams.ui.ExpectBox(kDuringPlayback);
    EXPECT_EQ((app.get()->*command)(), status::kNothingDone);
  }
  seams.ui.ExpectBox(kDuringPlayback);
  EXPECT_EQ(app->OnViewKey(kIdDeleteKey), status::kNothingDone);
  app->playing = 0;
  EXPECT_EQ(app->undoList.GetCount(), 3u);
}

}  // namespace
}  // namespace tessiro::test
