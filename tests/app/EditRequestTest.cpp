// The parameter request, captions and preconditions of the edit operations.
#include <gtest/gtest.h>

#include "EditFixture.h"
#include "requests/EditRequests.h"

namespace tessiro::test {
namespace {

constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;

class EditRequestTest : public EditTest {
 protected:
  // Independent audio in the editor, with an optional highlight and end marker.
  std::shared_ptr<CAudioSegment> Show(uint32_t frames, uint16_t channels, uint32_t highlight, uint32_t markerEnd) {
    std::shared_ptr<CAudioSegment> segment = MakeSegment(Staircase(frames, channels), channels);
    segment->trackerStart = 0;
    segment->trackerEnd = segment->trackerSize = highlight;
    segment->markerStart = markerEnd == kUnset ? kUnset : 0;
    segment->markerEnd = markerEnd;
    segment->markerSize = markerEnd == kUnset ? kUnset : markerEnd;
    app->SetEditorIndependentAudio(segment);
    return segment;
  }
  int Ask(int32_t operation, int32_t range) {
    params = OperationParameters{};
    params.request.operation = operation;
    params.request.range = params.request.params.range = range;
    return app->GetOperationParameters(params.request, params, 2);
  }
  OperationParameters params;
};

TEST_F(EditRequestTest, TheScopeOffersWhatTheAudioHasAndPrefersTheHighlight) {
  struct Case {
    uint32_t highlight, markerEnd;
    int32_t highlightAvailable, markersAvailable, scope;
  } cases[] = {{100, 500, 1, 1, kScopeHighlighted},
               {0, 500, 0, 1, kScopeBetweenMarkers},
               {100, kUnset, 1, 0, kScopeHighlighted},
               {0, kUnset, 0, 0, kScopeWhole}};
  for (const Case& c : cases) {
    Show(1000, 2, c.highlight, c.markerEnd);
    seams.ui.ExpectRequest<VolumeDialogRequest>([&c](const VolumeDialogRequest& r) {
      EXPECT_EQ(r.setup.channels, 2);
      EXPECT_EQ(r.setup.highlightAvailable, c.highlightAvailable);
      EXPECT_EQ(r.setup.markersAvailable, c.markersAvailable);
      EXPECT_EQ(r.setup.scope, c.scope);
      OperationDialogValues v;
      v.range = 2;
      v.level1Left = 0.25f;
      v.level1Right = 0.75f;
      return std::optional<OperationDialogValues>(v);
    });
    ASSERT_EQ(Ask(EditOpVolume, EditRangeFromDialog), 1);
    EXPECT_EQ(params.request.params.range, EditRangeMarkers);
    EXPECT_EQ(params.request.params.level1Left, 0.25f);
    EXPECT_EQ(params.request.params.level1Right, 0.75f);
  }
}

TEST_F(EditRequestTest, ARangeTheCallerChoseStaysAndPasteMixIsPlacedByItsCommand) {
  Show(1000, 2, 100, 500);
  OperationDialogValues whole;
  whole.range = EditRangeWhole;
  seams.ui.ExpectRequest<SwapDialogRequest>(whole);
  ASSERT_EQ(Ask(EditOpSwapChannels, EditRangeMarkers), 1);
  EXPECT_EQ(params.request.params.range, EditRangeMarkers);

  OperationDialogValues mix;
  mix.range = EditRangeWhole;
  mix.level2Left = 0.5f;
  seams.ui.ExpectRequest<MixPasteDialogRequest>(mix);
  ASSERT_EQ(Ask(EditOpPasteMix, EditRangeHighlighted), 1);
  EXPECT_EQ(params.request.range, EditRangeHighlighted);
  EXPECT_EQ(params.request.params.range, EditRangeHighlighted);
  EXPECT_EQ(params.request.params.level2Left, 0.5f);
}

TEST_F(EditRequestTest, CancelNoAudioOrNoChannelMeansNothingToDo) {
  seams.ui.ExpectBox("No audio currently exists to apply editing to.");
  EXPECT_EQ(Ask(EditOpFade, EditRangeFromDialog), 0);

  Show(1000, 2, 0, kUnset);
  seams.ui.ExpectRequest<FadeDialogRequest>(std::nullopt);
  EXPECT_EQ(Ask(EditOpFade, EditRangeFromDialog), 0);
  OperationDialogValues none;
  none.channelMode = ChannelModeNone;
  seams.ui.ExpectRequest<MuteDialogRequest>(none);
  EXPECT_EQ(Ask(EditOpMute, EditRangeFromDialog), 0);
  seams.ui.ExpectRequest<ReverseDialogRequest>(none);
  EXPECT_EQ(Ask(EditOpReverse, EditRangeFromDialog), 0);
  // Other dialogs take no channel choice.
  seams.ui.ExpectRequest<CopyChannelDialogRequest>(none);
  EXPECT_EQ(Ask(EditOpCopyChannel, EditRangeFromDialog), 1);
}

TEST_F(EditRequestTest, OperationsWithoutADialogGoOnAndAWholeCopyTakesTheWholeRange) {
  for (int32_t operation : {int{EditOpCut}, int{EditOpPasteInsert}, int{EditOpPasteOver}, int{EditOpDelete},
                            int{EditOpConvertChannels}}) {
    EXPECT_EQ(Ask(operation, EditRangeHighlighted), 1) << operation;
    EXPECT_EQ(params.request.params.range, EditRangeHighlighted);
  }
  EXPECT_EQ(Ask(EditOpCopyWhole, EditRangeHighlighted), 1);
  EXPECT_EQ(params.request.range, EditRangeWhole);
  EXPECT_EQ(params.request.params.range, EditRangeWhole);
}

TEST_F(EditRequestTest, EachEffectOpensItsHolderPanelAndTheRecordIsKeptUntilFreed) {
  Show(1000, 1, 0, kUnset);
  struct Case {
    int32_t operation, panel;
    FXHolderRequest::Result answer;
  } cases[] = {
      {EditOpEcho, HolderEcho, {{}, EchoParams{1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 100, 100}}},
      {EditOpFlange, HolderFlange, {{}, ChorusFlangeParams{}}},
      {EditOpReverb, HolderReverb, {{}, ReverbParams{}}},
      {EditOpEqualizer, HolderEqualizer, {{}, EqualizerParams{1, {}, {}}}},
      {EditOpChorus, HolderChorus, {{}, ChorusFlangeParams{}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("operation " + std::to_string(c.operation));
    seams.ui.ExpectRequest<FXHolderRequest>([&c](const FXHolderRequest& r) {
      EXPECT_EQ(r.panel, c.panel);
      EXPECT_EQ(r.setup.channels, 2);
      return std::optional<FXHolderRequest::Result>(c.answer);
    });
    ASSERT_EQ(Ask(c.operation, EditRangeFromDialog), 1);
    FXOperationParams& v = params.request.params;
    EXPECT_EQ(v.echo != nullptr, c.operation == EditOpEcho);
    EXPECT_EQ(v.reverb != nullptr, c.operation == EditOpReverb);
    EXPECT_EQ(v.equalizer != nullptr, c.operation == EditOpEqualizer);
    EXPECT_EQ(v.chorusFlange != nullptr, c.operation == EditOpFlange || c.operation == EditOpChorus);
    app->FreeEffectRecord(v);
    EXPECT_FALSE(v.echo || v.reverb || v.equalizer || v.chorusFlange);
  }
}

TEST_F(EditRequestTest, AMixdownWritesItsTargetTrackAndSources) {
  std::array<int32_t, 24> sources{};
  sources[3] = 1;
  params.request.mixdownSources = &sources;
  params.request.operation = EditOpMixdown;
  seams.ui.ExpectRequest<MixdownDialogRequest>([](const MixdownDialogRequest& r) {
    EXPECT_EQ(r.sourceTracks[3], 1);
    MixdownDialogRequest::Result answer;
    answer.sourceTracks[3] = answer.sourceTracks[7] = 1;
    answer.targetTrack = 9;
    return std::optional<MixdownDialogRequest::Result>(answer);
  });
  ASSERT_EQ(app->GetOperationParameters(params.request, params, 2), 1);
  EXPECT_EQ(params.request.targetTrack, 9);
  EXPECT_EQ(sources[7], 1);
  seams.ui.ExpectRequest<MixdownDialogRequest>(std::nullopt);
  EXPECT_EQ(app->GetOperationParameters(params.request, params, 2), 0);
}

TEST_F(EditRequestTest, EveryOperationHasItsCaption) {
  struct Case {
    int32_t operation;
    const char* caption;
  } cases[] = {{1, "Performing Mute Operation..."},
               {2, "Performing Mix Paste Operation..."},
               {3, "Performing Paste Operation..."},
               {4, "Performing Cut Operation..."},
               {5, "Performing Paste Insert Operation..."},
               {6, "Performing Paste Over Operation..."},
               {7, "Performing Mix Paste Operation..."},
               {8, "Copying Audio..."},
               {9, "Performing Delete Operation..."},
               {10, "Performing Volume Adjust Operation..."},
               {11, "Performing Fade In/Out Operation..."},
               {12, "Performing Reverse Operation..."},
               {13, "Performing Channel Swap Operation..."},
               {14, "Performing Channel Copy Operation..."},
               {15, "Performing Echo Effect Operation..."},
               {16, "Performing Flange Effect Operation..."},
               {17, "Performing Reverb Effect Operation..."},
               {18, "Performing Equalizer Operation..."},
               {19, "Performing Stretch/Compress Operation..."},
               {20, "Performing Pitch Shift Operation..."},
               {21, "Performing Mixdown Operation..."},
               {22, "Performing Chorus Effect Operation..."},
               {23, "Performing Channel Conversion Operation..."}};
  for (const Case& c : cases) {
    app->SetOperationCaption(c.operation);
    EXPECT_EQ(app->progressWindow.GetMessage(), c.caption) << c.operation;
  }
}

TEST_F(EditRequestTest, PreconditionsExplainWhyNot) {
  std::shared_ptr<CAudioSegment> segment = Show(60000, 1, 0, kUnset);
  seams.ui.ExpectBox("Cannot perform operation.  No audio highlighted.");
  EXPECT_EQ(app->CheckHighlighted(), 0);
  seams.ui.ExpectBox("Cannot perform operation.  Both markers must be set.");
  EXPECT_EQ(app->CheckMarkersSet(), 0);
  segment->markerStart = segment->markerEnd = 500;
  segment->markerSize = 0;
  seams.ui.ExpectBox("Cannot perform operation.  Size of marker area is 0.");
  EXPECT_EQ(app->CheckMarkersSet(), 0);
  segment->markerEnd = 20500;
  segment->markerSize = 20000;
  EXPECT_EQ(app->CheckMarkersSet(), 1);

  // What is left must exceed 44,099 frames.
  const std::string oneSecond =
      "Cannot perform operation.  Audio segment cannot be less than one second.\n"
      "Please try using the \"Mute\" operation to remove audio.";
  struct Case {
    uint32_t size;
    int allowed;
  } cases[] = {{20000, 0}, {15900, 1}, {15901, 0}, {60000, 0}, {60001, 0}};
  for (const Case& c : cases) {
    segment->trackerSize = c.size;
    segment->markerSize = c.size;
    for (int32_t range : {int{EditRangeHighlighted}, int{EditRangeMarkers}}) {
      if (!c.allowed) seams.ui.ExpectBox(oneSecond);
      EXPECT_EQ(app->CheckRangeLeavesOneSecond(range), c.allowed) << c.size;
    }
  }
  EXPECT_EQ(app->CheckRangeLeavesOneSecond(EditRangeWhole), 0);
  segment->trackerSize = 1;
  EXPECT_EQ(app->CheckHighlighted(), 1);
}

}  // namespace
}  // namespace tessiro::test
