#include "VirtualWaveSystem.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

#include "WaveFileSignal.h"

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kFrameBytes = 4;
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
// How long Advance lets a device thread take over one notice before moving on.
constexpr uint32_t kIdleWaitMs = 5000;
constexpr auto kTickerPeriod = std::chrono::milliseconds(2);

uint64_t FramesIn(uint32_t bytes) { return (bytes + kFrameBytes - 1) / kFrameBytes; }

// The first time at which the frame clock has reached frame.
uint64_t MsWhenFrameReached(uint64_t frame) {
  const uint64_t scaled = frame * 1000;
  return (scaled + CVirtualWaveSystem::kRate - 1) / CVirtualWaveSystem::kRate;
}

void PutFrame(uint8_t* p, int16_t left, int16_t right) {
  const uint16_t l = static_cast<uint16_t>(left), r = static_cast<uint16_t>(right);
  p[0] = static_cast<uint8_t>(l & 0xFF);
  p[1] = static_cast<uint8_t>(l >> 8);
  p[2] = static_cast<uint8_t>(r & 0xFF);
  p[3] = static_cast<uint8_t>(r >> 8);
}

bool IsDeviceFormat(const WaveFormat& format) {
  return format.channels == 2 && format.bitsPerSample == 16 && format.samplesPerSecond == CVirtualWaveSystem::kRate;
}

struct DeviceFaults {
  uint32_t openError = kWaveOk;
  bool rejectFormat = false;
  bool positionFails = false;
  bool stalled = false;
  uint32_t delayAfterPositionMs = 0;  // once: time moves on this far after a position is read
};

struct OutputState {
  std::string name;
  DeviceFaults faults;
  bool open = false;
  CMessageQueue* notify = nullptr;
  bool paused = false;
  std::vector<WaveHeader*> queue;
  uint32_t headOffset = 0;  // bytes of the first queued buffer already played
  uint64_t cursor = 0;      // frame clock up to which the device has run
  uint32_t position = 0;
  bool keepPlayed = true;
  bool instant = false;
  uint64_t buffersDone = 0;
  std::vector<uint8_t> played;
  std::vector<CVirtualWaveSystem::PlayedRun> runs;
  bool runOpen = false;
  std::unique_ptr<CWaveFileSink> sink;  // where what it plays is also written, if anywhere

  bool Moving() const { return open && !paused && !faults.stalled && !queue.empty(); }
};

struct InputState {
  std::string name;
  DeviceFaults faults;
  bool stopFails = false;
  bool failed = false;
  bool open = false;
  CMessageQueue* notify = nullptr;
  bool started = false;
  std::vector<WaveHeader*> queue;
  uint32_t fill = 0;  // bytes already captured into the first queued buffer
  uint64_t cursor = 0;
  uint32_t position = 0;
  std::vector<int16_t> frames;  // a file's frames; empty for the known signal
  uint64_t sourceFrame = 0;     // frames captured since the last reset

  bool Capturing() const { return open && started && !failed && !faults.stalled; }

  void Sample(uint64_t clockFrame, int16_t& left, int16_t& right) {
    if (frames.empty()) {
      CVirtualWaveSystem::SignalAt(clockFrame, left, right);
    } else if (sourceFrame < frames.size() / 2) {
      left = frames[2 * sourceFrame];
      right = frames[2 * sourceFrame + 1];
    } else {
      left = right = 0;
    }
    ++sourceFrame;
  }
};

}  // namespace

struct CVirtualWaveSystem::Core {
  Core(ClockMode clockMode, uint64_t startMs)
      : mode(clockMode), realStart(SteadyClock::now()), startMs(startMs), nowMs(startMs) {}

  const ClockMode mode;
  const SteadyClock::time_point realStart;
  const uint64_t startMs;
  mutable std::mutex lock;
  uint64_t nowMs;
  uint32_t waitLimitMs = kInfinite;
  std::vector<OutputState> outputs;
  std::vector<InputState> inputs;

