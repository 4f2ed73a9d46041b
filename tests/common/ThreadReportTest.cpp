// Reports raised off the user-interface thread wait in fixed records until
// that thread drains them: raising one allocates nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "ReportErrorDll.h"
#include "ReportRecorder.h"
#include "ReportSink.h"

using namespace tessiro::test;

namespace {

// Marks the test's thread as the user-interface thread for the test's length.
struct UserInterfaceHere {
  UserInterfaceHere() { SetUserInterfaceThread(); }
  ~UserInterfaceHere() { DrainThreadReports(); }
};

thread_local bool t_isWorker = false;
bool CountWorkerOnly() { return t_isWorker; }

}  // namespace

TEST(ThreadReports, RaisingOneOnAnotherThreadAllocatesNothing) {
  UserInterfaceHere ui;
  const std::string longMessage(3 * kThreadReportMessageBytes, 'x');
  long allocations = -1;
  std::thread worker([&] {
    t_isWorker = true;
    StartCountingAllocations(CountWorkerOnly);
    errno = 2;
    ReportErrorDll("./effects/Equalizer.cpp", 379, "a block did not fit");
    ReportErrorDll("/x/y/AudioTrackList.cpp", 12, longMessage.c_str());
    allocations = StopCountingAllocations();
  });
  worker.join();
  EXPECT_EQ(allocations, 0);

  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports[0].posted);
  EXPECT_EQ(reports[0].report.title, "Equalizer");
  EXPECT_EQ(reports[0].report.line, 379);
  EXPECT_EQ(reports[0].report.code, 2);
  // The same text a report raised on the user-interface thread shows.
  Reports().SetAnswer(kIdCancel);
  errno = 2;
  ReportErrorDll("./effects/Equalizer.cpp", 379, "a block did not fit");
  EXPECT_EQ(Reports().Take().at(0).report.text, reports[0].report.text);
  // A message longer than a record is cut, not lost.
  EXPECT_EQ(reports[1].report.message, std::string(kThreadReportMessageBytes - 1, 'x'));
  EXPECT_EQ(reports[1].report.title, "AudioTrackList");
}

TEST(ThreadReports, AFullRingCountsWhatItTurnsAwayAndSaysSo) {
  UserInterfaceHere ui;
  constexpr int kRaised = static_cast<int>(kThreadReportSlots) + 6;
  std::thread worker([] {
    for (int i = 0; i < kRaised; ++i) ReportErrorDll("Echo", i, "");
  });
  worker.join();
  EXPECT_EQ(PendingThreadReports(), kThreadReportSlots);
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), kThreadReportSlots + 1);
  for (size_t i = 0; i < kThreadReportSlots; ++i) ASSERT_EQ(reports[i].report.line, static_cast<int>(i));
  EXPECT_NE(reports.back().report.message.find("6 further fault reports"), std::string::npos);
  EXPECT_EQ(PendingThreadReports(), 0u);
}

TEST(ThreadReports, ManyThreadsAtOnceLoseNothingAndKeepEachThreadsOrder) {
  UserInterfaceHere ui;
  constexpr int kThreads = 4;
  constexpr int kEach = static_cast<int>(kThreadReportSlots) / kThreads;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) ReportErrorDll("Echo", t * 1000 + i, "");
    });
  }
  for (auto& t : threads) t.join();
  auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), static_cast<size_t>(kThreads * kEach));
  int next[kThreads] = {};
  for (const auto& r : reports) {
    const int t = r.report.line / 1000;
    EXPECT_EQ(r.report.line % 1000, next[t]++);
  }
}

TEST(ThreadReports, TheWakeUpComesOnceForEachDrain) {
  UserInterfaceHere ui;
  std::atomic<int> wakes{0};
  SetThreadReportWakeUp([](void* context) { static_cast<std::atomic<int>*>(context)->fetch_add(1); }, &wakes);
  auto raise = [](int count) {
    std::thread worker([count] {
      for (int i = 0; i < count; ++i) ReportErrorDll("Echo", i, "");
    });
    worker.join();
  };
  raise(3);
  EXPECT_EQ(wakes.load(), 1);
  EXPECT_EQ(DrainThreadReports(), 3u);
  raise(2);
  EXPECT_EQ(wakes.load(), 2);
  SetThreadReportWakeUp(nullptr, nullptr);
  EXPECT_EQ(Reports().Take().size(), 5u);
}
