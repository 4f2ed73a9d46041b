// The four sounds the build synthesises and installs with the program.
#include <gtest/gtest.h>

#include <algorithm>
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

// Sign changes, and the share of the energy that a 32-sample moving average
// (a low-pass around 1.4 kHz) keeps.
std::pair<int, double> Character(const std::vector<int>& s) {
  int crossings = 0;
  double energy = 0.0, low = 0.0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (i > 0 && (s[i - 1] < 0) != (s[i] < 0)) ++crossings;
    double average = 0.0;
    for (size_t j = i >= 31 ? i - 31 : 0; j <= i; ++j) average += s[j] / 32.0;
    energy += double(s[i]) * s[i];
    low += average * average;
  }
  return {crossings, low / energy};
}

}  // namespace

TEST(ShippedSounds, AreStereoSoundsOfTheirOwnCharacterThatEndInSilence) {
  const struct {
    const char* name;
    int minCrossings, maxCrossings;
    double minLowShare, maxLowShare;
  } sounds[] = {
      {"metro.dat", 20, 400, 0.0, 0.2},     // a high tick
      {"bass.dat", 2, 40, 0.8, 1.0},        // a low drum
      {"snare.dat", 300, 2048, 0.15, 0.8},  // noise over a tone
      {"hihat.dat", 800, 2048, 0.0, 0.02},  // high noise only
  };
  for (const auto& sound : sounds) {
    const std::vector<uint8_t> bytes = ReadShipped(sound.name);
    ASSERT_EQ(bytes.size(), 8192u) << sound.name;
    const std::vector<int> left = Left(bytes);
    int peak = 0;
    for (int sample : left) peak = std::max(peak, std::abs(sample));
    EXPECT_GE(peak, 4000) << sound.name;
    EXPECT_LE(2 * peak, 32000) << sound.name << ": an accent at the recorded level would clip";
    EXPECT_EQ(left.back(), 0) << sound.name;
    for (size_t i = left.size() - 50; i < left.size(); ++i) EXPECT_LT(std::abs(left[i]), 100) << sound.name;
    const auto [crossings, lowShare] = Character(left);
    EXPECT_GE(crossings, sound.minCrossings) << sound.name;
    EXPECT_LE(crossings, sound.maxCrossings) << sound.name;
    EXPECT_GE(lowShare, sound.minLowShare) << sound.name;
    EXPECT_LE(lowShare, sound.maxLowShare) << sound.name;
  }
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