  std::mutex tickerLock;
  std::condition_variable tickerWake;
  bool tickerStop = false;
  std::thread ticker;

  uint64_t Frame() const { return FrameAt(nowMs); }

  // Manual clock: time moves on behind the caller's back, as when a thread is held
  // up between two reads; nobody's notices are waited for.
  void SlipLocked(uint32_t& ms) {
    if (mode != ClockMode::Manual || ms == 0) return;
    nowMs += ms;
    ms = 0;
    for (OutputState& o : outputs) RunOutputLocked(o);
    for (InputState& i : inputs) RunInputLocked(i);
  }

  // On the real-time clock, runs the devices up to the present.
  void CatchUpLocked() {
    if (mode != ClockMode::RealTime) return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - realStart);
    const uint64_t now = startMs + static_cast<uint64_t>(elapsed.count());
    if (now <= nowMs) return;
    nowMs = now;
    for (OutputState& o : outputs) RunOutputLocked(o);
    for (InputState& i : inputs) RunInputLocked(i);
  }

  void RunOutputLocked(OutputState& o) {
    const uint64_t target = Frame();
    if (o.instant) {
      o.cursor = std::max(o.cursor, target);
      while (o.Moving()) {
        const WaveHeader* head = o.queue.front();
        PlayLocked(o, head->bufferLength - std::min(o.headOffset, head->bufferLength));
      }
      if (o.queue.empty()) o.runOpen = false;
      return;
    }
    while (o.cursor < target) {
      if (!o.Moving()) {
        o.cursor = target;
        o.runOpen = false;
        break;
      }
      WaveHeader* head = o.queue.front();
      const uint32_t left = head->bufferLength - std::min(o.headOffset, head->bufferLength);
      const uint64_t frames = std::min(target - o.cursor, FramesIn(left));
      const uint64_t from = o.cursor;
      o.cursor += frames;
      PlayLocked(o, static_cast<uint32_t>(std::min<uint64_t>(frames * kFrameBytes, left)), from);
    }
    // Buffers with nothing to play are through at once.
    while (o.Moving() && o.queue.front()->bufferLength == 0) FinishOutputHeadLocked(o);
  }

  // Plays bytes of the first queued buffer, the first of them at frame from.
  void PlayLocked(OutputState& o, uint32_t bytes, uint64_t from) {
    WaveHeader* head = o.queue.front();
    if (o.keepPlayed && bytes > 0) {
      if (!o.runOpen) o.runs.push_back({from, o.played.size(), 0});
      o.played.insert(o.played.end(), head->data + o.headOffset, head->data + o.headOffset + bytes);
      o.runs.back().bytes += bytes;
    }
    if (o.sink && bytes > 0) o.sink->Append(head->data + o.headOffset, bytes);
    o.runOpen = true;
    o.position += bytes;
    o.headOffset += bytes;
    if (o.headOffset >= head->bufferLength) FinishOutputHeadLocked(o);
  }
  void PlayLocked(OutputState& o, uint32_t bytes) { PlayLocked(o, bytes, o.cursor); }

  void FinishOutputHeadLocked(OutputState& o) {
    WaveHeader* head = o.queue.front();
    o.queue.erase(o.queue.begin());
    o.headOffset = 0;
    ++o.buffersDone;
    CompleteWaveHeader(*head);
    if (o.notify) o.notify->Post(kWaveOutDone, reinterpret_cast<uintptr_t>(head));
  }

  void RunInputLocked(InputState& in) {
    const uint64_t target = Frame();
    while (in.cursor < target) {
      if (!in.Capturing()) {
        in.cursor = target;
        break;
      }
      if (in.queue.empty()) {
        // Captured with nowhere to go: lost, but the position still counts it.
        const uint64_t frames = target - in.cursor;
        in.position += static_cast<uint32_t>(frames * kFrameBytes);
        in.sourceFrame += frames;
        in.cursor = target;
        break;
      }
      WaveHeader* head = in.queue.front();
      const uint64_t room = (head->bufferLength - in.fill) / kFrameBytes;
      const uint64_t frames = std::min(target - in.cursor, room);
      for (uint64_t f = 0; f < frames; ++f) {
        int16_t left, right;
        in.Sample(in.cursor + f, left, right);
        PutFrame(head->data + in.fill + f * kFrameBytes, left, right);
      }
      in.fill += static_cast<uint32_t>(frames * kFrameBytes);
      in.position += static_cast<uint32_t>(frames * kFrameBytes);
      in.cursor += frames;
      if (head->bufferLength - in.fill < kFrameBytes) FinishInputHeadLocked(in);
    }
  }

  void FinishInputHeadLocked(InputState& in) {
    WaveHeader* head = in.queue.front();
    in.queue.erase(in.queue.begin());
    head->bytesRecorded = in.fill;
    in.fill = 0;
    CompleteWaveHeader(*head);
    if (in.notify) in.notify->Post(kWaveInData, reinterpret_cast<uintptr_t>(head));
  }

  uint64_t NextEventLocked() const {
    uint64_t next = kNever;
    for (const OutputState& o : outputs) {
      if (!o.Moving()) continue;
      const WaveHeader* head = o.queue.front();
      const uint64_t frame = o.cursor + FramesIn(head->bufferLength - std::min(o.headOffset, head->bufferLength));
      next = std::min(next, MsWhenFrameReached(frame));
    }
    for (const InputState& in : inputs) {
      if (!in.Capturing() || in.queue.empty()) continue;
      const uint64_t frame = in.cursor + (in.queue.front()->bufferLength - in.fill) / kFrameBytes;
      next = std::min(next, MsWhenFrameReached(frame));
    }
    return next;
  }
};

