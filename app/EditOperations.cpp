// Edit operations of the Audio Editor: the parameter request, the captions,
// the preconditions, Copy into the audio clipboard, and the progress function.
#include <algorithm>
#include <memory>
#include <variant>

#include "EditRunning.h"
#include "Generic.h"
#include "edit/EditWorkers.h"
#include "pro.h"
#include "requests/EditRequests.h"

namespace {

constexpr const char* kSource = "pro";
constexpr int kLineCopyNoSource = __LINE__;
constexpr uint32_t kOneSecondLess1 = 44099;

constexpr const char* kNoAudioToEditText = "No audio currently exists to apply editing to.";
constexpr const char* kNoHighlightText = "Cannot perform operation.  No audio highlighted.";
constexpr const char* kMarkersNotSetText = "Cannot perform operation.  Both markers must be set.";
constexpr const char* kMarkerAreaEmptyText = "Cannot perform operation.  Size of marker area is 0.";
constexpr const char* kOneSecondText =
    "Cannot perform operation.  Audio segment cannot be less than one second.\n"
    "Please try using the \"Mute\" operation to remove audio.";
constexpr const char* kCopyingCaption = "Copying Audio...";

struct Caption {
  int32_t operation;
  const char* text;
};
constexpr Caption kCaptions[] = {
    {EditOpMute, "Performing Mute Operation..."},
    {2, "Performing Mix Paste Operation..."},
    {EditOpCopyWhole, "Performing Paste Operation..."},
    {EditOpCut, "Performing Cut Operation..."},
    {EditOpPasteInsert, "Performing Paste Insert Operation..."},
    {EditOpPasteOver, "Performing Paste Over Operation..."},
    {EditOpPasteMix, "Performing Mix Paste Operation..."},
    {EditOpCopy, kCopyingCaption},
    {EditOpDelete, "Performing Delete Operation..."},
    {EditOpVolume, "Performing Volume Adjust Operation..."},
    {EditOpFade, "Performing Fade In/Out Operation..."},
    {EditOpReverse, "Performing Reverse Operation..."},
    {EditOpSwapChannels, "Performing Channel Swap Operation..."},
    {EditOpCopyChannel, "Performing Channel Copy Operation..."},
    {EditOpEcho, "Performing Echo Effect Operation..."},
    {EditOpFlange, "Performing Flange Effect Operation..."},
    {EditOpReverb, "Performing Reverb Effect Operation..."},
    {EditOpEqualizer, "Performing Equalizer Operation..."},
    {EditOpStretch, "Performing Stretch/Compress Operation..."},
    {EditOpPitchShift, "Performing Pitch Shift Operation..."},
    {EditOpMixdown, "Performing Mixdown Operation..."},
    {EditOpChorus, "Performing Chorus Effect Operation..."},
    {EditOpConvertChannels, "Performing Channel Conversion Operation..."},
};

// The effect holder's panel of each effect operation.
struct Panel {
  int32_t operation;
  int32_t panel;
};
constexpr Panel kPanels[] = {{EditOpEcho, HolderEcho},
                             {EditOpFlange, HolderFlange},
                             {EditOpReverb, HolderReverb},
                             {EditOpEqualizer, HolderEqualizer},
                             {EditOpChorus, HolderChorus}};

void TakeValues(const OperationDialogValues& v, FXOperationParams& p) {
  // A range the caller chose stays; only range 0 takes the dialog's scope.
  if (p.range == EditRangeFromDialog) p.range = v.range;
  p.channelMode = v.channelMode;
  p.level1Left = v.level1Left;
  p.level1Right = v.level1Right;
  p.level2Left = v.level2Left;
  p.level2Right = v.level2Right;
  p.copyLeftToRight = v.copyLeftToRight;
  p.copyRightToLeft = v.copyRightToLeft;
  p.initialValue = v.initialValue;
  p.finalValue = v.finalValue;
  p.curve = v.curve;
}

// The holder's record, made as the holder's record builder makes it.
void TakeRecord(const FXHolderRequest::Result& answer, FXOperationParams& p) {
  std::visit(
      [&p](const auto& record) {
        using T = std::decay_t<decltype(record)>;
        if constexpr (std::is_same_v<T, EchoParams>) p.echo = std::make_unique<EchoParams>(record);
        if constexpr (std::is_same_v<T, ReverbParams>) p.reverb = std::make_unique<ReverbParams>(record);
        if constexpr (std::is_same_v<T, EqualizerParams>) p.equalizer = std::make_unique<EqualizerParams>(record);
        if constexpr (std::is_same_v<T, ChorusFlangeParams>) {
          p.chorusFlange = std::make_unique<ChorusFlangeParams>(record);
        }
      },
      answer.effect);
}

template <class R>
bool AskDialog(ui::IUserInterface& ui, const OperationDialogSetup& setup, FXOperationParams& p) {
  R request;
  request.setup = setup;
  std::optional<typename R::Result> answer = ui.Request(request);
  if (!answer) return false;
  TakeValues(*answer, p);
  return true;
}

using DialogAsk = bool (*)(ui::IUserInterface&, const OperationDialogSetup&, FXOperationParams&);
struct Dialog {
  int32_t operation;
  DialogAsk ask;
};
constexpr Dialog kDialogs[] = {{EditOpMute, AskDialog<MuteDialogRequest>},
                               {EditOpPasteMix, AskDialog<MixPasteDialogRequest>},
                               {EditOpVolume, AskDialog<VolumeDialogRequest>},
                               {EditOpFade, AskDialog<FadeDialogRequest>},
                               {EditOpReverse, AskDialog<ReverseDialogRequest>},
                               {EditOpSwapChannels, AskDialog<SwapDialogRequest>},
                               {EditOpCopyChannel, AskDialog<CopyChannelDialogRequest>},
                               {EditOpStretch, AskDialog<StretchCompressDialogRequest>},
                               {EditOpPitchShift, AskDialog<PitchShiftDialogRequest>}};

bool AskHolder(ui::IUserInterface& ui, int32_t panel, const OperationDialogSetup& setup, FXOperationParams& p) {
  FXHolderRequest holder;
  holder.panel = panel;
  holder.setup = setup;
  std::optional<FXHolderRequest::Result> answer = ui.Request(holder);
  if (!answer) return false;
  TakeValues(answer->values, p);
  TakeRecord(*answer, p);
  return true;
}

}  // namespace

