#include "AlsaWaveSystem.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "Thread.h"

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kFrameBytes = 4;
// The ALSA ring: about 93 ms, topped up every few ms from the queued buffers.
constexpr snd_pcm_uframes_t kRingFrames = 4096;
constexpr snd_pcm_uframes_t kPeriodFrames = 1024;
constexpr auto kPumpPeriod = std::chrono::milliseconds(4);
// Capture that has failed without a frame coming through for this long has
// failed for good (the card was pulled out); trouble that passes is over sooner.
constexpr auto kCaptureGiveUp = std::chrono::milliseconds(500);

void SilentErrorHandler(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(SilentErrorHandler); });
}

uint32_t ResultFromError(int error) {
  switch (-error) {
    case EBUSY: return kWaveAllocated;
    case ENOENT:
    case ENODEV:
    case ENXIO: return kWaveBadDeviceId;
    case EINVAL: return kWaveBadFormat;
    case ENOMEM: return kWaveNoMemory;
    default: return kWaveError;
  }
}

std::string Shorten(std::string name) {
  if (name.size() > kWaveNameChars) name.resize(kWaveNameChars);
  return name;
}

// Applies the fixed format; false when the device cannot take it.
bool SetFormat(snd_pcm_t* pcm, const WaveFormat& format, bool apply) {
  snd_pcm_hw_params_t* hw;
  snd_pcm_hw_params_alloca(&hw);
  if (snd_pcm_hw_params_any(pcm, hw) < 0) return false;
  if (snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0) return false;
  const snd_pcm_format_t sampleFormat = format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if ((format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
      snd_pcm_hw_params_set_format(pcm, hw, sampleFormat) < 0 ||
      snd_pcm_hw_params_set_channels(pcm, hw, format.channels) < 0 ||
      snd_pcm_hw_params_set_rate(pcm, hw, format.samplesPerSecond, 0) < 0) {
    return false;
  }
  if (!apply) return true;
  snd_pcm_uframes_t ring = kRingFrames;
  snd_pcm_uframes_t period = kPeriodFrames;
  snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &ring);
  snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr);
  if (snd_pcm_hw_params(pcm, hw) < 0) return false;

  snd_pcm_sw_params_t* sw;
  snd_pcm_sw_params_alloca(&sw);
  if (snd_pcm_sw_params_current(pcm, sw) < 0) return false;
  // Playback starts with the first frame written; we keep the ring full ourselves.
  snd_pcm_sw_params_set_start_threshold(pcm, sw, 1);
  snd_pcm_sw_params_set_avail_min(pcm, sw, period);
  return snd_pcm_sw_params(pcm, sw) >= 0;
}

// One open ALSA stream and the thread that moves its audio.
class CAlsaStream {
 public:
  ~CAlsaStream() { Shut(); }

  uint32_t Open(const std::string& name, bool capture, const WaveFormat& format) {
    SilenceAlsa();
    const int error =
        snd_pcm_open(&pcm, name.c_str(), capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (error < 0) {
      pcm = nullptr;
      return ResultFromError(error);
    }
    if (!SetFormat(pcm, format, true)) {
      snd_pcm_close(pcm);
      pcm = nullptr;
      return kWaveBadFormat;
    }
    return kWaveOk;
  }

  // pump runs with lock held; it says whether it has work that needs it to run again soon.
  bool StartThread(const char* threadName, std::function<bool()> pump) {
    pump_ = std::move(pump);
    try {
      thread_ = std::thread([this, threadName] {
        SetCurrentThreadName(threadName);
        SetCurrentThreadPriority(ThreadPriority::Highest);
        std::unique_lock<std::mutex> guard(lock);
        while (!quit_) {
          if (pump_()) {
            wake.wait_for(guard, kPumpPeriod);
          } else {
            wake.wait(guard);
          }
        }
      });
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }

  // Stops the thread and closes the stream.
  void Shut() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> guard(lock);
        quit_ = true;
      }
      wake.notify_all();
      thread_.join();
    }
    if (pcm) {
      snd_pcm_drop(pcm);
      snd_pcm_close(pcm);
      pcm = nullptr;
    }
  }

  std::mutex lock;
  std::condition_variable wake;
  snd_pcm_t* pcm = nullptr;

 private:
  std::function<bool()> pump_;
  std::thread thread_;
  bool quit_ = false;
};

