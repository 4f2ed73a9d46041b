// The mixer's helper crew: every job of a block runs once, on whichever
// thread claims it, and the block's follow-ups run on the calling thread in
// order, each after its own job and the follow-ups before it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "MixWorkers.h"

namespace {

struct Record {
  explicit Record(size_t count) : runs(count), followedAfterRun(count, false) {}
  std::vector<std::atomic<int>> runs;
  std::vector<size_t> followed;  // the calling thread's alone
  std::vector<bool> followedAfterRun;
  std::thread::id caller = std::this_thread::get_id();
  bool followedElsewhere = false;
  size_t slowEvery = 0;  // every so many jobs sleeps a little
};

void RunJob(void* context, size_t index) {
  auto& r = *static_cast<Record*>(context);
  if (r.slowEvery != 0 && index % r.slowEvery == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
  r.runs[index].fetch_add(1);
}

void FollowJob(void* context, size_t index) {
  auto& r = *static_cast<Record*>(context);
  r.followedElsewhere = r.followedElsewhere || std::this_thread::get_id() != r.caller;
  r.followedAfterRun[index] = r.runs[index].load() == 1;
  r.followed.push_back(index);
}

TEST(MixWorkers, EveryJobRunsOnceAndTheFollowUpsComeInOrderAfterTheirJobs) {
  struct Case {
    unsigned threads;
    size_t count;
    size_t slowEvery;
  };
  // Fewer and more jobs than threads; rounds beyond one hand-out; some slow jobs.
  const Case cases[] = {{0, 0, 0},  {0, 5, 0},  {3, 1, 0},  {3, 2, 0},  {7, 24, 0},  {7, 24, 5},
                        {2, 24, 1}, {7, CMixWorkers::kMostJobs, 0}, {5, CMixWorkers::kMostJobs + 1, 3},
                        {4, 3 * CMixWorkers::kMostJobs + 7, 0}};
  for (const Case& c : cases) {
    CMixWorkers workers(c.threads);
    ASSERT_EQ(workers.GetThreadCount(), c.threads);
    for (int block = 0; block < 3; ++block) {
      Record r(c.count);
      r.slowEvery = c.slowEvery;
      workers.Run(c.count, RunJob, &r, FollowJob);
      std::vector<size_t> inOrder(c.count);
      for (size_t i = 0; i < c.count; ++i) {
        inOrder[i] = i;
        EXPECT_EQ(r.runs[i].load(), 1) << c.threads << " threads, " << c.count << " jobs, job " << i;
        EXPECT_TRUE(r.followedAfterRun[i]) << c.threads << " threads, " << c.count << " jobs, job " << i;
      }
      EXPECT_EQ(r.followed, inOrder) << c.threads << " threads, " << c.count << " jobs";
      EXPECT_FALSE(r.followedElsewhere) << c.threads << " threads, " << c.count << " jobs";
    }
  }
}

// Blocks in quick succession: a helper that wakes for a block already over
// must find nothing to claim, never a job of the next block twice or one lost.
TEST(MixWorkers, BlocksInQuickSuccessionNeverRunAJobTwiceOrLoseOne) {
  CMixWorkers workers(7);
  int wrong = 0;
  for (int block = 0; block < 5000; ++block) {
    const size_t count = 1 + static_cast<size_t>(block % 30);
    Record r(count);
    workers.Run(count, RunJob, &r, block % 2 ? FollowJob : nullptr);
    for (size_t i = 0; i < count; ++i) wrong += r.runs[i].load() != 1;
    if (block % 2) wrong += r.followed.size() != count;
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
