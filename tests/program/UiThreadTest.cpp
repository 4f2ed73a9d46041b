#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "PostRing.h"
#include "QtUiThread.h"

namespace {

TEST(PostRing, KeepsOrderAndRefusesWhenFull) {
  CPostRing<int, 4> ring;
  int value = 0;
  EXPECT_FALSE(ring.Pop(value));
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(ring.Push(i));
  EXPECT_FALSE(ring.Push(5));
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(ring.Pop(value));
    EXPECT_EQ(value, 1 + round);
    EXPECT_TRUE(ring.Push(5 + round)) << "a popped cell takes the next push";
  }
  std::vector<int> rest;
  while (ring.Pop(value)) rest.push_back(value);
  EXPECT_EQ(rest, (std::vector<int>{4, 5, 6, 7}));
}

TEST(PostRing, ManyPushersLoseAndRepeatNothing) {
  CPostRing<int, 256> ring;
  constexpr int kThreads = 4;
  constexpr int kEach = 20000;
  std::atomic<int> done{0};
  std::vector<std::thread> pushers;
  for (int t = 0; t < kThreads; ++t) {
    pushers.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        while (!ring.Push(t * kEach + i)) std::this_thread::yield();
      }
      ++done;
    });
  }
  std::vector<int> lastOf(kThreads, -1);
  std::set<int> seen;
  auto take = [&](int value) {
    EXPECT_TRUE(seen.insert(value).second) << value;
    const int t = value / kEach;
    EXPECT_GT(value, lastOf[t]) << "one pusher's values stay in order";
    lastOf[t] = value;
  };
  int value;
  for (;;) {
    if (ring.Pop(value)) {
      take(value);
    } else if (done == kThreads) {
      // Every push has finished: what is left is all there is.
      while (ring.Pop(value)) take(value);
      break;
    }
  }
  for (auto& p : pushers) p.join();
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kEach));
}

class CRecorder final : public ui::IMessageReceiver {
 public:
  void OnPostedMessage(uint32_t message, int64_t wParam, int64_t lParam) override {
    EXPECT_EQ(std::this_thread::get_id(), uiThread);
    messages.push_back({message, wParam, lParam});
  }
  void OnTimer(uint32_t timerId) override {
    ticks.push_back(timerId);
    if (onTick) onTick(timerId);
  }
  struct Message {
    uint32_t message;
    int64_t wParam, lParam;
  };
  std::thread::id uiThread = std::this_thread::get_id();
  std::vector<Message> messages;
  std::vector<uint32_t> ticks;
  std::function<void(uint32_t)> onTick;
};

TEST(QtUiThread, PostsFromAnotherThreadArriveInOrderOnTheUserInterfaceThread) {
  CQtUiThread thread;
  CRecorder receiver;
  thread.SetReceiver(&receiver);
  std::thread device([&] {
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(thread.Post(0xC001, i, -i));
  });
  device.join();
  ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.messages.size() == 100; }, 2000));
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(receiver.messages[i].message, 0xC001u);
    EXPECT_EQ(receiver.messages[i].wParam, i);
    EXPECT_EQ(receiver.messages[i].lParam, -i);
  }
}

TEST(QtUiThread, APostAllocatesNothingAndAFullQueueRefuses) {
  CQtUiThread thread;
  CRecorder receiver;
  thread.SetReceiver(&receiver);
  tessiro::test::StartCountingAllocations();
  size_t accepted = 0;
  while (thread.Post(0xC002)) ++accepted;
  EXPECT_EQ(tessiro::test::StopCountingAllocations(), 0);
  EXPECT_EQ(accepted, CQtUiThread::kQueueSize);
  EXPECT_EQ(thread.Deliver(), static_cast<int>(CQtUiThread::kQueueSize));
  EXPECT_TRUE(thread.Post(0xC002)) << "room again once delivered";
}

TEST(QtUiThread, NothingIsDeliveredOnceClosed) {
  CQtUiThread thread;
  CRecorder receiver;
  thread.SetReceiver(&receiver);
  EXPECT_TRUE(thread.Post(1));
  thread.Close();
  EXPECT_FALSE(thread.Post(2));
  QTest::qWait(30);
  EXPECT_TRUE(receiver.messages.empty()) << "what waited is dropped too";
}

TEST(QtUiThread, TimersTickByIdAndMayBeKilledInTheirOwnTick) {
  CQtUiThread thread;
  CRecorder receiver;
  thread.SetReceiver(&receiver);
  receiver.onTick = [&](uint32_t id) {
    if (id == 101 && std::count(receiver.ticks.begin(), receiver.ticks.end(), 101u) == 3) thread.KillTimer(101);
  };
  thread.SetTimer(101, 10);
  thread.SetTimer(7, 1000);
  EXPECT_TRUE(thread.IsTimerRunning(101));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !thread.IsTimerRunning(101); }, 2000));
  QTest::qWait(40);
  EXPECT_EQ(std::count(receiver.ticks.begin(), receiver.ticks.end(), 101u), 3);
  EXPECT_TRUE(thread.IsTimerRunning(7));
  thread.KillTimer(7);
  EXPECT_FALSE(thread.IsTimerRunning(7));
  EXPECT_FALSE(thread.IsTimerRunning(55));
  thread.SetTimer(101, 10);
  ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.ticks.size() >= 4; }, 2000)) << "set again, it runs again";
  const uint32_t before = thread.TickCount();
  QTest::qWait(25);
  EXPECT_GE(thread.TickCount() - before, 20u);
}

}  // namespace