namespace {

using Core = CVirtualWaveSystem::Core;

void WaitForThreads(const std::vector<CMessageQueue*>& queues) {
  for (CMessageQueue* queue : queues) {
    if (!queue->IsConsumerThread()) queue->WaitIdle(kIdleWaitMs);
  }
}

class CVirtualOut final : public CWaveOut {
 public:
  CVirtualOut(std::shared_ptr<Core> core, uint32_t id) : core_(std::move(core)), id_(id) {}
  ~CVirtualOut() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (!closed_) Detach(State());
  }

  uint32_t Write(WaveHeader& header) override {
    CMessageQueue* settle = nullptr;
    {
      std::lock_guard<std::mutex> guard(core_->lock);
      if (closed_) return kWaveInvalidHandle;
      core_->CatchUpLocked();
      OutputState& o = State();
      const uint32_t result = QueueWaveHeader(header);
      if (result != kWaveOk) return result;
      o.queue.push_back(&header);
      const uint64_t done = o.buffersDone;
      core_->RunOutputLocked(o);
      if (o.instant && o.buffersDone != done) settle = o.notify;
    }
    SettleInstant(settle);
    return kWaveOk;
  }

  uint32_t Pause() override { return SetPaused(true); }
  uint32_t Restart() override { return SetPaused(false); }

