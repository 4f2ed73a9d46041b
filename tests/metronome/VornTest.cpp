#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <functional>
#include <limits>
#include <vector>

#include "Folders.h"
#include "ReportRecorder.h"
#include "Vorn.h"

using tessiro::test::Reports;

namespace {

std::vector<int16_t> Ramp(int first) {
  std::vector<int16_t> samples(CVorn::kClickSamples);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(first + static_cast<int>(i));
  return samples;
}

void WriteBytes(const char* name, const std::vector<uint8_t>& bytes) {
  platform::CreateFolder(platform::ProgramFolder());
  std::FILE* file = std::fopen((platform::ProgramFolder() + "/" + name).c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
}

void WriteSound(const char* name, const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
  }
  WriteBytes(name, bytes);
}

// Sounds whose samples tell which sound and which sample of it they are.
const std::vector<int16_t> kMetro = Ramp(1), kBass = Ramp(1000), kSnare = Ramp(3000);
const std::vector<int16_t> kHiHat(CVorn::kClickSamples, 30);

// Feeds a stream of silence from start through the metronome in blocks of exactly
// blockBytes (so a write past a block is caught) and returns what came out.
std::vector<int16_t> Stream(CVorn& vorn, uint32_t start, uint32_t totalBytes, uint32_t blockBytes,
                         int16_t fill = 0) {
  std::vector<int16_t> out;
  vorn.SetSizeMixBuffer(blockBytes);
  for (uint32_t at = 0; at < totalBytes; at += blockBytes) {
    std::vector<int16_t> block(blockBytes / 2, fill);
    vorn.Process(block.data(), start + at);
    out.insert(out.end(), block.begin(), block.end());
  }
  out.resize(totalBytes / 2);
  return out;
}

// The whole stream at once, without blocks or carries: the click that sound(k)
// gives, times its factor, at byte k x interval.
using Sound = std::function<std::pair<const std::vector<int16_t>*, int>(uint64_t beat)>;
void AddClicks(std::vector<int>& out, uint64_t start, uint64_t interval, const Sound& sound) {
  const uint64_t end = start + out.size() * 2;
  for (uint64_t k = (start + interval - 1) / interval; k * interval < end; ++k) {
    const auto [click, factor] = sound(k);
    for (size_t i = 0; i < click->size(); ++i) {
      const uint64_t at = (k * interval - start) / 2 + i;
      if (at < out.size()) out[at] += factor * (*click)[i];
    }
  }
}

// Sample indices where a click begins in a stream that is otherwise silent.
std::vector<uint32_t> Onsets(const std::vector<int16_t>& out) {
  std::vector<uint32_t> onsets;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] != 0 && (i == 0 || out[i - 1] == 0)) onsets.push_back(static_cast<uint32_t>(i));
  }
  return onsets;
}

class Metronome : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSound("metro.dat", kMetro);
    WriteSound("bass.dat", kBass);
    WriteSound("snare.dat", kSnare);
    WriteSound("hihat.dat", kHiHat);
  }
};

}  // namespace

TEST_F(Metronome, BeatLengthIsWholeFramesOfTheTempo) {
  CVorn vorn;
  const std::pair<float, uint32_t> cases[] = {
      {100.0f, 105840}, {120.0f, 88200}, {33.0f, 320724}, {250.0f, 42336}, {0.0f, 105840}, {-5.0f, 105840},
      {std::numeric_limits<float>::quiet_NaN(), 105840}, {std::numeric_limits<float>::infinity(), 4},
      {1e30f, 4}, {1e-10f, 0xFFFFFFFCu}};
  for (const auto& [bpm, bytes] : cases) {
    vorn.SetBPM(bpm);
    EXPECT_EQ(vorn.GetBytesPerBeat(), bytes) << bpm;
  }
  // An edit in place takes effect when the beat length is recomputed.
  vorn.parameters.bpm = 120.0f;
  EXPECT_EQ(vorn.GetBytesPerBeat(), 0xFFFFFFFCu);
  vorn.CalculateBytesPerBeat();
  EXPECT_EQ(vorn.GetBytesPerBeat(), 88200u);
}

