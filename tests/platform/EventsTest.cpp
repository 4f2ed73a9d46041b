#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "Events.h"

using platform::CEvent;
using platform::kWaitTimeout;
using platform::WaitForEvents;
using ResetMode = CEvent::ResetMode;

TEST(Event, AutoResetIsConsumedByOneWait) {
  CEvent event(ResetMode::Auto, true);
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
  EXPECT_FALSE(event.IsSet());
}

TEST(Event, ManualResetStaysUntilReset) {
  CEvent event(ResetMode::Manual);
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(Event, TimeoutWaitsAtLeastItsTime) {
  CEvent event;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.Wait(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(Event, SetFromAnotherThreadWakesWaiter) {
  CEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(platform::kInfinite));
  setter.join();
}

TEST(Event, EachSetOfAnAutoEventReleasesOneWaiter) {
  CEvent event;
  std::atomic<int> woken{0};
  std::thread a([&] { woken += event.Wait(2000); });
  std::thread b([&] { woken += event.Wait(2000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  event.Set();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(woken.load(), 1);
  event.Set();
  a.join();
  b.join();
  EXPECT_EQ(woken.load(), 2);
}

TEST(WaitForEvents, WaitForAllNeedsEveryEventAndConsumesThemTogether) {
  CEvent a, b;
  CEvent* both[] = {&a, &b};
  a.Set();
  EXPECT_EQ(WaitForEvents(both, true, 20), kWaitTimeout);
  EXPECT_TRUE(a.IsSet()) << "a wait for all that timed out must not consume a signalled event";
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    b.Set();
  });
  EXPECT_EQ(WaitForEvents(both, true, 2000), 0);
  setter.join();
  EXPECT_FALSE(a.IsSet());
  EXPECT_FALSE(b.IsSet());
}

TEST(WaitForEvents, WaitForAnyReturnsTheSignalledIndex) {
  CEvent a, b(ResetMode::Manual), c;
  CEvent* all[] = {&a, &b, &c};
  EXPECT_EQ(WaitForEvents(all, false, 0), kWaitTimeout);
  c.Set();
  EXPECT_EQ(WaitForEvents(all, false, 0), 2);
  EXPECT_FALSE(c.IsSet());
  b.Set();
  EXPECT_EQ(WaitForEvents(all, false, 0), 1);
  EXPECT_TRUE(b.IsSet()) << "manual-reset events stay signalled";
}

TEST(WaitForEvents, ManyWorkersSignalAll) {
  constexpr int kWorkers = 16;
  CEvent done[kWorkers];
  CEvent* events[kWorkers];
  std::vector<std::thread> workers;
  for (int i = 0; i < kWorkers; ++i) {
    events[i] = &done[i];
    workers.emplace_back([&, i] { done[i].Set(); });
  }
  EXPECT_EQ(WaitForEvents(events, true, 5000), 0);
  for (auto& w : workers) w.join();
}

TEST(CriticalSection, IsRecursive) {
  platform::CCriticalSection section;
  platform::CLock outer(section);
  EXPECT_TRUE(section.try_lock());
  section.unlock();
}
