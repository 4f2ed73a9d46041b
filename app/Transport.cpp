// The transport: play, record and stop of the project, the Audio Editor and the
// Loop Bank preview, the play timer and the positions shown.
#include "Generic.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineShowPositionNoFrame = 16919;
constexpr int kLineShowLengthNoFrame = 16941;

std::string TimeText(const CAudioTrackList& project, uint32_t frames) {
  char text[64];
  if (project.timeDisplay == TimeDisplayTempo) {
    FormatSamplesAsTempoTime(frames, 44100, project.tempo, project.beatsPerBarChoice, text);
  } else {
    FormatSamplesAsTime(frames, 44100, text);
  }
  return text;
}
}  // namespace

void CProApp::ShowPosition(uint32_t frames) {
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineShowPositionNoFrame, "");
    return;
  }
  services.view.SetPositionText(TimeText(project, frames));
}

void CProApp::ShowLength(uint32_t frames) {
  if (!services.view.HasFrame()) {
    ReportError(kSource, kLineShowLengthNoFrame, "");
    return;
  }
  services.view.SetLengthText(TimeText(project, frames));
}
