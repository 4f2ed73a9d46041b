// The stand-ins for LAME the MP3 codec's tests run it against: shell scripts
// placed first on the PATH that record how they were called and behave as a
// test needs (progress, failure, hanging until killed, damaged output).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "FileReplace.h"
#include "Folders.h"
#include "Lunder.h"
#include "TempFolder.h"

namespace tessiro::test {

// Every call of the progress callback, heartbeats included: while LAME is
// quiet the codec repeats the last percent (0 before the first) every 250 ms.
inline std::vector<short>& Percents() {
  static std::vector<short> percents;
  return percents;
}
inline int g_cancelAtPercent = -1;  // the callback cancels when it is given this percent

inline void RecordProgress(short percent, int* cancel) {
  Percents().push_back(percent);
  *cancel = percent == g_cancelAtPercent ? 1 : 0;
}

// The percents LAME's records gave, whatever heartbeats came between them.
inline std::vector<short> Progression() {
  std::vector<short> distinct;
  for (short p : Percents()) {
    if (distinct.empty() ? p != 0 : p != distinct.back()) distinct.push_back(p);
  }
  return distinct;
}

// The first bytes of an MPEG-1 Layer III frame at 128 kbit/s, 44100 Hz: what
// LAME's output starts with.
inline const std::vector<uint8_t> kMp3Start = {0xFF, 0xFB, 0x90, 0x64, 'M', 'P', '3'};
// A stub's shell lines writing kMp3Start to the output file, its last argument.
inline std::string WriteMp3Output() {
  return "for last; do :; done\nprintf '\\377\\373\\220\\144MP3' > \"$last\"\n";
}

// Alive and not merely a zombie waiting for its parent.
inline bool ProcessRunning(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (text.empty() || close == std::string::npos || close + 2 >= text.size()) return false;
  const char state = text[close + 2];
  return state != 'Z' && state != 'X';
}

inline std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class LameStub : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    const char* tmp = std::getenv("TMPDIR");
    hadTmp_ = tmp != nullptr;
    oldTmp_ = tmp ? tmp : "";
    ASSERT_TRUE(platform::CreateFolder(bin_));
    ASSERT_TRUE(platform::CreateFolder(tmp_));
    ASSERT_TRUE(platform::CreateFolder(work_));
    setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
    setenv("TMPDIR", tmp_.c_str(), 1);
    Percents().clear();
    g_cancelAtPercent = -1;
    ResetCapture();
    WriteBytes(raw_, Pcm16Bytes(Sine(4410, 1, 1000, 440, 44100)));
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    if (hadTmp_) {
      setenv("TMPDIR", oldTmp_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  // Installs "lame": it records its arguments and process id, then runs body.
  void InstallLame(const std::string& body) {
    std::ofstream script(bin_ + "/lame");
    script << "#!/bin/sh\n"
           << "printf '%s\\n' \"$@\" > '" << argsFile_ << "'\n"
           << "echo $$ > '" << pidFile_ << "'\n"
           << body << "\n";
    script.close();
    ASSERT_EQ(::chmod((bin_ + "/lame").c_str(), 0755), 0);
  }

  // A banner long enough that LAME's first two reads never reach the progress.
  static std::string Banner() { return "printf '%s' '" + std::string(700, '=') + "(11x)'\n"; }

  pid_t StubPid() {
    std::ifstream in(pidFile_);
    pid_t pid = -1;
    in >> pid;
    return pid;
  }

  unsigned int EncodeTo(const std::string& destination, AudioQuality format = {44100, 1, 16}, short kbps = 128) {
    return CLunder().Encode(raw_.c_str(), kbps, format, destination.c_str(), RecordProgress);
  }

  std::vector<std::string> Names(const std::string& folder) { return platform::ListFolder(folder); }

  CTempFolder folder_;
  std::string bin_ = folder_ / "bin";
  std::string tmp_ = folder_ / "tmp";
  std::string work_ = folder_ / "work";
  std::string raw_ = folder_ / "work/input.pcm";
  std::string argsFile_ = folder_ / "args.txt";
  std::string pidFile_ = folder_ / "pid.txt";
  std::string oldPath_, oldTmp_;
  bool hadTmp_ = false;
};

}  // namespace tessiro::test
