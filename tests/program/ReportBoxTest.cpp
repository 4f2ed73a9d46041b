// The program's fault reports on screen: the report box answered with real
// clicks and keys, the clipboard it fills, the notices of a failed copy,
// reports of other threads shown on the user-interface thread, and a burst of
// one report shown once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <thread>

#include "Generic.h"
#include "ModalDriver.h"
#include "QtReportSink.h"
#include "ReportErrorDll.h"
#include "ReportRecorder.h"

namespace tessiro::test {
namespace {

// The report text as the user must see it, put together here on its own.
std::string ReportText(const std::string& heading, int code, const std::string& title, int line,
                       const std::string& systemText) {
  return heading + "\n\nSystem Error Code: " + std::to_string(code) + " (" + title + "::" + std::to_string(line) +
         ")\n\nSystem Error Message: " + systemText +
         "\n\nClicking \"OK\" copies this information to the clipboard.  You\n"
         "will then be able to easily paste the information into an email.\n"
         "Please send to support@tessiro.org - we will resolve\n"
         "the problem as soon as possible.  Thank you.";
}

const std::string kGeneric =
    "An error has occurred.  Please send us this information.\nWe will resolve the issue as soon as possible.";

struct SeenBox {
  QString name, title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget* owner = nullptr;
  QStringList buttons;
  bool onUserInterfaceThread = false;
};

SeenBox Look(QWidget& window) {
  SeenBox seen;
  seen.name = window.objectName();
  seen.title = window.windowTitle();
  seen.owner = window.parentWidget();
  seen.onUserInterfaceThread = window.thread() == QApplication::instance()->thread() &&
                               QThread::currentThread() == QApplication::instance()->thread();
  if (auto* box = qobject_cast<QMessageBox*>(&window)) {
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text().remove(QLatin1Char('&'));
    seen.buttons.sort();
  }
  return seen;
}

enum class Answer { ClickOk, ClickCancel, PressEscape };

void Give(QWidget& window, Answer answer) {
  auto* box = qobject_cast<QMessageBox*>(&window);
  ASSERT_NE(box, nullptr);
  switch (answer) {
    case Answer::ClickOk: QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton); break;
    case Answer::ClickCancel: QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton); break;
    case Answer::PressEscape: QTest::keyClick(box, Qt::Key_Escape); break;
  }
}

// A shown main window the boxes belong to, and the sink on screen over it.
class ReportBox : public ::testing::Test {
 protected:
  void SetUp() override {
    main_.setWindowTitle(QStringLiteral("Main"));
    main_.resize(600, 400);
    main_.show();
    QApplication::clipboard()->setText(QStringLiteral("before"));
  }
  std::unique_ptr<CQtReportSink> MakeSink(CQtReportSink::Copier copy = {}) {
    return std::make_unique<CQtReportSink>([this] { return &main_; }, [this] { return nowMs_; }, std::move(copy));
  }

  QWidget main_;
  int64_t nowMs_ = 1000;
};

