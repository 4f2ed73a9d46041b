// The program's fault reports on screen: the report box (OK and Cancel; OK
// copies the report to the clipboard, and a step of that copy that fails says
// so in a notice of its own), over whatever window is in front, a modal
// dialog or the progress window included.
//
// Reports raised on the user-interface thread show at once and give the
// box's answer. Reports raised on other threads wait in the fixed ring of
// ReportSink.h until this thread drains them (when the application posts the
// wake-up, and on a slow timer besides); they then show one after another,
// never one box inside another. A report from the same place with the same
// message as one being shown, one waiting, or one seen less than
// kBurstQuietMs before shows once: a fault raised on every buffer gives one
// box, not hundreds.
//
// Made, it becomes the process's sink, and the thread that made it the
// user-interface thread; destroyed, it gives the sink back and writes what
// never got shown to that sink (standard error, in the program).
//
// Threads: user-interface thread only (the ring is the only way in from others).
#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ReportSink.h"

class QObject;
class QTimer;
class QWidget;

class CQtReportSink final : public CReportSink {
 public:
  // Quiet time after which the same report shows again.
  static constexpr int64_t kBurstQuietMs = 2000;
  // How often reports of other threads are drained even without a wake-up.
  static constexpr int kDrainIntervalMs = 500;

  using Clock = std::function<int64_t()>;  // milliseconds, steady
  // Puts the text on the clipboard; the step that failed, None when it is there.
  using Copier = std::function<ClipboardStep(const QString& text)>;

  // mainWindow: what the boxes belong to when no modal window is in front.
  explicit CQtReportSink(std::function<QWidget*()> mainWindow, Clock clock = {}, Copier copy = {});
  ~CQtReportSink() override;
  CQtReportSink(const CQtReportSink&) = delete;
  CQtReportSink& operator=(const CQtReportSink&) = delete;

  // Shutting down: reports of other threads no longer open boxes and go to the
  // sink given back at the end; a report of this thread still shows.
  void HoldForShutDown();

  int Show(const ErrorReport& report, const char* caption, BoxIcon icon) override;
  void Post(const ErrorReport& report) override;
  ClipboardStep CopyToClipboard(const std::string& text) override;
  void Notice(const char* text, const char* caption) override;

  // Reports of other threads waiting for their box.
  size_t Waiting() const { return waiting_.size(); }

  // The system clipboard through Qt.
  static ClipboardStep CopyWithQt(const QString& text);

 private:
  static std::string KeyOf(const ErrorReport& report);
  // True when the report repeats one shown, waiting or recent; notes it as seen.
  bool Repeats(const std::string& key);
  QWidget* Owner() const;
  void ShowWaitingSoon();
  void ShowWaiting();
  void HandBackWaiting();

  std::function<QWidget*()> mainWindow_;
  Clock clock_;
  Copier copy_;
  CReportSink* previous_ = nullptr;
  std::unique_ptr<QObject> context_;  // posted calls die with the sink
  std::unique_ptr<QTimer> drainTimer_;
  std::deque<ErrorReport> waiting_;
  std::vector<std::string> showing_;           // keys of the boxes open now, innermost last
  std::map<std::string, int64_t> lastSeenMs_;  // by key
  const ErrorReport* presenting_ = nullptr;    // the waiting report being shown
  bool showSoon_ = false;
  bool holding_ = false;
};
