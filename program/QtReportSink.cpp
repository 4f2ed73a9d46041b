#include "QtReportSink.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <new>

namespace {

int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void DressBox(QMessageBox& box, const char* caption, QMessageBox::Icon icon, const std::string& text) {
  box.setWindowTitle(QString::fromUtf8(caption));
  box.setIcon(icon);
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  // So that a user can also pick out a part of it.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
}

}  // namespace

CQtReportSink::CQtReportSink(std::function<QWidget*()> mainWindow, Clock clock, Copier copy)
    : mainWindow_(std::move(mainWindow)),
      clock_(clock ? std::move(clock) : Clock(SteadyMs)),
      copy_(copy ? std::move(copy) : Copier(CopyWithQt)),
      context_(std::make_unique<QObject>()),
      drainTimer_(std::make_unique<QTimer>()) {
  SetUserInterfaceThread();
  previous_ = SetReportSink(this);
  // A wake-up that could not be posted leaves reports in the ring; this finds them.
  QObject::connect(drainTimer_.get(), &QTimer::timeout, [] {
    if (PendingThreadReports() > 0) DrainThreadReports();
  });
  drainTimer_->start(kDrainIntervalMs);
}

CQtReportSink::~CQtReportSink() {
  drainTimer_.reset();
  context_.reset();
  SetReportSink(previous_);
  HandBackWaiting();
  DrainThreadReports();
}

void CQtReportSink::HoldForShutDown() {
  holding_ = true;
  drainTimer_->stop();
  HandBackWaiting();
}

void CQtReportSink::HandBackWaiting() {
  while (!waiting_.empty()) {
    const ErrorReport report = std::move(waiting_.front());
    waiting_.pop_front();
    previous_->Post(report);
  }
}

// The place and the words of a fault: the system error that came with it may differ from one time to the next.
std::string CQtReportSink::KeyOf(const ErrorReport& report) {
  return (report.origin == ReportOrigin::Library ? "L\n" : "P\n") + report.title + "\n" + std::to_string(report.line) +
         "\n" + report.message;
}

bool CQtReportSink::Repeats(const std::string& key) {
  const int64_t now = clock_();
  std::erase_if(lastSeenMs_, [now](const auto& seen) { return now - seen.second >= kBurstQuietMs; });
  const bool repeat = lastSeenMs_.contains(key) || std::find(showing_.begin(), showing_.end(), key) != showing_.end() ||
                      std::any_of(waiting_.begin(), waiting_.end(), [&key](const ErrorReport& r) { return KeyOf(r) == key; });
  lastSeenMs_[key] = now;
  return repeat;
}

QWidget* CQtReportSink::Owner() const {
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) return modal;
  QWidget* main = mainWindow_ ? mainWindow_() : nullptr;
  return main && main->isVisible() ? main : nullptr;
}

int CQtReportSink::Show(const ErrorReport& report, const char* caption, BoxIcon icon) {
  const std::string key = KeyOf(report);
  if (&report != presenting_ && Repeats(key)) return kIdCancel;
  QMessageBox box(Owner());
  box.setObjectName(QStringLiteral("reportBox"));
  DressBox(box, caption, icon == BoxIcon::Error ? QMessageBox::Critical : QMessageBox::Information, report.text);
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  showing_.push_back(key);
  const int answer = box.exec();
  showing_.pop_back();
  lastSeenMs_[key] = clock_();
  // Reports of other threads waited while this box was open.
  ShowWaitingSoon();
  return answer == QMessageBox::Ok ? kIdOk : kIdCancel;
}

void CQtReportSink::Post(const ErrorReport& report) {
  if (holding_) {
    previous_->Post(report);
    return;
  }
  if (Repeats(KeyOf(report))) return;
  waiting_.push_back(report);
  ShowWaitingSoon();
}

// From the event loop, not from inside the drain that posted the report.
void CQtReportSink::ShowWaitingSoon() {
  if (showSoon_ || waiting_.empty()) return;
  showSoon_ = true;
  QTimer::singleShot(0, context_.get(), [this] {
    showSoon_ = false;
    ShowWaiting();
  });
}

void CQtReportSink::ShowWaiting() {
  if (holding_) {
    HandBackWaiting();
    return;
  }
  // One box at a time: the box open now asks again when it closes.
  if (!showing_.empty() || waiting_.empty()) return;
  const ErrorReport report = std::move(waiting_.front());
  waiting_.pop_front();
  presenting_ = &report;
  PresentReport(report);
  presenting_ = nullptr;
  ShowWaitingSoon();
}

ClipboardStep CQtReportSink::CopyToClipboard(const std::string& text) {
  try {
    return copy_(QString::fromStdString(text));
  } catch (const std::bad_alloc&) {
    return ClipboardStep::GlobalAlloc;
  }
}

ClipboardStep CQtReportSink::CopyWithQt(const QString& text) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return ClipboardStep::OpenClipboard;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return ClipboardStep::OpenClipboard;
  clipboard->setText(text, QClipboard::Clipboard);
  return clipboard->text(QClipboard::Clipboard) == text ? ClipboardStep::None : ClipboardStep::SetClipboard;
}

void CQtReportSink::Notice(const char* text, const char* caption) {
  QMessageBox box(Owner());
  box.setObjectName(QStringLiteral("reportNotice"));
  DressBox(box, caption, QMessageBox::Information, text);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}
