#include "DeviceCallbacks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "Generic.h"
#include "Messages.h"
#include "pro.h"

namespace {
constexpr const char* kSource = "pro";
constexpr uint32_t kFrameBytes = 4;  // a stereo frame of the device

struct OutputLines {
  int buffer, bytesFilled, endFlag;
};
constexpr OutputLines kProjectLines{1635, 1640, 1645};
constexpr OutputLines kEditorLines{465, 470, 475};
constexpr OutputLines kEditorProjectLines{257, 262, 267};
constexpr OutputLines kEditorLoopLines{580, 585, 590};
constexpr OutputLines kPreviewLines{717, 722, 727};
constexpr int kLineEditorNoSegment = 492;
constexpr int kLineEditorNoWork = 531;
constexpr int kLineEditorProjectNoSnippet = 284;
constexpr int kLineEditorProjectNoFormat = 291;
constexpr int kLineEditorProjectRatioZero = 301;
constexpr int kLineLoopNoSegment = 606;
constexpr int kLineLoopNoWork = 657;
constexpr int kLinePreviewNoLoop = 753;
constexpr int kLinePreviewNoSegment = 761;
constexpr int kLinePreviewNoWork = 784;
constexpr int kLineInputNoData = 1722;
constexpr int kLineInputNoOut = 1727;
constexpr int kLineInputNoLast = 1732;
constexpr int kLinesInputNoSegment[CProApp::kRecordSlots] = {1739, 1755, 1775, 1790};
constexpr int kLineInputChannels = 1800;
constexpr const char* kDivideByZero = "Divide By Zero Violation";

bool ArgumentsGiven(unsigned char* buffer, uint32_t* bytesFilled, int32_t* endOfAudio, const OutputLines& lines) {
  if (!buffer) {
    ReportError(kSource, lines.buffer, "");
    return false;
  }
  if (!bytesFilled) {
    ReportError(kSource, lines.bytesFilled, "");
    return false;
  }
  if (!endOfAudio) {
    ReportError(kSource, lines.endFlag, "");
    return false;
  }
  return true;
}

void Post(uint32_t message) {
  if (CProApp* app = CProApp::Instance()) app->services.thread.Post(message, app->CurrentRun());
}

// Reads frames at frame of the segment as stereo frames into out. The read
// goes through the work buffer: a file read covers whole sectors and needs
// room beyond the frames asked for, which the device's buffer does not have.
// A mono segment is widened to both channels. Returns false without a work buffer.
bool ReadStereoFrames(CProApp& app, CAudioSegment& segment, uint32_t frame, uint32_t frames, unsigned char* out) {
  auto* work = static_cast<unsigned char*>(app.workBuffer.Data());
  if (!work) return false;
  uint32_t at = 0, got = 0;
  if (segment.Seek(frame, &at) != 0 || segment.Read(work, frames, &got) != 1) return true;
  got = std::min(got, frames);
  if (segment.GetChannels() == 2) {
    std::memcpy(out, work, static_cast<size_t>(got) * kFrameBytes);
    return true;
  }
  for (uint32_t i = 0; i < got; ++i) {
    std::memcpy(out + i * kFrameBytes, work + i * 2, 2);
    std::memcpy(out + i * kFrameBytes + 2, work + i * 2, 2);
  }
  return true;
}

// One buffer of the segment from the mix position, the last when it reaches end.
void PlayUpTo(CProApp& app, CAudioSegment& segment, uint32_t end, unsigned char* buffer, uint32_t bytes,
              uint32_t* bytesFilled, int32_t* endOfAudio, int lineNoWork) {
  const uint32_t position = app.mixPosition.load(std::memory_order_relaxed);
  const uint32_t frames = std::min(bytes / kFrameBytes, end > position ? end - position : 0);
  if (!ReadStereoFrames(app, segment, position, frames, buffer)) {
    ReportError(kSource, lineNoWork, "");
    return;
  }
  *bytesFilled = frames * kFrameBytes;
  app.mixPosition.store(position + frames, std::memory_order_relaxed);
  *endOfAudio = position + frames >= end ? 1 : 0;
}

}  // namespace

