#include "SettingsRegistry.h"

#include "MixdownDialog.h"
#include "ProjectSettingsDialog.h"
#include "SettingsDialogs.h"
#include "TrackPropertiesDialog.h"

namespace dialogs {

void AnswerSettingsRequests(ui::CRequestHandlers& handlers, const DialogServices& services) {
  auto owner = [parent = services.parent] { return parent ? parent() : nullptr; };
  handlers.On<ProjectSettingsRequest>(
      [owner](const ProjectSettingsRequest& request) { return CProjectSettingsDialog::Ask(request, owner()); });
  handlers.On<AppSettingsRequest>([owner, browsing = services.browsing](const AppSettingsRequest& request) {
    return CAppSettingsDialog::Ask(request, browsing, owner());
  });
  handlers.On<ColorSettingsRequest>(
      [owner](const ColorSettingsRequest& request) { return CColorSettingsDialog::Ask(request, owner()); });
  handlers.On<MetronomeSettingsRequest>(
      [owner](const MetronomeSettingsRequest& request) { return CMetronomeDialog::Ask(request, owner()); });
  handlers.On<TrackPropertiesRequest>([owner, inform = services.inform](const TrackPropertiesRequest& request) {
    return CTrackPropertiesDialog::Ask(request, inform, owner());
  });
  handlers.On<MixdownDialogRequest>([owner, inform = services.inform](const MixdownDialogRequest& request) {
    return CMixdownDialog::Ask(request, inform, owner());
  });
}

}  // namespace dialogs
