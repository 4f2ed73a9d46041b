// Where fault reports go.
//
// Every deliverable compiles this file in; with default symbol visibility the
// dynamic linker binds every copy to one definition, so a process has exactly
// one sink whichever library raises the report.
//
// Threads: a report may be raised on any thread (effect workers, the player,
// recorders). On a thread other than the user-interface thread the report
// goes into a fixed ring of fixed-size records, preallocated with the
// process: raising it builds no string, allocates nothing, takes no lock and
// never waits for a person to click a box. The user-interface thread drains
// the ring (DrainThreadReports, from a timer or after the wake-up below) and
// hands each report to the sink's Post.
#pragma once

#include <cstdint>
#include <string>

// Message-box results, numbered as the report's callers expect them.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

enum class ReportOrigin {
  Library,  // ReportErrorDll: caption "Error", error icon
  Program,  // ReportError: the program's own box, information icon
};

enum class BoxIcon { Error, Information };

// The clipboard steps of a report; each failure has its own notice text.
enum class ClipboardStep {
  None = 0,  // copied
  GlobalAlloc,
  GlobalLock,
  GlobalUnlock,
  AfxGetApp,
  GetMainWnd,
  WindowHandle,
  OpenClipboard,
  SetClipboard,
  CloseClipboard,
};

struct ErrorReport {
  ReportOrigin origin = ReportOrigin::Library;
  std::string title;    // file title of the source, e.g. "EffectList"
  int line = 0;         // the fault code's line
  std::string message;  // as given by the caller, possibly empty
  int32_t code = 0;     // the thread's last system error (errno) when raised
  std::string systemText;
  std::string text;     // the whole report as shown
};

class CReportSink {
 public:
  virtual ~CReportSink() = default;
  // Shows the report on the user-interface thread; returns kIdOk or kIdCancel.
  virtual int Show(const ErrorReport& report, const char* caption, BoxIcon icon) = 0;
  // A report raised on another thread, handed over by DrainThreadReports on
  // the user-interface thread.
  virtual void Post(const ErrorReport& report) = 0;
  // Copies the (already cut) report to the clipboard; returns the step that failed.
  virtual ClipboardStep CopyToClipboard(const std::string& text) = 0;
  // A one-button information notice (a failed clipboard step).
  virtual void Notice(const char* text, const char* caption) = 0;
};

// Replaces the process's sink; nullptr restores the default, which writes to stderr.
// Returns the sink that was installed before.
CReportSink* SetReportSink(CReportSink* sink);
CReportSink* GetReportSink();

// Marks the calling thread as the user-interface thread. Until a thread is marked,
// every thread counts as the user-interface thread (tools and tests without a UI).
void SetUserInterfaceThread();
bool IsUserInterfaceThread();

// Builds the report text and delivers it; the shared body of ReportErrorDll and
// ReportError. errno must still hold the caller's error when this is entered.
int DeliverReport(ReportOrigin origin, const char* sourcePath, int line, const char* message);

// Reports raised on other threads, waiting for the user-interface thread.
constexpr size_t kThreadReportSlots = 64;           // a fuller ring turns reports away and counts them
constexpr size_t kThreadReportTitleBytes = 64;      // longer titles are cut
constexpr size_t kThreadReportMessageBytes = 256;   // longer messages are cut

// User-interface thread: hands every waiting report to the sink's Post, oldest
// first, then one report saying how many a full ring turned away, if any.
// Returns how many reports it handed on.
size_t DrainThreadReports();
// Reports waiting in the ring now.
size_t PendingThreadReports();
// Called on the raising thread when a report lands in a ring that had been
// drained, so the program can have the user-interface thread drain it soon;
// it must return at once and allocate nothing (an eventfd write, a flag a
// timer reads). nullptr: none; the program then drains from a timer only.
using ThreadReportWakeUp = void (*)(void* context);
void SetThreadReportWakeUp(ThreadReportWakeUp wakeUp, void* context);

// The largest clipboard block; longer reports are cut to fit, terminator included.
constexpr size_t kClipboardBlockBytes = 8024;

// The text shown when a clipboard step fails; the two reports word some steps differently.
const char* ClipboardFailureText(ReportOrigin origin, ClipboardStep step);

// Shows a report, and copies it to the clipboard when the user answers OK.
// Sinks call this on the user-interface thread for reports they were posted.
int PresentReport(const ErrorReport& report);
