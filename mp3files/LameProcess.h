// One run of the LAME program: started from an argument vector, its output read
// through a pipe for progress, ended and reaped on a cancel, its exit status
// and its words checked. Failures are reported under the caller's source title.
// Audio may stream through LAME's own input and output while it runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "LameProgress.h"
#include "Lunder.h"

namespace lunder {

// The program run; looked up on the PATH.
constexpr const char* kLameProgram = "lame";

// The longest LAME may stay silent before the caller's progress callback hears
// the last percent again, so that a LAME that hangs can still be cancelled.
constexpr int kProgressHeartbeatMs = 250;

class CProgressRelay;

// The audio LAME reads through its input or writes to its output. Each step
// answers Go, Ended (no more to give), Cancelled (the caller's cancel) or
// Failed (a fault, already reported); anything but Go and Ended stops LAME.
class CLameAudio {
 public:
  enum class Step { Go, Ended, Cancelled, Failed };
  virtual ~CLameAudio() = default;
  // Up to capacity bytes for LAME's input; *got is 0 with Ended.
  virtual Step Give(uint8_t* buffer, size_t capacity, size_t* got);
  // What LAME wrote to its output; percent is its progress so far.
  virtual Step Take(const uint8_t* data, size_t bytes, short percent);
  // LAME has ended well: whether what it wrote was whole.
  virtual Step Finish();
};

class CLameProcess {
 public:
  enum class End { Finished, Cancelled, Failed };

  // lines: where a failure to make the pipe and to start the program are reported.
  CLameProcess(const char* sourceTitle, int linePipe, int lineStart);

  // Starts LAME with these arguments after the program name; a failure is reported.
  bool Start(const std::vector<std::string>& arguments, platform::ChildStreams streams = {});
  // The lowest scheduling priority, so that an export leaves the desktop responsive.
  bool LowerPriority();
  // Reads LAME's output until it ends, passing each progress record to progress
  // (which may be null). Finished only when LAME exited with status 0 without
  // printing a fatal error: it exits 0 even when its output could not be finished.
  // parser null: LAME's words carry no percent; progress then hears only
  // kLunderNoPercent. audio: what streams through the pipes Start asked for.
  End Run(CLameProgress* parser, LunderProgressCallback progress, CLameAudio* audio = nullptr);

 private:
  bool ReadMessages(CLameProgress* parser, std::vector<short>* percents, bool* open);
  // *moved grows by the audio bytes that went through the pipe.
  CLameAudio::Step Feed(CLameAudio& audio, bool* open, size_t* moved);
  CLameAudio::Step Drain(CLameAudio& audio, short percent, bool* open, size_t* moved);
  void KeepTail(const char* piece, size_t bytes);
  void LookForFatalWords(const char* piece, size_t bytes);
  bool WaitForExit(CProgressRelay& relay, platform::ChildExit* exit, bool* cancelled);
  void ReportFailure(const char* what);
  std::string ReadableTail() const;

  const char* source_;
  int linePipe_;
  int lineStart_;
  platform::CChildProcess child_;
  platform::ChildStreams streams_;
  std::string tail_;    // the end of LAME's output, for the report when it fails
  std::string window_;  // lower-cased end of the output, so words split between reads are found
  bool saidFatal_ = false;
  bool stoppedReading_ = false;  // LAME closed its input before it had all the audio
  std::vector<uint8_t> audioBuffer_;
  size_t pendingAt_ = 0, pendingEnd_ = 0;  // what audioBuffer_ still holds for LAME's input
};

}  // namespace lunder
