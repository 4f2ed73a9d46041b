// The lateness of one side, playback or recording: counts late buffers, tells the
// end of audio and then the dropout once a run goes wrong, and tells the end of
// audio at most once per run whatever the reason.
#pragma once

#include <atomic>
#include <cstdint>

#include "Pobix.h"

class CDropoutWatch {
 public:
  // Fault codes for a missing end-of-audio or dropout callback, per kind of dropout.
  struct FaultLines {
    int consecutiveEnd;
    int consecutiveDropout;
    int accumulatedEnd;
    int accumulatedDropout;
  };

  // where: "playback" or "recording"; source: the reporting file, for its title.
  CDropoutWatch(const char* where, const char* source, FaultLines lines);

  void SetEndOfAudioCallback(PobixNotifyCallback end) { endOfAudio_.store(end); }
  void SetDropoutCallback(PobixDropoutCallback dropout) { dropout_.store(dropout); }

  // How long a buffer of bytes lasts; with no rate (a fault its caller reports)
  // 100 ms, so that lateness is still judged.
  static float BufferMilliseconds(uint32_t bytes, int32_t bytesPerSecond);
  // A buffer handled more than three buffers' time after the last counts as late.
  static uint32_t LateThreshold(float bufferMilliseconds) { return static_cast<uint32_t>(3.0f * bufferMilliseconds); }

  // A new run.
  void Reset();
  // One buffer was handled late, or in time (which ends a run of late ones).
  void Count(bool late);
  uint32_t ConsecutiveLate() const { return consecutiveLate_; }
  uint32_t AccumulatedLate() const { return accumulatedLate_; }
  // Two late buffers in a row, or five in a run, are a dropout: the end of audio,
  // then the dropout notice, once per run. A missing callback is reported and still
  // counts as a dropout. True when the buffer just counted makes one.
  bool CheckDropout();
  // The device has failed for good: buffers will never come again, a dropout of
  // consecutive delays beyond waiting for. True unless this run told one already.
  bool DeviceLost();
  // The end of audio, unless this run has told it already.
  void NotifyEnd(int missingLine);
  bool EndNotified() const { return endNotified_; }

 private:
  bool Dropout(const char* what, int endLine, int dropoutLine);

  const char* const where_;
  const char* const source_;
  const FaultLines lines_;
  std::atomic<PobixNotifyCallback> endOfAudio_{nullptr};
  std::atomic<PobixDropoutCallback> dropout_{nullptr};
  uint32_t consecutiveLate_ = 0;
  uint32_t accumulatedLate_ = 0;
  bool dropoutReported_ = false;
  bool endNotified_ = false;
};