void ProjectOutputCallback(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                           int32_t* endOfAudio) {
  if (!ArgumentsGiven(buffer, bytesFilled, endOfAudio, kProjectLines)) return;
  CProApp* app = CProApp::Instance();
  std::memset(buffer, 0, bytes);
  if (!app) {
    *bytesFilled = 0;
    *endOfAudio = 1;
    return;
  }
  const uint32_t frames = bytes / kFrameBytes;
  const uint32_t position = app->mixPosition.load(std::memory_order_relaxed);
  const bool mixing = app->mixing.load() == 1;
  if (mixing) app->project.MixAllTracks(reinterpret_cast<int16_t*>(buffer), position, frames);
  if (app->devices.GetLastStartType() == kPobixPlayAndRecord) {
    app->metronome.Process(reinterpret_cast<int16_t*>(buffer), position * kFrameBytes);
    *bytesFilled = bytes;
    *endOfAudio = 0;
  } else {
    // Unsigned like the positions: the end of the project plus the time played past it.
    const uint32_t end = app->project.projectEnd + app->project.tailFrames;
    if (position + frames > end) {
      *bytesFilled = (end > position ? end - position : 0) * kFrameBytes;
      *endOfAudio = 1;
    } else {
      *bytesFilled = bytes;
      *endOfAudio = 0;
    }
  }
  app->mixPosition.store(position + frames, std::memory_order_relaxed);
  if (!mixing) *bytesFilled = 0;
}

void EditorOutputCallback(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                          int32_t* endOfAudio) {
  if (!ArgumentsGiven(buffer, bytesFilled, endOfAudio, kEditorLines)) return;
  std::memset(buffer, 0, bytes);
  *bytesFilled = 0;
  CProApp* app = CProApp::Instance();
  if (!app || app->mixing.load() != 1) return;
  CAudioSegment* segment = app->editorSegment.get();
  if (!segment) {
    ReportError(kSource, kLineEditorNoSegment, "");
    return;
  }
  PlayUpTo(*app, *segment, app->editorPlayEnd, buffer, bytes, bytesFilled, endOfAudio, kLineEditorNoWork);
}

void EditorProjectOutputCallback(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                                 int32_t* endOfAudio) {
  if (!ArgumentsGiven(buffer, bytesFilled, endOfAudio, kEditorProjectLines)) return;
  std::memset(buffer, 0, bytes);
  *bytesFilled = 0;
  CProApp* app = CProApp::Instance();
  if (!app || app->mixing.load() != 1) return;
  CAudioSnippet* snippet = app->editorSnippet.get();
  CAudioSegment* segment = app->editorSegment.get();
  if (!snippet) {
    ReportError(kSource, kLineEditorProjectNoSnippet, "");
    return;
  }
  if (!segment) {
    ReportError(kSource, kLineEditorProjectNoFormat, "");
    return;
  }
  uint32_t end = snippet->end;
  if (app->editorPlayEnd != segment->length) {
    if (snippet->ratio == 0.0f) {
      ReportError(kSource, kLineEditorProjectRatioZero, kDivideByZero);
      end = 0;
    } else {
      end = static_cast<uint32_t>(static_cast<float>(app->editorPlayEnd) / snippet->ratio +
                                  static_cast<float>(snippet->start));
    }
  }
  const uint32_t position = app->mixPosition.load(std::memory_order_relaxed);
  const uint32_t frames = std::min(bytes / kFrameBytes, end > position ? end - position : 0);
  if (frames > 0) {
    app->project.RenderSnippetWithEffects(app->editorTrackIndex, snippet->GetIdentifier(),
                                          reinterpret_cast<int16_t*>(buffer), position, frames);
  }
  *bytesFilled = frames * kFrameBytes;
  app->mixPosition.store(position + frames, std::memory_order_relaxed);
  *endOfAudio = position + frames >= end ? 1 : 0;
}