class CAlsaOut final : public CWaveOut {
 public:
  explicit CAlsaOut(CMessageQueue* notify) : notify_(notify) { entries_.reserve(8); }
  // The pump thread uses the members below; it must be gone before they are.
  ~CAlsaOut() override { stream_.Shut(); }

  uint32_t Open(const std::string& name, const WaveFormat& format) {
    frameBytes_ = format.BlockAlign();
    rate_ = format.samplesPerSecond;
    const uint32_t result = stream_.Open(name, false, format);
    if (result != kWaveOk) return result;
    if (!stream_.StartThread("tessiro-alsa-out", [this] { return Pump(); })) return kWaveNoMemory;
    if (notify_) notify_->Post(kWaveOutOpened);
    return kWaveOk;
  }

  uint32_t Write(WaveHeader& header) override {
    {
      std::lock_guard<std::mutex> guard(stream_.lock);
      if (closed_) return kWaveInvalidHandle;
      const uint32_t result = QueueWaveHeader(header);
      if (result != kWaveOk) return result;
      entries_.push_back({&header, 0, 0});
    }
    stream_.wake.notify_all();
    return kWaveOk;
  }

  uint32_t Pause() override { return SetPaused(true); }
  uint32_t Restart() override { return SetPaused(false); }

  uint32_t Reset() override {
    std::lock_guard<std::mutex> guard(stream_.lock);
    if (closed_) return kWaveInvalidHandle;
    if (!lost_) {
      snd_pcm_drop(stream_.pcm);
      snd_pcm_prepare(stream_.pcm);
    }
    for (const Entry& entry : entries_) Complete(*entry.header);
    entries_.clear();
    written_ = played_ = 0;
    lostBase_ = 0;
    lostSince_ = SteadyClock::now();
    return kWaveOk;
  }

  uint32_t GetPosition(uint32_t& bytesPlayed) override {
    std::lock_guard<std::mutex> guard(stream_.lock);
    if (closed_) return kWaveInvalidHandle;
    UpdatePlayed();
    bytesPlayed = static_cast<uint32_t>(played_ * frameBytes_);
    return kWaveOk;
  }

  uint32_t Close() override {
    {
      std::lock_guard<std::mutex> guard(stream_.lock);
      if (closed_) return kWaveInvalidHandle;
      if (!entries_.empty()) return kWaveStillPlaying;
      closed_ = true;
    }
    stream_.Shut();
    if (notify_) notify_->Post(kWaveOutClosed);
    return kWaveOk;
  }

 private:
  struct Entry {
    WaveHeader* header;
    uint32_t writtenBytes;
    uint64_t endFrame;  // frame count written when its last byte went out
  };

  void Complete(WaveHeader& header) {
    CompleteWaveHeader(header);
    if (notify_) notify_->Post(kWaveOutDone, reinterpret_cast<uintptr_t>(&header));
  }

  uint32_t SetPaused(bool paused) {
    {
      std::lock_guard<std::mutex> guard(stream_.lock);
      if (closed_) return kWaveInvalidHandle;
      paused_ = paused;
    }
    stream_.wake.notify_all();
    return kWaveOk;
  }

  // A device that has gone away keeps time on the wall clock, so that whoever
  // waits for its buffers still hears back from it.
  void Lose() {
    UpdatePlayed();
    lost_ = true;
    lostBase_ = played_;
    lostSince_ = SteadyClock::now();
  }

