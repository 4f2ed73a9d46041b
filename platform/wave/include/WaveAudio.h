// The wave-audio layer: output and input devices that play and fill caller-owned
// buffers in queue order and tell a thread's message queue about each one.
//
// Semantics the device library relies on:
// - A buffer is described by a WaveHeader. Prepare sets PREPARED; Write (output)
//   or AddBuffer (input) clears DONE and sets INQUEUE; when the device is through
//   with it, DONE is set, INQUEUE cleared, and one notice is posted, in queue order.
//   Unprepare keeps DONE, and refuses (kWaveStillPlaying) while INQUEUE.
// - Output positions count bytes played since open or the last reset, never bytes
//   queued; input positions count bytes captured since the last reset.
// - Pause stops playback where it is; Restart goes on. When the queue runs dry the
//   device idles and its position stands still.
// - Reset stops at once and hands every queued buffer back marked DONE, one notice
//   each, and sets the position to 0; the device stays open.
// - An input that fails for good while capturing (a device unplugged) posts
//   kWaveInFailed once and captures nothing more; its queued buffers stay queued
//   until Reset, and Stop, Reset and Close still succeed.
// - Results are the numbers the device library's error texts are keyed by.
//
// Two systems implement it: ALSA, and a virtual device whose clock tests drive
// (TESSIRO_AUDIO=virtual). Devices are thread-safe: the user-interface thread asks
// for positions while the device threads queue buffers.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "Events.h"
#include "MessageQueue.h"

namespace platform {

enum WaveResult : uint32_t {
  kWaveOk = 0,
  kWaveError = 1,
  kWaveBadDeviceId = 2,
  kWaveNotEnabled = 3,
  kWaveAllocated = 4,
  kWaveInvalidHandle = 5,
  kWaveNoDriver = 6,
  kWaveNoMemory = 7,
  kWaveNotSupported = 8,
  kWaveBadValue = 9,
  kWaveInvalidFlag = 10,
  kWaveInvalidParameter = 11,
  kWaveBadFormat = 32,
  kWaveStillPlaying = 33,
  kWaveUnprepared = 34,
};

// Header flags.
constexpr uint32_t kWaveDone = 0x01;
constexpr uint32_t kWavePrepared = 0x02;
constexpr uint32_t kWaveInQueue = 0x10;

// Notices posted to a device's queue; the parameter is the header concerned (or 0).
enum WaveNotice : uint32_t {
  kWaveOutOpened = 0x5701,
  kWaveOutClosed = 0x5702,
  kWaveOutDone = 0x5703,
  kWaveInOpened = 0x5704,
  kWaveInClosed = 0x5705,
  kWaveInData = 0x5706,
  kWaveInFailed = 0x5707,
};

struct WaveHeader {
  uint8_t* data = nullptr;
  uint32_t bufferLength = 0;   // bytes to play, or room to fill
  uint32_t bytesRecorded = 0;  // bytes an input put into the buffer
  uintptr_t user = 0;
  std::atomic<uint32_t> flags{0};
  uint32_t loops = 0;

  bool Has(uint32_t flag) const { return (flags.load() & flag) != 0; }
};

// Linear PCM, interleaved, little-endian.
struct WaveFormat {
  uint16_t channels = 2;
  uint32_t samplesPerSecond = 44100;
  uint16_t bitsPerSample = 16;

  uint32_t BlockAlign() const { return channels * (bitsPerSample / 8u); }
  uint32_t BytesPerSecond() const { return samplesPerSecond * BlockAlign(); }
};

// Product names are cut to this many characters.
constexpr size_t kWaveNameChars = 31;

class CWaveOut {
 public:
  virtual ~CWaveOut() = default;

  uint32_t Prepare(WaveHeader& header);
  uint32_t Unprepare(WaveHeader& header);
  virtual uint32_t Write(WaveHeader& header) = 0;
  virtual uint32_t Pause() = 0;
  virtual uint32_t Restart() = 0;
  virtual uint32_t Reset() = 0;
  virtual uint32_t GetPosition(uint32_t& bytesPlayed) = 0;
  // Fails with kWaveStillPlaying while buffers are queued; posts kWaveOutClosed.
  virtual uint32_t Close() = 0;
};

class CWaveIn {
 public:
  virtual ~CWaveIn() = default;

  uint32_t Prepare(WaveHeader& header);
  uint32_t Unprepare(WaveHeader& header);
  virtual uint32_t AddBuffer(WaveHeader& header) = 0;
  virtual uint32_t Start() = 0;
  virtual uint32_t Stop() = 0;
  virtual uint32_t Reset() = 0;
  virtual uint32_t GetPosition(uint32_t& bytesCaptured) = 0;
  // Posts kWaveInClosed.
  virtual uint32_t Close() = 0;
};

class CWaveSystem {
 public:
  virtual ~CWaveSystem() = default;

  virtual uint32_t OutputCount() = 0;
  virtual uint32_t InputCount() = 0;
  virtual uint32_t GetOutputName(uint32_t id, std::string& name) = 0;
  virtual uint32_t GetInputName(uint32_t id, std::string& name) = 0;
  // Whether an output plays the format; opens nothing that stays open.
  virtual uint32_t QueryOutputFormat(uint32_t id, const WaveFormat& format) = 0;
  // notify may be null (a trial open). An output plays as soon as buffers arrive
  // unless it is paused.
  virtual uint32_t OpenOutput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                              std::unique_ptr<CWaveOut>& device) = 0;
  virtual uint32_t OpenInput(uint32_t id, const WaveFormat& format, CMessageQueue* notify,
                             std::unique_ptr<CWaveIn>& device) = 0;

  // The millisecond clock of the devices, never 0; serves tick stamps and the
  // multimedia time alike.
  virtual uint32_t TickCount();
  // Timed waits measured on the devices' clock. Results as platform::WaitForEvents.
  virtual int WaitForEvents(std::span<CEvent* const> events, bool waitAll, uint32_t timeoutMs);
};

// The process's wave system: the one installed last, else the one TESSIRO_AUDIO
// names ("virtual" for the virtual device, anything else for ALSA), made on first use.
std::shared_ptr<CWaveSystem> GetWaveSystem();
// Installs a system for the objects created from now on; nullptr goes back to the
// environment's choice.
void SetWaveSystem(std::shared_ptr<CWaveSystem> system);

// Shared header bookkeeping of both directions.
uint32_t PrepareWaveHeader(WaveHeader& header);
uint32_t UnprepareWaveHeader(WaveHeader& header);
// Checks a header may be queued, then clears DONE and sets INQUEUE.
uint32_t QueueWaveHeader(WaveHeader& header);
// Hands a header back: DONE set, INQUEUE cleared.
void CompleteWaveHeader(WaveHeader& header);

}  // namespace platform