int OperationProgressCallback(int frames) {
  CProApp* app = CProApp::Instance();
  if (!app) return 0;
  COperationDialog& window = app->progressWindow;
  window.AddDone(static_cast<uint32_t>(std::max(frames, 0)));
  return window.IsCancelled() || window.ProgressAnswer() == 0 ? 0 : 1;
}

void CProApp::SetOperationCaption(int32_t operation) {
  for (const Caption& c : kCaptions) {
    if (c.operation == operation) progressWindow.SetMessage(c.text, 1);
  }
}

void CProApp::FreeEffectRecord(FXOperationParams& p) {
  if (p.echo) {
    p.echo.reset();
  } else if (p.reverb) {
    p.reverb.reset();
  } else if (p.chorusFlange) {
    p.chorusFlange.reset();
  } else {
    p.equalizer.reset();
  }
}

int CProApp::GetOperationParameters(OperationRequest& request, OperationParameters& params, int16_t channels) {
  (void)params;
  FXOperationParams& values = request.params;
  const int32_t operation = request.operation;
  if (operation == EditOpCopyWhole) {
    request.range = values.range = EditRangeWhole;
    return 1;
  }
  if (operation == EditOpMixdown) {
    MixdownDialogRequest mixdown;
    if (request.mixdownSources) mixdown.sourceTracks = *request.mixdownSources;
    std::optional<MixdownDialogRequest::Result> answer = services.ui.Request(mixdown);
    if (!answer) return 0;
    if (request.mixdownSources) *request.mixdownSources = answer->sourceTracks;
    request.targetTrack = answer->targetTrack;
    return 1;
  }
  const auto panel = std::find_if(std::begin(kPanels), std::end(kPanels),
                                  [operation](const Panel& p) { return p.operation == operation; });
  const auto dialog = std::find_if(std::begin(kDialogs), std::end(kDialogs),
                                   [operation](const Dialog& d) { return d.operation == operation; });
  if (panel == std::end(kPanels) && dialog == std::end(kDialogs)) return 1;

  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment) {
    services.ui.Inform(kNoAudioToEditText);
    return 0;
  }
  OperationDialogSetup setup;
  setup.channels = channels;
  setup.highlightAvailable = segment->trackerSize != 0;
  setup.markersAvailable = segment->markerEnd != CAudioSegment::kMarkerUnset;
  setup.scope = setup.highlightAvailable ? kScopeHighlighted
                : setup.markersAvailable ? kScopeBetweenMarkers
                                         : kScopeWhole;

  const int32_t callersRange = request.range;
  const bool answered = dialog != std::end(kDialogs) ? dialog->ask(services.ui, setup, values)
                                                     : AskHolder(services.ui, panel->panel, setup, values);
  if (!answered) return 0;
  if ((operation == EditOpMute || operation == EditOpReverse) && values.channelMode == ChannelModeNone) {
    return 0;
  }
  // The command places a mix, not the dialog.
  if (operation == EditOpPasteMix) request.range = values.range = callersRange;
  return 1;
}

int CProApp::CheckHighlighted() {
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (segment && segment->trackerSize != 0) return 1;
  services.ui.Inform(kNoHighlightText);
  return 0;
}

int CProApp::CheckMarkersSet() {
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment || segment->markerStart == CAudioSegment::kMarkerUnset ||
      segment->markerEnd == CAudioSegment::kMarkerUnset) {
    services.ui.Inform(kMarkersNotSetText);
    return 0;
  }
  if (segment->markerSize == 0) {
    services.ui.Inform(kMarkerAreaEmptyText);
    return 0;
  }
  return 1;
}

int CProApp::CheckRangeLeavesOneSecond(int32_t range) {
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (!segment || (range != EditRangeHighlighted && range != EditRangeMarkers)) return 0;
  const uint32_t size = range == EditRangeHighlighted ? segment->trackerSize : segment->markerSize;
  if (segment->length >= size && segment->length - size > kOneSecondLess1) return 1;
  services.ui.Inform(kOneSecondText);
  return 0;
}

int CProApp::CopyToAudioClipboard(CAudioSegment* source, int32_t range) {
  if (IsOperationRunning()) return status::kNothingDone;
  if (!source) {
    ReportError(kSource, kLineCopyNoSource, "");
    return status::kFaultReported;
  }
  COperationRunning running(*this);
  OperationParameters params;
  FillOperationRecord(params, EditOpCopy, range);
  progressWindow.Begin();
  progressWindow.SetMessage(kCopyingCaption, 1);
  progressWindow.SetTotal(ResolveRange(*source, range).count);
  audioClipboard.reset();
  const OperationResult copied = EditCopyRange(source, &audioClipboard, &params);
  progressWindow.End();
  if (copied == OperationResultCancelled) {
    audioClipboard.reset();
    return status::kCancelled;
  }
  if (copied != OperationResultDone) {
    audioClipboard.reset();
    return status::kFaultReported;
  }
  return status::kDone;
}
