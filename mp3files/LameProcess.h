// One run of the LAME program: started from an argument vector, its output read
// through a pipe for progress, ended and reaped on a cancel, its exit status
// and its words checked. Failures are reported under the caller's source title.
#pragma once

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

class CLameProcess {
 public:
  enum class End { Finished, Cancelled, Failed };

  // lines: where a failure to make the pipe and to start the program are reported.
  CLameProcess(const char* sourceTitle, int linePipe, int lineStart);

  // Starts LAME with these arguments after the program name; a failure is reported.
  bool Start(const std::vector<std::string>& arguments);
  // The lowest scheduling priority, so that an export leaves the desktop responsive.
  bool LowerPriority();
  // Reads LAME's output until it ends, passing each progress record to progress
  // (which may be null). Finished only when LAME exited with status 0 without
  // printing a fatal error: it exits 0 even when its output could not be finished.
  End Run(CLameProgress& parser, LunderProgressCallback progress);

 private:
  void KeepTail(const char* piece, size_t bytes);
  void LookForFatalWords(const char* piece, size_t bytes);
  bool WaitForExit(CProgressRelay& relay, platform::ChildExit* exit, bool* cancelled);
  void ReportFailure(const char* what);
  std::string ReadableTail() const;

  const char* source_;
  int linePipe_;
  int lineStart_;
  platform::CChildProcess child_;
  std::string tail_;    // the end of LAME's output, for the report when it fails
  std::string window_;  // lower-cased end of the output, so words split between reads are found
  bool saidFatal_ = false;
};

}  // namespace lunder
