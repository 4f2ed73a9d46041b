#include "DeviceCallbacks.h"

#include <cstring>

#include "Generic.h"
#include "Messages.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr int kLineNoBuffer = 1635;
constexpr int kLineNoBytesFilled = 1640;
constexpr int kLineNoEndFlag = 1645;
}  // namespace

void ProjectOutputCallback(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                           int32_t* endOfAudio) {
  if (!buffer) {
    ReportError(kSource, kLineNoBuffer, "");
    return;
  }
  if (!bytesFilled) {
    ReportError(kSource, kLineNoBytesFilled, "");
    return;
  }
  if (!endOfAudio) {
    ReportError(kSource, kLineNoEndFlag, "");
    return;
  }
  CProApp* app = CProApp::Instance();
  std::memset(buffer, 0, bytes);
  if (!app) {
    *bytesFilled = 0;
    *endOfAudio = 1;
    return;
  }
  const uint32_t frames = bytes / 4;
  const uint32_t position = app->mixPosition.load(std::memory_order_relaxed);
  const bool mixing = app->mixing.load() == 1;
  if (mixing) app->project.MixAllTracks(reinterpret_cast<int16_t*>(buffer), position, frames);
  if (app->devices.GetLastStartType() == kPobixPlayAndRecord) {
    app->metronome.Process(reinterpret_cast<int16_t*>(buffer), position * 4u);
    *bytesFilled = bytes;
    *endOfAudio = 0;
  } else {
    // Unsigned like the positions: the end of the project plus the time played past it.
    const uint32_t end = app->project.projectEnd + app->project.tailFrames;
    if (position + frames > end) {
      *bytesFilled = (end > position ? end - position : 0) * 4u;
      *endOfAudio = 1;
    } else {
      *bytesFilled = bytes;
      *endOfAudio = 0;
    }
  }
  app->mixPosition.store(position + frames, std::memory_order_relaxed);
  if (!mixing) *bytesFilled = 0;
}

void ProjectEndOfAudioCallback() {
  if (CProApp* app = CProApp::Instance()) app->services.thread.Post(msg::kProjectEndOfAudio);
}

void DropoutCallback(const char*, const char*) {
  if (CProApp* app = CProApp::Instance()) app->services.thread.Post(msg::kDropoutNotice);
}
