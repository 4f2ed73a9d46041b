#include "AudioRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "AudioPlayer.h"
#include "ReportErrorDll.h"
#include "WaveErrorText.h"

using platform::kWaveDone;
using platform::kWaveOk;
using platform::WaveHeader;

namespace {

// Fault codes of this file's reports.
enum FaultLine {
  kLineThread = 184,
  kLineArea = 222,
  kLineDecommit = 230,
  kLineRelease = 234,
  kLineOpen = 357,
  kLineCloseUnprepare = 375,
  kLineClose = 382,
  kLineNoInputs = 451,
  kLineNoHeaders = 472,
  kLinePrepare = 478,
  kLineAdd = 497,
  kLineDeviceStart = 514,
  kLineNoData = 612,
  kLineNoConversion = 617,
  kLineNoPlayer = 766,
  kLinePad = 797,
  kLineRequeuePrepare = 844,
  kLineRequeueAdd = 850,
  kLineStop = 898,
  kLineStopUnprepare = 906,
  kLineTimeBuffer = 955,
  kLineTimeZero = 985,
  kLinePosition = 1135,
  kLineConsecutiveEnd = 1181,
  kLineConsecutiveDropout = 1186,
  kLineAccumulatedEnd = 1201,
  kLineAccumulatedDropout = 1206,
};

// An alignment gap beyond ten seconds means the two clocks cannot be trusted.
constexpr int64_t kMaxPadBytes = 1764000;
constexpr int kPositionAttempts = 4;
// How long a caller waits for the recorder's thread to answer.
constexpr uint32_t kSettleMs = 5000;
// A start message carries its run and its mode in one parameter.
constexpr uintptr_t kMonitorBit = uintptr_t{1} << 32;
constexpr uintptr_t kAlignBit = uintptr_t{1} << 33;
static_assert(sizeof(uintptr_t) >= 8, "a start message's parameter holds a run and two flags");

void Report(int line, const char* message = "") { ReportErrorDll(__FILE__, line, message); }

void ReportIoError(int line, uint32_t result) {
  char text[64];
  std::snprintf(text, sizeof text, "Audio I/O Error # %u\n", result);
  Report(line, text);
}

int16_t SampleAt(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

void PutSample(uint8_t* p, int32_t value) {
  const uint16_t v = static_cast<uint16_t>(static_cast<int16_t>(value));
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

CAudioRecorder::CAudioRecorder(std::shared_ptr<platform::CWaveSystem> system)
    : system_(std::move(system)),
      watch_("recording", __FILE__,
             {kLineConsecutiveEnd, kLineConsecutiveDropout, kLineAccumulatedEnd, kLineAccumulatedDropout}) {
  if (!thread_.Start("tessiro-recorder", platform::ThreadPriority::AboveNormal,
                     [this](const platform::ThreadMessage& message) { OnMessage(message); })) {
    Report(kLineThread);
  }
}

CAudioRecorder::~CAudioRecorder() {
  StopThread();
  if (device_) Close();
  FreeArea();
}

void CAudioRecorder::StopThread() { thread_.Quit(); }

void CAudioRecorder::FreeArea() {
  if (!area_.IsReserved()) return;
  if (!area_.Decommit(0, areaBytes_)) Report(kLineDecommit);
  if (!area_.Release()) Report(kLineRelease);
  areaBytes_ = 0;
  conversionBuffer_ = nullptr;
  silenceBuffer_ = nullptr;
  for (WaveHeader& header : headers_) header.data = nullptr;
}

unsigned int CAudioRecorder::Open(int32_t deviceId, int32_t samplesPerSecond, int16_t bitsPerSample) {
  deviceId_ = deviceId;
  samplesPerSecond_ = samplesPerSecond;
  bitsPerSample_ = bitsPerSample;
  bytesPerSecond_ = samplesPerSecond * (bitsPerSample / 8) * 2;
  platform::WaveFormat format;
  format.channels = 2;
  format.samplesPerSecond = static_cast<uint32_t>(samplesPerSecond);
  format.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
  const uint32_t result = deviceId < 0 ? platform::kWaveBadDeviceId
                                       : system_->OpenInput(static_cast<uint32_t>(deviceId), format,
                                                            &thread_.Queue(), device_);
  if (result == kWaveOk) return 1;
  device_.reset();
  std::string name;
  if (deviceId >= 0) system_->GetInputName(static_cast<uint32_t>(deviceId), name);
  char message[160];
  std::snprintf(message, sizeof message, "AudioInDev: %d - PhysicalDeviceID: %d - Device Name: %s - ", deviceId,
                deviceId, name.c_str());
  Report(kLineOpen, (std::string(message) + WaveErrorText(result)).c_str());
  return 0;
}

unsigned int CAudioRecorder::Close() {
  if (!device_) return 1;
  device_->Reset();
  for (int i = 0; i < bufferCount_; ++i) {
    if (device_->Unprepare(headers_[i]) != kWaveOk) {
      Report(kLineCloseUnprepare);
      return 0;
    }
  }
  if (device_->Close() != kWaveOk) {
    Report(kLineClose);
    return 0;
  }
  device_.reset();
  return 1;
}

unsigned int CAudioRecorder::SetBufferInfo(int16_t count, uint32_t bytes) {
  bytes -= bytes % 4;
  // A stop that does not wait (the end of monitoring) may still be under way.
  Sync();
  // Reallocating under a running device would pull its buffers from under it.
  if (count < 1 || count > kMaxBuffers || bytes == 0 || state_ != kStopped) {
    Report(__LINE__);
    return 0;
  }
  if (bytesPerSecond_ == 0) Report(__LINE__, "Divide By Zero Violation");
  bufferMilliseconds_ = CDropoutWatch::BufferMilliseconds(bytes, bytesPerSecond_);
  lateThreshold_ = CDropoutWatch::LateThreshold(bufferMilliseconds_);
  noticeGapThreshold_ = std::max<uint32_t>(1200, static_cast<uint32_t>(1.5f * bufferMilliseconds_));

  const size_t wanted = static_cast<size_t>(count + 2) * bytes;
  if (count != bufferCount_ || bytes != bufferBytes_ || !area_.IsReserved()) {
    FreeArea();
    if (!area_.Reserve(wanted) || !area_.Commit(0, wanted)) {
      area_.Release();
      bufferCount_ = 0;
      bufferBytes_ = 0;
      Report(kLineArea);
      return 0;
    }
    areaBytes_ = wanted;
  }
  bufferCount_ = count;
  bufferBytes_ = bytes;
  auto* area = static_cast<uint8_t*>(area_.Data());
  silenceBuffer_ = area;
  conversionBuffer_ = area + bytes;
  for (int i = 0; i < kMaxBuffers; ++i) {
    WaveHeader& header = headers_[i];
    header.data = i < count ? area + static_cast<size_t>(i + 2) * bytes : nullptr;
    header.bufferLength = i < count ? bytes : 0;
    header.bytesRecorded = 0;
    header.flags = 0;
    header.loops = 0;
    header.user = 0;
  }
  std::memset(area + 2 * static_cast<size_t>(bytes), 0, static_cast<size_t>(count) * bytes);
  return 0;
}

bool CAudioRecorder::AddInput(int32_t physicalIndex, int32_t channel, int32_t mode, int32_t recordSlot,
                              PobixInputCallback callback) {
  if (inputCount_ >= kMaxInputs) return false;
  RecorderInput& input = inputs_[inputCount_];
  input.physicalIndex = physicalIndex;
  input.channel = channel;
  input.mode = mode;
  input.recordSlot = recordSlot;
  input.bytesTaken = 0;
  input.callback = callback;
  ++inputCount_;
  return true;
}

void CAudioRecorder::RemoveAllInputs() {
  inputCount_ = 0;
  active_ = 0;
}

bool CAudioRecorder::HasSlot(int32_t recordSlot) const {
  for (int i = 0; i < inputCount_; ++i) {
    if (inputs_[i].recordSlot == recordSlot) return true;
  }
  return false;
}

uint32_t CAudioRecorder::GetBytesTaken(int32_t recordSlot) const {
  for (int i = 0; i < inputCount_; ++i) {
    if (inputs_[i].recordSlot == recordSlot) return inputs_[i].bytesTaken.load();
  }
  return 0;
}

void CAudioRecorder::Start(uint32_t run, bool alignToPlayback) { Begin(run, false, alignToPlayback); }

void CAudioRecorder::StartMonitoring(uint32_t run) { Begin(run, true, false); }

void CAudioRecorder::Begin(uint32_t run, bool monitor, bool alignToPlayback) {
  thread_.Post(kStartMessage, run | (monitor ? kMonitorBit : 0) | (alignToPlayback ? kAlignBit : 0));
  Sync();
}

void CAudioRecorder::RequestStop(uint32_t run) {
  // Marks the run at once, so that the thread takes no more of its buffers while
  // the stop waits its turn behind the notices already queued. A stop of an
  // earlier run marks nothing; the thread ignores it.
  uint32_t asked = stopAsked_.load();
  while (run == run_.load() && asked < run && !stopAsked_.compare_exchange_weak(asked, run)) {
  }
  thread_.Post(kStopMessage, run);
}

bool CAudioRecorder::Sync() {
  if (thread_.IsCurrent()) return true;
  if (!handshake_.RoundTrip(thread_, kSyncMessage, kSettleMs)) {
    Report(__LINE__);
    return false;
  }
  return true;
}

void CAudioRecorder::OnMessage(const platform::ThreadMessage& message) {
  switch (message.id) {
    case kStartMessage:
      BeginOnThread(static_cast<uint32_t>(message.param), (message.param & kMonitorBit) != 0,
                    (message.param & kAlignBit) != 0);
      break;
    case kStopMessage:
      StopRun(static_cast<uint32_t>(message.param));
      break;
    case kSyncMessage:
      handshake_.Done(message.param);
      break;
    case platform::kWaveInData:
      if (!Live()) break;
      if (!firstDataSeen_) {
        startTime_ = system_->TickCount() - static_cast<uint32_t>(bufferMilliseconds_);
        firstDataSeen_ = 1;
      }
      OnData();
      break;
    case platform::kWaveInClosed:
      if (state_ == kRecording && inputCount_ > 0) StopOnThread(false);
      break;
    case platform::kWaveInFailed:
      // The device has gone: nothing more will come, which is a dropout of its own.
      if (Live() && !starved_ && watch_.DeviceLost()) starved_ = true;
      break;
    default:
      break;
  }
}

void CAudioRecorder::BeginOnThread(uint32_t run, bool monitor, bool alignToPlayback) {
  // A run still going (or whose stop failed) is stopped first.
  if (state_ == kRecording && !StopOnThread(false)) {
    Report(__LINE__);
    return;
  }
  run_ = run;
  // Whatever signalled the event before, an earlier run's stop or one asked again,
  // did so on this thread ahead of this message: from here on only this run's
  // stop signals it.
  if (stopEvent_) stopEvent_->Reset();
  monitoring_ = monitor ? 1 : 0;
  alignToPlayback_ = alignToPlayback;
  firstDataSeen_ = 0;
  watch_.Reset();
  lastDataTick_ = 0;
  lastProcessedTick_ = 0;
  starved_ = false;
  aligned_ = 0;
  buffersProcessed_ = 0;
  currentHeader_ = 0;
  for (bool& taken : taken_) taken = false;
  for (int i = 0; i < inputCount_; ++i) inputs_[i].bytesTaken = 0;
  if (inputCount_ == 0) {
    Report(kLineNoInputs);
    return;
  }
  if (bufferCount_ == 0 || !device_) {
    Report(kLineNoHeaders);
    return;
  }
  for (int i = 0; i < bufferCount_; ++i) {
    if (device_->Prepare(headers_[i]) != kWaveOk) {
      Report(kLinePrepare);
      device_->Reset();
      return;
    }
    if (device_->AddBuffer(headers_[i]) != kWaveOk) {
      Report(kLineAdd);
      device_->Reset();
      return;
    }
  }
  if (device_->Start() != kWaveOk) {
    Report(kLineDeviceStart);
    device_->Reset();
    return;
  }
  state_ = kRecording;
}

void CAudioRecorder::StopRun(uint32_t run) {
  if (run != run_) return;
  if (state_ == kRecording) {
    StopOnThread(true);
  } else if (stopEvent_) {
    // Already through (or never begun): a stop asked again has nothing to wait for.
    stopEvent_->Set();
  }
}

bool CAudioRecorder::StopOnThread(bool keepLast) {
  if (device_) {
    // What was captured up to the stop belongs to the take, the partly filled last buffer too.
    const bool keep = keepLast && state_ == kRecording && !monitoring_ && !Starving() && player_;
    Placement placement;
    // Read while capture still runs: the stop's last buffer ends after this moment.
    if (keep && alignToPlayback_ && !aligned_) ReadPlacement(placement);
    const uint32_t stopped = device_->Stop();
    if (stopped != kWaveOk) {
      ReportIoError(kLineStop, stopped);
      return false;
    }
    if (keep) TakeRemaining(placement);
    // Hands back every buffer, the ones the stop left queued and any this thread
    // had taken and not yet given back.
    device_->Reset();
    for (int i = 0; i < bufferCount_; ++i) {
      const uint32_t result = device_->Unprepare(headers_[i]);
      if (result != kWaveOk && result != platform::kWaveStillPlaying) {
        ReportIoError(kLineStopUnprepare, result);
        return false;
      }
      std::memset(headers_[i].data, 0, bufferBytes_);
    }
  }
  state_ = kStopped;
  monitoring_ = 0;
  aligned_ = 0;
  buffersProcessed_ = 0;
  if (stopEvent_) stopEvent_->Set();
  return true;
}

void CAudioRecorder::OnData() {
  bool anyDone = false;
  for (int i = 0; i < bufferCount_; ++i) anyDone = anyDone || headers_[i].Has(kWaveDone);
  if (!Live() || !anyDone) return;
  const uint32_t tick = system_->TickCount();
  watch_.Count(lastDataTick_ != 0 && (tick - lastDataTick_ > noticeGapThreshold_ || watch_.ConsecutiveLate() >= 2));
  lastDataTick_ = tick;
  // After a dropout nothing more is taken until the next start.
  if (StopAsked() || Starving()) return;
  ProcessBuffer();
}

bool CAudioRecorder::ReadPositionsTogether(uint32_t& captured, uint32_t& played) {
  // The two devices cannot be read at one instant. A capture position that moved
  // across the read of the played one means time passed between them, and the
  // pair would place the take that much late or early; so it is read again.
  for (int attempt = 0; attempt < kPositionAttempts; ++attempt) {
    if (!player_->GetBytesPlayed(played)) return false;
    uint32_t after = 0;
    if (device_->GetPosition(after) != kWaveOk) return false;
    const bool steady = after == captured;
    captured = after;
    if (steady) break;
  }
  return true;
}

void CAudioRecorder::ReadPlacement(Placement& placement) {
  placement.tick = system_->TickCount();
  if (bytesPerSecond_ == 0) {
    Report(__LINE__, "Divide By Zero Violation");
    placement.tickOnly = true;
    return;
  }
  if (device_->GetPosition(placement.capturedAtTick) != kWaveOk) return;
  placement.tickKnown = true;
  placement.captured = placement.capturedAtTick;
  placement.paired = player_ && ReadPositionsTogether(placement.captured, placement.played);
}

bool CAudioRecorder::PlayedWhenCaptured(const Placement& placement, int64_t end, int64_t& since) const {
  // The two devices' positions read together are exact to the frame, where ticks
  // are only exact to the millisecond. They need no word from the player either:
  // its first buffer may finish after this one, and waiting for it would drop
  // audio that was captured while playback ran.
  if (placement.paired) {
    since = end - placement.captured + placement.played;
    return true;
  }
  if (player_->playStartKnown.load() == 0) return false;
  uint32_t endTick = placement.tick;  // the tick at which the buffer's last frame was captured
  if (placement.tickKnown) {
    // tick - captured time + the buffer's end, floored, in wrapping tick arithmetic.
    const double offsetMs = static_cast<double>(end - placement.capturedAtTick) * 1000.0 / bytesPerSecond_;
    endTick = placement.tick + static_cast<uint32_t>(static_cast<int64_t>(std::floor(offsetMs)));
  } else if (!placement.tickOnly) {
    return false;  // without a position the buffer cannot be placed; the next is tried
  }
  // Ticks wrap; their difference does not.
  const int32_t sincePlayStart = static_cast<int32_t>(endTick - static_cast<uint32_t>(player_->playStartTick.load()));
  since = static_cast<int64_t>(sincePlayStart * static_cast<double>(bytesPerSecond_) / 1000.0);
  return true;
}

void CAudioRecorder::Take(int index, uint32_t filled, const Placement& placement, bool atStop) {
  WaveHeader& header = headers_[index];
  taken_[index] = true;
  currentHeader_ = (index + 1) % bufferCount_;
  if (monitoring_) return;
  if (!alignToPlayback_ || aligned_) {
    DeliverToInputs(header.data, filled);
    return;
  }
  // Where the buffer ends in the capture: every buffer before it came back full.
  const int64_t end = static_cast<int64_t>(bufferBytes_) * (buffersProcessed_ - 1) + filled;
  int64_t since = 0;
  // Captured before playback began, or not to be placed: dropped, and the next tried.
  if (!PlayedWhenCaptured(placement, end, since) || since <= 0) return;
  const auto goingOn = [&] { return atStop || !StopAsked(); };
  const int64_t gap = since & ~int64_t{3};
  if (gap > static_cast<int64_t>(filled)) {
    int64_t pad = gap - filled;
    if (pad > kMaxPadBytes) {
      watch_.NotifyEnd(__LINE__);
      Report(kLinePad);
    }
    while (pad > 0 && goingOn()) {
      const uint32_t piece = static_cast<uint32_t>(std::min<int64_t>(pad, bufferBytes_));
      DeliverToInputs(silenceBuffer_, piece);
      pad -= piece;
    }
    if (goingOn()) DeliverToInputs(header.data, filled);
  } else if (gap > 0) {
    DeliverToInputs(header.data + filled - gap, static_cast<uint32_t>(gap));
  }
  aligned_ = 1;
}

void CAudioRecorder::ProcessBuffer() {
  ++buffersProcessed_;
  Placement placement;
  if (alignToPlayback_ && !aligned_) ReadPlacement(placement);

  const int index = currentHeader_;
  WaveHeader& header = headers_[index];
  if (!header.Has(kWaveDone) || StopAsked() || device_->Unprepare(header) != kWaveOk) return;
  if (!player_) {
    Report(kLineNoPlayer);
    return;
  }
  Take(index, bufferBytes_, placement, false);

  if (StopAsked()) return;
  if (CheckDropout()) {
    starved_ = true;
    return;
  }
  lastProcessedTick_ = system_->TickCount();
  std::memset(header.data, 0, bufferBytes_);
  if (device_->Prepare(header) != kWaveOk) {
    Report(kLineRequeuePrepare);
    return;
  }
  if (device_->AddBuffer(header) != kWaveOk) {
    Report(kLineRequeueAdd);
    return;
  }
  taken_[index] = false;
}

void CAudioRecorder::TakeRemaining(const Placement& placement) {
  // In capture order from the oldest not taken; the stop handed the last one back partly filled.
  for (int n = 0; n < bufferCount_; ++n) {
    const int index = currentHeader_;
    const WaveHeader& header = headers_[index];
    if (taken_[index] || !header.Has(kWaveDone) || header.Has(platform::kWaveInQueue)) return;
    const uint32_t filled = std::min(header.bytesRecorded, bufferBytes_) & ~3u;
    if (filled == 0) return;
    ++buffersProcessed_;
    Take(index, filled, placement, true);
  }
}

void CAudioRecorder::DeliverToInputs(const uint8_t* data, uint32_t bytes) {
  if (!data) {
    Report(kLineNoData);
    return;
  }
  if (!conversionBuffer_) {
    Report(kLineNoConversion);
    return;
  }
  bytes = std::min(bytes, bufferBytes_) & ~3u;
  const uint32_t frames = bytes / 4;
  for (int i = 0; i < inputCount_; ++i) {
    RecorderInput& input = inputs_[i];
    uint8_t* out = conversionBuffer_;
    uint32_t outBytes = bytes;
    const bool stereo = input.mode == kModeStereo;
    if (input.mode != kModeMono && !stereo) continue;
    if (input.channel == 0 && stereo) {
      std::memcpy(out, data, bytes);
    } else if (input.channel >= 0 && input.channel <= 2) {
      for (uint32_t f = 0; f < frames; ++f) {
        const int32_t left = SampleAt(data + 4 * f);
        const int32_t right = SampleAt(data + 4 * f + 2);
        if (!stereo) {
          // (l + r) / 2 truncates toward zero, as half of each added would.
          const int32_t value = input.channel == 0 ? (left + right) / 2 : input.channel == 1 ? left : right;
          PutSample(out + 2 * f, value);
        } else {
          const int32_t half = (input.channel == 1 ? left : right) / 2;
          PutSample(out + 4 * f, half);
          PutSample(out + 4 * f + 2, half);
        }
      }
      if (!stereo) outBytes = bytes / 2;
    } else {
      continue;
    }
    if (!input.callback) {
      Report(__LINE__);
      continue;
    }
    uint32_t taken = 0;
    int32_t reserved = 0;
    input.callback(static_cast<uint32_t>(input.recordSlot), out, outBytes, &taken, &reserved);
    input.bytesTaken += std::min(taken, outBytes);
  }
}

bool CAudioRecorder::CheckDropout() {
  if (lastProcessedTick_ == 0) return false;
  watch_.Count(system_->TickCount() - lastProcessedTick_ > lateThreshold_);
  return watch_.CheckDropout();
}

void CAudioRecorder::GetCurrentBuffer(unsigned char** dst, uint32_t bytes) {
  if (!dst || !*dst) {
    Report(__LINE__);
    return;
  }
  unsigned char* out = *dst;
  if (state_ == kStopped || !device_ || bufferCount_ == 0) {
    std::memset(out, 0, bytes);
    return;
  }
  uint32_t captured = 0;
  const uint32_t result = device_->GetPosition(captured);
  if (result != kWaveOk) {
    ReportIoError(kLinePosition, result);
    return;
  }
  // No more than one buffer can be shown; the older part of a longer request is silence.
  const uint32_t wanted = std::min(bytes, bufferBytes_);
  std::memset(out, 0, bytes - wanted);
  out += bytes - wanted;
  if (captured < wanted) {
    std::memset(out, 0, wanted);
    return;
  }
  const uint32_t index = (captured / bufferBytes_) % static_cast<uint32_t>(bufferCount_);
  const uint32_t within = captured % bufferBytes_;
  const uint32_t offset = within > wanted ? within - wanted : 0;
  std::memcpy(out, headers_[index].data + offset, wanted);
}

void CAudioRecorder::GetBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                                      uint32_t* elapsedMilliseconds, int16_t* bufferCount) {
  if (!buffer || !bufferBytes || !bufferMilliseconds || !elapsedMilliseconds || !bufferCount) {
    Report(kLineTimeBuffer);
    return;
  }
  if (bufferMilliseconds_ == 0.0f || bufferCount_ == 0) {
    Report(kLineTimeZero, "Divide by Zero Error");
    return;
  }
  const uint32_t elapsed = system_->TickCount() - startTime_.load();
  const uint32_t index = static_cast<uint32_t>(elapsed / bufferMilliseconds_) % static_cast<uint32_t>(bufferCount_);
  *buffer = headers_[index].data;
  *bufferBytes = bufferBytes_;
  *bufferMilliseconds = static_cast<uint32_t>(bufferMilliseconds_);
  *elapsedMilliseconds = elapsed;
  *bufferCount = bufferCount_;
}