  uint32_t Reset() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    OutputState& o = State();
    while (!o.queue.empty()) core_->FinishOutputHeadLocked(o);
    o.position = 0;
    o.runOpen = false;
    return kWaveOk;
  }

  uint32_t GetPosition(uint32_t& bytesPlayed) override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    const OutputState& o = State();
    if (o.faults.positionFails) return kWaveError;
    bytesPlayed = o.position;
    core_->SlipLocked(State().faults.delayAfterPositionMs);
    return kWaveOk;
  }

  uint32_t Close() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    OutputState& o = State();
    if (!o.queue.empty()) return kWaveStillPlaying;
    if (o.notify) o.notify->Post(kWaveOutClosed);
    Detach(o);
    return kWaveOk;
  }

 private:
  OutputState& State() { return core_->outputs[id_]; }

  uint32_t SetPaused(bool paused) {
    CMessageQueue* settle = nullptr;
    {
      std::lock_guard<std::mutex> guard(core_->lock);
      if (closed_) return kWaveInvalidHandle;
      core_->CatchUpLocked();
      OutputState& o = State();
      o.paused = paused;
      if (paused) o.runOpen = false;
      const uint64_t done = o.buffersDone;
      if (o.instant) core_->RunOutputLocked(o);
      if (o.buffersDone != done) settle = o.notify;
    }
    SettleInstant(settle);
    return kWaveOk;
  }

  // What an instant output handed back is handled before its caller goes on.
  static void SettleInstant(CMessageQueue* queue) {
    if (queue && !queue->IsConsumerThread()) queue->WaitIdle(kIdleWaitMs);
  }

  void Detach(OutputState& o) {
    o.open = false;
    o.notify = nullptr;
    o.queue.clear();
    o.headOffset = 0;
    o.runOpen = false;
    closed_ = true;
  }

  std::shared_ptr<Core> core_;
  const uint32_t id_;
  bool closed_ = false;
};

class CVirtualIn final : public CWaveIn {
 public:
  CVirtualIn(std::shared_ptr<Core> core, uint32_t id) : core_(std::move(core)), id_(id) {}
  ~CVirtualIn() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (!closed_) Detach(State());
  }

  uint32_t AddBuffer(WaveHeader& header) override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    if (header.bufferLength < kFrameBytes) return kWaveInvalidParameter;
    const uint32_t result = QueueWaveHeader(header);
    if (result != kWaveOk) return result;
    header.bytesRecorded = 0;
    State().queue.push_back(&header);
    return kWaveOk;
  }

  uint32_t Start() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    if (State().failed) return kWaveBadDeviceId;
    State().started = true;
    return kWaveOk;
  }

  uint32_t Stop() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    InputState& in = State();
    if (in.stopFails) return kWaveError;
    in.started = false;
    // A partly filled buffer comes back with what it holds; empty ones stay queued.
    if (!in.queue.empty() && in.fill > 0) core_->FinishInputHeadLocked(in);
    return kWaveOk;
  }

  uint32_t Reset() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    InputState& in = State();
    in.started = false;
    while (!in.queue.empty()) core_->FinishInputHeadLocked(in);
    in.position = 0;
    in.sourceFrame = 0;
    return kWaveOk;
  }

  uint32_t GetPosition(uint32_t& bytesCaptured) override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    core_->CatchUpLocked();
    const InputState& in = State();
    if (in.faults.positionFails) return kWaveError;
    bytesCaptured = in.position;
    core_->SlipLocked(State().faults.delayAfterPositionMs);
    return kWaveOk;
  }

  uint32_t Close() override {
    std::lock_guard<std::mutex> guard(core_->lock);
    if (closed_) return kWaveInvalidHandle;
    InputState& in = State();
    if (!in.queue.empty()) return kWaveStillPlaying;
    if (in.notify) in.notify->Post(kWaveInClosed);
    Detach(in);
    return kWaveOk;
  }

 private:
  InputState& State() { return core_->inputs[id_]; }

  void Detach(InputState& in) {
    in.open = false;
    in.started = false;
    in.notify = nullptr;
    in.queue.clear();
    in.fill = 0;
    closed_ = true;
  }

  std::shared_ptr<Core> core_;
  const uint32_t id_;
  bool closed_ = false;
};

}  // namespace

CVirtualWaveSystem::CVirtualWaveSystem(ClockMode mode, uint64_t startMs)
    : core_(std::make_shared<Core>(mode, startMs)) {
  if (mode != ClockMode::RealTime) return;
  core_->ticker = std::thread([core = core_.get()] {
    std::unique_lock<std::mutex> wait(core->tickerLock);
    while (!core->tickerWake.wait_for(wait, kTickerPeriod, [core] { return core->tickerStop; })) {
      std::lock_guard<std::mutex> guard(core->lock);
      core->CatchUpLocked();
    }
  });
}

