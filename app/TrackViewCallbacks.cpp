#include "TrackViewCallbacks.h"

#include "pro.h"

TrackViewCallbacks MakeTrackViewCallbacks(CProApp& app) {
  return {[&app](uint32_t newStart) { SnippetsMovedCallback(app, newStart); },
          [&app](int trackIndex) { app.OnTrackProperties(trackIndex); }};
}

void SnippetsMovedCallback(CProApp& app, uint32_t newStart) { app.MoveSelectedSnippets(newStart); }

void LoopPropertiesCallback(CProApp& app, int loopNumber) { app.OnLoopProperties(loopNumber); }