  void UpdatePlayed() {
    uint64_t played = played_;
    if (lost_) {
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - lostSince_);
      played = std::min<uint64_t>(written_, lostBase_ + static_cast<uint64_t>(elapsed.count()) * rate_ / 1000);
    } else {
      snd_pcm_sframes_t delay = 0;
      const int error = snd_pcm_delay(stream_.pcm, &delay);
      if (error == -EPIPE || snd_pcm_state(stream_.pcm) == SND_PCM_STATE_XRUN) {
        // Ran dry: everything written has been heard.
        played = written_;
        snd_pcm_prepare(stream_.pcm);
      } else if (error == 0) {
        const uint64_t queued = static_cast<uint64_t>(std::clamp<snd_pcm_sframes_t>(delay, 0, static_cast<snd_pcm_sframes_t>(written_)));
        played = written_ - queued;
      }
    }
    played_ = std::max(played_, played);
    while (!entries_.empty()) {
      const Entry& head = entries_.front();
      if (head.writtenBytes < head.header->bufferLength || head.endFrame > played_) break;
      WaveHeader* header = head.header;
      entries_.erase(entries_.begin());
      Complete(*header);
    }
  }

  bool Pump() {
    UpdatePlayed();
    if (!paused_) {
      for (int attempts = 0; attempts < 8; ++attempts) {
        auto pending = std::find_if(entries_.begin(), entries_.end(),
                                    [](const Entry& e) { return e.writtenBytes < e.header->bufferLength; });
        if (pending == entries_.end()) break;
        const uint32_t leftBytes = pending->header->bufferLength - pending->writtenBytes;
        const snd_pcm_uframes_t leftFrames = leftBytes / frameBytes_;
        if (leftFrames == 0) {
          pending->writtenBytes = pending->header->bufferLength;  // a trailing partial frame
          pending->endFrame = written_;
          continue;
        }
        snd_pcm_sframes_t done;
        if (lost_) {
          done = static_cast<snd_pcm_sframes_t>(leftFrames);
        } else {
          const snd_pcm_sframes_t room = snd_pcm_avail_update(stream_.pcm);
          if (room < 0) {
            if (room == -EPIPE) {
              snd_pcm_prepare(stream_.pcm);
            } else if (snd_pcm_recover(stream_.pcm, static_cast<int>(room), 1) < 0) {
              Lose();
            }
            continue;
          }
          if (room == 0) break;
          done = snd_pcm_writei(stream_.pcm, pending->header->data + pending->writtenBytes,
                                std::min<snd_pcm_uframes_t>(leftFrames, static_cast<snd_pcm_uframes_t>(room)));
          if (done == -EAGAIN) break;
          if (done < 0) {
            if (done != -EPIPE && snd_pcm_recover(stream_.pcm, static_cast<int>(done), 1) < 0) Lose();
            if (done == -EPIPE) snd_pcm_prepare(stream_.pcm);
            continue;
          }
        }
        pending->writtenBytes += static_cast<uint32_t>(done) * frameBytes_;
        written_ += static_cast<uint64_t>(done);
        if (pending->writtenBytes >= pending->header->bufferLength) pending->endFrame = written_;
      }
      UpdatePlayed();
    }
    return !entries_.empty();
  }

  CAlsaStream stream_;
  CMessageQueue* notify_;
  std::vector<Entry> entries_;
  uint32_t frameBytes_ = kFrameBytes;
  uint32_t rate_ = 44100;
  uint64_t written_ = 0;  // frames handed to ALSA since open or reset
  uint64_t played_ = 0;
  bool paused_ = false;
  bool closed_ = false;
  bool lost_ = false;
  uint64_t lostBase_ = 0;
  SteadyClock::time_point lostSince_;
};

class CAlsaIn final : public CWaveIn {
 public:
  explicit CAlsaIn(CMessageQueue* notify) : notify_(notify) { queue_.reserve(8); }
  ~CAlsaIn() override { stream_.Shut(); }

  uint32_t Open(const std::string& name, const WaveFormat& format) {
    frameBytes_ = format.BlockAlign();
    const uint32_t result = stream_.Open(name, true, format);
    if (result != kWaveOk) return result;
    if (notify_ && !stream_.StartThread("tessiro-alsa-in", [this] { return Pump(); })) return kWaveNoMemory;
    if (notify_) notify_->Post(kWaveInOpened);
    return kWaveOk;
  }

  uint32_t AddBuffer(WaveHeader& header) override {
    std::lock_guard<std::mutex> guard(stream_.lock);
    if (closed_) return kWaveInvalidHandle;
    if (header.bufferLength < frameBytes_) return kWaveInvalidParameter;
    const uint32_t result = QueueWaveHeader(header);
    if (result != kWaveOk) return result;
    header.bytesRecorded = 0;
    queue_.push_back(&header);
    return kWaveOk;
  }

  uint32_t Start() override {
    {
      std::lock_guard<std::mutex> guard(stream_.lock);
      if (closed_) return kWaveInvalidHandle;
      if (lost_) return kWaveBadDeviceId;
      if (!started_) {
        if (snd_pcm_state(stream_.pcm) != SND_PCM_STATE_PREPARED) snd_pcm_prepare(stream_.pcm);
        const int error = snd_pcm_start(stream_.pcm);
        if (error < 0) return ResultFromError(error);
        started_ = true;
        failing_ = false;
      }
    }
    stream_.wake.notify_all();
    return kWaveOk;
  }