void EditorLoopOutputCallback(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                              int32_t* endOfAudio) {
  if (!ArgumentsGiven(buffer, bytesFilled, endOfAudio, kEditorLoopLines)) return;
  std::memset(buffer, 0, bytes);
  *bytesFilled = 0;
  *endOfAudio = 0;
  CProApp* app = CProApp::Instance();
  if (!app || app->mixing.load() != 1) return;
  CAudioSegment* segment = app->editorSegment.get();
  if (!segment) {
    ReportError(kSource, kLineLoopNoSegment, "");
    return;
  }
  const uint32_t start = app->editorPlayStart;
  const uint32_t end = app->editorPlayEnd;
  const uint32_t wanted = bytes / kFrameBytes;
  uint32_t position = app->mixPosition.load(std::memory_order_relaxed);
  uint32_t filled = 0;
  // An empty region would never fill the buffer; the loop command refuses one.
  while (filled < wanted && end > start) {
    uint32_t take = end > position ? end - position : 0;
    uint32_t next;
    if (filled + take > wanted) {
      take = wanted - filled;
      next = position + take;
    } else {
      next = start;
    }
    if (!ReadStereoFrames(*app, *segment, position, take, buffer + filled * kFrameBytes)) {
      ReportError(kSource, kLineLoopNoWork, "");
      return;
    }
    filled += take;
    position = next;
  }
  app->mixPosition.store(position, std::memory_order_relaxed);
  *bytesFilled = bytes & ~(kFrameBytes - 1);
}

void PreviewOutputCallback(uint32_t, unsigned char* buffer, uint32_t bytes, uint32_t* bytesFilled,
                           int32_t* endOfAudio) {
  if (!ArgumentsGiven(buffer, bytesFilled, endOfAudio, kPreviewLines)) return;
  CProApp* app = CProApp::Instance();
  if (!app) {
    std::memset(buffer, 0, bytes);
    *bytesFilled = 0;
    *endOfAudio = 1;
    return;
  }
  std::lock_guard<std::mutex> hold(app->previewLock);
  std::memset(buffer, 0, bytes);
  *bytesFilled = 0;
  *endOfAudio = 0;
  if (app->mixing.load() != 1) return;
  CAudioSegment* segment = app->previewSegment.get();
  if (!segment) {
    ReportError(kSource, app->loopBank.GetCount() == 0 ? kLinePreviewNoLoop : kLinePreviewNoSegment, "");
    return;
  }
  PlayUpTo(*app, *segment, segment->length, buffer, bytes, bytesFilled, endOfAudio, kLinePreviewNoWork);
}

void ProjectEndOfAudioCallback() { Post(msg::kProjectEndOfAudio); }
void EditorEndOfAudioCallback() { Post(msg::kEditorEndOfAudio); }
void PreviewEndOfAudioCallback() { Post(msg::kPreviewEndOfAudio); }
void RecorderEndOfAudioCallback() { Post(msg::kRecorderEndOfAudio); }
void DropoutCallback(const char*, const char*) { Post(msg::kDropoutNotice); }

void InputCallback(uint32_t recordSlot, unsigned char* data, uint32_t bytes, uint32_t* bytesTaken,
                   int32_t* reserved) {
  CProApp* app = CProApp::Instance();
  if (!app) return;
  if (!data || !bytesTaken || !reserved) {
    app->NoteInputFault(recordSlot, !data ? kLineInputNoData : !bytesTaken ? kLineInputNoOut : kLineInputNoLast);
    return;
  }
  *bytesTaken = 0;
  if (recordSlot < 1 || recordSlot > CProApp::kRecordSlots || app->IsInputFaulted(recordSlot) ||
      app->IsRecordingHalted()) {
    return;
  }
  CAudioSegment* segment = app->recordSegments[recordSlot - 1].get();
  if (!segment) {
    app->NoteInputFault(recordSlot, kLinesInputNoSegment[recordSlot - 1]);
    return;
  }
  const uint32_t channels = segment->GetChannels();
  if (channels != 1 && channels != 2) {
    app->NoteInputFault(recordSlot, kLineInputChannels);
    return;
  }
  const uint32_t frameBytes = channels * 2;
  uint32_t written = 0;
  // Written straight through to the file, so what was delivered survives the program.
  errno = 0;
  if (segment->Write(data, bytes / frameBytes, &written) != 0) {
    // The take keeps what reached the file; every take ends here together.
    app->HaltRecording(errno != 0 ? errno : EIO);
  }
  *bytesTaken = written * frameBytes;
}

int ProgressCallback(int percent) {
  CProApp* app = CProApp::Instance();
  if (!app || app->progressWindow.IsCancelled() || app->progressWindow.ProgressAnswer() == 0) return 0;
  app->progressWindow.SetPercent(percent);
  return 1;
}
