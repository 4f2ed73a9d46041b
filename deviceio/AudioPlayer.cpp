#include "AudioPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ReportErrorDll.h"

using platform::kWaveDone;
using platform::kWaveInQueue;
using platform::kWaveOk;
using platform::WaveHeader;

namespace {

// Fault codes of this file's reports.
enum FaultLine {
  kLineThread = 147,
  kLineArea = 156,
  kLineDecommit = 174,
  kLineRelease = 178,
  kLineOpen = 232,
  kLineClose = 255,
  kLineEndMissing = 626,
  kLinePosition = 667,
  kLineBufferTime = 988,
  kLineBufferCount = 993,
  kLineDestination = 1026,
  kLineConsecutiveEnd = 1089,
  kLineConsecutiveDropout = 1094,
  kLineAccumulatedEnd = 1110,
  kLineAccumulatedDropout = 1115,
};

// How long a start waits for the player thread to finish an earlier stop.
constexpr uint32_t kSettleMs = 5000;

void Report(int line, const char* message = "") { ReportErrorDll(__FILE__, line, message); }

}  // namespace

CAudioPlayer::CAudioPlayer(std::shared_ptr<platform::CWaveSystem> system)
    : system_(std::move(system)),
      watch_("playback", __FILE__,
             {kLineConsecutiveEnd, kLineConsecutiveDropout, kLineAccumulatedEnd, kLineAccumulatedDropout}) {
  if (!thread_.Start("tessiro-player", platform::ThreadPriority::AboveNormal,
                     [this](const platform::ThreadMessage& message) { OnMessage(message); })) {
    Report(kLineThread);
    return;
  }
  if (!area_.Reserve(kAreaBytes) || !area_.Commit(0, kAreaBytes)) {
    area_.Release();
    Report(kLineArea);
  }
}

CAudioPlayer::~CAudioPlayer() {
  StopThread();
  if (device_) Close();
  if (area_.IsReserved()) {
    if (!area_.Decommit(0, kAreaBytes)) Report(kLineDecommit);
    if (!area_.Release()) Report(kLineRelease);
  }
}

bool CAudioPlayer::IsUsable() const { return thread_.IsRunning() && area_.IsReserved(); }

void CAudioPlayer::StopThread() { thread_.Quit(); }

unsigned int CAudioPlayer::Open(int32_t deviceId, int16_t bitsPerSample, int32_t samplesPerSecond,
                                PobixOutputCallback fill) {
  Settle();
  if (device_) Close();
  bitsPerSample_ = bitsPerSample;
  samplesPerSecond_ = samplesPerSecond;
  bytesPerSecond_ = samplesPerSecond * (bitsPerSample / 8) * 2;
  fillCallback_.store(fill);
  startTime_ = 0;

  platform::WaveFormat format;
  format.channels = 2;
  format.samplesPerSecond = static_cast<uint32_t>(samplesPerSecond);
  format.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
  const bool opened = deviceId >= 0 && system_->OpenOutput(static_cast<uint32_t>(deviceId), format, &thread_.Queue(),
                                                           device_) == kWaveOk;
  if (!opened) {
    device_.reset();
    Report(kLineOpen, "Failed to open audio output device");
    return 0;
  }
  device_->Pause();
  return 1;
}

unsigned int CAudioPlayer::Close() {
  if (!device_) return 1;
  device_->Reset();
  for (WaveHeader& header : headers_) device_->Unprepare(header);
  if (device_->Close() != kWaveOk) {
    Report(kLineClose, "Failed to shutdown audio output device");
    return 0;
  }
  device_.reset();
  return 1;
}

unsigned int CAudioPlayer::SetBufferInfo(int16_t count, uint32_t bytes) {
  if (state_ != kStopped) return 0;
  bytes -= bytes % 4;
  // The headers and the area hold no more; a larger request would play memory that
  // is not ours.
  if (count < 1 || count > kMaxBuffers || bytes == 0 || static_cast<uint64_t>(count) * bytes > kAreaBytes ||
      !area_.IsReserved()) {
    Report(__LINE__);
    return 0;
  }
  bufferCount_ = count;
  bufferBytes_ = bytes;
  if (bytesPerSecond_ == 0) Report(__LINE__, "Divide By Zero Violation");
  bufferMilliseconds_ = CDropoutWatch::BufferMilliseconds(bytes, bytesPerSecond_);
  lateThreshold_ = CDropoutWatch::LateThreshold(bufferMilliseconds_);
  auto* area = static_cast<uint8_t*>(area_.Data());
  for (int i = 0; i < kMaxBuffers; ++i) headers_[i].data = area + static_cast<size_t>(i) * bytes;
  return 0;
}

