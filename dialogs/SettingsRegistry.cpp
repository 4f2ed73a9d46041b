#include "SettingsRegistry.h"

#include "MixdownDialog.h"
#include "ProjectPropertiesDialog.h"
#include "PropertiesDialogs.h"
#include "SettingsDialogs.h"
#include "AudioTrackPropertiesDialog.h"
#include "TrackSnippetDialogs.h"
#include "requests/ImportExportRequests.h"

namespace dialogs {

void AnswerSettingsRequests(ui::CRequestHandlers& handlers, const DialogServices& services) {
  auto owner = [parent = services.parent] { return parent ? parent() : nullptr; };
  handlers.On<ProjectSettingsRequest>(
      [owner](const ProjectSettingsRequest& request) { return CProjectPropertiesDialog::Ask(request, owner()); });
  handlers.On<AppSettingsRequest>([owner, browsing = services.browsing](const AppSettingsRequest& request) {
    return CProSettingsDialog::Ask(request, browsing, owner());
  });
  handlers.On<ColorSettingsRequest>(
      [owner](const ColorSettingsRequest& request) { return CColorSettingsDialog::Ask(request, owner()); });
  handlers.On<MetronomeSettingsRequest>(
      [owner](const MetronomeSettingsRequest& request) { return CMetronomeDialog::Ask(request, owner()); });
  handlers.On<TrackPropertiesRequest>([owner, inform = services.inform](const TrackPropertiesRequest& request) {
    return CAudioTrackPropertiesDialog::Ask(request, inform, owner());
  });
  handlers.On<MixdownDialogRequest>([owner, inform = services.inform](const MixdownDialogRequest& request) {
    return CMixdownDialog::Ask(request, inform, owner());
  });
  handlers.On<LoopPropertiesRequest>([owner, inform = services.inform](const LoopPropertiesRequest& request) {
    return CAudioLoopPropertiesDialog::Ask(request, inform, owner());
  });
  handlers.On<SnippetPropertiesRequest>(
      [owner](const SnippetPropertiesRequest& request) { return CSnippetPropertiesDialog::Ask(request, owner()); });
  handlers.On<CreateTrackSnippetRequest>([owner](const CreateTrackSnippetRequest& request) {
    return CCreateTrackSnippet::Ask(request, owner());
  });
  handlers.On<ShiftTracksRequest>(
      [owner](const ShiftTracksRequest& request) { return CShiftTracksDialog::Ask(request, owner()); });
  handlers.On<WaveQualityRequest>([owner, inform = services.inform](const WaveQualityRequest& request) {
    std::optional<WaveQualityRequest::Result> answer;
    const forms::WaveQuality offered{request.channels, request.samplesPerSecond, request.bitsPerSample};
    if (const auto chosen = CWaveDialog::Ask(offered, inform, owner())) {
      answer = WaveQualityRequest::Result{chosen->channels, chosen->samplesPerSecond, chosen->bitsPerSample};
    }
    return answer;
  });
}

}  // namespace dialogs
