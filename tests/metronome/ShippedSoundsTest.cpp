// The four sounds the build synthesises and installs with the program.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Folders.h"
#include "ReportRecorder.h"
#include "Vorn.h"

namespace {

const char* const kNames[] = {"metro.dat", "bass.dat", "snare.dat", "hihat.dat"};

std::vector<uint8_t> ReadShipped(const char* name) {
  std::vector<uint8_t> bytes(16384);
  std::FILE* file = std::fopen((platform::InstalledDataFolder() + "/" + name).c_str(), "rb");
  if (!file) return {};
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  return bytes;
}

// The left channel, after checking that the right one is the same.
std::vector<int> Left(const std::vector<uint8_t>& bytes) {
  std::vector<int> left;
  for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
    left.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
    EXPECT_EQ(bytes[i], bytes[i + 2]);
    EXPECT_EQ(bytes[i + 1], bytes[i + 3]);
  }
  return left;
}

struct Character {
  int peak, crossings;
  double early, lowShare;  // energy share of the first 20 ms; share below about 1.4 kHz
};

Character Measure(const std::vector<int>& s) {
  Character c{0, 0, 0.0, 0.0};
  double energy = 0.0, early = 0.0, low = 0.0;
  for (size_t i = 0; i < s.size(); ++i) {
    c.peak = std::max(c.peak, std::abs(s[i]));
    if (i > 0 && (s[i - 1] < 0) != (s[i] < 0)) ++c.crossings;
    energy += double(s[i]) * s[i];
    if (i < 882) early += double(s[i]) * s[i];
    double average = 0.0;  // a 32-sample moving average as the low-pass
    for (size_t j = i >= 31 ? i - 31 : 0; j <= i; ++j) average += s[j] / 32.0;
    low += average * average;
  }
  c.early = early / energy;
  c.lowShare = low / energy;
  return c;
}

}  // namespace

TEST(ShippedSounds, AreStereoClicksThatEndInSilenceAndLeaveRoomForAnAccent) {
  for (const char* name : kNames) {
    const std::vector<uint8_t> bytes = ReadShipped(name);
    ASSERT_EQ(bytes.size(), 8192u) << name;
    const std::vector<int> left = Left(bytes);
    const Character c = Measure(left);
    EXPECT_GE(c.peak, 4000) << name;
    EXPECT_LE(2 * c.peak, 32000) << name;
    EXPECT_EQ(left.back(), 0) << name;
    for (size_t i = left.size() - 50; i < left.size(); ++i) EXPECT_LT(std::abs(left[i]), 100) << name;
  }
}

TEST(ShippedSounds, EachSoundHasItsOwnCharacter) {
  const Character metro = Measure(Left(ReadShipped("metro.dat")));
  const Character bass = Measure(Left(ReadShipped("bass.dat")));
  const Character snare = Measure(Left(ReadShipped("snare.dat")));
  const Character hihat = Measure(Left(ReadShipped("hihat.dat")));
  EXPECT_GT(metro.early, 0.99);  // a short tick
  EXPECT_LT(bass.crossings, 40);  // a low drum
  EXPECT_GT(bass.lowShare, 0.8);
  EXPECT_GT(snare.crossings, 300);  // noise over a tone
  EXPECT_GT(snare.lowShare, 0.15);
  EXPECT_LT(snare.lowShare, 0.8);
  EXPECT_GT(hihat.crossings, 800);  // high noise only
  EXPECT_LT(hihat.lowShare, 0.02);
}

TEST(ShippedSounds, LoadIntoTheMetronomeAndPlayOnEveryHalfBeat) {
  platform::CreateFolder(platform::ProgramFolder());
  for (const char* name : kNames) {
    std::filesystem::copy_file(platform::InstalledDataFolder() + "/" + name,
                               platform::ProgramFolder() + "/" + name,
                               std::filesystem::copy_options::overwrite_existing);
  }
  CVorn vorn;
  ASSERT_EQ(tessiro::test::Reports().Count(), 0u);
  ASSERT_EQ(vorn.parameters.on, 1);
  vorn.SetBPM(120.0f);
  vorn.SetSizeMixBuffer(4 * 88200);
  std::vector<int16_t> block(2 * 88200);
  vorn.Process(block.data(), 0);
  for (size_t halfBeat = 0; halfBeat < 4; ++halfBeat) {
    int peak = 0;
    for (size_t i = halfBeat * 44100; i < halfBeat * 44100 + 4096; ++i) peak = std::max(peak, std::abs(block[i]));
    EXPECT_GT(peak, 3000) << halfBeat;
  }
}