TEST_F(Metronome, ClicksLandOnEveryBeatWithTheFirstOfEachBarAccented) {
  const std::pair<float, uint32_t> tempos[] = {{100.0f, 105840}, {120.0f, 88200}, {33.0f, 320724}};
  for (const auto& [bpm, beatBytes] : tempos) {
    CVorn vorn;
    vorn.parameters.clickOnly = 1;
    vorn.SetBPM(bpm);
    const std::vector<int16_t> out = Stream(vorn, 0, 9 * beatBytes, 131072);
    const std::vector<uint32_t> onsets = Onsets(out);
    ASSERT_EQ(onsets.size(), 9u) << bpm;
    for (uint32_t k = 0; k < 9; ++k) {
      EXPECT_EQ(onsets[k] * 2, k * beatBytes) << bpm << " beat " << k;
      EXPECT_EQ(out[onsets[k]], k % 4 == 0 ? 2 : 1) << bpm << " beat " << k;
      EXPECT_EQ(out[onsets[k] + 4095], k % 4 == 0 ? 8192 : 4096);
    }
  }
}

TEST_F(Metronome, DrumPatternsChooseSoundAndAccentByBeat) {
  // First sample of each beat: bass 1000 (accented 2000), snare 3000, plus the hi-hat's 30.
  const struct {
    int32_t pattern, accent;
    int beats[9];
  } cases[] = {
      {1, 1, {2030, 3030, 1030, 3030, 2030, 3030, 1030, 3030, 2030}},
      {2, 1, {2030, 3030, 3030, 2030, 3030, 3030, 2030, 3030, 3030}},
      {0, 1, {1030, 3030, 1030, 3030, 1030, 3030, 1030, 3030, 1030}},
      {7, 1, {1030, 3030, 1030, 3030, 1030, 3030, 1030, 3030, 1030}},
      {1, 0, {1030, 3030, 1030, 3030, 1030, 3030, 1030, 3030, 1030}},
  };
  for (const auto& c : cases) {
    CVorn vorn;
    vorn.parameters.pattern = c.pattern;
    vorn.parameters.accent = c.accent;
    vorn.SetBPM(120.0f);
    const std::vector<int16_t> out = Stream(vorn, 0, 9 * 88200, 32768);
    for (uint32_t k = 0; k < 9; ++k) {
      EXPECT_EQ(out[k * 44100], c.beats[k]) << "pattern " << c.pattern << " beat " << k;
      EXPECT_EQ(out[k * 44100 + 22050], 30) << "the half-beat hi-hat is never accented";
    }
  }
}

TEST_F(Metronome, OutputDoesNotDependOnTheBlockSize) {
  // 33 BPM puts every other hi-hat half a frame off the grid (160362 bytes).
  const uint32_t start = 3 * 320724 - 8000, total = 5 * 320724;
  std::vector<int> expected(total / 2, 0);
  AddClicks(expected, start, 320724, [](uint64_t k) {
    return std::make_pair(k % 2 ? &kSnare : &kBass, k % 4 == 0 ? 2 : 1);
  });
  AddClicks(expected, start, 160362, [](uint64_t) { return std::make_pair(&kHiHat, 1); });
  for (uint32_t blockBytes : {4u, 64u, 1028u, 8192u, 30000u, 131072u}) {
    CVorn vorn;
    vorn.SetBPM(33.0f);
    const std::vector<int16_t> out = Stream(vorn, start, total, blockBytes);
    ASSERT_EQ(std::vector<int>(out.begin(), out.begin() + expected.size()), expected) << blockBytes;
  }
}

TEST_F(Metronome, ClickCutByTheBlockEndFinishesInTheNextWithTheSameGain) {
  CVorn vorn;
  vorn.parameters.clickOnly = 1;
  const uint32_t blockBytes = 131072, start = 4 * 105840 + 1000 - blockBytes;  // accented beat 4
  const std::vector<int16_t> out = Stream(vorn, start, 2 * blockBytes, blockBytes);
  const uint32_t onset = (blockBytes - 1000) / 2;
  for (uint32_t i = 0; i < 4096; ++i) ASSERT_EQ(out[onset + i], 2 * (i + 1)) << i;
  EXPECT_EQ(out[onset + 4096], 0);
}

