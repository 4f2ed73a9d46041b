#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "MessageQueue.h"
#include "MessageThread.h"

using platform::CMessageQueue;
using platform::ThreadMessage;

TEST(MessageQueue, MessagesArriveInPostingOrderPastItsFirstSize) {
  CMessageQueue queue;
  // More than the ring starts with, posted while nobody takes any.
  for (uint32_t i = 0; i < 200; ++i) queue.Post(i, i * 10);
  for (uint32_t i = 0; i < 200; ++i) {
    const ThreadMessage m = queue.Get();
    ASSERT_EQ(m.id, i);
    ASSERT_EQ(m.param, i * 10);
  }
  ThreadMessage none;
  EXPECT_FALSE(queue.Get(none, 0));
}

TEST(MessageQueue, IdleOnlyOnceTheConsumerHasFinishedItsMessage) {
  CMessageQueue queue;
  std::atomic<bool> release{false};
  std::atomic<bool> handled{false};
  std::thread consumer([&] {
    const ThreadMessage m = queue.Get();
    EXPECT_EQ(m.id, 7u);
    while (!release) std::this_thread::yield();
    handled = true;
    ThreadMessage next;
    queue.Get(next, 2000);  // back for more: idle
  });
  queue.Post(7);
  // Taken but still being handled: not idle.
  EXPECT_FALSE(queue.WaitIdle(50));
  release = true;
  EXPECT_TRUE(queue.WaitIdle(2000));
  EXPECT_TRUE(handled);
  queue.Post(8);
  consumer.join();
}

TEST(MessageQueue, ConsumerThreadIsKnown) {
  CMessageQueue queue;
  EXPECT_FALSE(queue.IsConsumerThread());
  ThreadMessage m;
  queue.Get(m, 0);
  EXPECT_TRUE(queue.IsConsumerThread());
  bool other = true;
  std::thread([&] { other = queue.IsConsumerThread(); }).join();
  EXPECT_FALSE(other);
}

TEST(MessageThread, HandlesInOrderAndQuitsBeforeWhatIsStillQueued) {
  std::mutex lock;
  std::vector<uint32_t> seen;
  std::atomic<int> count{0};
  {
    platform::CMessageThread thread;
    ASSERT_TRUE(thread.Start("test", platform::ThreadPriority::Normal, [&](const ThreadMessage& m) {
      {
        std::lock_guard<std::mutex> guard(lock);
        seen.push_back(m.id);
      }
      ++count;
      // Hold the second message until the third and the quit wait behind it.
      while (m.id == 2 && thread.Queue().Pending() < 2) std::this_thread::yield();
    }));
    thread.Post(1);
    thread.Post(2);
    while (count < 2) std::this_thread::yield();
    thread.Post(3);  // queued behind the one being handled
    thread.Quit();
    EXPECT_FALSE(thread.IsRunning());
  }
  EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2}));
}
