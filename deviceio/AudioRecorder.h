// A recorder: captures one physical input in 16-bit stereo through two buffers
// and hands each full buffer, converted per input, to up to four input callbacks
// on its own thread. When recording along with playback it drops or pads the
// start of the capture so that the recording lines up with the moment playback
// began, and it watches for late buffers (dropouts).
//
// Runs are numbered by the device object. A run begins and ends on the
// recorder's own thread, in the order of its messages: everything a run holds is
// set there before the first buffer of it is looked at, and a stop meant for one
// run never ends another.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "DropoutWatch.h"
#include "Events.h"
#include "Handshake.h"
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
  // The event each run resets when it begins and sets once it has stopped.
  void SetStopEvent(platform::CEvent* event) { stopEvent_ = event; }
  void SetEndOfAudioCallback(PobixNotifyCallback end) { watch_.SetEndOfAudioCallback(end); }
  void SetDropoutCallback(PobixDropoutCallback dropout) { watch_.SetDropoutCallback(dropout); }
  void SetInternalLogging(int32_t logging) { internalLogging_ = logging; }

  // Caller's thread: returns once the run has begun on the recorder's thread (a
  // failure to begin is reported there). A run still going is stopped first. From
  // the recorder's own thread the run begins once the message it handles is through.
  void Start(uint32_t run, bool alignToPlayback);
  void StartMonitoring(uint32_t run);
  // Any thread, the recorder's own included: asks for the stop of a run and
  // returns without waiting. The stop is carried out on the recorder's thread once
  // the message it is handling is through, and then sets the run's stop event; it
  // is asked again when it failed. A stop of any other run is ignored.
  void RequestStop(uint32_t run);
  void RequestStopMonitoring(uint32_t run) { RequestStop(run); }
  // Ends the thread; nothing is called back afterwards.
  void StopThread();
  bool IsCurrentThread() const { return thread_.IsCurrent(); }
  // The run begun last.
  uint32_t Run() const { return run_.load(); }

  void GetCurrentBuffer(unsigned char** dst, uint32_t bytes);
  void GetBufferAndTime(unsigned char** buffer, uint32_t* bufferBytes, uint32_t* bufferMilliseconds,
                        uint32_t* elapsedMilliseconds, int16_t* bufferCount);

  uint32_t State() const { return state_.load(); }

 private:
  static constexpr uint32_t kStartMessage = 50004;
  static constexpr uint32_t kStopMessage = 50005;
  static constexpr uint32_t kSyncMessage = 50006;

  void OnMessage(const platform::ThreadMessage& message);
  void Begin(uint32_t run, bool monitor, bool alignToPlayback);
  void BeginOnThread(uint32_t run, bool monitor, bool alignToPlayback);
  void StopRun(uint32_t run);
  // False when the device would not stop (reported); the run then goes on.
  // keepLast: a stop asked for the run, whose inputs take what was captured up to it.
  bool StopOnThread(bool keepLast);
  // Caller's thread: waits until the recorder's thread has handled everything
  // posted so far; false (reported) when it did not answer.
  bool Sync();
  // Recording or monitoring, and no stop asked for this run.
  bool Live() const { return state_.load() == kRecording && stopAsked_.load() < run_.load(); }
  bool StopAsked() const { return stopAsked_.load() >= run_.load(); }
  // What places a buffer against playback: the capture position with the tick
  // it was read at, and the two devices' positions read together.
  struct Placement {
    uint32_t tick = 0;
    bool tickKnown = false;  // capturedAtTick holds
    bool tickOnly = false;   // no rate: the tick alone
    uint32_t capturedAtTick = 0;
    bool paired = false;  // captured and played hold
    uint32_t captured = 0, played = 0;
  };
  void OnData();
  void ProcessBuffer();
  void ReadPlacement(Placement& placement);
  // The bytes played when the capture reached end (bytes into it); false when
  // that cannot be told yet.
  bool PlayedWhenCaptured(const Placement& placement, int64_t end, int64_t& since) const;
  // Hands the first filled bytes of buffer index to the inputs: whole once the
  // take is aligned, else only what was captured after playback began, with
  // silence before it when that was earlier. Marks the buffer taken.
  void Take(int index, uint32_t filled, const Placement& placement, bool atStop);
  // At a stop: every buffer captured and not yet taken, the partly filled last among them.
  void TakeRemaining(const Placement& placement);
  // A dropout: nothing more is taken in this run.
  bool Starving() const { return starved_ || watch_.ConsecutiveLate() >= 2 || watch_.AccumulatedLate() >= 15; }
  // The capture position (already read) and the played one, as of one moment.
  bool ReadPositionsTogether(uint32_t& captured, uint32_t& played);
  void DeliverToInputs(const uint8_t* data, uint32_t bytes);
  bool CheckDropout();
  void FreeArea();

  std::shared_ptr<platform::CWaveSystem> system_;
  platform::CMessageThread thread_;
  std::unique_ptr<platform::CWaveIn> device_;
  CAudioPlayer* player_ = nullptr;

  // The run begun last, and the latest run asked to stop.
  std::atomic<uint32_t> run_{0};
  std::atomic<uint32_t> stopAsked_{0};
  CHandshake handshake_;

  uint32_t lastDataTick_ = 0;
  std::atomic<uint32_t> startTime_{0};
  int32_t firstDataSeen_ = 0;
  uint32_t lastProcessedTick_ = 0;
  bool starved_ = false;
  int32_t monitoring_ = 0;
  int32_t internalLogging_ = 0;
  float bufferMilliseconds_ = 0.0f;
  std::atomic<int16_t> inputCount_{0};
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
  bool taken_[kMaxBuffers] = {};  // delivered and not yet queued again
  int16_t bufferCount_ = 0;
  int32_t aligned_ = 0;
  int32_t buffersProcessed_ = 0;
  uint32_t lateThreshold_ = 0;
  // A gap between buffer notices longer than this counts as late.
  uint32_t noticeGapThreshold_ = 1200;
};
