#include "LevelCallbacks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Generic.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineGetLevelNoLeft = 1588;
constexpr int kLineGetLevelNoRight = 1593;
constexpr int kLineChannelBufferNoView = 1533;
constexpr uint32_t kMasterChannel = 0;
constexpr int16_t kFirstInputChannel = 25;

float GainOf(int32_t decibels) {
  float percent = 0.0f;
  DecibelToPercent(static_cast<float>(decibels), &percent);
  return percent / 100.0f;
}

int16_t DecibelsOf(float gain) {
  float decibels = 0.0f;
  PercentToDecibel(gain * 100.0f, &decibels);
  const float rounded = std::round(decibels);  // halves away from zero
  return static_cast<int16_t>(std::clamp(rounded, -32768.0f, 32767.0f));
}

}  // namespace

void SetLevelCallback(uint32_t channel, int32_t leftDb, int32_t rightDb) {
  CProApp* app = CProApp::Instance();
  if (!app) return;
  if (channel == kMasterChannel) {
    app->project.masterLeftGain = GainOf(leftDb);
    app->project.masterRightGain = GainOf(rightDb);
  } else if (channel <= static_cast<uint32_t>(CAudioTrackList::kProjectTracks)) {
    app->project.SetTrackGains(static_cast<int>(channel) - 1, GainOf(leftDb), GainOf(rightDb));
  }
}

void GetLevelCallback(uint32_t channel, int16_t* leftDb, int16_t* rightDb) {
  if (!leftDb) {
    ReportError(kSource, kLineGetLevelNoLeft, "");
    return;
  }
  if (!rightDb) {
    ReportError(kSource, kLineGetLevelNoRight, "");
    return;
  }
  CProApp* app = CProApp::Instance();
  if (!app) return;
  float left = 1.0f, right = 1.0f;
  if (channel == kMasterChannel) {
    left = app->project.masterLeftGain;
    right = app->project.masterRightGain;
  } else if (channel <= static_cast<uint32_t>(CAudioTrackList::kProjectTracks)) {
    app->project.GetTrackGains(static_cast<int>(channel) - 1, &left, &right);
  } else {
    return;
  }
  *leftDb = DecibelsOf(left);
  *rightDb = DecibelsOf(right);
}

void GetOutputBufferCallback(unsigned char** buffer, uint32_t bytes) {
  if (CProApp* app = CProApp::Instance()) app->devices.GetCurrentOutputBuffer(buffer, bytes);
}

void GetChannelBufferCallback(int16_t channel, unsigned char** buffer, uint32_t bytes) {
  CProApp* app = CProApp::Instance();
  if (!app || !buffer || !*buffer) return;
  if (channel >= 1 && channel <= CAudioTrackList::kProjectTracks) {
    if (!app->services.view.HasView()) {
      ReportError(kSource, kLineChannelBufferNoView, "");
      return;
    }
    const int mode = app->services.view.GetViewMode();
    // Tracks are rendered only while the project's mixer runs.
    if (mode == ViewModeLoopBank || (mode == ViewModeEditor && !app->editorUsesProjectSettings)) {
      std::memset(*buffer, 0, bytes);
      return;
    }
    int16_t number = 0;
    uint32_t position = 0;
    app->devices.GetCurrentOutputBufferNumberAndPosition(&number, &position);
    app->project.GetTrackHistory(channel - 1, number, position / 4, reinterpret_cast<int16_t*>(*buffer), bytes / 4);
  } else if (channel >= kFirstInputChannel) {
    std::memset(*buffer, 0, bytes);
    app->devices.GetCurrentInputBuffer(static_cast<int16_t>(channel - kFirstInputChannel), buffer, bytes);
  }
}

void StartMonitorCallback(int16_t channel) {
  if (CProApp* app = CProApp::Instance()) app->StartInputMonitoring(channel);
}

void StopMonitorCallback() {
  if (CProApp* app = CProApp::Instance()) app->StopInputMonitoring();
}

LevelsCallbacks MakeLevelsCallbacks() {
  return {&SetLevelCallback,         &GetLevelCallback,     &GetOutputBufferCallback,
          &GetChannelBufferCallback, &StartMonitorCallback, &StopMonitorCallback};
}
