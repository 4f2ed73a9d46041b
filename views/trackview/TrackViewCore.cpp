#include "trackview/TrackViewCore.h"

#include <algorithm>
#include <cmath>

#include "pro.h"
#include "trackview/TrackViewGUI.h"

namespace trackview {

namespace {
constexpr const char* kDuringPlaybackText = "Sorry, cannot perform this operation during playback.";
constexpr float kMaxPitch = 12.0f;
}  // namespace

void SetPlayPosition(CProApp& app, uint32_t frames) {
  app.playCursor = frames;
  app.ShowPosition(frames);
}

bool RefuseDuringPlayback(CProApp& app) {
  if (app.playing.load() != 1) return false;
  app.services.ui.Inform(kDuringPlaybackText);
  return true;
}

void SetProjectTempo(CProApp& app, float bpm) { app.SetProjectTempo(bpm); }

void SetProjectPitch(CProApp& app, float semitones) {
  if (RefuseDuringPlayback(app) || !std::isfinite(semitones)) return;
  semitones = std::clamp(semitones, -kMaxPitch, kMaxPitch);
  app.project.globalPitch = semitones;
  app.services.view.SetPitchText(semitones);
}

void RunMenuCommand(CProApp& app, int commandId) {
  switch (commandId) {
    case CTrackViewGUI::kCutCommand: app.CutSnippets(); break;
    case CTrackViewGUI::kCopyCommand: app.CopySnippets(); break;
    case CTrackViewGUI::kPasteCommand: app.PasteSnippets(); break;
    case CTrackViewGUI::kDeleteCommand: app.DeleteSelectedSnippets(); break;
    case CTrackViewGUI::kClearTrackCommand: app.ClearSelectedTrack(); break;
    case CTrackViewGUI::kEditSnippetCommand: app.OnEditSnippet(); break;
    case CTrackViewGUI::kSnippetOnTopCommand: app.OnSetSnippetOnTop(); break;
    case CTrackViewGUI::kSnippetPropertiesCommand: app.OnSnippetProperties(); break;
    default:
      if (commandId >= static_cast<int>(CAudioLoopList::kFirstLoopCommand)) {
        app.OnInsertLoopCommand(static_cast<uint32_t>(commandId));
      }
      break;
  }
}

}  // namespace trackview