TEST_F(ReportBox, ShowsTheReportAndOkCopiesItToTheClipboard) {
  struct Case {
    bool library;
    Answer answer;
    int code;
    const char* message;
    std::string expected;
  };
  const Case cases[] = {
      {true, Answer::ClickOk, 0, "", ReportText(kGeneric, 0, "EffectList", 212, "Invalid pointer in module.")},
      {true, Answer::ClickCancel, ENOSPC, "disk full",
       ReportText("Error Message: disk full", ENOSPC, "EffectList", 212, "No space left on device")},
      {false, Answer::ClickOk, ENOENT, "",
       ReportText(kGeneric, ENOENT, "Generic", 1316, "No such file or directory")},
      {false, Answer::PressEscape, 0, "no view", ReportText("Error Message: no view", 0, "Generic", 1316,
                                                             "Invalid pointer in module.")},
  };
  auto sink = MakeSink();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.substr(0, 40) + (c.library ? " (library)" : " (program)"));
    nowMs_ += CQtReportSink::kBurstQuietMs;  // each case a report of its own
    QApplication::clipboard()->setText(QStringLiteral("before"));
    SeenBox seen;
    CModalDriver driver({{QStringLiteral("reportBox"),
                          [&](QWidget& w) {
                            seen = Look(w);
                            Give(w, c.answer);
                          }},
                         {QStringLiteral("reportNotice"), [](QWidget& w) {
                            ADD_FAILURE() << "a notice: " << Look(w).text.toStdString();
                            Give(w, Answer::ClickOk);
                          }}});
    errno = c.code;
    const int result = c.library ? ReportErrorDll(".\\effects\\EffectList.cpp", 212, c.message)
                                 : ReportError("/src/model/Generic.cpp", 1316, c.message);
    ASSERT_EQ(driver.Met().size(), 1u);
    EXPECT_EQ(seen.text.toStdString(), c.expected);
    EXPECT_EQ(seen.title, c.library ? QStringLiteral("Error") : QStringLiteral("Tessiro"));
    EXPECT_EQ(seen.icon, c.library ? QMessageBox::Critical : QMessageBox::Information);
    EXPECT_EQ(seen.buttons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}));
    EXPECT_EQ(seen.owner, &main_) << "over the main window";
    const bool ok = c.answer == Answer::ClickOk;
    EXPECT_EQ(result, ok ? kIdOk : kIdCancel);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), ok ? c.expected : "before");
  }
}

TEST_F(ReportBox, AFailedClipboardStepSaysWhichInANotice) {
  struct Case {
    bool library;
    ClipboardStep step;
    const char* notice;
  };
  const Case cases[] = {
      {true, ClipboardStep::GlobalAlloc, "Clipboard copy failed on GlobalAlloc."},
      {true, ClipboardStep::OpenClipboard, "Clipboard copy failed on OpenClipboard."},
      {true, ClipboardStep::SetClipboard, "Clipboard copy failed on Set Clipboard."},
      {true, ClipboardStep::CloseClipboard, "Clipboard copy failed on Close Clipboard."},
      {false, ClipboardStep::OpenClipboard, "Clipboard copy failed on OpenClipboard."},
      {false, ClipboardStep::SetClipboard, "Clipboard copy failedon SetClipboard."},
      {false, ClipboardStep::CloseClipboard, "Clipboard copy failed on CloseClipboard."},
  };
  ClipboardStep failing = ClipboardStep::None;
  QString copied;
  auto sink = MakeSink([&](const QString& text) {
    copied = text;
    return failing;
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notice);
    nowMs_ += CQtReportSink::kBurstQuietMs;
    failing = c.step;
    SeenBox notice;
    CModalDriver driver({{QStringLiteral("reportBox"), [](QWidget& w) { Give(w, Answer::ClickOk); }},
                         {QStringLiteral("reportNotice"), [&](QWidget& w) {
                            notice = Look(w);
                            QTest::mouseClick(qobject_cast<QMessageBox*>(&w)->button(QMessageBox::Ok),
                                              Qt::LeftButton);
                          }}});
    errno = 0;
    const int result = c.library ? ReportErrorDll("Lunder", 63, "") : ReportError("pro", 2491, "");
    EXPECT_EQ(result, kIdOk);
    EXPECT_EQ(driver.Met(), (std::vector<QString>{QStringLiteral("reportBox"), QStringLiteral("reportNotice")}));
    EXPECT_EQ(notice.text, QString::fromLatin1(c.notice));
    EXPECT_EQ(notice.title, c.library ? QStringLiteral("Error") : QStringLiteral("Tessiro"));
    EXPECT_EQ(notice.icon, QMessageBox::Information);
    EXPECT_EQ(notice.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_TRUE(copied.startsWith(QStringLiteral("An error has occurred.")));
  }
}

TEST_F(ReportBox, AReportLongerThanTheClipboardBlockIsCutToIt) {
  auto sink = MakeSink();
  const std::string message(9000, 'm');
  CModalDriver driver({{QStringLiteral("reportBox"), [](QWidget& w) { Give(w, Answer::ClickOk); }}});
  ReportErrorDll("Lunder", 7, message.c_str());
  const QString copied = QApplication::clipboard()->text();
  EXPECT_EQ(copied.size(), static_cast<qsizetype>(kClipboardBlockBytes - 1));
  EXPECT_TRUE(copied.startsWith(QStringLiteral("Error Message: mmm")));
}

// A device thread hands its report over and goes on at once; the box shows on
// the user-interface thread, not on the thread that raised it.
TEST_F(ReportBox, AReportOfAnotherThreadShowsOnTheUserInterfaceThread) {
  auto sink = MakeSink();
  SeenBox seen;
  CModalDriver driver({{QStringLiteral("reportBox"), [&](QWidget& w) {
                          seen = Look(w);
                          Give(w, Answer::ClickOk);
                        }}});
  std::thread device([] {
    errno = EIO;
    ReportErrorDll("/src/deviceio/AudioPlayer.cpp", 766, "");
  });
  device.join();  // returned without anyone answering a box
  EXPECT_TRUE(driver.Met().empty()) << "nothing shows inside the raising thread";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !driver.Met().empty(); }, 5000));
  EXPECT_TRUE(seen.onUserInterfaceThread);
  EXPECT_EQ(seen.text.toStdString(), ReportText(kGeneric, EIO, "AudioPlayer", 766, "Input/output error"));
  EXPECT_EQ(seen.title, QStringLiteral("Error"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::clipboard()->text() == seen.text; }, 2000));
}