bool CAudioPlayer::Settle() {
  if (stopsPending_.load() == 0 && state_ == kStopped) return true;
  if (thread_.IsCurrent()) {
    // A stop posted from this thread has not run yet; do it now. The message that
    // follows belongs to an earlier run and is ignored.
    StopOnThread();
    return true;
  }
  if (stopsPending_.load() == 0) RequestStop(run_.load());
  if (!synced_.RoundTrip(thread_, kSyncMessage, kSettleMs)) {
    Report(__LINE__);
    return false;
  }
  return true;
}

void CAudioPlayer::Start(uint32_t run) {
  if (!Settle()) return;
  run_ = run;
  watch_.Reset();
  if (!device_ || bufferCount_ == 0) {
    // Nothing can play; the run ends at once rather than leave the transport
    // waiting for an end that would never come.
    Report(__LINE__);
    endOfAudio_ = 1;
    state_ = kPlaying;
    thread_.Post(kEndCheckMessage, run);
    return;
  }
  lastFillTick_ = 0;
  buffersQueuedAtStart_ = 0;
  endOfAudio_ = 0;
  for (int i = 0; i < bufferCount_; ++i) {
    WaveHeader& header = headers_[i];
    device_->Unprepare(header);
    std::memset(header.data, 0, bufferBytes_);
    header.bufferLength = 0;
    header.bytesRecorded = 0;
    header.flags = 0;
    header.loops = 0;
    header.user = 0;
  }
  device_->Pause();
  for (int i = 0; i < bufferCount_; ++i) {
    FillBuffer(i);
    WaveHeader& header = headers_[i];
    if (header.bufferLength == 0) continue;
    if (device_->Prepare(header) != kWaveOk || device_->Write(header) != kWaveOk) {
      Report(__LINE__);
      continue;
    }
    ++buffersQueuedAtStart_;
  }
  // Nothing went to the device, so no notice will come to report the end by.
  const bool endWithoutNotice = buffersQueuedAtStart_ == 0 && endOfAudio_;
  startTime_ = system_->TickCount();
  // A device may hand both buffers back the moment it is released: its notices
  // must already find this run playing. From here on the thread owns the run.
  state_ = kPlaying;
  device_->Restart();
  if (endWithoutNotice) thread_.Post(kEndCheckMessage, run);
}

void CAudioPlayer::RequestStop(uint32_t run) {
  ++stopsPending_;
  thread_.Post(kStopMessage, run);
}

void CAudioPlayer::OnMessage(const platform::ThreadMessage& message) {
  switch (message.id) {
    case kStopMessage:
      if (message.param == run_.load() && state_ != kStopped) StopOnThread();
      --stopsPending_;
      break;
    case platform::kWaveOutDone:
      if (state_ == kPlaying) OnBufferDone();
      break;
    case kEndCheckMessage:
      if (state_ == kPlaying && message.param == run_.load()) CheckEnd();
      break;
    case kSyncMessage:
      synced_.Done(message.param);
      break;
    default:
      break;
  }
}

void CAudioPlayer::StopOnThread() {
  state_ = kStopping;
  if (device_) {
    device_->Reset();
    for (int i = 0; i < bufferCount_; ++i) {
      if (headers_[i].Has(kWaveDone)) device_->Unprepare(headers_[i]);
    }
  }
  state_ = kStopped;
  playStartKnown = 0;
}

void CAudioPlayer::OnBufferDone() {
  bool anyDone = false;
  for (int i = 0; i < bufferCount_; ++i) anyDone = anyDone || headers_[i].Has(kWaveDone);
  // A notice left over from the reset that ended the run before tells nothing of
  // this one: no buffer of it has played yet.
  if (!anyDone) return;
  if (!playStartKnown.load()) {
    const uint32_t tick = system_->TickCount();
    uint32_t position = 0;
    if (device_->GetPosition(position) == kWaveOk) {
      if (bytesPerSecond_ == 0) {
        Report(__LINE__, "Divide By Zero Violation");
        playStartTick = static_cast<int32_t>(tick);
      } else {
        // In tick arithmetic, which wraps: floor(tick - played) without leaving 32 bits.
        const double playedMs = static_cast<double>(position) / bytesPerSecond_ * 1000.0;
        playStartTick = static_cast<int32_t>(tick - static_cast<uint32_t>(std::ceil(playedMs)));
      }
      playStartKnown = 1;
    } else {
      Report(kLinePosition);
    }
  }
  if (state_ == kStopping) return;

  for (int i = 0; i < bufferCount_; ++i) {
    WaveHeader& header = headers_[i];
    if (!header.Has(kWaveDone)) continue;
    device_->Unprepare(header);
    FillBuffer(i);
    if (state_ == kStopping) header.bufferLength = 0;
    if (header.bufferLength == 0) continue;
    if (device_->Prepare(header) != kWaveOk || device_->Write(header) != kWaveOk) Report(__LINE__);
  }
  CheckEnd();
}