CVirtualWaveSystem::~CVirtualWaveSystem() {
  if (core_->ticker.joinable()) {
    {
      std::lock_guard<std::mutex> guard(core_->tickerLock);
      core_->tickerStop = true;
    }
    core_->tickerWake.notify_all();
    core_->ticker.join();
  }
}

uint32_t CVirtualWaveSystem::AddOutput(const std::string& name) {
  std::lock_guard<std::mutex> guard(core_->lock);
  OutputState o;
  o.name = name.substr(0, kWaveNameChars);
  // Nobody reads what a free-running device played; keeping it would only grow.
  o.keepPlayed = core_->mode == ClockMode::Manual;
  core_->outputs.push_back(std::move(o));
  return static_cast<uint32_t>(core_->outputs.size() - 1);
}

uint32_t CVirtualWaveSystem::AddInput(const std::string& name) {
  std::lock_guard<std::mutex> guard(core_->lock);
  InputState in;
  in.name = name.substr(0, kWaveNameChars);
  core_->inputs.push_back(std::move(in));
  return static_cast<uint32_t>(core_->inputs.size() - 1);
}

namespace {
template <typename Devices, typename Apply>
void WithDevice(Devices& devices, uint32_t id, Apply apply) {
  if (id < devices.size()) apply(devices[id]);
}

// The faults of one device; null for an id that does not exist.
DeviceFaults* FaultsOf(Core& core, CVirtualWaveSystem::Direction direction, uint32_t id) {
  if (direction == CVirtualWaveSystem::Direction::Output) {
    return id < core.outputs.size() ? &core.outputs[id].faults : nullptr;
  }
  return id < core.inputs.size() ? &core.inputs[id].faults : nullptr;
}
}  // namespace

void CVirtualWaveSystem::SetOpenError(Direction direction, uint32_t id, uint32_t result) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (DeviceFaults* faults = FaultsOf(*core_, direction, id)) faults->openError = result;
}

void CVirtualWaveSystem::SetFormatRejected(Direction direction, uint32_t id, bool rejected) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (DeviceFaults* faults = FaultsOf(*core_, direction, id)) faults->rejectFormat = rejected;
}

void CVirtualWaveSystem::SetPositionFails(Direction direction, uint32_t id, bool fails) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (DeviceFaults* faults = FaultsOf(*core_, direction, id)) faults->positionFails = fails;
}

void CVirtualWaveSystem::SetDelayAfterPosition(Direction direction, uint32_t id, uint32_t ms) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (DeviceFaults* faults = FaultsOf(*core_, direction, id)) faults->delayAfterPositionMs = ms;
}

void CVirtualWaveSystem::SetStalled(Direction direction, uint32_t id, bool stalled) {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  if (DeviceFaults* faults = FaultsOf(*core_, direction, id)) faults->stalled = stalled;
  if (direction == Direction::Output) WithDevice(core_->outputs, id, [](OutputState& o) { o.runOpen = false; });
}

void CVirtualWaveSystem::SetStopFails(uint32_t inputId, bool fails) {
  std::lock_guard<std::mutex> guard(core_->lock);
  WithDevice(core_->inputs, inputId, [&](InputState& in) { in.stopFails = fails; });
}

void CVirtualWaveSystem::SetInputFailed(uint32_t inputId, bool failed) {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  WithDevice(core_->inputs, inputId, [&](InputState& in) {
    const bool wasCapturing = in.Capturing();
    in.failed = failed;
    if (failed && wasCapturing && in.notify) in.notify->Post(kWaveInFailed);
  });
}

void CVirtualWaveSystem::SetInstant(uint32_t outputId, bool instant) {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  WithDevice(core_->outputs, outputId, [&](OutputState& o) { o.instant = instant; });
}

void CVirtualWaveSystem::SetInputFrames(uint32_t inputId, std::vector<int16_t> stereo) {
  std::lock_guard<std::mutex> guard(core_->lock);
  WithDevice(core_->inputs, inputId, [&](InputState& in) { in.frames = std::move(stereo); });
}

