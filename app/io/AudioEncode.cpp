#include "AudioEncode.h"

#include <algorithm>

#include "ExportSource.h"
#include "Generic.h"
#include "IoCommon.h"
#include "Lunder.h"
#include "Ombrel.h"
#include "pro.h"

namespace io {
namespace {

CAudioEncode* g_running = nullptr;

uint32_t FrameBytes(const AudioQuality& format) { return format.channels * (format.bitsPerSample / 8u); }

}  // namespace

CAudioEncode::CAudioEncode(CProApp& app, CExportSource& source, const char* caption)
    : app_(app), source_(source), caption_(caption), from_(source.Format()) {}

CAudioEncode::~CAudioEncode() {
  if (g_running == this) g_running = nullptr;
}

void CAudioEncode::ExportDataCallback(unsigned char* buffer, uint32_t capacity, uint32_t* bytesGot, int* cancel) {
  if (g_running) {
    g_running->OnData(buffer, capacity, bytesGot, cancel);
    return;
  }
  ReportError(kSource, __LINE__, "");
  if (bytesGot) *bytesGot = 0;
  if (cancel) *cancel = 1;
}

void CAudioEncode::ExportProgressCallback(short percent, int* cancel) {
  if (g_running) {
    FollowCodecProgress(g_running->app_.progressWindow, percent, g_running->cancelled_, cancel);
  } else if (cancel) {
    *cancel = 1;
  }
}

int CAudioEncode::Begin() {
  app_.progressWindow.SetMessage(caption_, 1);
  if (app_.progressWindow.Begin() != 1) return status::kFaultReported;
  app_.progressWindow.SetTotal(source_.TotalFrames());
  return status::kDone;
}

int CAudioEncode::Finish(unsigned int codecResult, int reports) {
  g_running = nullptr;
  app_.progressWindow.End();
  if (cancelled_) return status::kCancelled;
  if (failed_ || reports > 0 || codecResult == kOmbrelNoWorker) return status::kFaultReported;
  return codecResult == kOmbrelCancelled ? status::kCancelled : status::kDone;
}

int CAudioEncode::WriteWave(const std::string& path, const AudioQuality& quality) {
  if (g_running || !app_.workBuffer.Data()) return status::kFaultReported;
  to_ = quality;
  resampling_ = to_.samplesPerSecond != from_.samplesPerSecond;
  CReportWatch watch;
  if (resampling_) {
    converter_.Reset();
    SetupRateConversion(&converter_, &from_, &to_, app_.workBufferSize / 4);
  }
  if (Begin() != status::kDone) return status::kFaultReported;
  g_running = this;
  const unsigned int result = COmbrel().Encode(path.c_str(), to_, &ExportDataCallback);
  return Finish(result, watch.Count());
}

int CAudioEncode::WriteMp3(const std::string& path, short kbps) {
  if (g_running || !app_.workBuffer.Data()) return status::kFaultReported;
  CReportWatch watch;
  if (Begin() != status::kDone) return status::kFaultReported;
  // LAME gives way to audio that plays; otherwise it runs as fast as it can.
  const LunderPriority priority = app_.playing.load() == 1 ? LunderPriority::Lowest : LunderPriority::Normal;
  const std::string raw = source_.RawFile();
  g_running = this;
  unsigned int result = 0;
  if (!raw.empty()) {
    app_.progressWindow.SetMessage(kEncodingMp3Caption, 1);
    result = CLunder().Encode(raw.c_str(), kbps, from_, path.c_str(), &ExportProgressCallback, priority);
  } else {
    // LAME takes the audio through its input as it is made; the progress is ours.
    to_ = from_;
    result = CLunder().EncodeStream(&ExportDataCallback, kbps, from_, path.c_str(), &ExportProgressCallback, priority);
  }
  return Finish(result, watch.Count());
}

bool CAudioEncode::ReadSource(uint32_t frames, uint32_t* got) {
  return source_.Read(static_cast<int16_t*>(app_.workBuffer.Data()), frames, got);
}

void CAudioEncode::OnData(unsigned char* buffer, uint32_t capacity, uint32_t* bytesGot, int* cancel) {
  if (!buffer || !bytesGot || !cancel) {
    ReportError(kSource, __LINE__, "");
    failed_ = true;
    if (bytesGot) *bytesGot = 0;
    if (cancel) *cancel = 1;
    return;
  }
  *bytesGot = 0;
  *cancel = 0;
  const uint32_t before = source_.FramesDone();
  uint32_t made = 0;
  if (!Fill(buffer, capacity / FrameBytes(to_), &made)) {
    failed_ = true;
    *cancel = 1;
    return;
  }
  app_.progressWindow.AddDone(source_.FramesDone() - before);
  if (app_.progressWindow.IsCancelled()) {
    cancelled_ = true;
    *cancel = 1;
    return;
  }
  *bytesGot = made * FrameBytes(to_);
}

bool CAudioEncode::Fill(unsigned char* buffer, uint32_t capacityFrames, uint32_t* made) {
  *made = 0;
  if (capacityFrames == 0) return true;
  auto* work = static_cast<unsigned char*>(app_.workBuffer.Data());
  const uint32_t capacityBytes = capacityFrames * FrameBytes(to_);
  CTarvex* converter = resampling_ ? &converter_ : nullptr;
  while (*made == 0) {
    if (converterFull_) {
      ConvertAudioFormat(&from_, &to_, work, buffer, 0, capacityBytes, converter, made);
      converterFull_ = *made == capacityFrames;
    } else if (!sourceEnded_) {
      // Rates only go down, so what a block becomes fits where it goes.
      const uint32_t want = std::min(capacityFrames, app_.workBufferSize / FrameBytes(from_));
      uint32_t got = 0;
      if (!ReadSource(want, &got)) return false;
      if (got == 0) {
        sourceEnded_ = true;
        continue;
      }
      ConvertAudioFormat(&from_, &to_, work, buffer, got * FrameBytes(from_), capacityBytes, converter, made);
      converterFull_ = resampling_ && *made == capacityFrames;
    } else if (resampling_ && !flushed_) {
      // What the converter still holds comes out in its own 16-bit frames.
      const AudioQuality held{to_.samplesPerSecond, static_cast<uint16_t>(converter_.channels), 16};
      const uint32_t room = std::min(capacityFrames, app_.workBufferSize / FrameBytes(held));
      uint32_t n = 0;
      converter_.FlushStorage(reinterpret_cast<int16_t*>(work), room, &n);
      flushed_ = n < room;
      ConvertChannelsAndBits(&held, &to_, work, buffer, n * FrameBytes(held), capacityBytes);
      *made = n;
      if (n == 0) return true;
    } else {
      return true;
    }
  }
  return true;
}

}  // namespace io
