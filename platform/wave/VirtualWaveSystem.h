// A sound card that exists only in memory, for machines without one and for
// tests. Its clock either follows real time or stands still until a test moves it
// with Advance, which makes playback, capture, dropouts and the end of audio
// happen at exactly known moments.
//
// - Outputs play 16-bit stereo frames back to back in queue order and keep what
//   they played, with the frame time at which each run of it began.
// - An output can also write what it plays to a WAV file.
// - Inputs capture a known signal (SignalAt, a function of the device clock's
//   frame number, so a recording can be lined up against playback to the frame)
//   or the frames of a WAV file, played once from the start of capture.
// - Faults can be injected: opens that fail with a given result, a rejected
//   format, failing position queries, a stalled device (time passes, nothing
//   moves), a failing input stop, an input that fails for good (unplugged).
// - An output can be instant: unpaced, it plays whatever it may at once, without
//   time passing (as alsa-lib's "null" device does).
//
// Advance moves time from event to event (a buffer played out, a buffer filled);
// at each it lets the threads that take the devices' notices finish their work,
// outputs first, then inputs, so that what a recorder sees of the player is
// settled. A device thread may call Advance itself (a slow fill); it then does
// not wait on its own queue.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "WaveAudio.h"

namespace platform {

class CVirtualWaveSystem final : public CWaveSystem {
 public:
  enum class ClockMode { Manual, RealTime };
  enum class Direction { Output, Input };

  // The clock starts at 1000 ms unless told otherwise; the device format is
  // 16-bit stereo at 44100 Hz.
  static constexpr uint64_t kStartMs = 1000;
  static constexpr uint32_t kRate = 44100;

  // startMs lets a test run the tick count across its wrap at 2^32 ms.
  explicit CVirtualWaveSystem(ClockMode mode = ClockMode::Manual, uint64_t startMs = kStartMs);
  ~CVirtualWaveSystem() override;
  CVirtualWaveSystem(const CVirtualWaveSystem&) = delete;
  CVirtualWaveSystem& operator=(const CVirtualWaveSystem&) = delete;

  // Devices are numbered in the order they are added.
  uint32_t AddOutput(const std::string& name);
  uint32_t AddInput(const std::string& name);

  void SetOpenError(Direction direction, uint32_t id, uint32_t result);
  void SetFormatRejected(Direction direction, uint32_t id, bool rejected);
  void SetPositionFails(Direction direction, uint32_t id, bool fails);
  // Manual clock, once: the device's next position query is answered, then time
  // moves on by ms before the caller can read anything else.
  void SetDelayAfterPosition(Direction direction, uint32_t id, uint32_t ms);
  void SetStalled(Direction direction, uint32_t id, bool stalled);
  void SetStopFails(uint32_t inputId, bool fails);
  // While failed, the input captures nothing and cannot start; failing while it
  // captures posts kWaveInFailed. Clearing it plugs the device back in.
  void SetInputFailed(uint32_t inputId, bool failed);
  // An instant output hands every buffer back the moment it may play it (queued,
  // not paused). The call that let it play returns once the thread that takes the
  // output's notices has handled them, so those notices always come before
  // anything the caller does next.
  void SetInstant(uint32_t outputId, bool instant);
  // The input plays these frames (interleaved left/right) from the start of capture,
  // then silence. An empty vector goes back to the known signal.
  void SetInputFrames(uint32_t inputId, std::vector<int16_t> stereo);
  bool SetInputWaveFile(uint32_t inputId, const std::string& path, std::string* error = nullptr);
  // The output also writes what it plays, as it plays it, to a 16-bit stereo
  // WAV file (created or emptied now); false when the file cannot be written.
  bool SetOutputWaveFile(uint32_t outputId, const std::string& path);

  // A manual clock's outputs keep what they played, a real-time clock's only when told to.
  void SetKeepPlayed(uint32_t outputId, bool keep);

  // Manual clock only: moves time on by ms.
  void Advance(uint32_t ms);
  uint64_t NowMs() const;
  // The device clock's frame number at a time.
  static uint64_t FrameAt(uint64_t ms) { return ms * kRate / 1000; }
  // The known signal at a frame number.
  static void SignalAt(uint64_t frame, int16_t& left, int16_t& right);

  // Timed waits (a stop's wait for the recorders) last at most this many real ms
  // on the manual clock, so a test of a time-out need not sit out the whole of it.
  void SetWaitLimit(uint32_t ms);

  struct PlayedRun {
    uint64_t firstFrame;  // device clock frame at which the run's first frame played
    size_t offset;        // where the run starts in PlayedBytes
    size_t bytes;
  };
  std::vector<uint8_t> PlayedBytes(uint32_t outputId) const;
  std::vector<PlayedRun> PlayedRuns(uint32_t outputId) const;
  void ClearPlayed(uint32_t outputId);
  // Whether an output or input is open now, and how many buffers it holds.
  bool IsOpen(Direction direction, uint32_t id) const;
  size_t QueuedBuffers(Direction direction, uint32_t id) const;

  uint32_t OutputCount() override;
  uint32_t InputCount() override;
  uint32_t GetOutputName(uint32_t id, std::string& name) override;
  uint32_t GetInputName(uint32_t id, std::string& name) override;
  uint32_t QueryOutputFormat(uint32_t id, const WaveFormat& format) override;
  uint32_t OpenOutput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                      std::unique_ptr<CWaveOut>& device) override;
  uint32_t OpenInput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                     std::unique_ptr<CWaveIn>& device) override;
  uint32_t TickCount() override;
  int WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs) override;

  struct Core;

 private:
  std::shared_ptr<Core> core_;
};

}  // namespace platform