void CAudioPlayer::FillBuffer(int index) {
  WaveHeader& header = headers_[index];
  if (state_ == kStopping || endOfAudio_) {
    header.bufferLength = 0;
    return;
  }
  uint32_t filled = 0;
  int32_t end = 0;
  if (PobixOutputCallback fill = fillCallback_.load()) {
    fill(0, header.data, bufferBytes_, &filled, &end);
  } else {
    Report(__LINE__);
    end = 1;
  }
  // Whatever the callback claims, the device never plays past the buffer.
  header.bufferLength = std::min(filled, bufferBytes_) & ~3u;
  if (end) endOfAudio_ = 1;
  if (CheckDropout()) return;
  lastFillTick_ = system_->TickCount();
}

bool CAudioPlayer::CheckDropout() {
  if (lastFillTick_ == 0) return false;
  watch_.Count(system_->TickCount() - lastFillTick_ > lateThreshold_);
  return watch_.CheckDropout();
}

void CAudioPlayer::CheckEnd() {
  if (!endOfAudio_ || watch_.EndNotified()) return;
  // The end has come when the last buffer holding audio has played out, whether
  // it was partly filled or the audio ended exactly on a buffer boundary.
  for (int i = 0; i < bufferCount_; ++i) {
    if (headers_[i].Has(kWaveInQueue)) return;
  }
  watch_.NotifyEnd(kLineEndMissing);
}

uint32_t CAudioPlayer::GetMillisecondsPlayed() {
  if (!device_) return 0;
  uint32_t position = 0;
  if (device_->GetPosition(position) != kWaveOk) return 0;
  if (bytesPerSecond_ == 0) {
    Report(__LINE__, "Divide By Zero Violation");
    return 0;
  }
  return static_cast<uint32_t>(static_cast<double>(position) / bytesPerSecond_ * 1000.0);
}

bool CAudioPlayer::GetBytesPlayed(uint32_t& bytes) {
  return device_ && device_->GetPosition(bytes) == kWaveOk;
}

bool CAudioPlayer::Clock(uint32_t& elapsed, uint32_t& number, uint32_t& position) {
  if (bufferCount_ == 0) {
    Report(kLineBufferCount, "Divide by Zero Error");
    return false;
  }
  // Buffers shorter than a millisecond cannot be told apart on this clock.
  const uint32_t wholeMs = static_cast<uint32_t>(bufferMilliseconds_);
  if (wholeMs == 0) {
    Report(kLineBufferTime, "Divide by Zero Error");
    return false;
  }
  elapsed = system_->TickCount() - startTime_.load();
  number = static_cast<uint32_t>(elapsed / bufferMilliseconds_) % static_cast<uint32_t>(bufferCount_);
  position = static_cast<uint32_t>(static_cast<float>(elapsed % wholeMs) / bufferMilliseconds_ *
                                   static_cast<float>(bufferBytes_));
  position = std::min(position, bufferBytes_) & ~3u;
  return true;
}

void CAudioPlayer::GetBufferNumberAndPosition(int16_t* number, uint32_t* position) {
  if (!number || !position) {
    Report(__LINE__);
    return;
  }
  uint32_t elapsed, n, p;
  if (!Clock(elapsed, n, p)) return;
  *number = static_cast<int16_t>(n);
  *position = p;
}

void CAudioPlayer::GetCurrentBuffer(unsigned char** dst, uint32_t bytes) {
  if (!dst || !*dst) {
    Report(kLineDestination);
    return;
  }
  uint32_t elapsed, number, position;
  if (!Clock(elapsed, number, position)) return;
  // At most one buffer's worth is known; older bytes of a longer request are silence.
  const uint32_t wanted = std::min(bytes, bufferBytes_);
  unsigned char* out = *dst;
  std::memset(out, 0, bytes - wanted);
  out += bytes - wanted;
  const uint8_t* current = headers_[number].data;
  if (position >= wanted) {
    std::memcpy(out, current + position - wanted, wanted);
    return;
  }
  const uint32_t rest = wanted - position;
  const uint32_t previous = number == 0 ? static_cast<uint32_t>(bufferCount_ - 1) : number - 1;
  if (elapsed > (bufferCount_ + 1) * bufferMilliseconds_) {
    std::memcpy(out, headers_[previous].data + bufferBytes_ - rest, rest);
  } else {
    std::memset(out, 0, rest);
  }
  std::memcpy(out + rest, current, position);
}

void CAudioPlayer::GetBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                                    uint32_t* elapsedMilliseconds, int16_t* bufferCount) {
  if (!buffer || !bufferBytes || !bufferMilliseconds || !elapsedMilliseconds || !bufferCount) {
    Report(__LINE__);
    return;
  }
  uint32_t elapsed, number, position;
  if (!Clock(elapsed, number, position)) return;
  *buffer = headers_[number].data;
  *bufferBytes = bufferBytes_;
  *bufferMilliseconds = static_cast<uint32_t>(bufferMilliseconds_);
  *elapsedMilliseconds = elapsed;
  *bufferCount = bufferCount_;
}
