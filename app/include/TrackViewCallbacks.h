// The plain callbacks the application hands its editors: the Track View calls
// them when a drag has moved the selected snippets or a row's Props button was
// pressed, the Loop Bank when a loop's Props button was. The editors call the
// application back through them without knowing its commands.
#pragma once

#include <cstdint>
#include <functional>

class CProApp;

struct TrackViewCallbacks {
  std::function<void(uint32_t newStart)> snippetsMoved;
  std::function<void(int trackIndex)> trackProperties;
};

// The Track View's two callbacks into this application.
TrackViewCallbacks MakeTrackViewCallbacks(CProApp& app);
// A drag ended with the selection at a new start frame: the snippets move there.
void SnippetsMovedCallback(CProApp& app, uint32_t newStart);
void LoopPropertiesCallback(CProApp& app, int loopNumber);
