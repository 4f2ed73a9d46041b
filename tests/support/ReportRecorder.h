// Records every fault report a test raises. A test that expects reports takes
// them with Take(); any report left at the end of a test fails it, so a fault
// reported where none was expected never passes silently. Take, Count and
// Clear first drain the reports other threads left in the ring.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "ReportSink.h"

namespace tessiro::test {

struct RecordedReport {
  ErrorReport report;
  bool posted = false;  // raised on another thread than the user-interface thread
  std::string caption;
};

class CReportRecorder final : public CReportSink {
 public:
  int Show(const ErrorReport& report, const char* caption, BoxIcon icon) override;
  void Post(const ErrorReport& report) override;
  ClipboardStep CopyToClipboard(const std::string& text) override;
  void Notice(const char* text, const char* caption) override;

  // The answer the next boxes give, and the clipboard step that fails (None: all succeed).
  void SetAnswer(int answer);
  void SetClipboardFailure(ClipboardStep step);

  std::vector<RecordedReport> Take();
  size_t Count() const;
  std::vector<std::string> TakeNotices();
  std::vector<std::string> Clipboard() const;
  void Clear();

 private:
  mutable std::mutex lock_;
  std::vector<RecordedReport> reports_;
  std::vector<std::string> notices_;
  std::vector<std::string> clipboard_;
  int answer_ = kIdCancel;
  ClipboardStep clipboardFailure_ = ClipboardStep::None;
};

// The recorder the test main installed.
CReportRecorder& Reports();

}  // namespace tessiro::test