void CVirtualWaveSystem::SetKeepPlayed(uint32_t outputId, bool keep) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (outputId < core_->outputs.size()) core_->outputs[outputId].keepPlayed = keep;
}

bool CVirtualWaveSystem::SetOutputWaveFile(uint32_t outputId, const std::string& path) {
  auto sink = std::make_unique<CWaveFileSink>();
  if (!sink->Open(path, kRate)) return false;
  std::lock_guard<std::mutex> guard(core_->lock);
  if (outputId >= core_->outputs.size()) return false;
  core_->outputs[outputId].sink = std::move(sink);
  return true;
}

bool CVirtualWaveSystem::SetInputWaveFile(uint32_t inputId, const std::string& path, std::string* error) {
  std::vector<int16_t> stereo;
  std::string reason;
  if (!ReadWaveFileFrames(path, kRate, stereo, reason)) {
    if (error) *error = reason;
    return false;
  }
  SetInputFrames(inputId, std::move(stereo));
  return true;
}

void CVirtualWaveSystem::Advance(uint32_t ms) {
  if (core_->mode != ClockMode::Manual) return;
  uint64_t target;
  {
    std::lock_guard<std::mutex> guard(core_->lock);
    target = core_->nowMs + ms;
  }
  std::vector<CMessageQueue*> queues;
  for (;;) {
    queues.clear();
    {
      std::lock_guard<std::mutex> guard(core_->lock);
      if (core_->nowMs >= target) break;
      core_->nowMs = std::max(core_->nowMs + 1, std::min(target, core_->NextEventLocked()));
      for (OutputState& o : core_->outputs) {
        core_->RunOutputLocked(o);
        if (o.open && o.notify) queues.push_back(o.notify);
      }
    }
    // The player settles first, so that a recorder sees when playback began.
    WaitForThreads(queues);
    queues.clear();
    {
      std::lock_guard<std::mutex> guard(core_->lock);
      for (InputState& in : core_->inputs) {
        core_->RunInputLocked(in);
        if (in.open && in.notify) queues.push_back(in.notify);
      }
    }
    WaitForThreads(queues);
  }
}

uint64_t CVirtualWaveSystem::NowMs() const {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  return core_->nowMs;
}

void CVirtualWaveSystem::SignalAt(uint64_t frame, int16_t& left, int16_t& right) {
  left = static_cast<int16_t>(static_cast<int64_t>(frame % 30000) - 15000);
  right = static_cast<int16_t>(14000 - static_cast<int64_t>((frame * 7) % 28001));
}

void CVirtualWaveSystem::SetWaitLimit(uint32_t ms) {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->waitLimitMs = ms;
}

std::vector<uint8_t> CVirtualWaveSystem::PlayedBytes(uint32_t outputId) const {
  std::lock_guard<std::mutex> guard(core_->lock);
  return outputId < core_->outputs.size() ? core_->outputs[outputId].played : std::vector<uint8_t>{};
}

std::vector<CVirtualWaveSystem::PlayedRun> CVirtualWaveSystem::PlayedRuns(uint32_t outputId) const {
  std::lock_guard<std::mutex> guard(core_->lock);
  return outputId < core_->outputs.size() ? core_->outputs[outputId].runs : std::vector<PlayedRun>{};
}

void CVirtualWaveSystem::ClearPlayed(uint32_t outputId) {
  std::lock_guard<std::mutex> guard(core_->lock);
  WithDevice(core_->outputs, outputId, [](OutputState& o) {
    o.played.clear();
    o.runs.clear();
    o.runOpen = false;
  });
}

bool CVirtualWaveSystem::IsOpen(Direction direction, uint32_t id) const {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (direction == Direction::Output) return id < core_->outputs.size() && core_->outputs[id].open;
  return id < core_->inputs.size() && core_->inputs[id].open;
}

