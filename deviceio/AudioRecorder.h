// A recorder: captures one physical input in 16-bit stereo through two buffers
// and hands each full buffer, converted per input, to up to four input callbacks
// on its own thread. When recording along with playback it drops or pads the
// start of the capture so that the recording lines up with the moment playback
// began, and it watches for late buffers (dropouts).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "DropoutWatch.h"
#include "Events.h"
#include "MessageThread.h"
#include "PageBuffer.h"
#include "Pobix.h"
#include "WaveAudio.h"

class CAudioPlayer;

// One input served by a recorder.
struct RecorderInput {
  int32_t physicalIndex = 0;
  int32_t channel = 0;  // 0 both channels, 1 left, 2 right
  int32_t mode = 0;     // 4 mono samples, 5 stereo frames
  int32_t recordSlot = 0;
  std::atomic<uint32_t> bytesTaken{0};
  PobixInputCallback callback = nullptr;
};

class CAudioRecorder {
 public:
  static constexpr uint32_t kStopped = 5;
  static constexpr uint32_t kRecording = 3;
  static constexpr int kMaxInputs = 4;
  static constexpr int kMaxBuffers = 2;
  static constexpr int32_t kModeMono = 4;
  static constexpr int32_t kModeStereo = 5;

  explicit CAudioRecorder(std::shared_ptr<platform::CWaveSystem> system);
  virtual ~CAudioRecorder();
  CAudioRecorder(const CAudioRecorder&) = delete;
  CAudioRecorder& operator=(const CAudioRecorder&) = delete;

  bool IsUsable() const { return thread_.IsRunning(); }

  // 1 opened, 0 failed (reported with the device's name and the reason).
  unsigned int Open(int32_t deviceId, int32_t samplesPerSecond, int16_t bitsPerSample);
  unsigned int Close();
  void SetPlayer(CAudioPlayer* player) { player_ = player; }
  // While stopped only; at most 2 buffers.
  unsigned int SetBufferInfo(int16_t count, uint32_t bytes);

  // false when the recorder already serves four inputs.
  bool AddInput(int32_t physicalIndex, int32_t channel, int32_t mode, int32_t recordSlot,
                PobixInputCallback callback);
  void RemoveAllInputs();
  int16_t InputCount() const { return inputCount_; }
  bool HasSlot(int32_t recordSlot) const;
  uint32_t GetBytesTaken(int32_t recordSlot) const;

  int32_t DeviceId() const { return deviceId_; }
  void SetActive(int32_t active) { active_ = active; }
  void SetStopEvent(platform::CEvent* event) { stopEvent_ = event; }
  void SetAlignToPlayback(bool align) { alignToPlayback_ = align; }
  void SetEndOfAudioCallback(PobixNotifyCallback end) { watch_.SetEndOfAudioCallback(end); }
  void SetDropoutCallback(PobixDropoutCallback dropout) { watch_.SetDropoutCallback(dropout); }
  void SetInternalLogging(int32_t logging) { internalLogging_ = logging; }

  // Caller's thread.
  void Start();
  void StartMonitoring();
  // Asks the recorder to stop; on the recorder's own thread the stop is done at once.
  void RequestStop();
  void RequestStopMonitoring();
  // Ends the thread; nothing is called back afterwards.
  void StopThread();

  void GetCurrentBuffer(unsigned char** dst, uint32_t bytes);
  void GetBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                        uint32_t* elapsedMilliseconds, int16_t* bufferCount);

  uint32_t State() const { return state_.load(); }

 private:
  static constexpr uint32_t kWakeMessage = 50003;

  void OnMessage(const platform::ThreadMessage& message);
  void OnData();
  void ProcessBuffer();
  void DeliverToInputs(const uint8_t* data, uint32_t bytes);
  bool CheckDropout();
  void StopOnThread();
  // Waits for a stop under way to finish; false when it did not.
  bool WaitForStop();
  void Begin(bool monitor);
  void FreeArea();

  std::shared_ptr<platform::CWaveSystem> system_;
  platform::CMessageThread thread_;
  std::unique_ptr<platform::CWaveIn> device_;
  CAudioPlayer* player_ = nullptr;

  uint32_t lastDataTick_ = 0;
  uint32_t startTime_ = 0;
  int32_t firstDataSeen_ = 0;
  uint32_t lastProcessedTick_ = 0;
  bool starved_ = false;
  std::atomic<int32_t> monitoring_{0};
  std::atomic<int32_t> stopRequested_{0};
  int32_t internalLogging_ = 0;
  float bufferMilliseconds_ = 0.0f;
  std::atomic<int16_t> inputCount_{0};
  std::atomic<int32_t> stopDone_{0};
  RecorderInput inputs_[kMaxInputs];
  int16_t bitsPerSample_ = 16;
  int32_t samplesPerSecond_ = 44100;
  int32_t deviceId_ = -1;
  int32_t bytesPerSecond_ = 0;
  int32_t active_ = 0;
  platform::CEvent* stopEvent_ = nullptr;
  bool alignToPlayback_ = false;
  CDropoutWatch watch_;

  platform::CPageBuffer area_;
  size_t areaBytes_ = 0;
  uint8_t* conversionBuffer_ = nullptr;
  const uint8_t* silenceBuffer_ = nullptr;
  uint32_t bufferBytes_ = 0;
  std::atomic<uint32_t> state_{kStopped};
  int currentHeader_ = 0;
  platform::WaveHeader headers_[kMaxBuffers];
  int16_t bufferCount_ = 0;
  int32_t aligned_ = 0;
  int32_t buffersProcessed_ = 0;
  uint32_t lateThreshold_ = 0;
  // A gap between buffer notices longer than this counts as late.
  uint32_t noticeGapThreshold_ = 1200;
  // Set while no stop is under way; a start waits for it.
  platform::CEvent idle_{platform::CEvent::ResetMode::Manual, true};
};
