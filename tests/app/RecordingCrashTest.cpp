// A program killed while it records leaves its take on disk up to the last
// buffer it was handed, and the next start offers it as a WAV file.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "Folders.h"
#include "TempFolder.h"
#include "VirtualWaveSystem.h"

extern char** environ;

namespace tessiro::test {
namespace {

constexpr uint32_t kBufferBytes = 8192 * 4;

struct KilledRecording {
  std::string pcm;
  unsigned delivered = 0;              // bytes handed to the take before the kill
  unsigned long long firstFrame = 0;   // the card's frame at which playback began
  bool killed = false;
};

// Runs the helper recording into audio and kills it some buffers into its take.
KilledRecording RecordAndKill(const std::string& home, const std::string& audio) {
  KilledRecording result;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::string program = TESSIRO_RECORDING_HELPER;
  std::vector<char*> argv = {program.data(), const_cast<char*>(home.c_str()), const_cast<char*>(audio.c_str()),
                             nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (spawned != 0) {
    close(pipeFds[0]);
    return result;
  }
  FILE* out = fdopen(pipeFds[0], "r");
  char line[4096];
  // After the kill, what the helper printed before it died is still to be read:
  // the last count it printed is the last buffer it was handed.
  while (out && std::fgets(line, sizeof line, out)) {
    char path[4000];
    unsigned bytes = 0;
    unsigned long long first = 0;
    if (std::sscanf(line, "PCM %3999s", path) == 1) result.pcm = path;
    if (std::sscanf(line, "BYTES %u %llu", &bytes, &first) == 2) {
      result.delivered = bytes;
      result.firstFrame = first;
      // Killed in the middle of a take, some buffers in.
      if (!result.killed && result.delivered >= 12 * kBufferBytes) {
        kill(pid, SIGKILL);
        result.killed = true;
      }
    }
  }
  if (!result.killed) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  if (out) std::fclose(out);
  result.killed = result.killed && WIFSIGNALED(status);
  return result;
}

std::vector<uint8_t> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RecordingCrash, AKilledRecordingKeepsEveryDeliveredBufferOnDisk) {
  CTempFolder home, audio;
  const KilledRecording k = RecordAndKill(home.Path(), audio.Path());
  ASSERT_TRUE(k.killed) << "the helper ended before it was killed";
  ASSERT_FALSE(k.pcm.empty());
  ASSERT_GE(k.delivered, 12 * kBufferBytes);

  const std::vector<uint8_t> bytes = Read(k.pcm);
  // Whatever was handed to the take is there; at most the delivery under way when it died is more.
  ASSERT_GE(bytes.size(), k.delivered);
  EXPECT_LE(bytes.size(), k.delivered + 2 * kBufferBytes);
  EXPECT_EQ(bytes.size() % 4, 0u);
  for (size_t f = 0; f < k.delivered / 4; ++f) {
    int16_t left, right;
    platform::CVirtualWaveSystem::SignalAt(k.firstFrame + f, left, right);
    const int16_t gotLeft = static_cast<int16_t>(bytes[4 * f] | (bytes[4 * f + 1] << 8));
    const int16_t gotRight = static_cast<int16_t>(bytes[4 * f + 2] | (bytes[4 * f + 3] << 8));
    ASSERT_EQ(gotLeft, left) << "frame " << f;
    ASSERT_EQ(gotRight, right) << "frame " << f;
  }
}

class RecordingCrashRestart : public AppTest {};

TEST_F(RecordingCrashRestart, TheNextStartOffersTheKilledTakeAsAWaveFileWholeUpToItsLastBuffer) {
  CTempFolder home;
  const KilledRecording k = RecordAndKill(home.Path(), audio.Path());
  ASSERT_TRUE(k.killed);
  std::vector<uint8_t> take = Read(k.pcm);
  ASSERT_GE(take.size(), k.delivered);
  take.resize(take.size() / 4 * 4);  // whole frames
  // The dead run's journal names the take; its time stamp names the folder.
  const std::vector<std::string> journals = platform::ListFolder(audio / "qvk_temp", ".journal");
  ASSERT_EQ(journals.size(), 1u);
  const std::vector<uint8_t> journal = Read(audio / ("qvk_temp/" + journals[0]));
  ASSERT_NE(std::string(journal.begin(), journal.end()).find(k.pcm), std::string::npos);
  const std::string s = journals[0].substr(std::string("qvk_run_").size(), 14);
  const std::string folder = audio / ("qvk_recovered/" + s.substr(0, 4) + "-" + s.substr(4, 2) + "-" +
                                      s.substr(6, 2) + "_" + s.substr(8, 2) + "-" + s.substr(10, 2) + "-" +
                                      s.substr(12, 2));
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(take.size() / 4) / 44100.0);
  seams.ui.ExpectBox("Tessiro did not end properly the last time it ran. The audio it had recorded or made and not "
                     "saved is kept as 1 WAV file of " + std::string(seconds) + " seconds in:\n\n" + folder +
                     "\n\nFile > Import Audio File to Track brings them into a project.");
  WriteConfig(audio.Path());
  ASSERT_TRUE(Start());

  const std::string name = k.pcm.substr(k.pcm.find_last_of('/') + 1);
  const std::vector<uint8_t> wave = Read(folder + "/" + name.substr(0, name.size() - 4) + ".wav");
  ASSERT_EQ(wave.size(), 44 + take.size());
  EXPECT_TRUE(std::equal(take.begin(), take.end(), wave.begin() + 44));
  EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
  EXPECT_EQ(wave[22], 2);  // stereo
  EXPECT_FALSE(platform::FileExists(k.pcm));
}

}  // namespace
}  // namespace tessiro::test
