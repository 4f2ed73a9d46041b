// The player: plays the program's stereo stream on one output device through two
// buffers that its own thread refills from the fill callback as the device hands
// them back. It watches for late fills (dropouts), reports the end of the audio
// once per run, and keeps an estimate of when playback began for the recorders.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "DropoutWatch.h"
#include "Handshake.h"
#include "MessageThread.h"
#include "PageBuffer.h"
#include "Pobix.h"
#include "WaveAudio.h"

class CAudioPlayer {
 public:
  static constexpr uint32_t kStopped = 5;
  static constexpr uint32_t kPlaying = 2;
  static constexpr uint32_t kStopping = 4;
  static constexpr uint32_t kAreaBytes = 524288;
  static constexpr int kMaxBuffers = 2;

  explicit CAudioPlayer(std::shared_ptr<platform::CWaveSystem> system);
  virtual ~CAudioPlayer();
  CAudioPlayer(const CAudioPlayer&) = delete;
  CAudioPlayer& operator=(const CAudioPlayer&) = delete;

  // Whether the thread and the buffer area exist.
  bool IsUsable() const;

  // 1 opened (paused), 0 failed (reported). A device already open is closed first.
  unsigned int Open(int32_t deviceId, int16_t bitsPerSample, int32_t samplesPerSecond, PobixOutputCallback fill);
  // Resets and closes the device; 0 when the close failed (reported), else 1.
  unsigned int Close();
  // Only while stopped; a count above 2 or buffers beyond the area are refused.
  unsigned int SetBufferInfo(int16_t count, uint32_t bytes);

  // Caller's thread: fills the buffers, queues them and releases playback, as run
  // number run of the device object.
  void Start(uint32_t run);
  // Any thread: asks the player thread to stop that run; does not wait. A stop of
  // any other run is ignored.
  void RequestStop(uint32_t run);
  // Ends the thread; nothing is called back afterwards.
  void StopThread();
  bool IsCurrentThread() const { return thread_.IsCurrent(); }
  // The run started last.
  uint32_t Run() const { return run_.load(); }

  void SetFillCallback(PobixOutputCallback fill) { fillCallback_.store(fill); }
  void SetEndOfAudioCallback(PobixNotifyCallback end) { watch_.SetEndOfAudioCallback(end); }
  void SetDropoutCallback(PobixDropoutCallback dropout) { watch_.SetDropoutCallback(dropout); }
  void SetInternalLogging(int32_t logging) { internalLogging_ = logging; }

  uint32_t GetMillisecondsPlayed();
  // Bytes played in this run, as the device counts them; false when it cannot say.
  bool GetBytesPlayed(uint32_t& bytes);
  void GetBufferNumberAndPosition(int16_t* number, uint32_t* position);
  void GetCurrentBuffer(unsigned char** dst, uint32_t bytes);
  void GetBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                        uint32_t* elapsedMilliseconds, int16_t* bufferCount);

  uint32_t State() const { return state_.load(); }

  // When playback of the first buffer began, on the tick clock; read by the recorders.
  std::atomic<int32_t> playStartTick{0};
  std::atomic<int32_t> playStartKnown{0};

 private:
  static constexpr uint32_t kStopMessage = 49999;
  static constexpr uint32_t kSyncMessage = 50001;
  static constexpr uint32_t kEndCheckMessage = 50002;

  void OnMessage(const platform::ThreadMessage& message);
  void OnBufferDone();
  void StopOnThread();
  void FillBuffer(int index);
  bool CheckDropout();
  void CheckEnd();
  // Makes sure no earlier run is playing or has a stop on its way; false when the
  // player thread did not answer.
  bool Settle();
  bool Clock(uint32_t& elapsed, uint32_t& number, uint32_t& position);

  std::shared_ptr<platform::CWaveSystem> system_;
  platform::CMessageThread thread_;
  platform::CPageBuffer area_;
  platform::WaveHeader headers_[kMaxBuffers];
  std::unique_ptr<platform::CWaveOut> device_;
  CHandshake synced_;

  std::atomic<uint32_t> state_{kStopped};
  std::atomic<uint32_t> run_{0};
  std::atomic<int> stopsPending_{0};
  int32_t buffersQueuedAtStart_ = 0;
  uint32_t lateThreshold_ = 0;
  CDropoutWatch watch_;
  int32_t endOfAudio_ = 0;
  uint32_t lastFillTick_ = 0;

  int16_t bitsPerSample_ = 16;
  int32_t samplesPerSecond_ = 44100;
  int32_t bytesPerSecond_ = 0;
  int32_t internalLogging_ = 0;
  std::atomic<PobixOutputCallback> fillCallback_{nullptr};

  uint32_t bufferBytes_ = 0;
  int16_t bufferCount_ = 0;
  float bufferMilliseconds_ = 0.0f;
  std::atomic<uint32_t> startTime_{0};
};