size_t CVirtualWaveSystem::QueuedBuffers(Direction direction, uint32_t id) const {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (direction == Direction::Output) return id < core_->outputs.size() ? core_->outputs[id].queue.size() : 0;
  return id < core_->inputs.size() ? core_->inputs[id].queue.size() : 0;
}

uint32_t CVirtualWaveSystem::OutputCount() {
  std::lock_guard<std::mutex> guard(core_->lock);
  return static_cast<uint32_t>(core_->outputs.size());
}

uint32_t CVirtualWaveSystem::InputCount() {
  std::lock_guard<std::mutex> guard(core_->lock);
  return static_cast<uint32_t>(core_->inputs.size());
}

uint32_t CVirtualWaveSystem::GetOutputName(uint32_t id, std::string& name) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (id >= core_->outputs.size()) return kWaveBadDeviceId;
  name = core_->outputs[id].name;
  return kWaveOk;
}

uint32_t CVirtualWaveSystem::GetInputName(uint32_t id, std::string& name) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (id >= core_->inputs.size()) return kWaveBadDeviceId;
  name = core_->inputs[id].name;
  return kWaveOk;
}

uint32_t CVirtualWaveSystem::QueryOutputFormat(uint32_t id, const WaveFormat& format) {
  std::lock_guard<std::mutex> guard(core_->lock);
  if (id >= core_->outputs.size()) return kWaveBadDeviceId;
  if (core_->outputs[id].faults.rejectFormat || !IsDeviceFormat(format)) return kWaveBadFormat;
  return kWaveOk;
}

uint32_t CVirtualWaveSystem::OpenOutput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                                        std::unique_ptr<CWaveOut>& device) {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  if (id >= core_->outputs.size()) return kWaveBadDeviceId;
  OutputState& o = core_->outputs[id];
  if (o.faults.openError != kWaveOk) return o.faults.openError;
  if (o.faults.rejectFormat || !IsDeviceFormat(format)) return kWaveBadFormat;
  if (o.open) return kWaveAllocated;
  o.open = true;
  o.notify = notify;
  o.paused = false;
  o.queue.clear();
  o.queue.reserve(8);
  o.headOffset = 0;
  o.cursor = core_->Frame();
  o.position = 0;
  o.runOpen = false;
  device = std::make_unique<CVirtualOut>(core_, id);
  if (notify) notify->Post(kWaveOutOpened);
  return kWaveOk;
}

uint32_t CVirtualWaveSystem::OpenInput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                                       std::unique_ptr<CWaveIn>& device) {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  if (id >= core_->inputs.size()) return kWaveBadDeviceId;
  InputState& in = core_->inputs[id];
  if (in.faults.openError != kWaveOk) return in.faults.openError;
  if (in.faults.rejectFormat || !IsDeviceFormat(format)) return kWaveBadFormat;
  if (in.open) return kWaveAllocated;
  in.open = true;
  in.notify = notify;
  in.started = false;
  in.queue.clear();
  in.queue.reserve(8);
  in.fill = 0;
  in.cursor = core_->Frame();
  in.position = 0;
  in.sourceFrame = 0;
  device = std::make_unique<CVirtualIn>(core_, id);
  if (notify) notify->Post(kWaveInOpened);
  return kWaveOk;
}

uint32_t CVirtualWaveSystem::TickCount() {
  std::lock_guard<std::mutex> guard(core_->lock);
  core_->CatchUpLocked();
  const uint32_t tick = static_cast<uint32_t>(core_->nowMs);
  return tick == 0 ? 1 : tick;  // 0 means "unset" to the callers
}

int CVirtualWaveSystem::WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs) {
  uint32_t limit;
  {
    std::lock_guard<std::mutex> guard(core_->lock);
    limit = core_->mode == ClockMode::Manual ? std::min(timeoutMs, core_->waitLimitMs) : timeoutMs;
  }
  return platform::WaitForEvents(events, waitAll, limit);
}

}  // namespace platform
