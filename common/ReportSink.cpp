#include "ReportSink.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "ReportErrorDll.h"
#include "ThreadReportRing.h"

namespace {

constexpr const char* kSupportAddress = "support@tessiro.org";
constexpr const char* kProgramCaption = "Tessiro";
constexpr const char* kLibraryCaption = "Error";

class CStderrSink final : public CReportSink {
 public:
  int Show(const ErrorReport& report, const char*, BoxIcon) override {
    Write(report);
    return kIdCancel;  // nobody to answer, so nothing goes to a clipboard
  }
  void Post(const ErrorReport& report) override { Write(report); }
  ClipboardStep CopyToClipboard(const std::string&) override { return ClipboardStep::None; }
  void Notice(const char* text, const char*) override { std::fprintf(stderr, "%s\n", text); }

 private:
  static void Write(const ErrorReport& report) {
    std::fprintf(stderr, "[fault %s::%d]\n%s\n", report.title.c_str(), report.line, report.text.c_str());
  }
};

CStderrSink g_stderrSink;
std::atomic<CReportSink*> g_sink{&g_stderrSink};
std::atomic<std::thread::id> g_uiThread{};

std::string SystemErrorText(int code) {
  if (code == 0) return "Invalid pointer in module.";
  char buffer[256];
  // GNU strerror_r may return a static string instead of filling the buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return text ? text : "Unknown error";
}

}  // namespace

CReportSink* SetReportSink(CReportSink* sink) {
  return g_sink.exchange(sink ? sink : &g_stderrSink);
}

CReportSink* GetReportSink() { return g_sink.load(); }

void SetUserInterfaceThread() { g_uiThread.store(std::this_thread::get_id()); }

bool IsUserInterfaceThread() {
  const std::thread::id ui = g_uiThread.load();
  return ui == std::thread::id{} || ui == std::this_thread::get_id();
}

const char* ClipboardFailureText(ReportOrigin origin, ClipboardStep step) {
  const bool library = origin == ReportOrigin::Library;
  switch (step) {
    case ClipboardStep::None: return "";
    case ClipboardStep::GlobalAlloc: return "Clipboard copy failed on GlobalAlloc.";
    case ClipboardStep::GlobalLock: return "Clipboard copy failed on GlobalLock.";
    case ClipboardStep::GlobalUnlock: return "Clipboard copy failed on GlobalUnlock.";
    case ClipboardStep::AfxGetApp: return "Clipboard copy failed on AfxGetApp.";
    case ClipboardStep::GetMainWnd: return "Clipboard copy failed on GetMainWnd.";
    case ClipboardStep::WindowHandle: return "Clipboard copy failed on m_hWnd.";
    case ClipboardStep::OpenClipboard: return "Clipboard copy failed on OpenClipboard.";
    case ClipboardStep::SetClipboard:
      return library ? "Clipboard copy failed on Set Clipboard." : "Clipboard copy failedon SetClipboard.";
    case ClipboardStep::CloseClipboard:
      return library ? "Clipboard copy failed on Close Clipboard." : "Clipboard copy failed on CloseClipboard.";
  }
  return "";
}

int PresentReport(const ErrorReport& report) {
  CReportSink* sink = GetReportSink();
  const bool library = report.origin == ReportOrigin::Library;
  const char* caption = library ? kLibraryCaption : kProgramCaption;
  const int result = sink->Show(report, caption, library ? BoxIcon::Error : BoxIcon::Information);
  if (result != kIdOk) return result;
  const std::string block = report.text.substr(0, kClipboardBlockBytes - 1);
  const ClipboardStep failed = sink->CopyToClipboard(block);
  if (failed != ClipboardStep::None) sink->Notice(ClipboardFailureText(report.origin, failed), caption);
  return result;
}

namespace {

std::atomic<ThreadReportWakeUp> g_wakeUp{nullptr};
std::atomic<void*> g_wakeUpContext{nullptr};

// The report as shown, from what its raiser gave.
ErrorReport BuildReport(ReportOrigin origin, std::string title, int line, const char* message, int32_t code) {
  ErrorReport report;
  report.code = code;
  report.origin = origin;
  report.line = line;
  report.message = message ? message : "";
  report.title = std::move(title);
  report.systemText = SystemErrorText(report.code);

  const std::string heading = report.message.empty()
      ? std::string("An error has occurred.  Please send us this information.\n"
                    "We will resolve the issue as soon as possible.")
      : "Error Message: " + report.message;
  report.text = heading + "\n\nSystem Error Code: " + std::to_string(report.code) + " (" + report.title +
                "::" + std::to_string(line) + ")\n\nSystem Error Message: " + report.systemText +
                "\n\nClicking \"OK\" copies this information to the clipboard.  You\n"
                "will then be able to easily paste the information into an email.\n"
                "Please send to " + kSupportAddress +
                " - we will resolve\nthe problem as soon as possible.  Thank you.";
  return report;
}

}  // namespace

int DeliverReport(ReportOrigin origin, const char* sourcePath, int line, const char* message) {
  const int32_t code = errno;  // before anything below can change it
  if (!IsUserInterfaceThread()) {
    // Fixed records only: this may be an audio thread.
    bool wake = false;
    ThreadReportRing().Push(origin, sourcePath, line, message, code, &wake);
    if (wake) {
      if (ThreadReportWakeUp wakeUp = g_wakeUp.load()) wakeUp(g_wakeUpContext.load());
    }
    return kIdCancel;
  }
  const char* path = sourcePath ? sourcePath : "";
  std::vector<char> title(std::strlen(path) + 1);
  GetFileTitleFromPath(path, title.data());
  return PresentReport(BuildReport(origin, title.data(), line, message, code));
}

size_t DrainThreadReports() {
  CThreadReportRing& ring = ThreadReportRing();
  ring.MarkDrained();
  size_t handed = 0;
  ThreadReportRecord record;
  while (ring.Pop(&record)) {
    GetReportSink()->Post(BuildReport(record.origin, record.title, record.line, record.message, record.code));
    ++handed;
  }
  if (const uint32_t lost = ring.TakeTurnedAway()) {
    const std::string message = std::to_string(lost) +
                                " further fault reports came while the ones above waited; they were not kept.";
    GetReportSink()->Post(BuildReport(ReportOrigin::Library, "ReportSink", 0, message.c_str(), 0));
    ++handed;
  }
  return handed;
}

size_t PendingThreadReports() { return ThreadReportRing().Pending(); }

void SetThreadReportWakeUp(ThreadReportWakeUp wakeUp, void* context) {
  g_wakeUpContext.store(context);
  g_wakeUp.store(wakeUp);
}