TEST_F(Metronome, BeatsCloserThanAClickKeepTheirAccentsWhenBlocksAreShort) {
  std::vector<int16_t> tick(CVorn::kClickSamples, 0);
  for (int i = 0; i < 100; ++i) tick[i] = static_cast<int16_t>(i + 1);
  WriteSound("metro.dat", tick);
  CVorn vorn;
  vorn.parameters.clickOnly = 1;
  vorn.SetBPM(2646.0f);  // a beat every 4000 bytes or so, shorter than a click
  const uint32_t interval = vorn.GetBytesPerBeat();
  ASSERT_LT(interval, CVorn::kClickBytes);
  const std::vector<int16_t> out = Stream(vorn, 0, 24 * interval, 1000);
  const std::vector<uint32_t> onsets = Onsets(out);
  ASSERT_EQ(onsets.size(), 24u);
  for (uint32_t k = 0; k < 24; ++k) {
    EXPECT_EQ(onsets[k] * 2, k * interval);
    EXPECT_EQ(out[onsets[k]], k % 4 == 0 ? 2 : 1) << k;
  }
}

TEST_F(Metronome, StartOnABeatPlaysThatBeat) {
  CVorn vorn;
  vorn.SetBPM(120.0f);
  EXPECT_EQ(Stream(vorn, 4 * 88200, 32768, 32768)[0], 2030);  // accented bass of the bar's first beat
  vorn.ResetMetronome();
  EXPECT_EQ(Stream(vorn, 3 * 88200, 32768, 32768)[0], 3030);
  vorn.ResetMetronome();
  EXPECT_EQ(Stream(vorn, 3 * 88200 + 4, 88200, 88200)[44098], 2030);
}

TEST_F(Metronome, ResetForgetsThePendingClick) {
  CVorn vorn;
  vorn.parameters.clickOnly = 1;
  Stream(vorn, 0, 105840 + 8188, 105840 + 8188);  // beat 1 leaves its last 2 samples pending
  vorn.ResetMetronome();
  const std::vector<int16_t> out = Stream(vorn, 4 * 105840 - 8, 4096, 4096);
  EXPECT_EQ(Onsets(out), std::vector<uint32_t>{4});
  EXPECT_EQ(out[4], 2);  // beat 4, accented: counted afresh from this position
}

TEST_F(Metronome, LevelScalesTheClickAndIsKeptInRange) {
  const std::pair<int32_t, std::vector<int16_t>> cases[] = {
      {10, {1, 2, 3, 100}}, {16, {0, 1, 1, 50}}, {22, {0, 0, 0, 25}}, {0, {3, 6, 9, 316}},
      {-3, {3, 6, 9, 316}}, {54, {0, 0, 0, 0}}, {60, {0, 0, 0, 0}},  {61, {0, 0, 0, 0}}};
  for (const auto& [level, expected] : cases) {
    CVorn vorn;
    vorn.parameters.clickOnly = 1;
    vorn.parameters.pattern = 0;
    vorn.parameters.level = level;
    const std::vector<int16_t> out = Stream(vorn, 0, 8192, 8192);
    EXPECT_EQ((std::vector<int16_t>{out[0], out[1], out[2], out[99]}), expected) << "level " << level;
  }
}

TEST_F(Metronome, SumsSaturateAtPlusMinus32000WithinTheClick) {
  std::vector<int16_t> alternating(CVorn::kClickSamples);
  for (int i = 0; i < 4096; ++i) alternating[i] = static_cast<int16_t>(i % 2 ? -(i + 1) : i + 1);
  WriteSound("metro.dat", alternating);
  CVorn vorn;
  vorn.parameters.clickOnly = 1;
  vorn.SetSizeMixBuffer(16384);
  std::vector<int16_t> block(8192);
  for (int i = 0; i < 8192; ++i) block[i] = static_cast<int16_t>(i % 2 ? -31990 : 31990);
  vorn.Process(block.data(), 0);  // beat 0: accented, double gain
  for (int i = 0; i < 4096; ++i) {
    const int sum = (i % 2 ? -31990 : 31990) + 2 * alternating[i];
    ASSERT_EQ(block[i], std::max(-32000, std::min(32000, sum))) << i;
  }
  EXPECT_EQ(block[4096], 31990);
  // Within the click the stream itself is held to the metronome's limit, even at a silent level.
  vorn.parameters.level = 60;
  block.assign(8192, 32767);
  vorn.Process(block.data(), 4 * 105840);
  EXPECT_EQ(block[0], 32000);
  EXPECT_EQ(block[4095], 32000);
  EXPECT_EQ(block[4096], 32767);
}

