// A program killed while it records leaves its take on disk up to the last
// buffer it was handed.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Folders.h"
#include "TempFolder.h"
#include "VirtualWaveSystem.h"

extern char** environ;

namespace tessiro::test {
namespace {

constexpr uint32_t kBufferBytes = 8192 * 4;

TEST(RecordingCrash, AKilledRecordingKeepsEveryDeliveredBufferOnDisk) {
  CTempFolder home, audio;
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::string program = TESSIRO_RECORDING_HELPER;
  std::vector<char*> argv = {program.data(), const_cast<char*>(home.Path().c_str()),
                             const_cast<char*>(audio.Path().c_str()), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);

  FILE* out = fdopen(pipeFds[0], "r");
  ASSERT_TRUE(out);
  std::string pcm;
  unsigned delivered = 0;
  unsigned long long firstFrame = 0;
  char line[4096];
  bool killed = false;
  // After the kill, what the helper printed before it died is still to be read:
  // the last count it printed is the last buffer it was handed.
  while (std::fgets(line, sizeof line, out)) {
    char path[4000];
    unsigned bytes = 0;
    unsigned long long first = 0;
    if (std::sscanf(line, "PCM %3999s", path) == 1) pcm = path;
    if (std::sscanf(line, "BYTES %u %llu", &bytes, &first) == 2) {
      delivered = bytes;
      firstFrame = first;
      // Killed in the middle of a take, some buffers in.
      if (!killed && delivered >= 12 * kBufferBytes) {
        kill(pid, SIGKILL);
        killed = true;
      }
    }
  }
  if (!killed) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  std::fclose(out);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the helper ended before it was killed";
  ASSERT_FALSE(pcm.empty());
  ASSERT_GE(delivered, 12 * kBufferBytes);

  std::ifstream in(pcm, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // Whatever was handed to the take is there; at most the delivery under way when it died is more.
  ASSERT_GE(bytes.size(), delivered);
  EXPECT_LE(bytes.size(), delivered + 2 * kBufferBytes);
  EXPECT_EQ(bytes.size() % 4, 0u);
  for (size_t k = 0; k < delivered / 4; ++k) {
    int16_t left, right;
    platform::CVirtualWaveSystem::SignalAt(firstFrame + k, left, right);
    const int16_t gotLeft = static_cast<int16_t>(bytes[4 * k] | (bytes[4 * k + 1] << 8));
    const int16_t gotRight = static_cast<int16_t>(bytes[4 * k + 2] | (bytes[4 * k + 3] << 8));
    ASSERT_EQ(gotLeft, left) << "frame " << k;
    ASSERT_EQ(gotRight, right) << "frame " << k;
  }
}

}  // namespace
}  // namespace tessiro::test