  uint32_t Stop() override {
    std::lock_guard<std::mutex> guard(stream_.lock);
    if (closed_) return kWaveInvalidHandle;
    if (started_) {
      Pump();
      snd_pcm_drop(stream_.pcm);
      snd_pcm_prepare(stream_.pcm);
      started_ = false;
    }
    if (!queue_.empty() && fill_ > 0) FinishHead();
    return kWaveOk;
  }

  uint32_t Reset() override {
    std::lock_guard<std::mutex> guard(stream_.lock);
    if (closed_) return kWaveInvalidHandle;
    snd_pcm_drop(stream_.pcm);
    snd_pcm_prepare(stream_.pcm);
    started_ = false;
    while (!queue_.empty()) FinishHead();
    captured_ = 0;
    return kWaveOk;
  }

  uint32_t GetPosition(uint32_t& bytesCaptured) override {
    std::lock_guard<std::mutex> guard(stream_.lock);
    if (closed_) return kWaveInvalidHandle;
    uint64_t frames = captured_;
    if (started_ && !lost_) {
      const snd_pcm_sframes_t waiting = snd_pcm_avail_update(stream_.pcm);
      if (waiting > 0) frames += static_cast<uint64_t>(waiting);
    }
    bytesCaptured = static_cast<uint32_t>(frames * frameBytes_);
    return kWaveOk;
  }

  uint32_t Close() override {
    {
      std::lock_guard<std::mutex> guard(stream_.lock);
      if (closed_) return kWaveInvalidHandle;
      if (!queue_.empty()) return kWaveStillPlaying;
      closed_ = true;
      started_ = false;
    }
    stream_.Shut();
    if (notify_) notify_->Post(kWaveInClosed);
    return kWaveOk;
  }

 private:
  void FinishHead() {
    WaveHeader* head = queue_.front();
    queue_.erase(queue_.begin());
    head->bytesRecorded = fill_;
    fill_ = 0;
    CompleteWaveHeader(*head);
    if (notify_) notify_->Post(kWaveInData, reinterpret_cast<uintptr_t>(head));
  }

  bool Pump() {
    if (!started_ || lost_) return false;
    for (int attempts = 0; attempts < 16; ++attempts) {
      const snd_pcm_sframes_t waiting = snd_pcm_avail_update(stream_.pcm);
      if (waiting < 0) {
        // An overrun: what was lost is lost; capture goes on.
        if (!Recover(static_cast<int>(waiting))) break;
        continue;
      }
      if (queue_.empty()) {
        // Capture with no buffer to take it waits in ALSA's ring until one comes
        // back, so a take has no hole where the recorder was a moment late.
        failing_ = false;
        break;
      }
      if (waiting == 0) break;
      uint8_t* into = queue_.front()->data + fill_;
      const snd_pcm_uframes_t room = (queue_.front()->bufferLength - fill_) / frameBytes_;
      const snd_pcm_sframes_t got =
          snd_pcm_readi(stream_.pcm, into, std::min(room, static_cast<snd_pcm_uframes_t>(waiting)));
      if (got == -EAGAIN) break;
      if (got < 0) {
        if (!Recover(static_cast<int>(got))) break;
        continue;
      }
      failing_ = false;
      captured_ += static_cast<uint64_t>(got);
      fill_ += static_cast<uint32_t>(got) * frameBytes_;
      if (queue_.front()->bufferLength - fill_ < frameBytes_) FinishHead();
    }
    if (failing_ && SteadyClock::now() - failingSince_ >= kCaptureGiveUp) {
      // Nobody would hear of it otherwise: the take would just stop growing.
      lost_ = true;
      if (notify_) notify_->Post(kWaveInFailed);
      return false;
    }
    return true;
  }

  // Tries to bring capture back after an error; false when it did not come back.
  // The time of the first error since the last frame that came through is kept.
  bool Recover(int error) {
    if (!failing_) {
      failing_ = true;
      failingSince_ = SteadyClock::now();
    }
    return snd_pcm_recover(stream_.pcm, error, 1) >= 0 && snd_pcm_start(stream_.pcm) >= 0;
  }

  CAlsaStream stream_;
  CMessageQueue* notify_;
  std::vector<WaveHeader*> queue_;
  uint32_t frameBytes_ = kFrameBytes;
  uint32_t fill_ = 0;
  uint64_t captured_ = 0;
  bool started_ = false;
  bool closed_ = false;
  bool failing_ = false;
  SteadyClock::time_point failingSince_;
  bool lost_ = false;
};

}  // namespace

