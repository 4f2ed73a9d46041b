// The Audio Editor's marker commands and its Tools and Effects menu.
#include <algorithm>
#include <iterator>

#include "editor/EditorCommon.h"

using namespace editor;

namespace {

constexpr uint32_t kUnset = CAudioSegment::kMarkerUnset;

struct Tool {
  uint32_t id;
  int32_t operation;
};
constexpr Tool kTools[] = {{kIdMute, EditOpMute},
                           {kIdVolume, EditOpVolume},
                           {kIdFadePan, EditOpFade},
                           {kIdReverse, EditOpReverse},
                           {kIdSwapChannels, EditOpSwapChannels},
                           {kIdCopyChannel, EditOpCopyChannel},
                           {kIdStretchCompress, EditOpStretch},
                           {kIdPitchShift, EditOpPitchShift},
                           {kIdEcho, EditOpEcho},
                           {kIdFlange, EditOpFlange},
                           {kIdChorus, EditOpChorus},
                           {kIdReverb, EditOpReverb},
                           {kIdEqualizer, EditOpEqualizer}};

}  // namespace

namespace {

// Runs change on the editor's segment, then redraws; nothing without audio.
template <class Change>
int ChangeMarkers(CProApp& app, Change change) {
  if (app.EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = app.GetEditorSegment();
  if (!segment) return status::kNothingDone;
  change(*segment);
  app.services.view.RefreshCurrentView();
  return status::kDone;
}

}  // namespace

int CProApp::OnSetBeginMarker() {
  return ChangeMarkers(*this, [](CAudioSegment& s) {
    const uint32_t p = s.trackerStart;
    if (s.markerEnd != kUnset && s.markerEnd < p) {
      s.markerStart = s.markerEnd;
      s.markerEnd = p;
    } else {
      s.markerStart = p;
    }
    s.markerSize = s.markerEnd == kUnset ? kUnset : s.markerEnd - s.markerStart;
  });
}

int CProApp::OnSetEndMarker() {
  return ChangeMarkers(*this, [](CAudioSegment& s) {
    const uint32_t p = s.trackerStart;
    if (s.markerStart == kUnset) {
      s.markerStart = p;
      s.markerSize = kUnset;
      return;
    }
    const uint32_t begin = std::min(s.markerStart, p);
    s.markerEnd = std::max(s.markerStart, p);
    s.markerStart = begin;
    s.markerSize = s.markerEnd - s.markerStart;
  });
}

int CProApp::OnHighlightToMarkers() {
  return ChangeMarkers(*this, [](CAudioSegment& s) {
    s.markerStart = s.trackerStart;
    s.markerEnd = s.trackerEnd;
    s.markerSize = s.markerEnd - s.markerStart;
  });
}

int CProApp::OnEraseBeginMarker() {
  return ChangeMarkers(*this, [](CAudioSegment& s) {
    // A single marker is always the begin marker.
    s.markerStart = s.markerEnd;
    s.markerEnd = kUnset;
    s.markerSize = 0;
  });
}

int CProApp::OnEraseEndMarker() {
  return ChangeMarkers(*this, [](CAudioSegment& s) {
    s.markerEnd = kUnset;
    s.markerSize = 0;
  });
}

int CProApp::OnEraseBothMarkers() {
  return ChangeMarkers(*this, [](CAudioSegment& s) {
    s.markerStart = s.markerEnd = kUnset;
    s.markerSize = 0;
  });
}

int CProApp::OnEditorTool(uint32_t commandId) {
  const auto tool =
      std::find_if(std::begin(kTools), std::end(kTools), [commandId](const Tool& t) { return t.id == commandId; });
  if (tool == std::end(kTools) || EditorCommandsBlocked()) return status::kNothingDone;
  std::shared_ptr<CAudioSegment> segment = GetEditorSegment();
  if (tool->operation == EditOpSwapChannels || tool->operation == EditOpCopyChannel) {
    if (!segment) {
      services.ui.Inform(kNoAudioToEditText);
      return status::kNothingDone;
    }
    if (segment->GetChannels() < 2) {
      services.ui.Inform(kMonoAudioText);
      return status::kNothingDone;
    }
  }
  if (!segment) return status::kNothingDone;
  return RunOnEditor(tool->operation, EditRangeFromDialog);
}
