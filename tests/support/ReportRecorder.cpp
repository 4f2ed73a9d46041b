#include "ReportRecorder.h"

namespace tessiro::test {

int CReportRecorder::Show(const ErrorReport& report, const char* caption, BoxIcon) {
  std::lock_guard<std::mutex> guard(lock_);
  reports_.push_back({report, false, caption ? caption : ""});
  return answer_;
}

void CReportRecorder::Post(const ErrorReport& report) {
  std::lock_guard<std::mutex> guard(lock_);
  reports_.push_back({report, true, ""});
}

ClipboardStep CReportRecorder::CopyToClipboard(const std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  if (clipboardFailure_ == ClipboardStep::None) clipboard_.push_back(text);
  return clipboardFailure_;
}

void CReportRecorder::Notice(const char* text, const char*) {
  std::lock_guard<std::mutex> guard(lock_);
  notices_.push_back(text);
}

void CReportRecorder::SetAnswer(int answer) {
  std::lock_guard<std::mutex> guard(lock_);
  answer_ = answer;
}

void CReportRecorder::SetClipboardFailure(ClipboardStep step) {
  std::lock_guard<std::mutex> guard(lock_);
  clipboardFailure_ = step;
}

std::vector<RecordedReport> CReportRecorder::Take() {
  // Reports raised on other threads wait in the ring until drained, as the program drains them.
  DrainThreadReports();
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<RecordedReport> taken;
  taken.swap(reports_);
  return taken;
}

size_t CReportRecorder::Count() const {
  DrainThreadReports();
  std::lock_guard<std::mutex> guard(lock_);
  return reports_.size();
}

std::vector<std::string> CReportRecorder::TakeNotices() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> taken;
  taken.swap(notices_);
  return taken;
}

std::vector<std::string> CReportRecorder::Clipboard() const {
  std::lock_guard<std::mutex> guard(lock_);
  return clipboard_;
}

void CReportRecorder::Clear() {
  DrainThreadReports();
  std::lock_guard<std::mutex> guard(lock_);
  reports_.clear();
  notices_.clear();
  clipboard_.clear();
  answer_ = kIdCancel;
  clipboardFailure_ = ClipboardStep::None;
}

}  // namespace tessiro::test