CAlsaWaveSystem::CAlsaWaveSystem() : outputs_(ListDevices(false)), inputs_(ListDevices(true)) {}

CAlsaWaveSystem::CAlsaWaveSystem(std::vector<Endpoint> outputs, std::vector<Endpoint> inputs)
    : outputs_(std::move(outputs)), inputs_(std::move(inputs)) {
  for (Endpoint& e : outputs_) e.name = Shorten(e.name);
  for (Endpoint& e : inputs_) e.name = Shorten(e.name);
}

std::vector<CAlsaWaveSystem::Endpoint> CAlsaWaveSystem::ListDevices(bool capture) {
  SilenceAlsa();
  std::vector<Endpoint> list{{"default", "Default Device"}};
  const snd_pcm_stream_t stream = capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
  int card = -1;
  while (snd_card_next(&card) >= 0 && card >= 0) {
    snd_ctl_t* ctl = nullptr;
    const std::string control = "hw:" + std::to_string(card);
    if (snd_ctl_open(&ctl, control.c_str(), 0) < 0) continue;
    snd_ctl_card_info_t* cardInfo;
    snd_ctl_card_info_alloca(&cardInfo);
    if (snd_ctl_card_info(ctl, cardInfo) < 0) {
      snd_ctl_close(ctl);
      continue;
    }
    const std::string cardId = snd_ctl_card_info_get_id(cardInfo);
    const std::string cardName = snd_ctl_card_info_get_name(cardInfo);
    int device = -1;
    while (snd_ctl_pcm_next_device(ctl, &device) >= 0 && device >= 0) {
      snd_pcm_info_t* pcmInfo;
      snd_pcm_info_alloca(&pcmInfo);
      snd_pcm_info_set_device(pcmInfo, static_cast<unsigned>(device));
      snd_pcm_info_set_subdevice(pcmInfo, 0);
      snd_pcm_info_set_stream(pcmInfo, stream);
      if (snd_ctl_pcm_info(ctl, pcmInfo) < 0) continue;
      const std::string pcmName = snd_pcm_info_get_name(pcmInfo);
      list.push_back({"plughw:CARD=" + cardId + ",DEV=" + std::to_string(device),
                      Shorten(pcmName.empty() ? cardName : cardName + ": " + pcmName)});
    }
    snd_ctl_close(ctl);
  }
  return list;
}

uint32_t CAlsaWaveSystem::OutputCount() { return static_cast<uint32_t>(outputs_.size()); }
uint32_t CAlsaWaveSystem::InputCount() { return static_cast<uint32_t>(inputs_.size()); }

uint32_t CAlsaWaveSystem::GetOutputName(uint32_t id, std::string& name) {
  if (id >= outputs_.size()) return kWaveBadDeviceId;
  name = outputs_[id].name;
  return kWaveOk;
}

uint32_t CAlsaWaveSystem::GetInputName(uint32_t id, std::string& name) {
  if (id >= inputs_.size()) return kWaveBadDeviceId;
  name = inputs_[id].name;
  return kWaveOk;
}

uint32_t CAlsaWaveSystem::QueryOutputFormat(uint32_t id, const WaveFormat& format) {
  if (id >= outputs_.size()) return kWaveBadDeviceId;
  SilenceAlsa();
  snd_pcm_t* pcm = nullptr;
  const int error = snd_pcm_open(&pcm, outputs_[id].pcm.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  // A device another program holds cannot be asked; it played the format before.
  if (error == -EBUSY) return kWaveOk;
  if (error < 0) return ResultFromError(error);
  const bool supported = SetFormat(pcm, format, false);
  snd_pcm_close(pcm);
  return supported ? kWaveOk : kWaveBadFormat;
}

uint32_t CAlsaWaveSystem::OpenOutput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                                     std::unique_ptr<CWaveOut>& device) {
  if (id >= outputs_.size()) return kWaveBadDeviceId;
  auto out = std::make_unique<CAlsaOut>(notify);
  const uint32_t result = out->Open(outputs_[id].pcm, format);
  if (result == kWaveOk) device = std::move(out);
  return result;
}

uint32_t CAlsaWaveSystem::OpenInput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                                    std::unique_ptr<CWaveIn>& device) {
  if (id >= inputs_.size()) return kWaveBadDeviceId;
  auto in = std::make_unique<CAlsaIn>(notify);
  const uint32_t result = in->Open(inputs_[id].pcm, format);
  if (result == kWaveOk) device = std::move(in);
  return result;
}

}  // namespace platform