TEST_F(Metronome, ShortFileIsLittleEndianAndPaddedWithSilence) {
  WriteBytes("metro.dat", {0x34, 0x12, 0xFE, 0xFF, 0x07});
  CVorn vorn;
  vorn.parameters.clickOnly = 1;
  vorn.parameters.pattern = 0;
  const std::vector<int16_t> out = Stream(vorn, 0, 8192, 8192);
  EXPECT_EQ((std::vector<int16_t>(out.begin(), out.begin() + 4)), (std::vector<int16_t>{0x1234, -2, 0, 0}));
}

class MetronomeMissing : public Metronome, public ::testing::WithParamInterface<std::pair<std::string, int>> {};

TEST_P(MetronomeMissing, AnyMissingSoundIsReportedAndSilencesTheMetronome) {
  const auto [name, line] = GetParam();
  platform::RemoveFile(platform::ProgramFolder() + "/" + name);
  CVorn vorn;
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.title, "Vorn");
  EXPECT_EQ(reports[0].report.line, line);
  EXPECT_NE(reports[0].report.message.find(name), std::string::npos);
  EXPECT_TRUE(vorn.SamplesMissing());
  EXPECT_EQ(vorn.parameters.on, 0);
  for (int32_t clickOnly : {0, 1}) {
    vorn.parameters.on = 1;  // as the configuration would turn it on again
    vorn.parameters.clickOnly = clickOnly;
    const std::vector<int16_t> out = Stream(vorn, 0, 4 * 105840, 131072, 77);
    EXPECT_EQ(out, std::vector<int16_t>(out.size(), 77));
  }
}

INSTANTIATE_TEST_SUITE_P(EachFile, MetronomeMissing,
                         ::testing::Values(std::make_pair("metro.dat", 197), std::make_pair("bass.dat", 211),
                                           std::make_pair("snare.dat", 225), std::make_pair("hihat.dat", 239)),
                         [](const auto& info) { return info.param.first.substr(0, info.param.first.size() - 4); });

// Whatever stands under a sound's name, construction neither waits nor reads
// without end: it is a missing sound.
TEST_F(Metronome, ASoundThatIsNoPlainFileCountsAsMissing) {
  const std::string path = platform::ProgramFolder() + "/metro.dat";
  const std::pair<const char*, std::function<int()>> cases[] = {
      {"folder", [&] { return ::mkdir(path.c_str(), 0700); }},
      {"FIFO", [&] { return ::mkfifo(path.c_str(), 0600); }},
      {"link to /dev/zero", [&] { return ::symlink("/dev/zero", path.c_str()); }},
  };
  for (const auto& [name, make] : cases) {
    SCOPED_TRACE(name);
    platform::RemoveFile(path);
    ::rmdir(path.c_str());
    ASSERT_EQ(make(), 0);
    CVorn vorn;
    const auto reports = Reports().Take();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].report.line, 197);
    EXPECT_TRUE(vorn.SamplesMissing());
    EXPECT_EQ(vorn.parameters.on, 0);
  }
  ::rmdir(path.c_str());
}

TEST_F(Metronome, ZeroIntervalIsReportedAndMixesNothing) {
  CVorn vorn;
  vorn.SetSizeMixBuffer(8192);
  std::vector<int16_t> block(4096, 5);
  EXPECT_EQ(vorn.InternalMixMetronome(block.data(), 400, kMetro.data(), kMetro.data(), 0, 100, 1), 0u);
  const auto reports = Reports().Take();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].report.line, 462);
  EXPECT_EQ(reports[0].report.message, "Divide by Zero Error");
  EXPECT_EQ(block, std::vector<int16_t>(4096, 5));
  vorn.Process(nullptr, 0);  // nothing to mix into, nothing happens
}
