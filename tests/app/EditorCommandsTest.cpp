// The Audio Editor's Edit menu, markers and tools: their refusals, what each
// does to the audio and the clipboard, and what undo and redo bring back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "EditorCommandFixture.h"

namespace tessiro::test {
namespace {

using namespace editor;
constexpr const char* kDuringPlayback = "Sorry, cannot perform this operation during playback.";

TEST_F(EditorCommandTest, EveryRefusalSaysWhyAndChangesNothing) {
  const std::string noHighlight = "Cannot perform operation.  No audio highlighted.";
  const std::string markersNotSet = "Cannot perform operation.  Both markers must be set.";
  const std::string markerAreaEmpty = "Cannot perform operation.  Size of marker area is 0.";
  const std::string oneSecond =
      "Cannot perform operation.  Audio segment cannot be less than one second.\n"
      "Please try using the \"Mute\" operation to remove audio.";
  using Setup = std::function<void()>;
  // Audio of 60,000 frames (mono unless said), nothing highlighted, no markers, a clipboard.
  const Setup empty = [this] { app->ClearEditor(); };
  const Setup plain = [] {};
  const Setup nullSnippet = [this] { app->SetEditorSnippet(nullptr, 2); };
  const Setup noClipboard = [this] { app->audioClipboard.reset(); };
  const Setup bigHighlight = [this] { Highlight(*app->GetEditorSegment(), 10000, 30000); };
  const Setup bigMarkers = [this] { Mark(*app->GetEditorSegment(), 10000, 30000); };
  const Setup emptyMarkers = [this] { Mark(*app->GetEditorSegment(), 500, 500); };
  const Setup onlyBegin = [this] {
    app->GetEditorSegment()->markerStart = 500;
    app->audioClipboard.reset();
  };
  const Setup playing = [this] {
    app->playing = 1;
    Highlight(*app->GetEditorSegment(), 100, 200);
  };
  struct Case {
    const char* name;
    Setup setup;
    std::function<int(CProApp&)> command;
    std::string text;  // the box, or none
  } cases[] = {
      {"copy, empty editor", empty, &CProApp::OnCopyHighlighted, kNoAudioToCopyText},
      {"copy, nothing shown", nullSnippet, &CProApp::OnCopyHighlighted, kNoAudioToCopyText},
      {"copy between markers, empty editor", empty, &CProApp::OnCopyBetweenMarkers, ""},
      {"cut, empty editor", empty, &CProApp::OnCutHighlighted, kNoAudioToCutText},
      {"cut between markers, empty editor", empty, &CProApp::OnCutBetweenMarkers, ""},
      {"delete, empty editor", empty, &CProApp::OnDeleteHighlighted, kNoAudioToDeleteText},
      {"delete, nothing shown", nullSnippet, &CProApp::OnDeleteHighlighted, kNoAudioToDeleteText},
      {"delete between markers, empty editor", empty, &CProApp::OnDeleteBetweenMarkers, ""},
      {"paste over, empty editor", empty, &CProApp::OnPasteOver, ""},
      {"paste mix, empty editor", empty, &CProApp::OnPasteMix, ""},
      {"paste insert at the marker, empty editor", empty, &CProApp::OnPasteInsertAtMarker, ""},
      {"paste mix at the marker, nothing shown", nullSnippet, &CProApp::OnPasteMixAtMarker, ""},
      {"convert, empty editor", empty, &CProApp::OnConvertChannels, ""},
      {"clear, empty editor", empty, &CProApp::OnClearCurrentAudio, ""},
      {"a marker, empty editor", empty, &CProApp::OnSetBeginMarker, ""},
      {"a tool, empty editor", empty, [](CProApp& a) { return a.OnEditorTool(kIdVolume); }, ""},
      {"an unknown tool", plain, [](CProApp& a) { return a.OnEditorTool(32000); }, ""},
      {"swap, empty editor", empty, [](CProApp& a) { return a.OnEditorTool(kIdSwapChannels); }, kNoAudioToEditText},
      {"swap, mono", plain, [](CProApp& a) { return a.OnEditorTool(kIdSwapChannels); }, kMonoAudioText},
      {"copy channel, mono", plain, [](CProApp& a) { return a.OnEditorTool(kIdCopyChannel); }, kMonoAudioText},
      {"copy, no highlight", plain, &CProApp::OnCopyHighlighted, noHighlight},
      {"cut, no highlight", plain, &CProApp::OnCutHighlighted, noHighlight},
      {"delete, no highlight", plain, &CProApp::OnDeleteHighlighted, noHighlight},
      {"copy between markers, none set", plain, &CProApp::OnCopyBetweenMarkers, markersNotSet},
      {"cut between markers, none set", plain, &CProApp::OnCutBetweenMarkers, markersNotSet},
      {"delete between markers, an empty area", emptyMarkers, &CProApp::OnDeleteBetweenMarkers, markerAreaEmpty},
      {"cut leaving less than a second", bigHighlight, &CProApp::OnCutHighlighted, oneSecond},
      {"delete leaving less than a second", bigHighlight, &CProApp::OnDeleteHighlighted, oneSecond},
      {"cut between markers leaving less than a second", bigMarkers, &CProApp::OnCutBetweenMarkers, oneSecond},
      {"delete between markers leaving less than a second", bigMarkers, &CProApp::OnDeleteBetweenMarkers,
       oneSecond},
      {"paste insert, empty clipboard", noClipboard, &CProApp::OnPasteInsert, kClipboardEmptyText},
      {"paste insert into an empty editor, empty clipboard",
       [this] {
         app->ClearEditor();
         app->audioClipboard.reset();
       },
       &CProApp::OnPasteInsert, kClipboardEmptyText},
      {"paste over, empty clipboard", noClipboard, &CProApp::OnPasteOver, kClipboardEmptyText},
      {"paste mix, empty clipboard", noClipboard, &CProApp::OnPasteMix, kClipboardEmptyText},
      {"paste insert at the marker, none set", plain, &CProApp::OnPasteInsertAtMarker, kBeginMarkerNotSetText},
      {"paste over at the marker, empty clipboard", onlyBegin, &CProApp::OnPasteOverAtMarker, kClipboardEmptyText},
      {"paste mix at the marker, empty clipboard", onlyBegin, &CProApp::OnPasteMixAtMarker, kClipboardEmptyText},
      {"undo, empty history", plain, &CProApp::OnUndo, kNothingToUndoText},
      {"redo, empty history", plain, &CProApp::OnRedo, kNothingToRedoText},
      {"undo during playback", playing, &CProApp::OnUndo, kDuringPlayback},
      {"redo during playback", playing, &CProApp::OnRedo, kDuringPlayback},
      {"delete during playback", playing, &CProApp::OnDeleteHighlighted, ""},
      {"a marker during playback", playing, &CProApp::OnSetEndMarker, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app->playing = 0;
    std::shared_ptr<CAudioSegment> audio = Show(Steps(0, 60000), 1);
    Clip(Steps(0, 1000), 1);
    c.setup();
    const std::shared_ptr<CAudioSegment> clipboard = app->audioClipboard;
    const std::shared_ptr<CAudioSegment> shown = app->GetEditorSegment();
    const uint32_t markerStart = audio->markerStart, markerEnd = audio->markerEnd;
    const std::vector<std::string> files = TempFiles();
    const int windows = seams.progress.Windows();
    if (!c.text.empty()) seams.ui.ExpectBox(c.text);
    EXPECT_EQ(c.command(*app), status::kNothingDone);
    EXPECT_EQ(app->undoList.GetCount(), 0u);
    EXPECT_EQ(app->audioClipboard, clipboard);
    EXPECT_EQ(app->GetEditorSegment(), shown);
    EXPECT_EQ(audio->markerStart, markerStart);
    EXPECT_EQ(audio->markerEnd, markerEnd);
    EXPECT_EQ(seams.progress.Windows(), windows);
    EXPECT_EQ(TempFiles(), files);
    EXPECT_EQ(app->modified, 0);
  }
  app->playing = 0;
}

TEST_F(EditorCommandTest, MarkerCommandsKeepTheBeginBeforeTheEnd) {
  struct Case {
    const char* name;
    uint32_t begin, end;  // before
    uint32_t cursor;      // the tracker's start; its end is cursor + 250
    int (CProApp::*command)();
    uint32_t wantBegin, wantEnd, wantSize;
  } cases[] = {
      {"set end, no begin", kUnset, kUnset, 500, &CProApp::OnSetEndMarker, 500, kUnset, kUnset},
      {"set end before the begin", 500, kUnset, 200, &CProApp::OnSetEndMarker, 200, 500, 300},
      {"set end after the begin", 500, kUnset, 800, &CProApp::OnSetEndMarker, 500, 800, 300},
      {"set end again, before both", 500, 800, 100, &CProApp::OnSetEndMarker, 100, 500, 400},
      {"set begin, no end", kUnset, kUnset, 300, &CProApp::OnSetBeginMarker, 300, kUnset, kUnset},
      {"set begin past the end", 100, 400, 600, &CProApp::OnSetBeginMarker, 400, 600, 200},
      {"set begin before the end", 100, 400, 200, &CProApp::OnSetBeginMarker, 200, 400, 200},
      {"the highlight as markers", kUnset, kUnset, 1000, &CProApp::OnHighlightToMarkers, 1000, 1250, 250},
      {"erase begin, both set", 100, 400, 0, &CProApp::OnEraseBeginMarker, 400, kUnset, 0},
      {"erase begin, begin only", 100, kUnset, 0, &CProApp::OnEraseBeginMarker, kUnset, kUnset, 0},
      {"erase end", 100, 400, 0, &CProApp::OnEraseEndMarker, 100, kUnset, 0},
      {"erase both", 100, 400, 0, &CProApp::OnEraseBothMarkers, kUnset, kUnset, 0},
  };
  std::shared_ptr<CAudioSegment> audio = Show(Steps(0, 2000), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    audio->markerStart = c.begin;
    audio->markerEnd = c.end;
    audio->markerSize = c.begin != kUnset && c.end != kUnset ? c.end - c.begin : kUnset;
    Highlight(*audio, c.cursor, c.cursor + 250);
    seams.view.calls.clear();
    EXPECT_EQ((app.get()->*c.command)(), status::kDone);
    EXPECT_EQ(audio->markerStart, c.wantBegin);
    EXPECT_EQ(audio->markerEnd, c.wantEnd);
    EXPECT_EQ(audio->markerSize, c.wantSize);
    EXPECT_EQ(seams.view.calls, std::vector<std::string>{"RefreshCurrentView"});
  }
  EXPECT_EQ(app->undoList.GetCount(), 0u);
}

TEST_F(EditorCommandTest, EachEditChangesTheAudioAsAskedAndUndoAndRedoShowEitherSide) {
  // 100,000 frames of the staircase; the clipboard holds its frames 1000..1999 unless said.
  struct Case {
    const char* name;
    uint32_t trackerStart, trackerEnd, markerStart, markerEnd;
    std::function<int(CProApp&)> command;
    std::vector<int16_t> want;
    uint32_t wantTrackerStart, wantTrackerSize, wantMarkerStart, wantMarkerEnd;
    std::vector<int16_t> wantClipboard;  // empty: the clipboard as it was
  } cases[] = {
      {"cut the highlight", 1000, 2000, 100, 3000, &CProApp::OnCutHighlighted, Join({Steps(0, 1000), Steps(2000, 100000)}),
       1000, 0, 100, 2000, Steps(1000, 2000)},
      {"delete the highlight", 5000, 6000, kUnset, kUnset, &CProApp::OnDeleteHighlighted,
       Join({Steps(0, 5000), Steps(6000, 100000)}), 5000, 0, kUnset, kUnset, {}},
      {"cut between the markers", 0, 0, 40000, 42000, &CProApp::OnCutBetweenMarkers,
       Join({Steps(0, 40000), Steps(42000, 100000)}), 0, 0, kUnset, kUnset, Steps(40000, 42000)},
      {"delete between the markers at the end", 0, 0, 99000, 100000, &CProApp::OnDeleteBetweenMarkers,
       Steps(0, 99000), 0, 0, kUnset, kUnset, {}},
      {"paste insert at the highlight", 500, 500, 100, 3000, &CProApp::OnPasteInsert,
       Join({Steps(0, 500), Steps(1000, 2000), Steps(500, 100000)}), 500, 0, 100, 4000, {}},
      {"paste insert at the begin marker", 0, 0, 700, 900, &CProApp::OnPasteInsertAtMarker,
       Join({Steps(0, 700), Steps(1000, 2000), Steps(700, 100000)}), 0, 0, 700, 900, {}},
      {"paste over at the highlight", 99500, 99500, kUnset, kUnset, &CProApp::OnPasteOver,
       Join({Steps(0, 99500), Steps(1000, 2000)}), 99500, 0, kUnset, kUnset, {}},
      {"paste over at the begin marker", 0, 0, 0, 10, &CProApp::OnPasteOverAtMarker,
       Join({Steps(1000, 2000), Steps(1000, 100000)}), 0, 0, 0, 10, {}},
      {"copy the highlight", 30000, 30010, kUnset, kUnset, &CProApp::OnCopyHighlighted, {}, 30000, 10, kUnset,
       kUnset, Steps(30000, 30010)},
      {"copy between the markers", 0, 0, 29990, 30010, &CProApp::OnCopyBetweenMarkers, {}, 0, 0, 29990, 30010,
       Steps(29990, 30010)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app->undoList.Clear();
    std::shared_ptr<CAudioSegment> old = Show(Steps(0, 100000), 1);
    Clip(Steps(1000, 2000), 1);
    const std::shared_ptr<CAudioSegment> clipboard = app->audioClipboard;
    Highlight(*old, c.trackerStart, c.trackerEnd);
    if (c.markerStart != kUnset) Mark(*old, c.markerStart, c.markerEnd);
    ASSERT_EQ(c.command(*app), status::kDone);

    std::shared_ptr<CAudioSegment> now = app->GetEditorSegment();
    ASSERT_TRUE(now);
    const bool copies = c.want.empty();
    EXPECT_EQ(Shown(), copies ? Steps(0, 100000) : c.want);
    EXPECT_EQ(now->trackerStart, c.wantTrackerStart);
    EXPECT_EQ(now->trackerSize, c.wantTrackerSize);
    EXPECT_EQ(now->markerStart, c.wantMarkerStart);
    EXPECT_EQ(now->markerEnd, c.wantMarkerEnd);
    ASSERT_TRUE(app->audioClipboard);
    EXPECT_EQ(ReadSamples(*app->audioClipboard), c.wantClipboard.empty() ? Steps(1000, 2000) : c.wantClipboard);
    if (c.wantClipboard.empty()) {
      EXPECT_EQ(app->audioClipboard, clipboard);
    }
    if (copies) {
      // A copy is no step of the history.
      EXPECT_EQ(now, old);
      EXPECT_EQ(app->undoList.GetCount(), 0u);
      continue;
    }
    EXPECT_NE(now, old);
    EXPECT_EQ(app->undoList.GetCount(), 1u);
    EXPECT_EQ(app->modified, 1);

    seams.view.calls.clear();
    ASSERT_EQ(app->OnUndo(), status::kDone);
    EXPECT_EQ(app->editorSource, EditorSourceIndependent);
    EXPECT_EQ(app->GetEditorSegment(), old);
    EXPECT_EQ(Shown(), Steps(0, 100000));
    EXPECT_EQ(old->trackerStart, c.trackerStart);
    EXPECT_EQ(old->markerStart, c.markerStart);
    EXPECT_EQ(seams.view.calls.end()[-2], "RefreshAllViews");
    EXPECT_EQ(seams.view.calls.back(), "RebuildEffectsTabs");
    ASSERT_EQ(app->OnRedo(), status::kDone);
    EXPECT_EQ(app->GetEditorSegment(), now);
    EXPECT_EQ(Shown(), c.want);
    EXPECT_EQ(now->markerEnd, c.wantMarkerEnd);
  }
}

TEST_F(EditorCommandTest, MixAndConversionAskWhatTheyNeedAndKeepTheFormat) {
  // Paste Mix adds the clipboard at the highlight, clipped at full scale.
  std::shared_ptr<CAudioSegment> old = Show(Join({std::vector<int16_t>(50000, 30000), std::vector<int16_t>(50000, -100)}), 1);
  Clip(std::vector<int16_t>(2000, 10000), 1);
  Highlight(*old, 49000, 49000);
  seams.ui.ExpectRequest<MixPasteDialogRequest>(Scope(EditRangeWhole));
  ASSERT_EQ(app->OnPasteMix(), status::kDone);
  std::vector<int16_t> want = Join({std::vector<int16_t>(49000, 30000), std::vector<int16_t>(1000, 32767),
                                    std::vector<int16_t>(1000, 9900), std::vector<int16_t>(49000, -100)});
  EXPECT_EQ(Shown(), want);
  EXPECT_EQ(app->GetEditorSegment()->trackerStart, 49000u);

  // Mono to stereo halves into both channels; stereo to mono sums them back.
  ASSERT_EQ(app->OnConvertChannels(), status::kDone);
  std::vector<int16_t> stereo;
  for (int16_t s : want) stereo.insert(stereo.end(), 2, static_cast<int16_t>(s / 2));
  EXPECT_EQ(app->GetEditorSegment()->GetChannels(), 2);
  EXPECT_EQ(Shown(), stereo);
  ASSERT_EQ(app->OnConvertChannels(), status::kDone);
  std::vector<int16_t> mono;
  for (int16_t s : want) mono.push_back(static_cast<int16_t>(s / 2 * 2));
  EXPECT_EQ(app->GetEditorSegment()->GetChannels(), 1);
  EXPECT_EQ(Shown(), mono);
  EXPECT_EQ(app->undoList.GetCount(), 3u);
}

TEST_F(EditorCommandTest, PasteIntoAnEmptyEditorMakesIndependentAudioOfAtLeastOneSecond) {
  struct Case {
    const char* name;
    uint32_t frames;
    uint16_t channels;
    uint32_t wantFrames;
  } cases[] = {{"a short stereo clipboard", 1000, 2, 44100},
               {"a short mono clipboard", 44099, 1, 44100},
               {"exactly a second", 44100, 1, 44100},
               {"longer", 50000, 2, 50000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app->undoList.Clear();
    app->ClearEditor();
    std::vector<int16_t> clip = Staircase(c.frames, c.channels);
    Clip(clip, c.channels);
    const std::shared_ptr<CAudioSegment> clipboard = app->audioClipboard;
    ASSERT_EQ(app->OnPasteInsert(), status::kDone);
    EXPECT_EQ(seams.progress.Messages().back(), kPastingCaption);
    EXPECT_EQ(app->editorSource, EditorSourceIndependent);
    std::shared_ptr<CAudioSegment> pasted = app->GetEditorSegment();
    ASSERT_TRUE(pasted);
    EXPECT_NE(pasted, clipboard);
    EXPECT_EQ(app->audioClipboard, clipboard);
    EXPECT_EQ(pasted->length, c.wantFrames);
    EXPECT_EQ(pasted->GetChannels(), c.channels);
    clip.resize(static_cast<size_t>(c.wantFrames) * c.channels, 0);
    EXPECT_EQ(Shown(), clip);
    EXPECT_EQ(pasted->viewStart, 0u);
    EXPECT_EQ(pasted->viewEnd, c.wantFrames);
    EXPECT_EQ(pasted->tempo, app->project.tempo);
    EXPECT_GT(pasted->GetPeakCount(), 0u);
    COperation* record = app->undoList.GetCurrent();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->type, OperationEditorContent);
    EXPECT_EQ(app->modified, 1);

    ASSERT_EQ(app->OnUndo(), status::kDone);
    EXPECT_EQ(app->editorSource, EditorSourceNothing);
    EXPECT_EQ(app->GetEditorSegment(), nullptr);
    ASSERT_EQ(app->OnRedo(), status::kDone);
    EXPECT_EQ(app->GetEditorSegment(), pasted);
  }
}

TEST_F(EditorCommandTest, ACancelledPasteIntoAnEmptyEditorLeavesItEmpty) {
  app->ClearEditor();
  Clip(Staircase(600000, 2), 2);
  const std::vector<std::string> files = TempFiles();
  seams.progress.CancelAtPump(2, &app->progressWindow);
  EXPECT_EQ(app->OnPasteInsert(), status::kCancelled);
  EXPECT_EQ(app->editorSource, EditorSourceNothing);
  EXPECT_EQ(app->undoList.GetCount(), 0u);
  EXPECT_EQ(TempFiles(), files);
  EXPECT_FALSE(app->IsOperationRunning());
}

TEST_F(EditorCommandTest, ClearCurrentAudioIsAStepThatUndoTakesBackAndRedoDoesAgain) {
  std::shared_ptr<CAudioSegment> independent = MakeSegment(Staircase(1000, 2), 2);
  std::shared_ptr<CAudioSegment> snippetAudio = MakeSegment(Staircase(1000, 2), 2);
  std::shared_ptr<CAudioSnippet> snippet = TrackSnippet(snippetAudio, 7);
  std::shared_ptr<CAudioSegment> loopAudio = MakeSegment(Staircase(1000, 2), 2);
  std::shared_ptr<CAudioLoop> loop = BankLoop(loopAudio);
  struct Case {
    const char* name;
    std::function<void()> show;
    int32_t source;
    std::shared_ptr<CAudioSegment> segment;
  } cases[] = {
      {"independent audio", [&] { app->SetEditorIndependentAudio(independent); }, EditorSourceIndependent, independent},
      {"a snippet's audio", [&] { app->SetEditorSnippet(snippet, 7); }, EditorSourceSnippet, snippetAudio},
      {"a loop's audio", [&] { app->OpenLoopInEditor(loop); }, EditorSourceLoop, loopAudio},
  };
  const std::vector<std::string> files = TempFiles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.show();
    seams.view.calls.clear();
    ASSERT_EQ(app->OnClearCurrentAudio(), status::kDone);
    EXPECT_EQ(app->editorSource, EditorSourceNothing);
    EXPECT_EQ(app->GetEditorSegment(), nullptr);
    EXPECT_EQ(seams.view.calls.back(), "RefreshCurrentView");
    EXPECT_EQ(app->undoList.GetCurrent()->type, OperationEditorContent);
    EXPECT_EQ(TempFiles(), files);  // nothing deleted

    ASSERT_EQ(app->OnUndo(), status::kDone);
    EXPECT_EQ(app->editorSource, c.source);
    EXPECT_EQ(app->GetEditorSegment(), c.segment);
    if (c.source == EditorSourceSnippet) {
      EXPECT_EQ(app->editorTrackIndex, 7);
    }
    EXPECT_NE(std::find(seams.view.calls.begin(), seams.view.calls.end(), "UpdateEditorTimes"), seams.view.calls.end());
    ASSERT_EQ(app->OnRedo(), status::kDone);
    EXPECT_EQ(app->editorSource, EditorSourceNothing);
    EXPECT_EQ(app->GetEditorSegment(), nullptr);
  }
}

TEST_F(EditorCommandTest, ToolsLetTheDialogChooseAndRunOnWhatTheEditorHolds) {
  struct Case {
    const char* name;
    uint16_t channels;
    uint32_t id;
    std::function<void()> answer;
    std::vector<int16_t> want;  // from Constant(1000, channels, 1000, -1000)
  } cases[] = {
      {"volume of the highlight", 2, kIdVolume,
       [this] {
         OperationDialogValues v = Scope(EditRangeHighlighted);
         v.level1Left = v.level1Right = 0.5f;
         seams.ui.ExpectRequest<VolumeDialogRequest>(v);
       },
       Join({Constant(100, 2, 1000, -1000), Constant(100, 2, 500, -500), Constant(800, 2, 1000, -1000)})},
      {"mute of the left, whole", 2, kIdMute,
       [this] {
         OperationDialogValues v = Scope(EditRangeWhole);
         v.channelMode = ChannelModeLeft;
         seams.ui.ExpectRequest<MuteDialogRequest>(v);
       },
       Constant(1000, 2, 0, -1000)},
      {"swap", 2, kIdSwapChannels, [this] { seams.ui.ExpectRequest<SwapDialogRequest>(Scope(EditRangeWhole)); },
       Constant(1000, 2, -1000, 1000)},
      {"mono reverse", 1, kIdReverse,
       [this] { seams.ui.ExpectRequest<ReverseDialogRequest>(Scope(EditRangeWhole)); },
       Constant(1000, 1, 1000, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app->undoList.Clear();
    std::shared_ptr<CAudioSegment> old = Show(Constant(1000, c.channels, 1000, -1000), c.channels);
    Highlight(*old, 100, 200);
    c.answer();
    ASSERT_EQ(app->OnEditorTool(c.id), status::kDone);
    EXPECT_EQ(Shown(), c.want);
    EXPECT_EQ(app->undoList.GetCurrent()->type, OperationEditIndependentAudio);
  }
}

}  // namespace
}  // namespace tessiro::test
