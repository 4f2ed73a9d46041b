// The round trip the player and the recorders wait on before a run: it returns
// once their thread is through with everything posted before it, and lets the
// caller go when the thread does not answer.
#include <gtest/gtest.h>

#include <atomic>

#include "Handshake.h"
#include "MessageThread.h"

namespace tessiro::test {
namespace {

TEST(HandshakeTest, ARoundTripWaitsForWhatWasPostedBeforeItAndGivesUpOnASilentThread) {
  constexpr uint32_t kWork = 1, kSync = 2;
  CHandshake handshake;
  std::atomic<bool> answering{true};
  std::atomic<int> worked{0};
  platform::CMessageThread thread;
  ASSERT_TRUE(thread.Start("handshake-test", platform::ThreadPriority::Normal, [&](const platform::ThreadMessage& m) {
    if (m.id == kWork) ++worked;
    if (m.id == kSync && answering) handshake.Done(m.param);
  }));

  for (int i = 0; i < 100; ++i) thread.Post(kWork);
  EXPECT_TRUE(handshake.RoundTrip(thread, kSync, 5000));
  EXPECT_EQ(worked.load(), 100);

  answering = false;
  EXPECT_FALSE(handshake.RoundTrip(thread, kSync, 20));
  // The one given up on stays unanswered; the next is a number of its own.
  answering = true;
  thread.Post(kWork);
  EXPECT_TRUE(handshake.RoundTrip(thread, kSync, 5000));
  EXPECT_EQ(worked.load(), 101);
  thread.Quit();
}

}  // namespace
}  // namespace tessiro::test