TEST_F(ReportBox, ABurstOfOneReportShowsOnceAndOthersStillShowInTurn) {
  auto sink = MakeSink();
  std::vector<SeenBox> seen;
  int syncAnswers = 0;
  CModalDriver driver({{QStringLiteral("reportBox"), [&](QWidget& w) {
                          seen.push_back(Look(w));
                          if (seen.size() == 1) {
                            // While the first box is open, the same report again from this thread: no second box.
                            QTimer::singleShot(0, [&] {
                              EXPECT_EQ(ReportErrorDll("Echo", 101, "late"), kIdCancel);
                              ++syncAnswers;
                            });
                          }
                          QTimer::singleShot(20, &w, [&w] { Give(w, Answer::ClickOk); });
                        }}});
  std::thread device([] {
    // The system error that comes along may change from one time to the next; the fault is the same.
    for (int i = 0; i < 40; ++i) {
      errno = i % 3 == 0 ? 0 : EAGAIN;
      ReportErrorDll("Echo", 101, "late");
    }
    ReportErrorDll("Reverb", 202, "late");
    for (int i = 0; i < 10; ++i) ReportErrorDll("Echo", 101, "late");
  });
  device.join();
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2; }, 5000));
  QTest::qWait(50);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(syncAnswers, 1);
  EXPECT_TRUE(seen[0].text.contains(QStringLiteral("(Echo::101)")));
  EXPECT_TRUE(seen[1].text.contains(QStringLiteral("(Reverb::202)")));
  EXPECT_EQ(seen[1].owner, &main_) << "one box after the other, not inside it";
  EXPECT_EQ(sink->Waiting(), 0u);

  // Still within the burst: nothing; after a quiet spell: shown again.
  nowMs_ += CQtReportSink::kBurstQuietMs - 1;
  EXPECT_EQ(ReportErrorDll("Echo", 101, "late"), kIdCancel);
  EXPECT_EQ(seen.size(), 2u);
  nowMs_ += CQtReportSink::kBurstQuietMs;
  EXPECT_EQ(ReportErrorDll("Echo", 101, "late"), kIdOk);
  EXPECT_EQ(seen.size(), 3u);
}

// Reports that never got their box go to the sink underneath, not nowhere.
TEST_F(ReportBox, WhatWaitsAtShutDownGoesToTheSinkUnderneath) {
  auto sink = MakeSink();
  std::thread device([] { ReportErrorDll("AudioRecorder", 797, "too late to align"); });
  device.join();
  sink->HoldForShutDown();
  DrainThreadReports();
  QTest::qWait(20);
  EXPECT_EQ(sink->Waiting(), 0u);
  sink.reset();
  const std::vector<RecordedReport> handed = Reports().Take();
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(handed[0].report.title, "AudioRecorder");
  EXPECT_EQ(GetReportSink(), &Reports()) << "the sink underneath is back";
}

}  // namespace
}  // namespace tessiro::test
